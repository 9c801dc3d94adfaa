#pragma once
// Keyboard mnemonics ('&' before a letter) for the labels of a Windows menu, one set of used
// characters per menu level.

#include <zut/string.h>

#include <windows.h>

class mnemonic_manager {
 public:
  // Registers the mnemonic the label already has (an '&' that is not part of "&&"); true when it
  // has one, also when the character after it cannot be decoded.
  bool check_string(const char* p_label);
  // p_out = the label with a new mnemonic: first on a free word start, else on any free ASCII
  // letter or digit, only before the first tab. False (p_out untouched) when the label already has
  // a mnemonic or no character is free.
  bool process_string(const char* p_label, zut::string_base& p_out);

  // Gives every text item of the menu and of its submenus (each level with its own set) a free
  // mnemonic, after reserving the ones the labels already have. Submenus stay attached.
  static void process_menu(HMENU p_menu);

 private:
  bool is_used(unsigned p_char) const;
  void add(unsigned p_char);

  zut::string8 m_used;  // the lower-case forms of the used characters, as UTF-8
};
