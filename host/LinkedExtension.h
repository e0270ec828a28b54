// The entry points of the extension linked into this program, as a host that loaded the plug-in
// would find them by name.
#pragma once

#include "EntryPoints.h"
#include "ExtensionEntryPoints.h"

inline ExtensionEntryPoints LinkedExtension() {
    ExtensionEntryPoints e;
    e.GetInfos = &GetInfos;
    e.GetRunObjectInfos = &GetRunObjectInfos;
    e.GetRunObjectDataSize = &GetRunObjectDataSize;
    e.CreateRunObject = &CreateRunObject;
    e.DestroyRunObject = &DestroyRunObject;
    e.HandleRunObject = &HandleRunObject;
    e.DisplayRunObject = &DisplayRunObject;
    e.PauseRunObject = &PauseRunObject;
    e.ContinueRunObject = &ContinueRunObject;
    e.StartApp = &StartApp;
    e.EndApp = &EndApp;
    e.StartFrame = &StartFrame;
    e.EndFrame = &EndFrame;
    e.Initialize = &Initialize;
    e.Free = &Free;
    return e;
}
