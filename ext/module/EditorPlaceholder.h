// How the object shows itself in the frame editor: a placeholder rectangle with its name.
#pragma once

#include <windows.h>

#include "cSurface.h"

// Text and colours of the placeholder (colours 0x00BBGGRR).
inline constexpr wchar_t kPlaceholderText[] = L"Mobilant Animation";
inline constexpr COLORREF kPlaceholderFill = 0xFADCC8;
inline constexpr COLORREF kPlaceholderInk = 0x00FF00;
inline constexpr int kPlaceholderFontHeight = 20;

// Draws the placeholder into `rect` of `surface`: the rectangle filled and outlined 2 pixels
// wide, a 2-pixel diagonal from the top right to the bottom left, and the object's name in a
// 20-pixel Arial made for the call and deleted after it.
void DrawEditorPlaceholder(cSurface& surface, const RECT& rect);
