// The records we share with the host and with Direct3D are laid out by the Microsoft ABI of
// 32-bit Windows; the shipped Windows build must use it, and the Linux build is the 64-bit one.
// The 64-bit Windows build, which runs the Windows tests where 32-bit programs cannot run, has
// the Microsoft ABI's LLP64 data model: 64-bit pointers beside a 32-bit long. These are facts
// of the compiler and the target, so they are checked when this file compiles.
#include <cstddef>
#include <cstdint>

#include <gtest/gtest.h>

#include "HostRecords.h"
#include "cSurface.h"

namespace {

struct CharThenDouble {
    char c;
    double d;
};

struct CharThenInt64 {
    char c;
    std::int64_t i;
};

#if defined(_WIN64)
static_assert(sizeof(void*) == 8);
static_assert(sizeof(std::size_t) == 8);
static_assert(sizeof(long) == 4);
static_assert(sizeof(wchar_t) == 2, "host strings are UTF-16 code units");
#elif defined(_WIN32)
static_assert(sizeof(void*) == 4);
static_assert(sizeof(std::size_t) == 4);
static_assert(sizeof(long) == 4);
static_assert(sizeof(wchar_t) == 2, "host strings are UTF-16 code units");
#else
static_assert(sizeof(void*) == 8);
static_assert(sizeof(wchar_t) == 4, "one UTF-32 code point per wchar_t");
#endif
// 8-byte members are 8-byte aligned inside records, as with the host's compiler (the System V
// i386 ABI would put them at offset 4).
static_assert(offsetof(CharThenDouble, d) == 8);
static_assert(offsetof(CharThenInt64, i) == 8);
static_assert(sizeof(float) == 4);
static_assert(sizeof(double) == 8);

}  // namespace

// The host's records as its 32-bit interface lays them out, and the one rule that stretches them
// on a 64-bit build (where the host is our own): every offset doubled, so pointers fit.
TEST(TargetLayout, HostRecordsSitWhereTheHostReadsThem) {
    namespace R = HostRecords;
    namespace O = R::RunObject;
#if UINTPTR_MAX == 0xFFFFFFFF  // the shipped target: the host's own numbers
    static_assert(sizeof(cSurface) == 16, "the host's surface object is 16 bytes");
    static_assert(O::kSize == 572 && O::RunHeader::offset == 8 && O::X::offset == 76 &&
                  O::Y::offset == 84 && O::HotSpotX::offset == 88 && O::HotSpotY::offset == 92 &&
                  O::ImageWidth::offset == 96 && O::ImageHeight::offset == 100 &&
                  O::DisplayLeft::offset == 104 && O::DisplayBottom::offset == 116 &&
                  O::OptionFlags::offset == 120 && O::Flags::offset == 124 &&
                  O::OffsetOfValues::offset == 128 && O::Identifier::offset == 180 &&
                  O::ScaleX::offset == 224 && O::ScaleY::offset == 228 &&
                  O::Angle::offset == 232 && O::Changed::offset == 252 &&
                  O::InkEffect::offset == 328 && O::InkEffectParam::offset == 332 &&
                  O::SpriteFlags::offset == 336);
    static_assert(R::RunHeader::FrameWindow::offset == 0 && R::RunHeader::MainWindow::offset == 4 &&
                  R::RunHeader::Application::offset == 8 &&
                  R::RunHeader::WindowOriginX::offset == 176 &&
                  R::RunHeader::ScrollOffsetX::offset == 400 &&
                  R::RunHeader::ScrollOffsetY::offset == 404 &&
                  R::RunHeader::FixedOffsetX::offset == 1284 &&
                  R::RunHeader::FixedOffsetY::offset == 1288 &&
                  R::RunHeader::FirstExpressionParameter::offset == 876 &&
                  R::RunHeader::NextExpressionParameter::offset == 880 &&
                  R::RunHeader::ActionParameter::offset == 928 &&
                  R::RunHeader::FloatParameter::offset == 936);
    static_assert(R::Application::ParentApplication::offset == 424 &&
                  R::Application::SubApplicationOptions::offset == 432);
    static_assert(R::ObjectInfo::kSize == 34 && R::ObjectInfo::Actions::offset == 4 &&
                  R::ObjectInfo::Expressions::offset == 8 &&
                  R::ObjectInfo::ExpressionCount::offset == 16 &&
                  R::ObjectInfo::EditDataSize::offset == 18 &&
                  R::ObjectInfo::EditFlags::offset == 20 &&
                  R::ObjectInfo::WindowProcPriority::offset == 24 &&
                  R::ObjectInfo::EditPreferences::offset == 26 &&
                  R::ObjectInfo::Identifier::offset == 28 && R::ObjectInfo::Version::offset == 32);
    static_assert(R::DriverInfo::kSize == 36 && R::DriverInfo::Direct3D::offset == 8 &&
                  R::DriverInfo::Direct3DDevice::offset == 12 &&
                  R::DriverInfo::MaxTextureHeight::offset == 32);
    EXPECT_EQ(sizeof(HostCallback), 4u);
#else  // 64-bit builds (Linux, and the x86_64 Windows build that runs the tests under Wine)
    EXPECT_EQ(R::kStretch, 2u);
    EXPECT_EQ(O::kSize, 1144u);
    EXPECT_EQ(O::RunHeader::offset, 16u);
    EXPECT_EQ(O::ScaleX::offset, 448u);
    EXPECT_EQ(R::RunHeader::ActionParameter::offset, 1720u + 8 * 17);
    EXPECT_EQ(R::DriverInfo::Direct3DDevice::offset, 24u);
    EXPECT_EQ(sizeof(cSurface), 32u);
    // A callback's result holds a string parameter's pointer.
    EXPECT_EQ(sizeof(LRESULT), sizeof(void*));
#endif
    // The edit data is the game file's: the same bytes everywhere.
    EXPECT_EQ(R::EditRecord::HeaderPrivate::offset, 16u);
    EXPECT_EQ(R::EditRecord::kHeaderSize, 20u);
}
