// Planted into a copy of the plug-in: an import of d3d9.dll, which the plug-in must not have
// (the device is the host's).
#include <windows.h>
// windows.h before d3d9.h
#include <d3d9.h>

extern "C" void* PlantedDirect3D() {
    return Direct3DCreate9(D3D_SDK_VERSION);
}
