// The edit record of a placed object: made through an editor that moves it, sized and measured
// with numbers from a game file that may be anything.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "HostRecords.h"
#include "PlacedObject.h"

namespace {

namespace E = HostRecords::EditRecord;

// A general function whose resize hands out a new block every time.
struct MovingEditor {
    static inline std::vector<std::unique_ptr<std::vector<unsigned char>>> blocks;
    static inline int calls = 0;
    static inline LPARAM askedSize = 0;

    static LRESULT MOBILANT_STDCALL Call(void* editData, int code, LPARAM, LPARAM size, LPARAM) {
        ++calls;
        askedSize = size;
        if (code != HostRecords::Editor::kReallocEditData) return 0;
        blocks.push_back(std::make_unique<std::vector<unsigned char>>(static_cast<std::size_t>(size)));
        std::memcpy(blocks.back()->data(), editData, E::kHeaderSize);
        return reinterpret_cast<LRESULT>(blocks.back()->data());
    }
    static LRESULT MOBILANT_STDCALL Refuse(void*, int, LPARAM, LPARAM, LPARAM) {
        ++calls;
        return 0;
    }
};

TEST(PlacedObject, NewObjectIsWrittenIntoTheBlockTheEditorGaveBack) {
    std::vector<unsigned char> header(E::kHeaderSize + 16, 0xAB);  // the header, then guard bytes
    MovingEditor::calls = 0;
    void* made = NewPlacedObject(&MovingEditor::Call, header.data());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(MovingEditor::calls, 1);
    EXPECT_EQ(MovingEditor::askedSize, 28);
    EXPECT_EQ(made, MovingEditor::blocks.back()->data());
    EXPECT_EQ(E::Width::Get(made), 240);
    EXPECT_EQ(E::Height::Get(made), 320);
    for (std::size_t i = E::kHeaderSize; i < header.size(); ++i) EXPECT_EQ(header[i], 0xAB) << i;
}

TEST(PlacedObject, NoBlockNothingWritten) {
    std::vector<unsigned char> record(28, 0xAB);
    EXPECT_EQ(NewPlacedObject(&MovingEditor::Refuse, record.data()), nullptr);
    EXPECT_EQ(NewPlacedObject(nullptr, record.data()), nullptr);
    EXPECT_EQ(record, std::vector<unsigned char>(28, 0xAB));
}

TEST(PlacedObject, SizesAreKeptWithinOneTo16384) {
    const struct {
        std::int64_t width, height;
        std::int32_t keptWidth, keptHeight;
    } table[] = {
        {300, 200, 300, 200}, {0, -5, 1, 1}, {16384, 16385, 16384, 16384},
        {INT64_MIN, INT64_MAX, 1, 16384},
    };
    std::vector<unsigned char> record(28, 0);
    for (const auto& row : table) {
        SetPlacedObjectSize(record.data(), row.width, row.height);
        EXPECT_EQ(E::Width::Get(record.data()), row.keptWidth);
        EXPECT_EQ(E::Height::Get(record.data()), row.keptHeight);
    }
}

TEST(PlacedObject, RectangleFromAGameFilesNumbers) {
    std::vector<unsigned char> record(28, 0);
    E::Width::Set(record.data(), 240);
    E::Height::Set(record.data(), 320);
    RECT rect = PlacedObjectRect(100, 50, record.data());
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right, 340);
    EXPECT_EQ(rect.bottom, 370);

    // A record with nonsense in it still gives a rectangle that does not wrap.
    E::Width::Set(record.data(), INT32_MAX);
    E::Height::Set(record.data(), -7);
    rect = PlacedObjectRect(INT32_MAX - 10, -20, record.data());
    EXPECT_EQ(rect.right, INT32_MAX);
    EXPECT_EQ(rect.bottom, -19);
}

}  // namespace
