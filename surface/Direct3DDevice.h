// The process-wide Direct3D 9 device, and the device states a host must have set for a model to
// appear when it is drawn.
#pragma once

#include <d3d9.h>

// The host's Direct3D 9 device, taken by the first object instance and cleared when the last one
// goes. Null until then: without it nothing loads textures or creates, fills or draws buffers.
// The texture pool and the renderer read it; they never add or drop a reference to it.
extern IDirect3DDevice9* d3dDevice;

// The renderer sets no render state, sampler state or texture-stage state and begins no scene: it
// draws inside the host's scene, with the host's states. For the model to appear as the game
// author expects, the host has set, on the device the model is drawn with:
//
//   D3DRS_LIGHTING          FALSE                  vertex colours are used as they are
//   D3DRS_CULLMODE          D3DCULL_NONE           a mirrored model turns its triangles over
//   D3DRS_ZENABLE           D3DZB_FALSE            later triangles lie over earlier ones
//   D3DRS_ALPHABLENDENABLE  TRUE                   the texture's alpha cuts out the shape
//   D3DRS_SRCBLEND          D3DBLEND_SRCALPHA
//   D3DRS_DESTBLEND         D3DBLEND_INVSRCALPHA
//   stage 0 D3DTSS_COLOROP  D3DTOP_MODULATE        texel colour times vertex colour
//   stage 0 D3DTSS_COLORARG1 D3DTA_TEXTURE, D3DTSS_COLORARG2 D3DTA_DIFFUSE
//   stage 0 D3DTSS_ALPHAOP  D3DTOP_MODULATE        texel alpha times vertex opacity
//   stage 0 D3DTSS_ALPHAARG1 D3DTA_TEXTURE, D3DTSS_ALPHAARG2 D3DTA_DIFFUSE
//
// Everything else keeps Direct3D 9's defaults: stage 1 disabled, sampler 0 with point filtering
// and wrap addressing, and the viewport covering the render target. The two tables below hold
// exactly these states; ApplyModelDeviceStates sets them.

// One render state and its value.
struct ModelRenderState {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

// One texture-stage state of stage 0 and its value.
struct ModelStageState {
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
};

inline constexpr ModelRenderState kModelRenderStates[] = {
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_ZENABLE, D3DZB_FALSE},
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
};

inline constexpr ModelStageState kModelStageStates[] = {
    {D3DTSS_COLOROP, D3DTOP_MODULATE},  {D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {D3DTSS_COLORARG2, D3DTA_DIFFUSE},  {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},  {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
};

// Sets kModelRenderStates and, on stage 0, kModelStageStates on `device` (null: nothing), as a
// host does before it draws the objects into their render surfaces.
void ApplyModelDeviceStates(IDirect3DDevice9* device);
