// The meta-data actions through the host, judged in the frame: a skin swap takes the hidden
// regions out of the picture, and the morph control point leans the figure its way.
//
// The character stands still (its clip "default" held at its first frame, the rest pose, by a
// speed of 0) with its hip, model (0, 0), at the frame point (320, 240), 40 pixels to the model
// unit: a 240 x 320 surface over the view x -3..3, y -4..4,
// its hot spot (120, 160) at the object's position. A model point (x, y) is drawn at frame
// (320 + 40x, 240 - 40y).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "ExtensionHost.h"
#include "MessageBoxes.h"

namespace {

using Frame = std::vector<std::uint32_t>;

class MetaActions : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxDialogs(false);
        ClearShownMessageBoxes();
        n = e.host.Create(320, 240, 240, 320);
        e.Character(n);
        e.Act(n, "LoadMetaFile", {Text(Sample("character.meta.json"))});
        e.Act(n, "UpdateViewMatrix", {Num(-3), Num(3), Num(-4), Num(4)});
        e.Act(n, "SetHotSpot", {Int(120), Int(160)});
        e.Act(n, "SetAnimationSpeed", {Num(0)});
    }

    Frame Loop() {
        e.host.Loop();
        return e.host.Frame();
    }
    bool Drawn(const Frame& frame, int x, int y) const {
        return e.Pixel(frame, x, y) != ExtensionHost::kBackground;
    }
    int DrawnInRows(const Frame& frame, int top, int bottom) const {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < e.host.FrameWidth(); ++x) count += Drawn(frame, x, y);
        return count;
    }
    // The mean column of the drawn pixels of rows top..bottom - 1.
    double MeanColumn(const Frame& frame, int top, int bottom) const {
        double sum = 0;
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < e.host.FrameWidth(); ++x)
                if (Drawn(frame, x, y)) sum += x, ++count;
        EXPECT_GT(count, 0) << "rows " << top << " to " << bottom;
        return count > 0 ? sum / count : 0;
    }

    ExtensionHost e;
    int n = -1;
};

// "upper_body" keeps the head, the torso and the arms, which end at model y -0.88 (frame row
// 275); the legs, the feet and the shadow below them (down to y -2.63, row 345) go. The regions
// that stay keep their model order, so the rows above the hip (y > -0.2, row 248), where no leg
// reaches, are drawn pixel for pixel as before.
TEST_F(MetaActions, ASkinSwapTakesTheHiddenRegionsOutOfThePicture) {
    const Frame whole = Loop();
    EXPECT_EQ(e.Ask(n, "hitTestPolygons", {Int(322), Int(302)}), 1);  // the legs, (0.05, -1.55)
    for (int y = 285; y < 340; y += 5) {
        int drawn = 0;
        for (int x = 0; x < e.host.FrameWidth(); ++x) drawn += Drawn(whole, x, y);
        EXPECT_GE(drawn, 8) << "row " << y << ": the legs are drawn";
    }

    e.Act(n, "SetSkinSwap", {Text("upper_body")});
    const Frame swapped = Loop();
    EXPECT_EQ(DrawnInRows(swapped, 280, e.host.FrameHeight()), 0);
    EXPECT_GT(DrawnInRows(swapped, 140, 246), 3000);
    for (int y = 0; y < 246; ++y)
        for (int x = 0; x < e.host.FrameWidth(); ++x)
            ASSERT_EQ(e.Pixel(swapped, x, y), e.Pixel(whole, x, y)) << x << ", " << y;
    // Hits follow the picture: the hidden leg is not hit, the chest still is.
    EXPECT_EQ(e.Ask(n, "hitTestPolygons", {Int(322), Int(302)}), 0);
    EXPECT_EQ(e.Ask(n, "hitTestPolygons", {Int(322), Int(212)}), 1);  // (0.05, 0.7)

    // An unknown name keeps the swap; the empty name draws the whole model again.
    e.Act(n, "SetSkinSwap", {Text("no such swap")});
    EXPECT_EQ(DrawnInRows(Loop(), 280, e.host.FrameHeight()), 0);
    e.Act(n, "SetSkinSwap", {Text("")});
    EXPECT_EQ(Loop(), whole);
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

// A control point far to the right of the base puts the morph grid point on its right edge,
// (32, 16) of the 33 x 33 grid, where "lean_right" weighs 1 and the others 0, and d = 16 / 16.5:
// the figure is 0.97 "lean_right" and 0.03 the centre clip (the rest pose). "lean_right" bends
// the back to the right from the hip up: its head bone runs from (0.345, 1.145) to (0.640, 2.205)
// where the rest pose has (0.03, 1.2) to (0.06, 2.3), so the middle of the head moves right by
// 0.447 units, 17.3 pixels; the legs hang from the hip and stay. "lean_left" moves it left by
// 0.451 units, its head bone from (-0.288, 1.162) to (-0.525, 2.236).
TEST_F(MetaActions, TheMorphControlPointLeansTheFigureItsWay) {
    for (const char* clip : {"lean_centre", "lean_right", "lean_left", "lean_up", "lean_down"})
        e.Act(n, "InitAnimation", {Text(clip)});
    const Frame rest = Loop();
    const int headTop = 150, headBottom = 170;  // model y 2.25 to 1.75
    const int feetTop = 330, feetBottom = 340;  // model y -2.25 to -2.5
    const double head = MeanColumn(rest, headTop, headBottom);
    const double feet = MeanColumn(rest, feetTop, feetBottom);
    const double share = 16 / 16.5 * 40;  // the target's weight times pixels per unit
    const double restMiddle = (0.03 + 0.06) / 2;

    e.Act(n, "setMorphTargetFlg", {Int(1)});
    e.Act(n, "setMorphTargetPos", {Int(0), Int(0), Int(100), Int(0)});
    const Frame right = Loop();
    EXPECT_NEAR(MeanColumn(right, headTop, headBottom) - head,
                share * ((0.344744 + 0.639967) / 2 - restMiddle), 3.0);
    EXPECT_NEAR(MeanColumn(right, feetTop, feetBottom), feet, 1.0);

    e.Act(n, "setMorphTargetPos", {Int(0), Int(0), Int(-100), Int(0)});
    const Frame left = Loop();
    EXPECT_NEAR(MeanColumn(left, headTop, headBottom) - head,
                share * ((-0.287763 - 0.524769) / 2 - restMiddle), 3.0);
    EXPECT_NEAR(MeanColumn(left, feetTop, feetBottom), feet, 1.0);

    // Base and target together: the grid's centre, where the centre clip alone is drawn.
    e.Act(n, "setMorphTargetPos", {Int(50), Int(50), Int(50), Int(50)});
    EXPECT_NEAR(MeanColumn(Loop(), headTop, headBottom), head, 1.0);

    // Morphing off: ordinary posing of the clip the game plays.
    e.Act(n, "setMorphTargetFlg", {Int(0)});
    e.Act(n, "setMorphTargetPos", {Int(0), Int(0), Int(100), Int(0)});
    e.Act(n, "PlayAnimation", {Text("lean_centre")});
    EXPECT_NEAR(MeanColumn(Loop(), headTop, headBottom), head, 1.0);
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

// Morphing needs its clips loaded: without them the message names the first one missing, the
// picture stays as it was, and loading the clips lets the next switch start morphing.
TEST_F(MetaActions, MorphingWithoutItsClipsSaysWhichOneIsMissing) {
    const Frame rest = Loop();
    e.Act(n, "setMorphTargetFlg", {Int(1)});
    e.Act(n, "setMorphTargetPos", {Int(0), Int(0), Int(100), Int(0)});
    EXPECT_EQ(Loop(), rest);
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].text, L"morphing animation is not initialized [lean_right]");

    for (const char* clip : {"lean_centre", "lean_right", "lean_left", "lean_up", "lean_down"})
        e.Act(n, "InitAnimation", {Text(clip)});
    e.Act(n, "setMorphTargetFlg", {Int(1)});
    EXPECT_NE(Loop(), rest);
    EXPECT_EQ(ShownMessageBoxes().size(), 1u);
}

}  // namespace
