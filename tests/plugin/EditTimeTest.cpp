// The edit-time entry points of the built plug-in, found by name as the editor finds them and
// called through the DLL boundary against the real USER32 and GDI32, with an editor of ours that
// moves the edit record when it resizes it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "EditTimeEntryPoints.h"
#include "HostRecords.h"
#include "MenuCopy.h"
#include "PluginTestSupport.h"
#include "ResourceTable.h"

namespace {

namespace Editor = HostRecords::Editor;

// The editor's version words: build 249 of version 0x0200 is the oldest the object takes.
constexpr DWORD kSupportedVersion = 0x020000F9;

// An editor of ours: its record, its version query and a general function whose resize gives
// a new block every time (as an editor that moves the record does) and keeps the calls it saw.
class FakeEditor {
public:
    struct Call {
        void* editData;
        int code;
        LPARAM params[3];
    };

    FakeEditor() : record_(Editor::kSize, 0) {
        current_ = this;
        Editor::CallFunction::Set(record_.data(), &CallFunction);
        Editor::GetVersion::Set(record_.data(), &Version);
        Editor::EditorWindow::Set(record_.data(), reinterpret_cast<void*>(std::intptr_t{7}));
    }
    ~FakeEditor() { current_ = nullptr; }
    FakeEditor(const FakeEditor&) = delete;
    FakeEditor& operator=(const FakeEditor&) = delete;

    void* record() { return record_.data(); }
    void SetVersion(DWORD version) { version_ = version; }
    void RefuseResize() { refuseResize_ = true; }
    void DropVersionQuery() { Editor::GetVersion::Set(record_.data(), nullptr); }
    const std::vector<Call>& calls() const { return calls_; }
    const std::vector<unsigned char>& block(std::size_t i) const { return *blocks_.at(i); }
    std::size_t blocks() const { return blocks_.size(); }

private:
    static LRESULT MOBILANT_STDCALL CallFunction(void* editData, int code, LPARAM a, LPARAM b,
                                                 LPARAM c) {
        FakeEditor& self = *current_;
        self.calls_.push_back({editData, code, {a, b, c}});
        if (code != Editor::kReallocEditData || self.refuseResize_) return 0;
        // A new block, the old header copied into it, the rest marked.
        auto block = std::make_unique<std::vector<unsigned char>>(static_cast<std::size_t>(b), 0xEE);
        std::memcpy(block->data(), editData, HostRecords::EditRecord::kHeaderSize);
        self.blocks_.push_back(std::move(block));
        return reinterpret_cast<LRESULT>(self.blocks_.back()->data());
    }
    static DWORD MOBILANT_STDCALL Version() { return current_->version_; }

    static FakeEditor* current_;
    std::vector<unsigned char> record_;
    DWORD version_ = kSupportedVersion;
    bool refuseResize_ = false;
    std::vector<Call> calls_;
    std::vector<std::unique_ptr<std::vector<unsigned char>>> blocks_;
};

FakeEditor* FakeEditor::current_ = nullptr;

class EditTime : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryW(BesideThisProgram(L"mobilant.mfx").c_str());
    }
    static void TearDownTestSuite() {
        if (module_ != nullptr) FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "mobilant.mfx beside the test"; }

    // The entry point exported as `name`, of type Function.
    template <class Function>
    static Function* Entry(const char* name) {
        auto* found = reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static std::wstring Text(void (MOBILANT_STDCALL* get)(void*, short, LPWSTR, short), void* editor,
                             short code) {
        wchar_t buffer[256];
        std::wmemset(buffer, L'#', 256);
        get(editor, code, buffer, 256);
        return buffer;
    }

    static HMODULE module_;
    FakeEditor editor_;
};

HMODULE EditTime::module_ = nullptr;

// The entry point `name` of the module, typed as EditTimeEntryPoints.h declares it.
#define ENTRY(name) Entry<decltype(::name)>(#name)

TEST_F(EditTime, EntryPointsAreExportedUnderTheirNamesAtTheTemplateOrdinals) {
    const struct {
        const char* name;
        int ordinal;
    } expected[] = {{"CreateObject", 14}, {"GetObjectRect", 19}, {"EditorDisplay", 20},
                    {"GetActionMenu", 61}, {"GetActionCodeFromMenu", 64},
                    {"GetExpressionCodeFromMenu", 65}, {"SetEditSize", 99},
                    {"GetProperties", 100}, {"EditProp", 109},
                    // and the run-time ones the game maker calls
                    {"GetInfos", 2}, {"CreateRunObject", 50}, {"DisplayRunObject", 53},
                    {"GetRunObjectInfos", 59}, {"GetRunObjectDataSize", 80}, {"EndApp", 86},
                    {"LoadRunObject", 114}};
    for (const auto& [name, ordinal] : expected) {
        const FARPROC byName = GetProcAddress(module_, name);
        EXPECT_NE(byName, nullptr) << name;
        EXPECT_EQ(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal)), byName) << name;
    }
}

TEST_F(EditTime, NewObjectIs240By320InTheBlockTheEditorMovedItTo) {
    // The record as the editor first hands it over: the header only, guarded behind.
    std::vector<unsigned char> original(64, 0xAB);
    HostRecords::EditRecord::HeaderSize::Set(original.data(), 20);
    auto* editData = reinterpret_cast<EditData*>(original.data());

    EXPECT_EQ(ENTRY(CreateObject)(editor_.record(), nullptr, editData), 0);

    // Resized to 28 bytes first, then written where the editor put it.
    ASSERT_EQ(editor_.calls().size(), 1u);
    EXPECT_EQ(editor_.calls()[0].editData, editData);
    EXPECT_EQ(editor_.calls()[0].code, 5);
    EXPECT_EQ(editor_.calls()[0].params[0], reinterpret_cast<LPARAM>(editData));
    EXPECT_EQ(editor_.calls()[0].params[1], 28);
    EXPECT_EQ(editor_.calls()[0].params[2], 0);
    ASSERT_EQ(editor_.blocks(), 1u);
    const std::vector<unsigned char>& moved = editor_.block(0);
    ASSERT_EQ(moved.size(), 28u);
    EXPECT_EQ(HostRecords::EditRecord::Width::Get(moved.data()), 240);
    EXPECT_EQ(HostRecords::EditRecord::Height::Get(moved.data()), 320);
    // Nothing written past the header of the old block.
    for (std::size_t i = 20; i < original.size(); ++i) ASSERT_EQ(original[i], 0xAB) << i;

    RECT rect = {100, 50, 0, 0};
    ENTRY(GetObjectRect)(editor_.record(), &rect, nullptr,
                         reinterpret_cast<EditData*>(const_cast<unsigned char*>(moved.data())));
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right, 340);
    EXPECT_EQ(rect.bottom, 370);
}

TEST_F(EditTime, CreateObjectFailsWhenTheEditorGivesNoBlock) {
    std::vector<unsigned char> original(28, 0xAB);
    editor_.RefuseResize();
    EXPECT_EQ(ENTRY(CreateObject)(editor_.record(), nullptr,
                                  reinterpret_cast<EditData*>(original.data())),
              -1);
    EXPECT_EQ(original, std::vector<unsigned char>(28, 0xAB));
}

TEST_F(EditTime, EditSizeIsAtLeastOnePixel) {
    std::vector<unsigned char> record(28, 0);
    auto* editData = reinterpret_cast<EditData*>(record.data());
    EXPECT_EQ(ENTRY(SetEditSize)(editor_.record(), editData, 300, 200), 1);
    EXPECT_EQ(HostRecords::EditRecord::Width::Get(record.data()), 300);
    EXPECT_EQ(HostRecords::EditRecord::Height::Get(record.data()), 200);
    EXPECT_EQ(ENTRY(SetEditSize)(editor_.record(), editData, 0, -5), 1);
    EXPECT_EQ(HostRecords::EditRecord::Width::Get(record.data()), 1);
    EXPECT_EQ(HostRecords::EditRecord::Height::Get(record.data()), 1);
}

TEST_F(EditTime, TooOldOrFlaggedEditorsAreRefused) {
    std::vector<unsigned char> original(28, 0);
    auto* editData = reinterpret_cast<EditData*>(original.data());
    const auto create = ENTRY(CreateObject);
    const auto actionMenu = ENTRY(GetActionMenu);
    const auto expressionMenu = ENTRY(GetExpressionMenu);
    const auto actionString = ENTRY(GetActionString);
    for (const DWORD refused : {DWORD{0x020000F8},    // build 248
                                DWORD{0x01FF00F9},    // version 0x01FF
                                DWORD{0x020080F9}}) {  // flag 0x8000
        SCOPED_TRACE(refused);
        editor_.SetVersion(refused);
        EXPECT_EQ(create(editor_.record(), nullptr, editData), -1);
        EXPECT_EQ(actionMenu(editor_.record(), nullptr, editData), nullptr);
        EXPECT_EQ(expressionMenu(editor_.record(), nullptr, editData), nullptr);
        EXPECT_EQ(Text(actionString, editor_.record(), 0), L"");
    }
    EXPECT_TRUE(editor_.calls().empty());  // nothing asked of a refused editor

    editor_.SetVersion(kSupportedVersion);
    EXPECT_EQ(Text(actionString, editor_.record(), 0), L"LoadTexturePool:(%0,%1)");
    editor_.DropVersionQuery();
    EXPECT_EQ(Text(actionString, editor_.record(), 0), L"");
}

TEST_F(EditTime, MenuCommandsGiveTheirRoutineCodes) {
    const auto action = ENTRY(GetActionCodeFromMenu);
    const auto expression = ENTRY(GetExpressionCodeFromMenu);
    const auto condition = ENTRY(GetConditionCodeFromMenu);
    EXPECT_EQ(action(editor_.record(), 25018), 18);
    EXPECT_EQ(action(editor_.record(), 25000), 0);
    EXPECT_EQ(action(editor_.record(), 25023), 23);
    EXPECT_EQ(expression(editor_.record(), 27009), 9);
    EXPECT_EQ(expression(editor_.record(), 27000), 0);
    for (const short unknown : {short{25024}, short{24999}, short{27009}, short{0},
                                short{-1}, short{20000}})
        EXPECT_EQ(action(editor_.record(), unknown), -1) << unknown;
    // Expressions 5 and 6 have no menu entry; 27010 is past the last.
    for (const short unknown : {short{27005}, short{27006}, short{27010}, short{25009}, short{0}})
        EXPECT_EQ(expression(editor_.record(), unknown), -1) << unknown;
    EXPECT_EQ(condition(editor_.record(), 25018), -1);
}

// Compares two menus item by item, sub-menus included.
void ExpectSameMenu(HMENU got, HMENU want, const std::string& where) {
    ASSERT_NE(got, nullptr) << where;
    ASSERT_NE(want, nullptr) << where;
    ASSERT_EQ(GetMenuItemCount(got), GetMenuItemCount(want)) << where;
    for (int i = 0; i < GetMenuItemCount(want); ++i) {
        const std::string here = where + "/" + std::to_string(i);
        EXPECT_EQ(GetMenuItemID(got, i), GetMenuItemID(want, i)) << here;
        EXPECT_EQ(GetMenuState(got, static_cast<UINT>(i), MF_BYPOSITION) & 0xFF,
                  GetMenuState(want, static_cast<UINT>(i), MF_BYPOSITION) & 0xFF)
            << here;
        wchar_t a[128] = {}, b[128] = {};
        GetMenuStringW(got, static_cast<UINT>(i), a, 128, MF_BYPOSITION);
        GetMenuStringW(want, static_cast<UINT>(i), b, 128, MF_BYPOSITION);
        EXPECT_STREQ(a, b) << here;
        if (GetMenuItemID(want, i) == 0xFFFFFFFFu)
            ExpectSameMenu(GetSubMenu(got, i), GetSubMenu(want, i), here);
    }
}

TEST_F(EditTime, MenusForTheEditorAreCopiesOfTheResources) {
    for (const auto& [get, resource] :
         {std::pair{ENTRY(GetActionMenu), kActionMenuResource},
          std::pair{ENTRY(GetExpressionMenu), kExpressionMenuResource}}) {
        SCOPED_TRACE(resource);
        const HMENU copy = get(editor_.record(), nullptr, nullptr);
        const HMENU loaded = LoadMenuW(module_, MAKEINTRESOURCEW(resource));
        ExpectSameMenu(copy, GetSubMenu(loaded, 0), std::to_string(resource));
        // The editor owns the copy: it is a pop-up of its own.
        EXPECT_NE(copy, GetSubMenu(loaded, 0));
        DestroyMenu(loaded);
        EXPECT_TRUE(IsMenu(copy));
        DestroyMenu(copy);
    }
    EXPECT_EQ(ENTRY(GetConditionMenu)(editor_.record(), nullptr, nullptr), nullptr);
}

TEST_F(EditTime, MenuCopyKeepsStatesCutsLongTextsAndLeavesNothingOnFailure) {
    const HMENU source = CreatePopupMenu();
    const std::wstring longText(100, L'x');
    AppendMenuW(source, MF_STRING | MF_GRAYED, 101, L"grayed");
    AppendMenuW(source, MF_STRING | MF_CHECKED, 102, L"checked");
    AppendMenuW(source, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(source, MF_STRING, 103, longText.c_str());
    const HMENU copy = CopyPopupMenu(source);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(GetMenuItemCount(copy), 4);
    EXPECT_NE(GetMenuState(copy, 0, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_NE(GetMenuState(copy, 1, MF_BYPOSITION) & MF_CHECKED, 0u);
    EXPECT_EQ(GetMenuItemID(copy, 2), 0u);
    wchar_t text[128] = {};
    GetMenuStringW(copy, 3, text, 128, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), std::wstring(80, L'x'));
    DestroyMenu(copy);

    // Sub-menus nested deeper than any of ours: refused whole.
    HMENU inner = CreatePopupMenu();
    AppendMenuW(inner, MF_STRING, 1, L"leaf");
    for (int depth = 0; depth < 12; ++depth) {
        const HMENU outer = CreatePopupMenu();
        AppendMenuW(outer, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), L"deeper");
        inner = outer;
    }
    EXPECT_EQ(CopyPopupMenu(inner), nullptr);
    DestroyMenu(inner);
    DestroyMenu(source);
}

TEST_F(EditTime, StringsAndTitlesComeFromTheResources) {
    void* editor = editor_.record();
    EXPECT_EQ(Text(ENTRY(GetActionString), editor, 18), L"SetAnimetionTime:(%0)");
    EXPECT_EQ(Text(ENTRY(GetActionString), editor, 24), L"");
    EXPECT_EQ(Text(ENTRY(GetExpressionString), editor, 7), L"getAnimetionTime(");
    EXPECT_EQ(Text(ENTRY(GetExpressionString), editor, 5), L"");
    EXPECT_EQ(Text(ENTRY(GetConditionString), editor, 0), L"");

    const auto actionTitle = ENTRY(GetActionTitle);
    const auto title = [&](short code, short parameter) {
        wchar_t buffer[256];
        std::wmemset(buffer, L'#', 256);
        actionTitle(editor, code, parameter, buffer, 256);
        return std::wstring(buffer);
    };
    EXPECT_EQ(title(17, 0), L"scale raito(default 1.0)");
    EXPECT_EQ(title(23, 3), L"target_y");
    EXPECT_EQ(title(23, 4), L"");  // past the record's parameters
    EXPECT_EQ(title(4, 0), L"");   // ReleaseAllPool has none
    EXPECT_EQ(title(99, 0), L"");
    EXPECT_EQ(title(0, -1), L"");

    // Expressions: their menu label, with or without parameters; none without a menu entry.
    EXPECT_EQ(Text(ENTRY(GetExpressionTitle), editor, 3), L"getBoxPoint_X");
    EXPECT_EQ(Text(ENTRY(GetExpressionTitle), editor, 0), L"getScaleX");
    EXPECT_EQ(Text(ENTRY(GetExpressionTitle), editor, 9), L"hitTestBoundingBox");
    EXPECT_EQ(Text(ENTRY(GetExpressionTitle), editor, 5), L"");
    EXPECT_EQ(Text(ENTRY(GetExpressionTitle), editor, 10), L"");

    wchar_t parameter[16];
    std::wmemset(parameter, L'#', 16);
    ENTRY(GetExpressionParam)(editor, 8, 1, parameter, 16);
    EXPECT_EQ(std::wstring(parameter), L"");
}

TEST_F(EditTime, TextsFitTheBufferAndAnEmptyBufferIsLeftAlone) {
    const auto get = ENTRY(GetActionString);
    wchar_t buffer[8];
    std::wmemset(buffer, L'#', 8);
    get(editor_.record(), 18, buffer, 5);
    EXPECT_EQ(std::wstring(buffer), L"SetA");
    std::wmemset(buffer, L'#', 8);
    get(editor_.record(), 18, buffer, 0);
    EXPECT_EQ(std::wstring(buffer, 8), std::wstring(8, L'#'));
    get(editor_.record(), 18, buffer, 1);
    EXPECT_EQ(buffer[0], L'\0');
    get(editor_.record(), 18, nullptr, 10);  // no buffer: nothing
}

TEST_F(EditTime, InformationRecordsStartAtTheirCodeWord) {
    const auto* record = static_cast<const std::uint16_t*>(ENTRY(GetActionInfos)(editor_.record(), 3));
    ASSERT_NE(record, nullptr);
    // code 3, flags 0, one numeric parameter titled "mobilant pool_id" (5506).
    EXPECT_EQ(record[0], 3);
    EXPECT_EQ(record[1], 0);
    EXPECT_EQ(record[2], 1);
    EXPECT_EQ(record[3], 22);
    EXPECT_EQ(record[4], 5506);
    const auto* hit = static_cast<const std::uint16_t*>(ENTRY(GetExpressionInfos)(editor_.record(), 8));
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit[0], 8);
    EXPECT_EQ(hit[2], 2);
    EXPECT_EQ(hit[3], 1);
    EXPECT_EQ(ENTRY(GetActionInfos)(editor_.record(), 24), nullptr);
    EXPECT_EQ(ENTRY(GetExpressionInfos)(editor_.record(), -1), nullptr);
    EXPECT_EQ(ENTRY(GetConditionInfos)(editor_.record(), 0), nullptr);
}

TEST_F(EditTime, ObjectInformationAndProperties) {
    wchar_t name[255], author[255], notice[255], comment[1024], web[255];
    ENTRY(GetObjInfos)(editor_.record(), nullptr, name, author, notice, comment, web);
    EXPECT_STREQ(name, L"Mobilant Animation Extension");
    EXPECT_STREQ(comment, L"Build[20190104] Mobilant Animation Extension");
    EXPECT_NE(author[0], L'\0');
    EXPECT_NE(notice[0], L'\0');
    EXPECT_NE(web[0], L'\0');
    EXPECT_STREQ(ENTRY(GetHelpFileName)(), L"Help\\MyExt.chm");
    EXPECT_EQ(ENTRY(GetDependencies)(editor_.record(), nullptr), nullptr);

    std::vector<unsigned char> record(28, 0);
    auto* editData = reinterpret_cast<EditData*>(record.data());
    EXPECT_EQ(ENTRY(GetProperties)(editor_.record(), editData, TRUE), TRUE);
    ASSERT_EQ(editor_.calls().size(), 1u);
    const FakeEditor::Call& insert = editor_.calls()[0];
    EXPECT_EQ(insert.editData, editData);
    EXPECT_EQ(insert.code, 1);
    EXPECT_EQ(insert.params[1], 1);
    EXPECT_EQ(insert.params[2], 1);
    // The table holds only its end marker.
    const auto* table = reinterpret_cast<const unsigned char*>(insert.params[0]);
    ASSERT_NE(table, nullptr);
    for (std::size_t i = 0; i < HostRecords::Stretched(Editor::kPropertyEntrySize32); ++i)
        EXPECT_EQ(table[i], 0) << i;
    EXPECT_EQ(ENTRY(IsPropEnabled)(editor_.record(), editData, 0), TRUE);
    EXPECT_EQ(ENTRY(GetTextFont)(editor_.record(), editData, nullptr, nullptr, 0), TRUE);
    EXPECT_EQ(ENTRY(SetTextFont)(editor_.record(), editData, nullptr, nullptr), TRUE);
    EXPECT_EQ(ENTRY(EditObject)(editor_.record(), nullptr, nullptr, editData), FALSE);
    EXPECT_EQ(ENTRY(LoadObject)(editor_.record(), nullptr, editData, 0), 0);
}

TEST_F(EditTime, EditorDisplayDrawsThePlaceholderThroughTheSurfaceServices) {
    const StandInHostApi* api = StandInApi();
    ASSERT_NE(api, nullptr) << "the stand-in MMFS2.dll beside the test";
    StandInOptions options;
    options.frameWidth = 320;
    options.frameHeight = 400;
    options.direct3D9 = false;  // the editor's surface needs no device
    options.windowIds[0] = 7;
    const StandInRun run(api, options);
    ASSERT_TRUE(run.started()) << api->LastError();

    const DWORD gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    RECT rect = {10, 20, 250, 340};
    {
        const CallLog log(api);
        ENTRY(EditorDisplay)(editor_.record(), nullptr, nullptr, nullptr, &rect);
        const std::vector<ServiceCall> expected = {
            {34, "WinGetSurface(7, 0)"},
            {679, "Rectangle(10, 20, 250, 340, 0xfadcc8, 2, 0x00ff00, 1)"},
            {611, "Line(249, 21, 11, 339, 2, 0x00ff00)"},
            // text, length, format, colour, a live font, then 1, 0, 0, 0, 0, 0, 8
            {1029, "DrawTextW(\"Mobilant Animation\", 18, 0, 0x00ff00, 1, 1, 0, 0, 0, 0, 0, 8)"},
        };
        EXPECT_EQ(log.calls(), expected);
    }
    // The font made for the text is gone.
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiObjects);
    EXPECT_EQ(rect.left, 10);

    int width = 0, height = 0;
    const std::uint32_t* frame = api->WindowPixels(7, &width, &height);
    ASSERT_NE(frame, nullptr);
    const auto at = [&](int x, int y) { return frame[y * width + x]; };
    EXPECT_EQ(at(10, 20), 0xFF00FF00u);    // outline
    EXPECT_EQ(at(11, 339), 0xFF00FF00u);   // outline and diagonal end
    EXPECT_EQ(at(60, 100), 0xFFC8DCFAu);   // fill, 0xFADCC8 as the host reads it
    EXPECT_EQ(at(5, 5), 0xFF000000u);      // outside: untouched

    // Without the editor's window surface nothing is drawn.
    const CallLog log(api);
    Editor::EditorWindow::Set(editor_.record(), reinterpret_cast<void*>(std::intptr_t{8}));
    ENTRY(EditorDisplay)(editor_.record(), nullptr, nullptr, nullptr, &rect);
    EXPECT_EQ(log.ordinals(), std::vector<int>{34});
}

}  // namespace
