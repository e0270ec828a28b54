// Where the host keeps what it shares with an extension: every offset of the host's records,
// declared once, with a named accessor per field. The extension and every host of ours reach
// the records only through these.
//
// The numbers are those of the host's 32-bit interface. The host packs its records to 2 bytes
// and its pointers, window handles and callbacks are 4 bytes wide there. A 64-bit build (the
// Linux one, where the host is our own) keeps the same numbers under one rule: every record that
// holds a pointer is stretched by sizeof(void*) / 4, so a field declared at offset n lives at
// n * 2. Each field then has twice the room it has on the 32-bit target, enough for a pointer,
// and stays aligned to its own size; the run header's function table, declared at 4-byte steps,
// becomes a table of 8-byte pointers. Records without pointers that the game file stores (the
// edit data) keep their bytes on every target.
//
// Fields are read and written with memcpy, so a record is just bytes and its alignment and the
// types of its neighbours never matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "HostConventions.h"

namespace HostRecords {

// Factor by which records holding pointers are stretched (1 on the 32-bit target).
inline constexpr std::size_t kStretch = sizeof(void*) / 4;

// The offset in this build of a field the 32-bit interface declares at `offset32`.
constexpr std::size_t Stretched(std::size_t offset32) {
    return offset32 * kStretch;
}

// A field of type T at `Offset` bytes of a record (already in this build's bytes).
template <class T, std::size_t Offset>
struct Field {
    using Type = T;
    static constexpr std::size_t offset = Offset;

    // The field's value in `record`.
    static T Get(const void* record) {
        T value;
        std::memcpy(&value, static_cast<const unsigned char*>(record) + Offset, sizeof value);
        return value;
    }
    // Stores `value` into the field of `record`.
    static void Set(void* record, T value) {
        std::memcpy(static_cast<unsigned char*>(record) + Offset, &value, sizeof value);
    }
};

// A field of a record that holds pointers, declared at `Offset32` of the 32-bit interface.
template <class T, std::size_t Offset32>
struct HostField : Field<T, Stretched(Offset32)> {
    static constexpr std::size_t offset32 = Offset32;
    // Stretched, every field is aligned to its own size (the 2-byte packing of the 32-bit
    // records does not promise that; memcpy does not need it).
    static_assert(kStretch == 1 || Stretched(Offset32) % alignof(T) == 0);
};

// A field of a record the game file stores: the same bytes on every target.
template <class T, std::size_t Offset>
struct FileField : Field<T, Offset> {};

// --- Run data: the host's standard blocks at the start of an object's record ----------------
//
// For an object with sprites and alterable values (flags 0x0300) the host lays out its header,
// then the common block, the sprite block and the values block; the extension's own fields
// follow from kOwnFields.
namespace RunObject {
inline constexpr std::size_t kHeader = 0;
inline constexpr std::size_t kCommonBlock = 184;
inline constexpr std::size_t kSpriteBlock = 304;
inline constexpr std::size_t kValuesBlock = 340;
inline constexpr std::size_t kOwnFields = 516;
// Size of the whole record as the object declares it.
inline constexpr std::size_t kSize32 = 572;
inline constexpr std::size_t kSize = Stretched(kSize32);

using RunHeader = HostField<void*, kHeader + 8>;
using X = HostField<std::int32_t, kHeader + 76>;
using Y = HostField<std::int32_t, kHeader + 84>;
using HotSpotX = HostField<std::int32_t, kHeader + 88>;
using HotSpotY = HostField<std::int32_t, kHeader + 92>;
using ImageWidth = HostField<std::int32_t, kHeader + 96>;
using ImageHeight = HostField<std::int32_t, kHeader + 100>;
// The display rectangle: left, top, right, bottom.
using DisplayLeft = HostField<std::int32_t, kHeader + 104>;
using DisplayTop = HostField<std::int32_t, kHeader + 108>;
using DisplayRight = HostField<std::int32_t, kHeader + 112>;
using DisplayBottom = HostField<std::int32_t, kHeader + 116>;
using OptionFlags = HostField<std::uint32_t, kHeader + 120>;
using Flags = HostField<std::uint16_t, kHeader + 124>;
// Where the host put the values block (kValuesBlock, stretched, when it agrees with us).
using OffsetOfValues = HostField<std::int16_t, kHeader + 128>;
using Identifier = HostField<std::int32_t, kHeader + 180>;

using ScaleX = HostField<float, kCommonBlock + 40>;
using ScaleY = HostField<float, kCommonBlock + 44>;
// Degrees, a float in the hardware-accelerated host.
using Angle = HostField<float, kCommonBlock + 48>;
using Changed = HostField<BOOL, kCommonBlock + 68>;

// Ink effect: low 16 bits the blit operation, bit 28 transparent, bit 29 antialiasing.
using InkEffect = HostField<std::uint32_t, kSpriteBlock + 24>;
using InkEffectParam = HostField<std::uint32_t, kSpriteBlock + 28>;
using SpriteFlags = HostField<std::uint16_t, kSpriteBlock + 32>;

// OptionFlags: the object does not scroll with the frame.
inline constexpr std::uint32_t kIndependentOfScrolling = 0x0800;
// Flags: the expression just evaluated returned a float (or a string).
inline constexpr std::uint16_t kFloatResult = 0x4000;
inline constexpr std::uint16_t kStringResult = 0x8000;
inline constexpr std::uint32_t kInkTransparent = 1u << 28;
inline constexpr std::uint32_t kInkAntialias = 1u << 29;
inline constexpr std::uint32_t kInkOperationMask = 0xFFFF;
}  // namespace RunObject

// --- Run header: the host's record of the running frame ---------------------------------------
namespace RunHeader {
// Window ids (window handles on Windows): the frame window, the main window.
using FrameWindow = HostField<void*, 0>;
using MainWindow = HostField<void*, 4>;
using Application = HostField<void*, 8>;
using WindowOriginX = HostField<std::int32_t, 176>;
using WindowOriginY = HostField<std::int32_t, 180>;
// What the host subtracts from an object's position when it draws: one pair for objects that
// scroll with the frame, one for objects independent of scrolling.
using ScrollOffsetX = HostField<std::int32_t, 400>;
using ScrollOffsetY = HostField<std::int32_t, 404>;
using FixedOffsetX = HostField<std::int32_t, 1284>;
using FixedOffsetY = HostField<std::int32_t, 1288>;

// Entry n of the function table.
template <std::size_t N>
using Function = HostField<HostCallback, 860 + 4 * N>;
using FirstExpressionParameter = Function<4>;
using NextExpressionParameter = Function<5>;
using ActionParameter = Function<17>;
using FloatParameter = Function<19>;

// Enough for every field above (the table ends well before the second offset pair).
inline constexpr std::size_t kSize32 = 1292;
inline constexpr std::size_t kSize = Stretched(kSize32);

// How ActionParameter hands a parameter over.
inline constexpr WPARAM kParameterAsStored = 0xFFFFFFFF;  // integer, or pointer to a string
inline constexpr WPARAM kParameterInteger = 0;
inline constexpr WPARAM kParameterFloat = 2;  // float bit pattern in the low 32 bits
}  // namespace RunHeader

// --- Application record -----------------------------------------------------------------------
namespace Application {
using ParentApplication = HostField<void*, 424>;
using SubApplicationOptions = HostField<std::uint32_t, 432>;
// Not in the published numbers: where an application keeps its frame window's id. Ours.
using FrameWindow = HostField<void*, 436>;
inline constexpr std::uint32_t kDisplayAsSprite = 0x04000000;
inline constexpr std::size_t kSize32 = 440;
inline constexpr std::size_t kSize = Stretched(kSize32);
}  // namespace Application

// --- Creation info: what the host tells CreateRunObject about the new instance ---------------
// Not in the published numbers: a level-object pointer and two words, then the position. Ours.
namespace CreationInfo {
using X = HostField<std::int32_t, 8>;
using Y = HostField<std::int32_t, 12>;
inline constexpr std::size_t kSize32 = 28;
inline constexpr std::size_t kSize = Stretched(kSize32);
}  // namespace CreationInfo

// --- The extension's run-time information, filled by GetRunObjectInfos -----------------------
namespace ObjectInfo {
using Conditions = HostField<void*, 0>;
using Actions = HostField<void*, 4>;
using Expressions = HostField<void*, 8>;
using ConditionCount = HostField<std::int16_t, 12>;
using ActionCount = HostField<std::int16_t, 14>;
using ExpressionCount = HostField<std::int16_t, 16>;
using EditDataSize = HostField<std::uint16_t, 18>;
using EditFlags = HostField<std::uint32_t, 20>;
using WindowProcPriority = HostField<std::int8_t, 24>;
using EditPreferences = HostField<std::int16_t, 26>;
using Identifier = HostField<std::int32_t, 28>;
using Version = HostField<std::int16_t, 32>;
inline constexpr std::size_t kSize32 = 34;
inline constexpr std::size_t kSize = Stretched(kSize32);
}  // namespace ObjectInfo

// --- Driver information of a surface (service 494) -------------------------------------------
namespace DriverInfo {
// The first word holds the record's size (kSize), set by the caller.
using Size = HostField<std::uint32_t, 0>;
using Direct3DVersion = HostField<std::int32_t, 4>;
using Direct3D = HostField<void*, 8>;
using Direct3DDevice = HostField<void*, 12>;
using Direct3DTexture = HostField<void*, 16>;
using PixelShaderVersion = HostField<std::int32_t, 20>;
using VertexShaderVersion = HostField<std::int32_t, 24>;
using MaxTextureWidth = HostField<std::int32_t, 28>;
using MaxTextureHeight = HostField<std::int32_t, 32>;
inline constexpr std::size_t kSize32 = 36;
inline constexpr std::size_t kSize = Stretched(kSize32);
}  // namespace DriverInfo

// --- Edit data: the record the game file stores for each placed object -----------------------
namespace EditRecord {
// The host's header: size, maximum size, version, id, private word.
using HeaderSize = FileField<std::uint32_t, 0>;
using HeaderMaxSize = FileField<std::uint32_t, 4>;
using HeaderVersion = FileField<std::uint32_t, 8>;
using HeaderId = FileField<std::uint32_t, 12>;
using HeaderPrivate = FileField<std::uint32_t, 16>;
inline constexpr std::size_t kHeaderSize = 20;
// This object's fields behind the header: its size in the frame, in pixels.
using Width = FileField<std::int32_t, 20>;
using Height = FileField<std::int32_t, 24>;
inline constexpr std::size_t kSize = 28;
}  // namespace EditRecord

// --- The editor's record, handed to every edit-time entry point (packed to 2 bytes) -----------
namespace Editor {
// Not in the published numbers: where the editor keeps its frame-editor window's id. Ours.
using EditorWindow = HostField<void*, 12>;
using CallFunction = HostField<GeneralEditFunction, 340>;
// Not in the published numbers either: the version query. Ours.
using GetVersion = HostField<EditorVersionQuery, 344>;
inline constexpr std::size_t kSize32 = 408;
inline constexpr std::size_t kSize = Stretched(kSize32);

// Codes of the general function: insert a property table (table, insert after, after); resize
// the edit data (edit data, new size, 0), which gives the block back, perhaps moved.
inline constexpr int kInsertProperties = 1;
inline constexpr int kReallocEditData = 5;
// A property table entry; a table holding only its end marker is one zeroed entry.
inline constexpr std::size_t kPropertyEntrySize32 = 24;
}  // namespace Editor

// Surface drivers and types (service 172, 493).
inline constexpr int kDriverDirect3D9 = 5;
inline constexpr int kSurfaceTypeRenderTargetTexture = 5;

}  // namespace HostRecords
