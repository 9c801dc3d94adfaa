#pragma once
// The host's preferences window: a modeless top-level window that shows the component's
// preferences page (the first preferences_page service the component offered) as its child.
//
// - open_preferences makes the window and the page and returns at once; while the window is open
//   it only brings it to the front.
// - WM_CLOSE destroys it at once (synchronously), and with it the page.
// - close_preferences destroys it too; the host calls it before it shuts the user interface down.
// - The host's main-menu command "Preferences" ({11213A01-9F36-4E69-A1BB-7A72F418DE3A}) runs
//   open_preferences.
#include <windows.h>

namespace host {

class service_registry;

void open_preferences(service_registry& registry);
void close_preferences();
// The window, null while it is closed.
HWND preferences_window();
// Keyboard navigation between the page's controls: true when msg was the page's to handle.
bool preferences_dialog_message(MSG* msg);

}  // namespace host
