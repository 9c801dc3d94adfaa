#pragma once
// Scripted choices in popup menus: keys posted to the calling thread's next popup menu once its
// modal loop runs (a timer checks for the menu window every 20 ms).

#include <windows.h>

#include <vector>

namespace menu_keys {

struct state {
  std::vector<WPARAM> keys;
  HWND owner = nullptr;  // the owner of the last menu that got its keys
};
inline state& current() {
  static state s;
  return s;
}

inline BOOL CALLBACK find_menu_window(HWND w, LPARAM out) {
  wchar_t name[16] = {};
  GetClassNameW(w, name, 16);
  if (lstrcmpW(name, L"#32768") != 0 || !IsWindowVisible(w)) return TRUE;
  *reinterpret_cast<HWND*>(out) = w;
  return FALSE;
}

// The visible popup-menu window of this thread, or null.
inline HWND thread_menu_window() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &find_menu_window, reinterpret_cast<LPARAM>(&found));
  return found;
}

inline void CALLBACK press(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND menu = thread_menu_window();
  if (menu == nullptr) return;  // not yet: the timer comes again
  KillTimer(nullptr, id);
  current().owner = GetWindow(menu, GW_OWNER);
  for (WPARAM key : current().keys) PostMessageW(menu, WM_KEYDOWN, key, 0);
}

// The next popup menu of this thread gets these keys (VK_DOWN ..., VK_RETURN or VK_ESCAPE).
inline void choose(const std::vector<WPARAM>& keys) {
  current().keys = keys;
  current().owner = nullptr;
  SetTimer(nullptr, 0, 20, &press);
}

}  // namespace menu_keys
