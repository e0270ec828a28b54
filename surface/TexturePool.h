// The process-wide table of textures, shared by every object instance under small ids.
#pragma once

#include <d3d9.h>

#include <cstdint>

// 255 slots, ids 0 to 254, each holding one reference to a texture or null. The table is static,
// so a slot's address stays valid for the whole process: a renderer keeps the address of the slot
// it was given and reads the texture through it at every draw, so reloading the slot changes what
// every bound instance draws, and releasing it leaves them drawing without a texture.
class TexturePool {
public:
    static constexpr std::uint32_t kSlots = 255;

    // The address of slot `id`; null for an id outside 0 to 254 (taken as unsigned).
    static IDirect3DTexture9** Slot(int id);

    // Loads the image file `fileName` (kept wide, as the loader opens it) into slot `id` as a
    // 32-bit ARGB managed texture of the image's own size with one level, through d3dDevice.
    // The slot's earlier texture is released first. Without a device, the message box
    // "D3D9 device NULL"; when the file cannot be loaded, "texture load failed" (caption
    // "mobilant animation ext" for both), and the slot ends empty. Ids outside 0 to 254 are
    // ignored.
    static void Load(int id, const wchar_t* fileName);

    // Releases slot `id`'s texture (one reference) and empties the slot; nothing for an empty
    // slot or an id outside 0 to 254.
    static void Release(int id);

    // Releases every slot; the table stays usable.
    static void ReleaseAll();

private:
    static IDirect3DTexture9* slots[kSlots];
};

// The pool's operations under the names the actions and entry points use.

// As TexturePool::Load.
void LoadTexturePool(int id, const wchar_t* fileName);
// As TexturePool::Release.
void ReleaseTexturePool(int id);
