// The calling conventions of the game maker's extension interface, declared once for the
// extension and for every host of ours.
//
// On 32-bit Windows they are the host's own: entry points, action and expression routines and
// the run header's callbacks are __stdcall (the callee pops its arguments), the surface class's
// members are __thiscall. Every other target has a single C calling convention, so the macros
// are empty there and the same declarations compile unchanged.
#pragma once

#include <windows.h>

#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define MOBILANT_STDCALL __stdcall
#define MOBILANT_THISCALL __thiscall
#else
#define MOBILANT_STDCALL
#define MOBILANT_THISCALL
#endif

// The host's record of one object instance. The host allocates it at the size the extension
// asks for and hands it to every entry point, routine and callback; its fields are reached
// only through the named accessors of HostRecords.h, so the type is never completed.
struct RunData;
// The record the game file keeps for each placed object (EditData.h describes its fields).
struct EditData;
class cSurface;

// An action routine: (run data, two host words); the result is always 0.
using ActionRoutine = short(MOBILANT_STDCALL*)(RunData* runData, long param1, long param2);
// An expression routine: (run data, the expression's parameter word); the value, or the bit
// pattern of a float result.
using ExpressionRoutine = long(MOBILANT_STDCALL*)(RunData* runData, long param);
// An entry of the run header's function table: parameter fetching and the like. Its result is a
// pointer-sized word (long on the 32-bit target, as the host declares it), so that a string
// parameter's pointer arrives whole on a 64-bit build too.
using HostCallback = LRESULT(MOBILANT_STDCALL*)(RunData* runData, WPARAM wParam, LPARAM lParam);
// What a surface calls when the device behind it is lost: (that surface, the word given at
// registration).
using LostDeviceCallBack = void(MOBILANT_STDCALL*)(cSurface* surface, LPARAM user);

// The editor's general function (the editor record's mvCallFunction): (edit data, code, three
// words); what it returns depends on the code.
using GeneralEditFunction = LRESULT(MOBILANT_STDCALL*)(void* editData, int code, LPARAM param1,
                                                       LPARAM param2, LPARAM param3);
// The editor's version query: low 12 bits the build, bit 0x8000 a flag, high 16 bits the version.
using EditorVersionQuery = DWORD(MOBILANT_STDCALL*)();
