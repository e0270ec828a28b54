// The edit record of an object placed in the frame editor: its size, kept in the game file.
// The record comes from the game file and may hold any numbers, so sizes read from it are
// brought into range before they are used.
#pragma once

#include <cstdint>

#include "HostConventions.h"

// A newly placed object's size in pixels.
inline constexpr std::int32_t kDefaultObjectWidth = 240;
inline constexpr std::int32_t kDefaultObjectHeight = 320;
// Sizes are kept within 1..kMaxObjectSize.
inline constexpr std::int32_t kMaxObjectSize = 16384;

// `size` brought into 1..kMaxObjectSize.
std::int32_t ClampObjectSize(std::int64_t size);

// Makes the edit record of a newly placed object: asks the editor's general function to resize
// `editData` to the record's size first, then writes the default size into the block it gave
// back, which may have moved. Returns that block, or null (nothing written) when there is no
// function or it gave no block.
void* NewPlacedObject(GeneralEditFunction callFunction, void* editData);

// The object's width and height in the record, each clamped.
std::int32_t PlacedObjectWidth(const void* editData);
std::int32_t PlacedObjectHeight(const void* editData);

// Stores a new size (the editor's handles), each clamped.
void SetPlacedObjectSize(void* editData, std::int64_t width, std::int64_t height);

// The rectangle the object covers when its top left corner is at (left, top).
RECT PlacedObjectRect(LONG left, LONG top, const void* editData);
