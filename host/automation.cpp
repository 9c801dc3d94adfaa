// The dialog automation.
//
// 1. The CBT hook sees a top-level window being created on this thread; a dialog box ("#32770")
//    is posted to the automation window. The dialog cannot be answered yet: it is still being built.
// 2. The posted message arrives through the dialog's own modal loop, once the dialog stands.
// 3. An open-file dialog (it has a file-name box) gets the --skin file and OK, or Cancel without
//    --skin. A second later, a dialog that is still open did not take the file: it is cancelled.
// 4. Any other dialog: caption and text are logged with the answer, and the button is pressed.
// 5. With a menu label, a popup menu ("#32768") is posted the same way; once it is shown, the keys
//    that reach the item are posted to it (down arrows past the separators, right into a submenu,
//    Enter), or Escape when the menu has no such item.
#include "automation.h"

#include <vector>

#include "host_window.h"
#include "log.h"
#include "text.h"

namespace host {

namespace {

const wchar_t kWindowClass[] = L"trovaplay_automation";
const UINT kAnswerMessage = WM_APP + 1;
const UINT kMenuMessage = WM_APP + 2;
// How often a menu that is not shown yet is looked at again before it is left alone.
const int kMenuWaitLimit = 200;
const UINT kFileDialogCheckMs = 1000;

// Control ids of the open-file dialog's file-name box: the combo box of the newer dialog and the
// edit box of the older one.
const int kFileNameCombo = 0x47C;
const int kFileNameEdit = 0x480;
// The message box's text.
const int kMessageBoxText = 0xFFFF;

automation* g_active = nullptr;  // the one automation whose hook is installed

struct answer_word {
    const wchar_t* word;
    int button;
};
const answer_word kAnswerWords[] = {{L"ok", IDOK},     {L"cancel", IDCANCEL}, {L"abort", IDABORT}, {L"retry", IDRETRY},
                                    {L"ignore", IDIGNORE}, {L"yes", IDYES},   {L"no", IDNO}};

std::string word_of(int button) {
    for (const answer_word& a : kAnswerWords)
        if (a.button == button) return to_utf8(a.word);
    return "button " + std::to_string(button);
}

std::wstring window_text(HWND wnd) {
    const int n = GetWindowTextLengthW(wnd);
    if (n <= 0) return std::wstring();
    std::wstring text(size_t(n) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(wnd, &text[0], n + 1)));
    return text;
}

std::wstring class_of(HWND wnd) {
    wchar_t name[64] = {};
    GetClassNameW(wnd, name, 64);
    return name;
}

// A dialog's text on one line: the message box's text, or the texts of all its static controls.
std::string dialog_text(HWND dialog) {
    std::wstring text;
    if (HWND box = GetDlgItem(dialog, kMessageBoxText)) {
        text = window_text(box);
    } else {
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!IsWindowVisible(c) || _wcsicmp(class_of(c).c_str(), L"Static") != 0) continue;
            const std::wstring t = window_text(c);
            if (t.empty()) continue;
            if (!text.empty()) text += L" ";
            text += t;
        }
    }
    std::wstring line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') continue;
        line += text[i] == L'\n' ? L' ' : text[i];
    }
    return to_utf8(line);
}

void press(HWND dialog, int button) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(dialog, button)));
}

bool has_button(HWND dialog, int button) {
    HWND b = GetDlgItem(dialog, button);
    return b != nullptr && IsWindowEnabled(b);
}

// The button that answers `dialog`: the asked one when the dialog has it, else the first it has of
// the ones that give the least away. A button the dialog lacks is never pressed: a message box
// would return its id, an answer it never offered.
int pick_button(HWND dialog, int asked) {
    if (has_button(dialog, asked)) return asked;
    for (int b : {IDCANCEL, IDNO, IDOK, IDIGNORE, IDABORT, IDRETRY, IDYES})
        if (has_button(dialog, b)) return b;
    return IDCANCEL;  // no known button: the dialog's own way out
}

// A menu label as a person reads it: '&' marks dropped ("&&" is one '&'), the text after a tab
// (the shortcut column) cut off.
std::wstring plain_label(const std::wstring& label) {
    std::wstring out;
    for (size_t i = 0; i < label.size() && label[i] != L'\t'; ++i) {
        if (label[i] != L'&') {
            out += label[i];
        } else if (i + 1 < label.size() && label[i + 1] == L'&') {
            out += L'&';
            ++i;
        }
    }
    return out;
}

std::wstring item_label(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, UINT(position), text, 256, MF_BYPOSITION);
    return plain_label(text);
}

bool is_separator(HMENU menu, int position) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    return GetMenuItemInfoW(menu, UINT(position), TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

// The keys that pick `path` ("A/B": item B of A's submenu) in `menu`; empty when there is no such
// item. The first Down selects the first item; a submenu opens with its first item selected.
std::vector<WPARAM> keys_for(HMENU menu, const std::wstring& path) {
    std::vector<WPARAM> keys;
    std::wstring rest = path;
    bool top = true;
    while (menu != nullptr) {
        const size_t slash = rest.find(L'/');
        const std::wstring wanted = rest.substr(0, slash);
        const int count = GetMenuItemCount(menu);
        int steps = top ? 1 : 0;
        int found = -1;
        for (int i = 0; i < count; ++i) {
            if (is_separator(menu, i)) continue;
            if (_wcsicmp(item_label(menu, i).c_str(), wanted.c_str()) == 0) {
                found = i;
                break;
            }
            ++steps;
        }
        if (found < 0) return std::vector<WPARAM>();
        keys.insert(keys.end(), size_t(steps), VK_DOWN);
        if (slash == std::wstring::npos) {
            keys.push_back(VK_RETURN);
            return keys;
        }
        keys.push_back(VK_RIGHT);
        menu = GetSubMenu(menu, found);
        rest = rest.substr(slash + 1);
        top = false;
    }
    return std::vector<WPARAM>();
}

}  // namespace

int answer_button(const std::wstring& word) {
    for (const answer_word& a : kAnswerWords)
        if (_wcsicmp(word.c_str(), a.word) == 0) return a.button;
    return 0;
}

automation::automation(const std::wstring& skin, const std::wstring& answer, const std::wstring& menu_pick)
    : m_skin(skin), m_answer(answer.empty() ? IDOK : answer_button(answer)), m_menu_pick(menu_pick) {
    if (m_answer == 0) m_answer = IDOK;
}

bool automation::start() {
    if (m_hook != nullptr) return true;
    if (g_active != nullptr) return false;  // one hook per process is enough
    m_window = create_host_window(kWindowClass, &automation::window_proc, HWND_MESSAGE, this);
    if (m_window == nullptr) return false;
    m_hook = SetWindowsHookExW(WH_CBT, &automation::cbt_hook, nullptr, GetCurrentThreadId());
    if (m_hook == nullptr) {
        DestroyWindow(m_window);
        m_window = nullptr;
        return false;
    }
    g_active = this;
    return true;
}

void automation::stop() {
    if (m_hook != nullptr) UnhookWindowsHookEx(m_hook);
    m_hook = nullptr;
    if (g_active == this) g_active = nullptr;
    if (m_window != nullptr) DestroyWindow(m_window);
    m_window = nullptr;
}

// 1.
LRESULT CALLBACK automation::cbt_hook(int code, WPARAM wp, LPARAM lp) {
    automation* self = g_active;
    if (code == HCBT_CREATEWND && self != nullptr) {
        const HWND wnd = reinterpret_cast<HWND>(wp);
        const CBT_CREATEWNDW* create = reinterpret_cast<const CBT_CREATEWNDW*>(lp);
        const bool top_level = create == nullptr || create->lpcs == nullptr || !(create->lpcs->style & WS_CHILD);
        if (top_level && class_of(wnd) == L"#32770") PostMessageW(self->m_window, kAnswerMessage, WPARAM(wnd), 0);
        // 5. A submenu opens while its menu is answered already: it is left to those keys.
        if (!self->m_menu_pick.empty() && class_of(wnd) == L"#32768" && self->m_menu_window == nullptr) {
            self->m_menu_waits = 0;
            self->m_menu_window = wnd;
            PostMessageW(self->m_window, kMenuMessage, WPARAM(wnd), 0);
        }
    }
    if (code == HCBT_DESTROYWND && self != nullptr && reinterpret_cast<HWND>(wp) == self->m_menu_window) {
        self->m_menu_window = nullptr;
        log_line(log_kind::msgbox, "menu closed after " + to_utf8(self->m_menu_answer));
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// 2.
LRESULT CALLBACK automation::window_proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    automation* self = window_owner<automation>(wnd);
    if (self != nullptr && msg == kAnswerMessage) {
        const HWND dialog = reinterpret_cast<HWND>(wp);
        if (IsWindow(dialog)) self->answer_dialog(dialog);
        return 0;
    }
    if (self != nullptr && msg == kMenuMessage) {
        self->answer_menu(reinterpret_cast<HWND>(wp));
        return 0;
    }
    if (self != nullptr && msg == WM_TIMER) {
        KillTimer(wnd, wp);
        self->check_file_dialog(reinterpret_cast<HWND>(wp));
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

void automation::answer_dialog(HWND dialog) {
    HWND name_box = GetDlgItem(dialog, kFileNameCombo);
    if (name_box == nullptr) name_box = GetDlgItem(dialog, kFileNameEdit);
    if (name_box != nullptr) {
        answer_file_dialog(dialog, name_box);
        return;
    }
    // 4.
    const int button = pick_button(dialog, m_answer);
    log_line(log_kind::msgbox, to_utf8(window_text(dialog)) + ": " + dialog_text(dialog) + " -> " + word_of(button));
    press(dialog, button);
}

// 3.
void automation::answer_file_dialog(HWND dialog, HWND name_box) {
    const std::string caption = to_utf8(window_text(dialog));
    if (m_skin.empty()) {
        log_line(log_kind::msgbox, caption + ": open-file dialog -> cancel (no --skin)");
        press(dialog, IDCANCEL);
        return;
    }
    const std::wstring file = full_path(m_skin);
    log_line(log_kind::msgbox, caption + ": open-file dialog -> " + to_utf8(file));
    SetWindowTextW(name_box, file.c_str());
    m_skin_given = true;
    press(dialog, IDOK);
    if (IsWindow(dialog)) SetTimer(m_window, UINT_PTR(dialog), kFileDialogCheckMs, nullptr);
}

// 5.
void automation::answer_menu(HWND menu_window) {
    if (!IsWindow(menu_window)) {
        if (m_menu_window == menu_window) m_menu_window = nullptr;
        return;
    }
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
    if (menu == nullptr || !IsWindowVisible(menu_window)) {
        // Not shown yet: the menu loop brings this message back.
        if (++m_menu_waits < kMenuWaitLimit) PostMessageW(m_window, kMenuMessage, WPARAM(menu_window), 0);
        else m_menu_window = nullptr;
        return;
    }
    std::wstring labels;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (is_separator(menu, i)) continue;
        if (!labels.empty()) labels += L"|";
        labels += item_label(menu, i);
    }
    std::vector<WPARAM> keys = keys_for(menu, m_menu_pick);
    m_menu_answer = keys.empty() ? L"dismissed" : m_menu_pick;
    if (keys.empty()) keys.push_back(VK_ESCAPE);
    log_line(log_kind::msgbox, "menu " + to_utf8(labels) + " -> " + to_utf8(m_menu_answer));
    for (WPARAM key : keys) PostMessageW(menu_window, WM_KEYDOWN, key, 0);
}

void automation::check_file_dialog(HWND dialog) {
    if (!IsWindow(dialog) || class_of(dialog) != L"#32770") return;
    m_skin_given = false;
    log_line(log_kind::msgbox, to_utf8(window_text(dialog)) + ": the open-file dialog did not take " +
                                   to_utf8(full_path(m_skin)) + " -> cancel");
    press(dialog, IDCANCEL);
}

}  // namespace host
