#include "MenuCopy.h"

namespace {

// Sub-menus nest this deep at most; the plug-in's own menus nest two deep.
constexpr int kMaxDepth = 8;

// State flags an item keeps. Owner-drawn and bitmap items are not copied as such: AppendMenuW
// would take their text pointer for a handle.
constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBREAK | MF_MENUBARBREAK;

bool CopyItems(HMENU source, HMENU target, int depth) {
    const int count = GetMenuItemCount(source);
    if (count < 0 || depth > kMaxDepth) return false;
    for (int position = 0; position < count; ++position) {
        const UINT id = GetMenuItemID(source, position);
        wchar_t text[kMaxMenuText + 1] = {};
        if (id != 0) GetMenuStringW(source, static_cast<UINT>(position), text, kMaxMenuText + 1,
                                    MF_BYPOSITION);
        if (id == 0) {
            if (!AppendMenuW(target, MF_SEPARATOR, 0, nullptr)) return false;
        } else if (id == 0xFFFFFFFFu) {
            const HMENU sourceSub = GetSubMenu(source, position);
            if (sourceSub == nullptr) return false;
            const HMENU copy = CreatePopupMenu();
            if (copy == nullptr) return false;
            // Until it is appended, the new pop-up is ours to destroy.
            if (!CopyItems(sourceSub, copy, depth + 1) ||
                !AppendMenuW(target, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(copy),
                             text)) {
                DestroyMenu(copy);
                return false;
            }
        } else {
            const UINT state = GetMenuState(source, static_cast<UINT>(position), MF_BYPOSITION);
            const UINT flags = state == 0xFFFFFFFFu ? 0 : state & kStateFlags;
            if (!AppendMenuW(target, MF_STRING | flags, id, text)) return false;
        }
    }
    return true;
}

}  // namespace

HMENU CopyPopupMenu(HMENU source) {
    if (source == nullptr) return nullptr;
    const HMENU copy = CreatePopupMenu();
    if (copy == nullptr) return nullptr;
    // Destroying a menu destroys the pop-ups appended to it.
    if (!CopyItems(source, copy, 0)) {
        DestroyMenu(copy);
        return nullptr;
    }
    return copy;
}
