// The device states the host sets before the extension draws into its render surface: the
// model is drawn without lighting, culling or depth, its texture modulated by the vertex
// colours and blended over the cleared surface by alpha.
#pragma once

#include <d3d9.h>

void SetModelRenderStates(IDirect3DDevice9* device);
