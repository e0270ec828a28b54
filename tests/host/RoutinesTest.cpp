// The routines as the host sees them: every declared parameter fetched whatever happens, numbers
// from the game kept in bounds, the display offsets and the parent application's surface.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "ExtensionHost.h"
#include "MessageBoxes.h"
#include "Routines.h"
#include "X87ControlGuard.h"

namespace {

namespace O = HostRecords::RunObject;

// The host's parameter cursor is never left part-way: each routine fetches all its declared
// parameters, also when it does nothing with them (no model, bad ids, sizes, non-finite numbers).
TEST(Routines, FetchEveryDeclaredParameter) {
    SetMessageBoxDialogs(false);
    ExtensionHost e;
    const int n = e.host.Create(0, 0, 240, 320);
    for (const RoutineEntry& action : kActionTable) {
        SCOPED_TRACE(action.label);
        std::vector<HostValue> values;
        for (std::size_t p = 0; p < action.parameterCount; ++p)
            values.push_back(action.parameters[p].type == ParameterType::String
                                 ? Text("")
                                 : Int(-1));
        ASSERT_TRUE(e.host.Action(n, action.code, values));
        EXPECT_EQ(e.host.ParametersFetched(), action.parameterCount);
    }
    for (const RoutineEntry& expression : kExpressionTable) {
        SCOPED_TRACE(expression.code);
        std::vector<HostValue> values(expression.parameterCount, Num(std::nan("")));
        ExpressionValue value;
        ASSERT_TRUE(e.host.Expression(n, expression.code, values, value));
        EXPECT_EQ(e.host.ParametersFetched(), expression.parameterCount);
        EXPECT_FALSE(value.isFloat && std::isnan(value.number));
    }
}

TEST(Routines, NumbersFromTheGameStayInBounds) {
    ExtensionHost e;
    const int n = e.host.Create(50, 50, 240, 320);
    O::Angle::Set(e.Data(n), std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(e.Ask(n, "getRotate"), 0);
    O::Angle::Set(e.Data(n), 1e30f);
    EXPECT_EQ(e.Ask(n, "getRotate"), 2147483647);
    O::Angle::Set(e.Data(n), -1e30f);
    EXPECT_EQ(e.Ask(n, "getRotate"), -2147483647 - 1);
    // -2^31 = -5965233 x 360 + 232: no overflow on the way.
    e.Act(n, "SetRotate", {Int(-2147483647 - 1)});
    EXPECT_EQ(e.Ask(n, "getRotate"), 232);
    // Frame points that are not numbers hit nothing.
    EXPECT_EQ(e.Ask(n, "hitTestBoundingBox", {Num(std::nan(""))}), 0);
    // A scale of 0 shows nothing and hits nothing; its image is empty.
    e.Act(n, "SetScaleXY", {Num(0), Num(0)});
    EXPECT_EQ(e.Field<O::ImageWidth>(n), 0);
    EXPECT_EQ(e.Ask(n, "hitTestBoundingBox", {Int(50), Int(50)}), 0);
    e.host.Loop();
}

// The blit lands at the position less the host's display offset: the scrolling pair, or the
// fixed pair for objects independent of scrolling.
TEST(Routines, DisplayOffsetsMoveTheBlit) {
    ExtensionHost e;
    const int n = e.host.Create(100, 80, 24, 32);
    void* runHeader = e.host.RunHeaderRecord();
    HostRecords::RunHeader::ScrollOffsetX::Set(runHeader, 10);
    HostRecords::RunHeader::ScrollOffsetY::Set(runHeader, 20);
    HostRecords::RunHeader::FixedOffsetX::Set(runHeader, -5);
    HostRecords::RunHeader::FixedOffsetY::Set(runHeader, -7);
    const auto blit = [&] {
        e.host.ClearCalls();
        e.host.Loop();
        for (const ServiceCall& call : e.host.Calls())
            if (call.ordinal == 849) return call.text.substr(0, call.text.find(", 1, 1"));
        return std::string();
    };
    EXPECT_EQ(blit(), "BlitEx(90, 60");
    O::OptionFlags::Set(e.Data(n), O::kIndependentOfScrolling);
    EXPECT_EQ(blit(), "BlitEx(105, 87");
}

// An application shown as a sprite inside another draws on the parent's window.
TEST(Routines, SubApplicationsDrawOnTheParentsSurface) {
    HeadlessHost::Options options;
    options.subApplication = true;
    ExtensionHost e(options);
    const int n = e.host.Create(320, 240, 240, 320);
    e.Character(n);
    e.Act(n, "SetHotSpot", {Int(120), Int(160)});
    e.host.Loop();
    const std::vector<std::uint32_t> frame = e.host.Frame();
    const std::vector<std::uint32_t> parent = e.host.ParentFrame();
    EXPECT_EQ(frame, std::vector<std::uint32_t>(frame.size(), ExtensionHost::kBackground));
    EXPECT_NE(parent, std::vector<std::uint32_t>(parent.size(), ExtensionHost::kBackground));
}

}  // namespace

namespace {

// A host callback that fails the way C++ code fails: with an exception.
LRESULT MOBILANT_STDCALL ThrowingCallback(RunData*, WPARAM, LPARAM) {
    throw std::bad_alloc();
}

}  // namespace

// Whatever is thrown inside a routine stays there: the host gets the neutral result, the state
// is unchanged, and the host's x87 control word is given back.
TEST(Routines, NothingThrownReachesTheHost) {
    namespace H = HostRecords::RunHeader;
    ExtensionHost e;
    const int n = e.host.Create(50, 50, 240, 320);
    e.Act(n, "SetRotate", {Int(30)});
    void* runHeader = e.host.RunHeaderRecord();
    const HostCallback action = H::ActionParameter::Get(runHeader);
    const HostCallback first = H::FirstExpressionParameter::Get(runHeader);
    H::ActionParameter::Set(runHeader, &ThrowingCallback);
    H::FirstExpressionParameter::Set(runHeader, &ThrowingCallback);
    const std::uint16_t word = X87ControlGuard::Read();

    for (const char* label : {"SetRotate", "SetScaleXY", "LoadMobilantPool", "SetSurfaceSize"}) {
        SCOPED_TRACE(label);
        const RoutineEntry* entry = FindActionByLabel(label);
        EXPECT_EQ(ActionRoutines()[entry->code](e.Data(n), 0, 0), 0);
    }
    EXPECT_EQ(ExpressionRoutines()[FindExpressionByLabel("getBoxPoint_X")->code](e.Data(n), 0), 0);
    EXPECT_EQ(ExpressionRoutines()[FindExpressionByLabel("hitTestPolygons")->code](e.Data(n), 0),
              0);
    EXPECT_EQ(X87ControlGuard::Read(), word);

    H::ActionParameter::Set(runHeader, action);
    H::FirstExpressionParameter::Set(runHeader, first);
    EXPECT_EQ(e.Ask(n, "getRotate"), 30);
    EXPECT_EQ(e.Ask(n, "getScaleX"), 1);
    EXPECT_EQ(e.Field<O::ImageWidth>(n), 367);  // 240 x 320 turned by 30 degrees
}
