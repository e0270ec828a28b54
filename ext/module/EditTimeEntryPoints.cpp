#include "EditTimeEntryPoints.h"

#include <cstdint>
#include <type_traits>

#include "EditorLookup.h"
#include "EditorPlaceholder.h"
#include "HostRecords.h"
#include "MenuCopy.h"
#include "ModuleInstance.h"
#include "PlacedObject.h"
#include "ResourceTable.h"
#include "RoutineTable.h"
#include "X87ControlGuard.h"
#include "cSurface.h"

namespace {

namespace Editor = HostRecords::Editor;

// Runs an entry point's body with the x87 unit in its default state; nothing it throws reaches
// the editor, which gets `fallback` instead.
template <class Body, class Result = std::invoke_result_t<Body>>
Result Guarded(Body&& body, Result fallback = Result()) noexcept {
    const X87ControlGuard x87;
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <class Body>
void GuardedVoid(Body&& body) noexcept {
    const X87ControlGuard x87;
    try {
        body();
    } catch (...) {
    }
}

bool EditorVersionSupported(const void* editor) {
    if (editor == nullptr) return false;
    const EditorVersionQuery query = Editor::GetVersion::Get(editor);
    return query != nullptr && IsSupportedEditorVersion(query());
}

// An empty string in `buffer` of `size` characters, when there is room for one.
void ClearText(LPWSTR buffer, int size) {
    if (buffer != nullptr && size > 0) buffer[0] = L'\0';
}

// String `id` of the module into `buffer`. LoadStringW is never given size 0, with which it
// would store a pointer to the resource into the buffer instead of the text.
void LoadText(std::uint16_t id, LPWSTR buffer, int size) {
    if (buffer == nullptr || size <= 0) return;
    buffer[0] = L'\0';
    if (id != 0) LoadStringW(ModuleInstance(), id, buffer, size);
}

// The text of command `id` in menu resource `menuResource`.
void LoadMenuLabel(std::uint16_t menuResource, std::uint16_t id, LPWSTR buffer, int size) {
    if (buffer == nullptr || size <= 0) return;
    buffer[0] = L'\0';
    const HMENU menu = LoadMenuW(ModuleInstance(), MAKEINTRESOURCEW(menuResource));
    if (menu == nullptr) return;
    GetMenuStringW(menu, id, buffer, size, MF_BYCOMMAND);
    DestroyMenu(menu);
}

void LoadTitle(const TitleSource& source, std::uint16_t menuResource, LPWSTR buffer, int size) {
    switch (source.kind) {
        case TitleSource::Kind::String: LoadText(source.id, buffer, size); return;
        case TitleSource::Kind::MenuLabel: LoadMenuLabel(menuResource, source.id, buffer, size); return;
        case TitleSource::Kind::Empty: ClearText(buffer, size); return;
    }
}

// A copy of the first pop-up of menu resource `menuResource`, for the editor to keep.
HMENU CopyMenuResource(std::uint16_t menuResource) {
    const HMENU menu = LoadMenuW(ModuleInstance(), MAKEINTRESOURCEW(menuResource));
    if (menu == nullptr) return nullptr;
    const HMENU copy = CopyPopupMenu(GetSubMenu(menu, 0));
    DestroyMenu(menu);
    return copy;
}

// The property table: no properties, only the end marker (a zeroed entry).
alignas(8) const unsigned char kEmptyPropertyTable[HostRecords::Stretched(
    Editor::kPropertyEntrySize32)] = {};

}  // namespace

extern "C" {

int MOBILANT_STDCALL CreateObject(void* editor, void*, EditData* editData) {
    return Guarded([&] {
        if (!EditorVersionSupported(editor)) return -1;
        return NewPlacedObject(Editor::CallFunction::Get(editor), editData) != nullptr ? 0 : -1;
    }, -1);
}

void MOBILANT_STDCALL EditorDisplay(void* editor, void*, void*, EditData*, RECT* rect) {
    GuardedVoid([&] {
        if (editor == nullptr || rect == nullptr) return;
        const auto window = reinterpret_cast<std::intptr_t>(Editor::EditorWindow::Get(editor));
        cSurface* surface = WinGetSurface(static_cast<int>(window), 0);
        if (surface != nullptr) DrawEditorPlaceholder(*surface, *rect);
    });
}

void MOBILANT_STDCALL GetObjectRect(void*, RECT* rect, void*, EditData* editData) {
    GuardedVoid([&] {
        if (rect == nullptr || editData == nullptr) return;
        *rect = PlacedObjectRect(rect->left, rect->top, editData);
    });
}

int MOBILANT_STDCALL SetEditSize(void*, EditData* editData, int width, int height) {
    return Guarded([&] {
        if (editData != nullptr) SetPlacedObjectSize(editData, width, height);
        return 1;
    }, 1);
}

HMENU MOBILANT_STDCALL GetConditionMenu(void*, void*, EditData*) {
    return nullptr;
}

HMENU MOBILANT_STDCALL GetActionMenu(void* editor, void*, EditData*) {
    return Guarded([&]() -> HMENU {
        return EditorVersionSupported(editor) ? CopyMenuResource(kActionMenuResource) : nullptr;
    });
}

HMENU MOBILANT_STDCALL GetExpressionMenu(void* editor, void*, EditData*) {
    return Guarded([&]() -> HMENU {
        return EditorVersionSupported(editor) ? CopyMenuResource(kExpressionMenuResource)
                                              : nullptr;
    });
}

int MOBILANT_STDCALL GetConditionCodeFromMenu(void*, short) {
    return -1;
}

int MOBILANT_STDCALL GetActionCodeFromMenu(void*, short menuId) {
    return Guarded([&] {
        return CodeFromMenuId(ActionInfoRecords(), ActionInfoWords(),
                              static_cast<std::uint16_t>(menuId));
    }, -1);
}

int MOBILANT_STDCALL GetExpressionCodeFromMenu(void*, short menuId) {
    return Guarded([&] {
        return CodeFromMenuId(ExpressionInfoRecords(), ExpressionInfoWords(),
                              static_cast<std::uint16_t>(menuId));
    }, -1);
}

const void* MOBILANT_STDCALL GetConditionInfos(void*, short) {
    return nullptr;
}

const void* MOBILANT_STDCALL GetActionInfos(void*, short code) {
    return Guarded([&]() -> const void* { return ActionInfoFromCode(code); });
}

const void* MOBILANT_STDCALL GetExpressionInfos(void*, short code) {
    return Guarded([&]() -> const void* { return ExpressionInfoFromCode(code); });
}

void MOBILANT_STDCALL GetConditionString(void*, short, LPWSTR buffer, short size) {
    GuardedVoid([&] { ClearText(buffer, size); });
}

void MOBILANT_STDCALL GetActionString(void* editor, short code, LPWSTR buffer, short size) {
    GuardedVoid([&] {
        ClearText(buffer, size);
        if (EditorVersionSupported(editor)) LoadText(ActionStringId(code), buffer, size);
    });
}

void MOBILANT_STDCALL GetExpressionString(void* editor, short code, LPWSTR buffer, short size) {
    GuardedVoid([&] {
        ClearText(buffer, size);
        if (EditorVersionSupported(editor)) LoadText(ExpressionStringId(code), buffer, size);
    });
}

void MOBILANT_STDCALL GetActionTitle(void*, short code, short parameter, LPWSTR buffer,
                                     short size) {
    GuardedVoid([&] {
        ClearText(buffer, size);
        LoadTitle(ActionTitleSource(code, parameter), kActionMenuResource, buffer, size);
    });
}

void MOBILANT_STDCALL GetExpressionTitle(void*, short code, LPWSTR buffer, short size) {
    GuardedVoid([&] {
        ClearText(buffer, size);
        LoadTitle(ExpressionTitleSource(code), kExpressionMenuResource, buffer, size);
    });
}

void MOBILANT_STDCALL GetExpressionParam(void*, short code, short parameter, LPWSTR buffer,
                                         short size) {
    GuardedVoid([&] {
        ClearText(buffer, size);
        LoadTitle(ExpressionParameterSource(code, parameter), kExpressionMenuResource, buffer,
                  size);
    });
}

void MOBILANT_STDCALL GetObjInfos(void*, EditData*, LPWSTR name, LPWSTR author, LPWSTR notice,
                                  LPWSTR comment, LPWSTR webAddress) {
    GuardedVoid([&] {
        constexpr int kLine = 255;
        constexpr int kComment = 1024;
        LoadText(kObjectNameString, name, kLine);
        LoadText(kAuthorString, author, kLine);
        LoadText(kNoticeString, notice, kLine);
        LoadText(kCommentString, comment, kComment);
        LoadText(kWebAddressString, webAddress, kLine);
    });
}

LPCWSTR MOBILANT_STDCALL GetHelpFileName() {
    return L"Help\\MyExt.chm";
}

const LPCWSTR* MOBILANT_STDCALL GetDependencies(void*, EditData*) {
    return nullptr;
}

BOOL MOBILANT_STDCALL GetProperties(void* editor, EditData* editData, BOOL) {
    return Guarded([&] {
        const GeneralEditFunction call =
            editor != nullptr ? Editor::CallFunction::Get(editor) : nullptr;
        if (call != nullptr)
            call(editData, Editor::kInsertProperties,
                 reinterpret_cast<LPARAM>(kEmptyPropertyTable), 1, 1);
        return TRUE;
    }, TRUE);
}

void MOBILANT_STDCALL ReleaseProperties(void*, EditData*, BOOL) {}

BOOL MOBILANT_STDCALL IsPropEnabled(void*, EditData*, UINT) {
    return TRUE;
}

void* MOBILANT_STDCALL GetPropValue(void*, EditData*, UINT) {
    return nullptr;
}

void MOBILANT_STDCALL SetPropValue(void*, EditData*, UINT, void*) {}

BOOL MOBILANT_STDCALL GetPropCheck(void*, EditData*, UINT) {
    return FALSE;
}

void MOBILANT_STDCALL SetPropCheck(void*, EditData*, UINT, BOOL) {}

LPARAM MOBILANT_STDCALL GetPropCreateParam(void*, EditData*, UINT) {
    return 0;
}

void MOBILANT_STDCALL ReleasePropCreateParam(void*, EditData*, UINT, LPARAM) {}

BOOL MOBILANT_STDCALL EditProp(void*, EditData*, UINT) {
    return FALSE;
}

BOOL MOBILANT_STDCALL GetTextFont(void*, EditData*, LOGFONTW*, LPWSTR, UINT) {
    return TRUE;
}

BOOL MOBILANT_STDCALL SetTextFont(void*, EditData*, LOGFONTW*, LPCWSTR) {
    return TRUE;
}

DWORD MOBILANT_STDCALL GetTextCaps(void*, EditData*) {
    return 0;
}

COLORREF MOBILANT_STDCALL GetTextClr(void*, EditData*) {
    return 0;
}

void MOBILANT_STDCALL SetTextClr(void*, EditData*, COLORREF) {}

DWORD MOBILANT_STDCALL GetTextAlignment(void*, EditData*) {
    return 0;
}

void MOBILANT_STDCALL SetTextAlignment(void*, EditData*, DWORD) {}

BOOL MOBILANT_STDCALL EditObject(void*, void*, void*, EditData*) {
    return FALSE;
}

BOOL MOBILANT_STDCALL IsTransparent(void*, void*, LONG, LONG) {
    return FALSE;
}

BOOL MOBILANT_STDCALL UsesFile(void*, LPWSTR) {
    return FALSE;
}

void MOBILANT_STDCALL CreateFromFile(void*, LPWSTR, EditData*) {}

int MOBILANT_STDCALL LoadObject(void*, LPCWSTR, EditData*, int) {
    return 0;
}

void MOBILANT_STDCALL UnloadObject(void*, EditData*, int) {}

void* MOBILANT_STDCALL UpdateEditStructure(void*, void*) {
    return nullptr;
}

void MOBILANT_STDCALL UpdateFileNames(void*, LPWSTR, EditData*, void*) {}

void MOBILANT_STDCALL PutObject(void*, void*, EditData*, unsigned short) {}

void MOBILANT_STDCALL RemoveObject(void*, void*, EditData*, unsigned short) {}

void MOBILANT_STDCALL DuplicateObject(void*, void*, EditData*) {}

void MOBILANT_STDCALL PrepareToWriteObject(void*, EditData*, void*) {}

BOOL MOBILANT_STDCALL GetFilters(void*, EditData*, DWORD, void*) {
    return FALSE;
}

void MOBILANT_STDCALL EditParameter(void*, short, void*) {}

void MOBILANT_STDCALL InitParameter(void*, short, void*) {}

void MOBILANT_STDCALL GetParameterString(void*, short, void*, LPWSTR, short) {}

}  // extern "C"
