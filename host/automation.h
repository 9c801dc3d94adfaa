#pragma once
// Automation of the component's dialogs, for tests and headless runs.
//
// Every top-level dialog that opens on the user-interface thread (message boxes, the open-file
// dialog, any other dialog box) is seen by a CBT hook when it is created. Once its modal loop runs,
// the dialog is answered:
//   - an open-file dialog gets the --skin file typed into its file-name box and its OK pressed
//     (without --skin, or when the dialog does not take the file, it is cancelled);
//   - any other dialog is answered by the --answer word: the button of that word when the dialog
//     has it, else the first it has of Cancel, No, OK, Ignore, Abort, Retry and Yes.
// Each answered dialog is one "msgbox: <caption>: <text> -> <answer>" line in the log.
// With a menu label (--menu-pick), every popup menu of the thread is answered too: the item of that
// label ("Sub/Item" for an item of a submenu; '&' marks and case ignored) is picked with the keys a
// person would press, or the menu is dismissed when it has no such item. Each answered menu is one
// "msgbox: menu <its labels, '|' between them> -> <label or dismissed>" line in the log, and its end
// one "msgbox: menu closed after <label or dismissed>" line.
#include <windows.h>

#include <string>

namespace host {

// The button an answer word presses (IDOK ... IDNO); 0 for a word that names none.
int answer_button(const std::wstring& word);

class automation {
public:
    // `skin`: the file for the open-file dialog (empty: none); `answer`: the answer word (empty: ok).
    automation(const std::wstring& skin, const std::wstring& answer, const std::wstring& menu_pick = std::wstring());
    ~automation() { stop(); }
    automation(const automation&) = delete;
    automation& operator=(const automation&) = delete;

    // Installs the hook on the calling thread (the user-interface thread). False when it cannot.
    bool start();
    void stop();

    // True once an open-file dialog took the --skin file.
    bool skin_given() const { return m_skin_given; }

private:
    static LRESULT CALLBACK cbt_hook(int code, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK window_proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void answer_dialog(HWND dialog);
    void answer_file_dialog(HWND dialog, HWND name_box);
    void check_file_dialog(HWND dialog);
    void answer_menu(HWND menu_window);

    std::wstring m_skin;
    int m_answer;
    std::wstring m_menu_pick;
    int m_menu_waits = 0;  // times a menu was found not yet shown
    HWND m_menu_window = nullptr;  // the menu being answered (its submenus are left to its keys)
    std::wstring m_menu_answer;    // what it was answered with
    bool m_skin_given = false;
    HWND m_window = nullptr;  // message-only window that receives the posted answers
    HHOOK m_hook = nullptr;
};

}  // namespace host
