// The entry points the host's frame editor calls: the object's edit record, its placeholder, its
// menus, texts and titles, and the (empty) property, text and file functions. Exported under
// their plain names by mobilant.def.
//
// `editor` is the editor's record (HostRecords::Editor). Codes, parameter indices and buffer
// sizes are read as 16-bit words: the host passes them in 32-bit slots whose upper half a
// caller need not fill.
#pragma once

#include <windows.h>

#include "HostConventions.h"

extern "C" {

// A newly placed object: the edit record resized to 28 bytes by the editor, then 240 x 320
// written into the block the editor gave back; 0, or -1 when the editor is too old or gave no
// block.
int MOBILANT_STDCALL CreateObject(void* editor, void* levelObject, EditData* editData);
// Draws the placeholder into `rect` on the frame editor window's surface; nothing without it.
void MOBILANT_STDCALL EditorDisplay(void* editor, void* levelObject, void* objectInfo,
                                    EditData* editData, RECT* rect);
// Sets rect's right and bottom from its left and top and the object's size.
void MOBILANT_STDCALL GetObjectRect(void* editor, RECT* rect, void* levelObject,
                                    EditData* editData);
// Stores the size the editor's handles gave, each at least 1; 1.
int MOBILANT_STDCALL SetEditSize(void* editor, EditData* editData, int width, int height);

// A new pop-up menu of the actions (expressions) for the editor, which destroys it; null when
// the editor is too old. There are no conditions: null.
HMENU MOBILANT_STDCALL GetConditionMenu(void* editor, void* objectInfo, EditData* editData);
HMENU MOBILANT_STDCALL GetActionMenu(void* editor, void* objectInfo, EditData* editData);
HMENU MOBILANT_STDCALL GetExpressionMenu(void* editor, void* objectInfo, EditData* editData);

// The code of the action (expression) with menu command `menuId`; -1 when none has it.
int MOBILANT_STDCALL GetConditionCodeFromMenu(void* editor, short menuId);
int MOBILANT_STDCALL GetActionCodeFromMenu(void* editor, short menuId);
int MOBILANT_STDCALL GetExpressionCodeFromMenu(void* editor, short menuId);

// The information record of `code` from its code word on; null for an unknown code.
const void* MOBILANT_STDCALL GetConditionInfos(void* editor, short code);
const void* MOBILANT_STDCALL GetActionInfos(void* editor, short code);
const void* MOBILANT_STDCALL GetExpressionInfos(void* editor, short code);

// The display string of an action, or the name of an expression, into `buffer` of `size`
// characters; empty for an unknown code or a too old editor.
void MOBILANT_STDCALL GetConditionString(void* editor, short code, LPWSTR buffer, short size);
void MOBILANT_STDCALL GetActionString(void* editor, short code, LPWSTR buffer, short size);
void MOBILANT_STDCALL GetExpressionString(void* editor, short code, LPWSTR buffer, short size);

// An action parameter's title, or the action's menu label when the parameter has none; empty
// for an unknown code or parameter.
void MOBILANT_STDCALL GetActionTitle(void* editor, short code, short parameter, LPWSTR buffer,
                                     short size);
// An expression's title (its menu label); empty for an unknown code.
void MOBILANT_STDCALL GetExpressionTitle(void* editor, short code, LPWSTR buffer, short size);
// An expression parameter's title; empty, since they have none.
void MOBILANT_STDCALL GetExpressionParam(void* editor, short code, short parameter,
                                         LPWSTR buffer, short size);

// The object's name, author, notice, comment (1024 characters) and web address (255 each).
void MOBILANT_STDCALL GetObjInfos(void* editor, EditData* editData, LPWSTR name, LPWSTR author,
                                  LPWSTR notice, LPWSTR comment, LPWSTR webAddress);
// The help file's name.
LPCWSTR MOBILANT_STDCALL GetHelpFileName();
// No dependent files: null.
const LPCWSTR* MOBILANT_STDCALL GetDependencies(void* editor, EditData* editData);

// Properties: the object has none. GetProperties inserts an empty table; 1.
BOOL MOBILANT_STDCALL GetProperties(void* editor, EditData* editData, BOOL master);
void MOBILANT_STDCALL ReleaseProperties(void* editor, EditData* editData, BOOL master);
BOOL MOBILANT_STDCALL IsPropEnabled(void* editor, EditData* editData, UINT property);
void* MOBILANT_STDCALL GetPropValue(void* editor, EditData* editData, UINT property);
void MOBILANT_STDCALL SetPropValue(void* editor, EditData* editData, UINT property, void* value);
BOOL MOBILANT_STDCALL GetPropCheck(void* editor, EditData* editData, UINT property);
void MOBILANT_STDCALL SetPropCheck(void* editor, EditData* editData, UINT property, BOOL check);
LPARAM MOBILANT_STDCALL GetPropCreateParam(void* editor, EditData* editData, UINT property);
void MOBILANT_STDCALL ReleasePropCreateParam(void* editor, EditData* editData, UINT property,
                                             LPARAM param);
BOOL MOBILANT_STDCALL EditProp(void* editor, EditData* editData, UINT property);

// Text properties: none kept.
BOOL MOBILANT_STDCALL GetTextFont(void* editor, EditData* editData, LOGFONTW* font,
                                  LPWSTR style, UINT styleSize);
BOOL MOBILANT_STDCALL SetTextFont(void* editor, EditData* editData, LOGFONTW* font,
                                  LPCWSTR style);
DWORD MOBILANT_STDCALL GetTextCaps(void* editor, EditData* editData);
COLORREF MOBILANT_STDCALL GetTextClr(void* editor, EditData* editData);
void MOBILANT_STDCALL SetTextClr(void* editor, EditData* editData, COLORREF colour);
DWORD MOBILANT_STDCALL GetTextAlignment(void* editor, EditData* editData);
void MOBILANT_STDCALL SetTextAlignment(void* editor, EditData* editData, DWORD alignment);

// Setup, files and placement: nothing to do.
BOOL MOBILANT_STDCALL EditObject(void* editor, void* objectInfo, void* levelObject,
                                 EditData* editData);
BOOL MOBILANT_STDCALL IsTransparent(void* editor, void* levelObject, LONG x, LONG y);
BOOL MOBILANT_STDCALL UsesFile(void* editor, LPWSTR fileName);
void MOBILANT_STDCALL CreateFromFile(void* editor, LPWSTR fileName, EditData* editData);
int MOBILANT_STDCALL LoadObject(void* editor, LPCWSTR fileName, EditData* editData,
                                int reserved);
void MOBILANT_STDCALL UnloadObject(void* editor, EditData* editData, int reserved);
void* MOBILANT_STDCALL UpdateEditStructure(void* editor, void* oldEditData);
void MOBILANT_STDCALL UpdateFileNames(void* editor, LPWSTR applicationName, EditData* editData,
                                      void* update);
void MOBILANT_STDCALL PutObject(void* editor, void* levelObject, EditData* editData,
                                unsigned short count);
void MOBILANT_STDCALL RemoveObject(void* editor, void* levelObject, EditData* editData,
                                   unsigned short count);
void MOBILANT_STDCALL DuplicateObject(void* editor, void* objectInfo, EditData* editData);
void MOBILANT_STDCALL PrepareToWriteObject(void* editor, EditData* editData, void* objectInfo);
BOOL MOBILANT_STDCALL GetFilters(void* editor, EditData* editData, DWORD flags,
                                 void* reserved);

// Parameters of our own kind: the object has none.
void MOBILANT_STDCALL EditParameter(void* editor, short code, void* parameters);
void MOBILANT_STDCALL InitParameter(void* editor, short code, void* parameters);
void MOBILANT_STDCALL GetParameterString(void* editor, short code, void* parameters,
                                         LPWSTR buffer, short size);

}  // extern "C"
