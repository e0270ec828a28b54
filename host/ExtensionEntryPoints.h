// The run-time entry points of the extension, as a host finds them: by name in the library
// (GetProcAddress on Windows), or from the statically linked symbols (LinkedExtension.h).
#pragma once

#include <cstdint>

#include "HostConventions.h"

struct ExtensionEntryPoints {
    DWORD(MOBILANT_STDCALL* GetInfos)(int query) = nullptr;
    int(MOBILANT_STDCALL* GetRunObjectInfos)(void* host, void* info) = nullptr;
    WORD(MOBILANT_STDCALL* GetRunObjectDataSize)(void* runHeader, EditData* editData) = nullptr;
    int(MOBILANT_STDCALL* CreateRunObject)(RunData* runData, EditData* editData,
                                           void* creationInfo) = nullptr;
    int(MOBILANT_STDCALL* DestroyRunObject)(RunData* runData, long fast) = nullptr;
    int(MOBILANT_STDCALL* HandleRunObject)(RunData* runData) = nullptr;
    int(MOBILANT_STDCALL* DisplayRunObject)(RunData* runData) = nullptr;
    int(MOBILANT_STDCALL* PauseRunObject)(RunData* runData) = nullptr;
    int(MOBILANT_STDCALL* ContinueRunObject)(RunData* runData) = nullptr;
    void(MOBILANT_STDCALL* StartApp)(void* host, void* application) = nullptr;
    void(MOBILANT_STDCALL* EndApp)(void* host, void* application) = nullptr;
    void(MOBILANT_STDCALL* StartFrame)(void* host, DWORD reserved, int frameIndex) = nullptr;
    void(MOBILANT_STDCALL* EndFrame)(void* host, DWORD reserved, int frameIndex) = nullptr;
    int(MOBILANT_STDCALL* Initialize)(void* host, int quiet) = nullptr;
    int(MOBILANT_STDCALL* Free)(void* host) = nullptr;

    // True when every entry point the headless host calls is there.
    bool Complete() const {
        return GetInfos && GetRunObjectInfos && GetRunObjectDataSize && CreateRunObject &&
               DestroyRunObject && HandleRunObject && DisplayRunObject && StartApp && EndApp;
    }
};
