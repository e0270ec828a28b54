// Copies of the plug-in's menus for the editor, which owns and destroys what it is given.
#pragma once

#include <windows.h>

// Longest item text copied, in characters.
inline constexpr int kMaxMenuText = 80;

// A new pop-up menu with the items of `source`, by position: an item with id 0 becomes a
// separator, a sub-menu becomes a new pop-up filled the same way under its text, and any other
// item keeps its id, state flags (grayed, disabled, checked, breaks) and text (at most
// kMaxMenuText characters). Null, with nothing left behind, when any part cannot be made.
HMENU CopyPopupMenu(HMENU source);
