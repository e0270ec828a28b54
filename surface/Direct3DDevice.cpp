#include "Direct3DDevice.h"

IDirect3DDevice9* d3dDevice = nullptr;

void ApplyModelDeviceStates(IDirect3DDevice9* device) {
    if (device == nullptr) return;
    for (const ModelRenderState& entry : kModelRenderStates)
        device->SetRenderState(entry.state, entry.value);
    for (const ModelStageState& entry : kModelStageStates)
        device->SetTextureStageState(0, entry.type, entry.value);
}
