// The extension's run-time entry points, exported under their plain names. The host calls them
// on its game thread; none lets an exception or a host error through, and each runs with the
// x87 state of X87ControlGuard.
#pragma once

#include "HostConventions.h"

extern "C" {

// Identification: query 0 gives 0x300, 2 gives 0x100, 6 gives 2, 7 gives 249, 8 gives 1,
// anything else 0.
DWORD MOBILANT_STDCALL GetInfos(int query);
// Fills the host's information record `info`: no conditions, the 24 action and 10 expression
// routines, edit data of 28 bytes, flags 0x0300, identifier "5ASA"; returns 1.
int MOBILANT_STDCALL GetRunObjectInfos(void* host, void* info);
// The size of the run data the host allocates for an instance.
WORD MOBILANT_STDCALL GetRunObjectDataSize(void* runHeader, EditData* editData);

// Creates an instance: its animation surface at the edit data's size (each clamped to 1 to
// 16384), placed at the creation info's position; the first instance takes the host's Direct3D 9
// device. Returns 0.
int MOBILANT_STDCALL CreateRunObject(RunData* runData, EditData* editData, void* creationInfo);
// Destroys the instance's render surface and animation surface; the last instance forgets the
// device. Returns 0.
int MOBILANT_STDCALL DestroyRunObject(RunData* runData, long fast);
// One game loop: makes the render surface when there is none and advances the animation.
// Returns 2 (redraw) when the host's change flag is set, else 0.
int MOBILANT_STDCALL HandleRunObject(RunData* runData);
// Draws the model into the render surface and blits it into the frame, turned about the hot
// spot and scaled. Returns 0.
int MOBILANT_STDCALL DisplayRunObject(RunData* runData);
// Return 0 and do nothing.
int MOBILANT_STDCALL PauseRunObject(RunData* runData);
int MOBILANT_STDCALL ContinueRunObject(RunData* runData);
// Return 1: the object keeps no state in saved games.
int MOBILANT_STDCALL SaveRunObject(RunData* runData, HANDLE file);
int MOBILANT_STDCALL LoadRunObject(RunData* runData, HANDLE file);

// The application starts (the pools become usable) and ends (every pool slot is released).
void MOBILANT_STDCALL StartApp(void* host, void* application);
void MOBILANT_STDCALL EndApp(void* host, void* application);
// Do nothing.
void MOBILANT_STDCALL StartFrame(void* host, DWORD reserved, int frameIndex);
void MOBILANT_STDCALL EndFrame(void* host, DWORD reserved, int frameIndex);

// The debugger's item list: only its end marker 0xFFFF.
WORD* MOBILANT_STDCALL GetDebugTree(RunData* runData);
// Do nothing.
void MOBILANT_STDCALL GetDebugItem(LPWSTR buffer, RunData* runData, int id);
void MOBILANT_STDCALL EditDebugItem(RunData* runData, int id);

// Return 0.
int MOBILANT_STDCALL Initialize(void* host, int quiet);
int MOBILANT_STDCALL Free(void* host);

}  // extern "C"
