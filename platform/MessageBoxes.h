// Message boxes for the game author: no owner window, an OK button only.
//
// On Windows ShowMessageBox opens MessageBoxW, unless dialogs are switched off
// (for tests run with nobody to click). Elsewhere, and with dialogs off, the
// caption and text go to standard error instead. Either way each box is
// recorded, so tests can read what was shown.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct ShownMessageBox {
    std::wstring caption;
    std::wstring text;
};

// Shows `text` under `caption` as MessageBoxW(nullptr, text, caption, MB_OK)
// does; returns IDOK (1).
int ShowMessageBox(const wchar_t* text, const wchar_t* caption);

// Called for every box shown, where the box would wait for its click (a host of ours prints
// it, or runs a game loop as a modal box's message loop may). While one is set, boxes that are
// not real dialogs no longer go to standard error. Null removes it.
using MessageBoxObserver = void (*)(const ShownMessageBox& box);
void SetMessageBoxObserver(MessageBoxObserver observer);

// Switches the real Windows dialog on or off. It starts on, unless the
// environment variable MOBILANT_NO_DIALOGS is set to a non-empty value other
// than "0". Without Windows there is no dialog and this changes nothing.
void SetMessageBoxDialogs(bool enabled);

// The message boxes shown so far, oldest first; at most kMaxRecordedMessageBoxes
// are kept (later ones are still shown).
inline constexpr std::size_t kMaxRecordedMessageBoxes = 1024;
std::vector<ShownMessageBox> ShownMessageBoxes();
void ClearShownMessageBoxes();
