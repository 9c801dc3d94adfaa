// CTrayIcon: icons in the notification area of the taskbar on behalf of one window.
//
// The manager subclasses the window it is given (without one it makes a hidden message window of
// its own). Every icon has an id and its own callback message, TRAY_FIRST_MESSAGE + id; the mouse
// reports of an icon reach its per-icon callbacks. When the taskbar is recreated (the registered
// message "TaskbarCreated") every icon is shown again.
//
// Ids stay with their icon: removing an icon frees its id (reused last-in first-out by the next
// icon added) but never changes the id, or the callback message, of another icon. Entry indices,
// in the order of adding, do move down when an earlier icon is removed; getId and findId translate.
// The manager owns the icon handles it is given and destroys them with the icon.
#pragma once

#include <array.h>

#include <windows.h>
#include <shellapi.h>

#include <stdint.h>

// The callback message of icon id 0; icon id n gets TRAY_FIRST_MESSAGE + n.
constexpr UINT TRAY_FIRST_MESSAGE = 0x801B;
// The last message of the range the manager answers for (the end of the application range).
constexpr UINT TRAY_LAST_MESSAGE = 0xBFFF;

// The icon record of the first version, as the shell takes it (152 bytes).
constexpr DWORD TRAY_RECORD_SIZE = 152;

using TrayCallback = void (*)();

struct TrayIconEntry {
    NOTIFYICONDATAW mData;  // only the first TRAY_RECORD_SIZE bytes are used
    HMENU mhMenu;           // popup menu for the right button, or null
    TrayCallback mpOnLeftDown;
    TrayCallback mpOnRightDown;
    TrayCallback mpOnMiddleDown;
    TrayCallback mpOnLeftDouble;
    TrayCallback mpOnRightDouble;
    TrayCallback mpOnMouseMove;
};

class CTrayIcon {
public:
    bool mShowMenu;                      // a right press also opens the entry's menu
    WNDPROC mOldWndProc;                 // the window's procedure before it was subclassed
    CDynArray<TrayIconEntry> mEntries;   // the icons, in the order added
    CDynArray<int> mFreeIds;             // ids given back by removed icons (last-in first-out)
    bool (*mpCommandHandler)(uint16_t);  // offered every WM_COMMAND of the window; true: taken
    HWND mhWnd;                          // the window that receives the icons' messages
    HWND mhRestartListener;              // hidden top-level window for a message-only mhWnd, or null

    // The manager whose init ran last: the window procedure and readdAll work on it.
    static CTrayIcon* spInstance;
    // The registered message "TaskbarCreated" (0 until the first init).
    static UINT sTaskbarCreatedMsg;

    explicit CTrayIcon(HWND hWnd);
    // Deletes every icon from the tray (destroying its icon handle) and gives the window its old
    // procedure back.
    virtual ~CTrayIcon();

    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    void init(HWND hWnd, HINSTANCE hInstance);

    // Adds an icon (handle and tip may be null; the tip is cut to 63 characters) and shows it; the
    // first icon of a message-only window also makes the restart listener. Returns the new entry's
    // index (getCount() - 1); its id is getId(index).
    uint32_t add(HICON hIcon, const wchar_t* tip);
    // Deletes the entry's icon from the tray, destroys its icon handle and frees its id; the later
    // entries move down one index.
    void remove(uint32_t index);
    // Shows every icon of spInstance again (after the taskbar was recreated).
    static void readdAll();

    void showMenu(uint32_t index);
    void setTip(const wchar_t* tip, uint32_t index);
    void setIcon(HICON hIcon, uint32_t index);
    void modify(uint32_t index);

    HWND getWindow() const { return mhWnd; }
    uint32_t getCount() const { return mEntries.getSize(); }
    // The id of the entry at index (reported, UINT32_MAX, when there is no such entry).
    uint32_t getId(uint32_t index) const;
    // The index of the entry whose id is id, or UINT32_MAX.
    uint32_t findId(uint32_t id) const;

    HWND createMessageWindow(HINSTANCE hInstance);
    static LRESULT CALLBACK messageWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static int messageLoop();
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static void copyTip(TrayIconEntry& entry, const wchar_t* tip);
    static void notify(DWORD message, TrayIconEntry& entry);
    // Whether msg lies in the range of the icons' callback messages.
    static bool isTrayMessage(UINT msg) { return msg >= TRAY_FIRST_MESSAGE && msg <= TRAY_LAST_MESSAGE; }
    void dispatch(uint32_t index, LPARAM lParam);
    // Makes mhRestartListener when mhWnd cannot receive broadcasts; destroys it.
    void createRestartListener();
    void destroyRestartListener();
    static LRESULT CALLBACK restartListenerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
