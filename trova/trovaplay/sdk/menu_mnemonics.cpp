// Mnemonics for one menu level.
//
//   1. First pass over the text items: reserve the mnemonics the labels already have.
//   2. Second pass over every item: a submenu is processed first (its own set); then a text item
//      whose label gets a new mnemonic is relabelled in place, keeping its state, id and submenu.
// A new mnemonic for one label:
//   1. Word starts (after spaces; a word ends at a space or tab; a tab ends the pass): the first
//      free ASCII letter or digit.
//   2. Else any character before the first tab: the first free ASCII letter or digit.
//   3. Else the label stays as it is.

#include <trovaplay/sdk/menu_mnemonics.h>

#include <trovaplay/shared/shared.h>
#include <zut/string_conv.h>

#include <cstring>

namespace {

bool is_ascii_alnum(char p_c) {
  return (p_c >= 'a' && p_c <= 'z') || (p_c >= 'A' && p_c <= 'Z') || (p_c >= '0' && p_c <= '9');
}

// The position of the label's mnemonic '&' (one not part of "&&"), or null.
const char* find_mnemonic(const char* p_label) {
  for (const char* p = std::strchr(p_label, '&'); p; p = std::strchr(p, '&')) {
    if (p[1] != '&') return p;
    p += 2;  // an escaped '&': the search goes on after the pair
  }
  return nullptr;
}

// Item states that a relabelling keeps.
constexpr UINT kKeptState = MF_CHECKED | MF_DISABLED | MF_GRAYED;

}  // namespace

bool mnemonic_manager::is_used(unsigned p_char) const {
  char utf8[8] = {};
  if (zut::utf8_encode_char(uCharLower(p_char), utf8) == 0) return false;
  return std::strstr(m_used.get_ptr(), utf8) != nullptr;
}

void mnemonic_manager::add(unsigned p_char) { m_used.add_char(uCharLower(p_char)); }

bool mnemonic_manager::check_string(const char* p_label) {
  const char* amp = find_mnemonic(p_label);
  if (amp == nullptr) return false;
  unsigned c = 0;
  if (zut::utf8_decode_char(amp + 1, &c) != 0 && !is_used(c)) add(c);
  return true;
}

bool mnemonic_manager::process_string(const char* p_label, zut::string_base& p_out) {
  if (find_mnemonic(p_label) != nullptr) return false;
  const char* chosen = nullptr;
  // 1.
  const char* p = p_label;
  while (*p == ' ') ++p;
  while (*p && *p != '\t') {
    if (is_ascii_alnum(*p) && !is_used(unsigned(*p))) {
      chosen = p;
      break;
    }
    while (*p && *p != ' ' && *p != '\t') ++p;
    while (*p == ' ') ++p;
  }
  // 2.
  for (p = p_label; chosen == nullptr && *p && *p != '\t'; ++p)
    if (is_ascii_alnum(*p) && !is_used(unsigned(*p))) chosen = p;
  // 3.
  if (chosen == nullptr) return false;
  add(unsigned(*chosen));
  zut::string8 label;
  label.add_string(p_label, t_size(chosen - p_label));
  label.add_byte('&');
  label.add_string(chosen);
  p_out = label;
  return true;
}

void mnemonic_manager::process_menu(HMENU p_menu) {
  mnemonic_manager used;
  const int count = GetMenuItemCount(p_menu);
  zut::string8 label, relabelled;
  // 1.
  for (int i = 0; i < count; ++i) {
    if (uGetMenuItemType(p_menu, UINT(i)) != 0) continue;
    if (uGetMenuString(p_menu, UINT(i), label, MF_BYPOSITION)) used.check_string(label);
  }
  // 2.
  for (int i = 0; i < count; ++i) {
    const HMENU sub = GetSubMenu(p_menu, i);
    if (sub) process_menu(sub);
    if (uGetMenuItemType(p_menu, UINT(i)) != 0) continue;
    if (!uGetMenuString(p_menu, UINT(i), label, MF_BYPOSITION)) continue;
    if (!used.process_string(label, relabelled)) continue;
    // A submenu item is relabelled as the same popup: a plain relabelling would drop the submenu.
    const UINT state = GetMenuState(p_menu, UINT(i), MF_BYPOSITION);
    if (sub)
      uModifyMenu(p_menu, UINT(i), MF_BYPOSITION | MF_POPUP | (state & kKeptState), reinterpret_cast<UINT_PTR>(sub),
                  relabelled);
    else
      uModifyMenu(p_menu, UINT(i), MF_BYPOSITION | state, GetMenuItemID(p_menu, i), relabelled);
  }
}
