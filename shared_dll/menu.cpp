// UTF-8 forms of the Windows menu calls.
#include <trovaplay/shared/shared.h>

#include <vector>

#include <zut/string.h>

#include "utf8.h"

namespace {

// Flags whose "new item" argument is not a text pointer.
bool carries_text(UINT flags) { return (flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR)) == 0; }

}  // namespace

SHARED_API BOOL SHARED_CALL uAppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char* label) {
    if (label == nullptr || !carries_text(flags)) return AppendMenuW(menu, flags, id, nullptr);
    const std::wstring w = shared_dll::to_wide(label, ~0u);
    return AppendMenuW(menu, flags, id, w.c_str());
}

SHARED_API BOOL SHARED_CALL uModifyMenu(HMENU menu, UINT item, UINT flags, UINT_PTR id, const char* label) {
    if (label == nullptr || !carries_text(flags)) return ModifyMenuW(menu, item, flags, id, nullptr);
    const std::wstring w = shared_dll::to_wide(label, ~0u);
    return ModifyMenuW(menu, item, flags, id, w.c_str());
}

SHARED_API BOOL SHARED_CALL uGetMenuString(HMENU menu, UINT item, zut::string_base& out, UINT flags) {
    const int n = GetMenuStringW(menu, item, nullptr, 0, flags);
    if (n < 0) return FALSE;
    if (n == 0) {
        // Either an empty label or no such item: tell them apart by the item's existence.
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID;
        if (!GetMenuItemInfoW(menu, item, (flags & MF_BYPOSITION) != 0, &info)) return FALSE;
        out.set_string("", 0);
        return TRUE;
    }
    std::vector<wchar_t> buf(size_t(n) + 1, 0);
    const int got = GetMenuStringW(menu, item, buf.data(), n + 1, flags);
    if (got < 0) return FALSE;
    const std::string t = shared_dll::from_wide(buf.data(), uint32_t(got));
    out.set_string(t.c_str(), t_size(t.size()));
    return TRUE;
}

SHARED_API UINT SHARED_CALL uGetMenuItemType(HMENU menu, UINT position) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return ~0u;
    return info.fType;
}
