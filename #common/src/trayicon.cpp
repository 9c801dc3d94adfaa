// The tray-icon manager.
//
// add(icon, tip)
//   1. Append a zeroed entry: record size 152, the manager's window.
//   2. The id: the last id given back by a removed icon, else the new entry's index.
//   3. uID = id, callback message TRAY_FIRST_MESSAGE + id, flag NIF_MESSAGE.
//   4. A tip is copied (63 characters at most) with NIF_TIP; an icon is stored with NIF_ICON.
//   5. Show it (NIM_ADD); a message-only window gets its restart listener with its first icon;
//      answer the entry's index.
// windowProc, always for spInstance:
//   1. "TaskbarCreated": show every icon again; answer 0.
//   2. WM_COMMAND goes to the command handler first; taken: answer 0.
//   3. A message of the icons' range: the entry with that id (if any) gets the mouse report;
//      answer 0, nothing passed on.
//   4. Everything else goes to the window's old procedure.
// Shell_NotifyIconW results are ignored: an icon the shell refuses stays an entry.
// "TaskbarCreated" is broadcast to top-level windows only; a message-only window hears it through
// a hidden top-level listener that sends it on, made with the first icon (a manager without icons
// has nothing to show again).

#include <trayicon.h>

#include <string.h>

CTrayIcon* CTrayIcon::spInstance = nullptr;
UINT CTrayIcon::sTaskbarCreatedMsg = 0;

CTrayIcon::CTrayIcon(HWND hWnd)
    : mShowMenu(false), mOldWndProc(nullptr), mpCommandHandler(nullptr), mhWnd(nullptr),
      mhRestartListener(nullptr) {
    init(hWnd, nullptr);
}

CTrayIcon::~CTrayIcon() {
    for (uint32_t i = 0; i < mEntries.getSize(); ++i) {
        TrayIconEntry& entry = mEntries[i];
        if ((entry.mData.uFlags & NIF_ICON) && entry.mData.hIcon) DestroyIcon(entry.mData.hIcon);
        notify(NIM_DELETE, entry);
    }
    destroyRestartListener();
    if (mhWnd && mOldWndProc && IsWindow(mhWnd))
        SetWindowLongPtrW(mhWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mOldWndProc));
    mEntries.clear();
    mFreeIds.clear();
    if (spInstance == this) spInstance = nullptr;
}

void CTrayIcon::init(HWND hWnd, HINSTANCE hInstance) {
    // The ids start again at 0: free ids of an earlier life would collide with new indices.
    mEntries.removeLast(mEntries.getSize());
    mFreeIds.removeLast(mFreeIds.getSize());
    mpCommandHandler = nullptr;
    spInstance = this;
    mhWnd = hWnd ? hWnd : createMessageWindow(hInstance);
    // A window this manager subclassed already keeps its first old procedure (subclassing it again
    // would make the procedure call itself).
    if (mhWnd && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(mhWnd, GWLP_WNDPROC)) != &windowProc)
        mOldWndProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(mhWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&windowProc)));
    sTaskbarCreatedMsg = RegisterWindowMessageW(L"TaskbarCreated");
}

uint32_t CTrayIcon::add(HICON hIcon, const wchar_t* tip) {
    // 1.
    TrayIconEntry* entry = mEntries.addNew(1);
    if (!ZIN_CHECK_MSG(entry != nullptr, "tray entry")) return UINT32_MAX;
    memset(static_cast<void*>(entry), 0, sizeof *entry);
    entry->mData.cbSize = TRAY_RECORD_SIZE;
    entry->mData.hWnd = mhWnd;
    // 2.
    uint32_t id = mEntries.getSize() - 1;
    if (mFreeIds.getSize() > 0) id = static_cast<uint32_t>(mFreeIds.pop());
    // 3.
    entry->mData.uID = id;
    entry->mData.uCallbackMessage = TRAY_FIRST_MESSAGE + id;
    entry->mData.uFlags = NIF_MESSAGE;
    // 4.
    if (tip) copyTip(*entry, tip);
    if (hIcon) {
        entry->mData.hIcon = hIcon;
        entry->mData.uFlags |= NIF_ICON;
    }
    // 5.
    notify(NIM_ADD, *entry);
    if (!mhRestartListener) createRestartListener();
    return mEntries.getSize() - 1;
}

void CTrayIcon::remove(uint32_t index) {
    if (!ZIN_CHECK(index < mEntries.getSize())) return;
    TrayIconEntry& entry = mEntries[index];
    notify(NIM_DELETE, entry);
    // The manager owns the icon: nothing else would ever destroy it.
    if ((entry.mData.uFlags & NIF_ICON) && entry.mData.hIcon) DestroyIcon(entry.mData.hIcon);
    mFreeIds.add(static_cast<int>(entry.mData.uID), 1);
    mEntries.removeAt(index);
}

void CTrayIcon::readdAll() {
    if (!spInstance) return;
    for (uint32_t i = 0; i < spInstance->mEntries.getSize(); ++i)
        notify(NIM_ADD, spInstance->mEntries[i]);
}

void CTrayIcon::showMenu(uint32_t index) {
    if (!ZIN_CHECK(index < mEntries.getSize())) return;
    HMENU menu = mEntries[index].mhMenu;
    if (!menu) return;
    POINT cursor = {};
    GetCursorPos(&cursor);
    SetForegroundWindow(mhWnd);
    TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, mhWnd, nullptr);
}

void CTrayIcon::setTip(const wchar_t* tip, uint32_t index) {
    if (!ZIN_CHECK(index < mEntries.getSize())) return;
    copyTip(mEntries[index], tip ? tip : L"");
    modify(index);
}

void CTrayIcon::setIcon(HICON hIcon, uint32_t index) {
    if (!ZIN_CHECK(index < mEntries.getSize())) return;
    NOTIFYICONDATAW& data = mEntries[index].mData;
    if ((data.uFlags & NIF_ICON) && data.hIcon && data.hIcon != hIcon) DestroyIcon(data.hIcon);
    data.hIcon = hIcon;
    if (hIcon)
        data.uFlags |= NIF_ICON;
    else
        data.uFlags &= ~static_cast<UINT>(NIF_ICON);
    notify(NIM_MODIFY, mEntries[index]);
}

void CTrayIcon::modify(uint32_t index) {
    if (!ZIN_CHECK(index < mEntries.getSize())) return;
    notify(NIM_MODIFY, mEntries[index]);
}

uint32_t CTrayIcon::getId(uint32_t index) const {
    if (!ZIN_CHECK(index < mEntries.getSize())) return UINT32_MAX;
    return mEntries[index].mData.uID;
}

uint32_t CTrayIcon::findId(uint32_t id) const {
    for (uint32_t i = 0; i < mEntries.getSize(); ++i)
        if (mEntries[i].mData.uID == id) return i;
    return UINT32_MAX;
}

HWND CTrayIcon::createMessageWindow(HINSTANCE hInstance) {
    mShowMenu = false;
    WNDCLASSW wc = {};
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = &messageWindowProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = L"TrayWnd";
    RegisterClassW(&wc);
    HWND hWnd = CreateWindowW(L"TrayWnd", L"Tray Icon Message Window", 0, CW_USEDEFAULT,
                              CW_USEDEFAULT, 0, 0, nullptr, nullptr, hInstance, nullptr);
    ZIN_ASSERT_MSG(hWnd != nullptr, "tray message window");
    return hWnd;
}

LRESULT CALLBACK CTrayIcon::messageWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

int CTrayIcon::messageLoop() {
    MSG message;
    int result;
    // GetMessageW answers 0 for WM_QUIT and -1 on an error: either ends the loop.
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) DispatchMessageW(&message);
    return result;
}

LRESULT CALLBACK CTrayIcon::windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CTrayIcon* self = spInstance;
    if (!self) return DefWindowProcW(hWnd, msg, wParam, lParam);
    // 1.
    if (sTaskbarCreatedMsg != 0 && msg == sTaskbarCreatedMsg) {
        readdAll();
        return 0;
    }
    // 2.
    if (msg == WM_COMMAND && self->mpCommandHandler && self->mpCommandHandler(LOWORD(wParam))) return 0;
    // 3.
    if (isTrayMessage(msg)) {
        const uint32_t index = self->findId(msg - TRAY_FIRST_MESSAGE);
        if (index != UINT32_MAX) self->dispatch(index, lParam);
        return 0;
    }
    // 4.
    if (!self->mOldWndProc) return DefWindowProcW(hWnd, msg, wParam, lParam);
    return CallWindowProcW(self->mOldWndProc, hWnd, msg, wParam, lParam);
}

void CTrayIcon::createRestartListener() {
    destroyRestartListener();
    if (!mhWnd) return;
    // A top-level window or a child hears the broadcast (through its top-level parent's thread);
    // a message-only window has the message-only parent and no child style.
    const bool child = (GetWindowLongW(mhWnd, GWL_STYLE) & WS_CHILD) != 0;
    if (child || GetAncestor(mhWnd, GA_PARENT) == GetDesktopWindow()) return;
    // A system class: nothing to register, nothing left behind when this module goes.
    mhRestartListener = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0,
                                        nullptr, nullptr, nullptr, nullptr);
    if (!ZIN_CHECK_MSG(mhRestartListener != nullptr, "tray restart listener")) return;
    SetWindowLongPtrW(mhRestartListener, GWLP_USERDATA,
                      SetWindowLongPtrW(mhRestartListener, GWLP_WNDPROC,
                                        reinterpret_cast<LONG_PTR>(&restartListenerProc)));
}

void CTrayIcon::destroyRestartListener() {
    if (mhRestartListener) DestroyWindow(mhRestartListener);
    mhRestartListener = nullptr;
}

LRESULT CALLBACK CTrayIcon::restartListenerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (sTaskbarCreatedMsg != 0 && msg == sTaskbarCreatedMsg) {
        if (spInstance && spInstance->mhWnd) SendMessageW(spInstance->mhWnd, msg, wParam, lParam);
        return 0;
    }
    const WNDPROC staticProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!staticProc) return DefWindowProcW(hWnd, msg, wParam, lParam);
    return CallWindowProcW(staticProc, hWnd, msg, wParam, lParam);
}

void CTrayIcon::copyTip(TrayIconEntry& entry, const wchar_t* tip) {
    constexpr size_t TIP_LENGTH = 63;
    size_t n = 0;
    for (; n < TIP_LENGTH && tip[n]; ++n) entry.mData.szTip[n] = tip[n];
    entry.mData.szTip[n] = L'\0';
    entry.mData.uFlags |= NIF_TIP;
}

void CTrayIcon::notify(DWORD message, TrayIconEntry& entry) { Shell_NotifyIconW(message, &entry.mData); }

void CTrayIcon::dispatch(uint32_t index, LPARAM lParam) {
    // The callbacks are read before any runs: a callback may add or remove icons.
    const TrayIconEntry entry = mEntries[index];
    TrayCallback callback = nullptr;
    switch (lParam) {
    case WM_MOUSEMOVE: callback = entry.mpOnMouseMove; break;
    case WM_LBUTTONDOWN: callback = entry.mpOnLeftDown; break;
    case WM_LBUTTONDBLCLK: callback = entry.mpOnLeftDouble; break;
    case WM_RBUTTONDOWN:
        if (mShowMenu) showMenu(index);
        callback = entry.mpOnRightDown;
        break;
    case WM_RBUTTONDBLCLK: callback = entry.mpOnRightDouble; break;
    case WM_MBUTTONDOWN: callback = entry.mpOnMiddleDown; break;
    default: break;
    }
    if (callback) callback();
}
