#include "ResourceTable.h"

#include <algorithm>
#include <cstdlib>

#include "RoutineTable.h"

namespace {

MenuNode Item(const RoutineEntry& entry) {
    return {MenuNode::Kind::Item, entry.menuId, entry.label, {}};
}
MenuNode Action(int code) {
    return Item(kActionTable[static_cast<std::size_t>(code)]);
}
MenuNode Expression(int code) {
    return Item(kExpressionTable[static_cast<std::size_t>(code)]);
}
MenuNode Separator() {
    return {MenuNode::Kind::Separator, 0, {}, {}};
}
MenuNode SubMenu(const char* text, std::vector<MenuNode> children) {
    return {MenuNode::Kind::SubMenu, 0, text, std::move(children)};
}

// The picture's colours, as 0x00RRGGBB. The background and outline are the placeholder's.
enum Colour : std::uint8_t { Background, Outline, Bone, Joint, White };

class Picture {
public:
    Picture(std::uint16_t id, Colour background) {
        bitmap_.id = id;
        bitmap_.width = kSize;
        bitmap_.height = kSize;
        bitmap_.palette[Background] = 0xC8DCFA;
        bitmap_.palette[Outline] = 0x00FF00;
        bitmap_.palette[Bone] = 0x303848;
        bitmap_.palette[Joint] = 0xE04040;
        bitmap_.palette[White] = 0xFFFFFF;
        bitmap_.pixels.assign(kSize * kSize, background);
    }

    void Plot(int x, int y, Colour colour) {
        if (x >= 0 && y >= 0 && x < kSize && y < kSize)
            bitmap_.pixels[static_cast<std::size_t>(y * kSize + x)] = colour;
    }

    void Line(int x0, int y0, int x1, int y1, Colour colour) {
        const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        for (;;) {
            Plot(x0, y0, colour);
            if (x0 == x1 && y0 == y1) return;
            const int twice = 2 * error;
            if (twice >= dy) error += dy, x0 += sx;
            if (twice <= dx) error += dx, y0 += sy;
        }
    }

    void Border(Colour colour) {
        for (int i = 0; i < kSize; ++i) {
            Plot(i, 0, colour), Plot(i, kSize - 1, colour);
            Plot(0, i, colour), Plot(kSize - 1, i, colour);
        }
    }

    // A skeleton in a walking pose: head, spine, two arms and two legs, joints marked.
    void Figure() {
        for (int y = 4; y <= 10; ++y)
            for (int x = 13; x <= 19; ++x)
                if ((x - 16) * (x - 16) + (y - 7) * (y - 7) <= 9) Plot(x, y, Bone);
        Line(16, 10, 16, 19, Bone);
        Line(16, 12, 10, 16, Bone);
        Line(16, 12, 22, 9, Bone);
        Line(16, 19, 12, 27, Bone);
        Line(16, 19, 21, 27, Bone);
        for (const auto& [x, y] : {std::pair{16, 12}, {16, 19}, {10, 16}, {22, 9}, {12, 27}, {21, 27}})
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) Plot(x + i, y + j, Joint);
    }

    BitmapResource Take() { return std::move(bitmap_); }

private:
    static constexpr int kSize = 32;
    BitmapResource bitmap_;
};

}  // namespace

std::vector<StringResource> StringResources() {
    std::vector<StringResource> strings = {
        {1, "MF2"},
        {2, "Mobilant_Animation"},
        {kObjectNameString, "Mobilant Animation Extension"},
        {kAuthorString, "The Mobilant Animation developers"},
        {kNoticeString, "Copyright (C) The Mobilant Animation developers"},
        {kCommentString, "Build[20190104] Mobilant Animation Extension"},
        {kWebAddressString, "Mobilant Animation: 2D skeletal mesh animation for Fusion 2.5"},
    };
    for (const RoutineEntry& action : kActionTable) {
        strings.push_back({action.stringId, action.text});
        for (std::size_t p = 0; p < action.parameterCount; ++p)
            if (action.parameters[p].titleId != 0)
                strings.push_back({action.parameters[p].titleId, action.parameters[p].title});
    }
    for (const RoutineEntry& expression : kExpressionTable)
        if (expression.stringId != 0) strings.push_back({expression.stringId, expression.text});
    std::sort(strings.begin(), strings.end(),
              [](const StringResource& a, const StringResource& b) { return a.id < b.id; });
    return strings;
}

std::vector<MenuNode> ActionMenuTree() {
    return {
        SubMenu("Global POOL", {Action(1), Action(0), Separator(), Action(3), Action(2), Action(4)}),
        SubMenu("Mobilant Animation",
                {Action(5), Action(6), Action(7), Separator(), Action(8), Action(9), Action(18),
                 Action(10), Action(11), Separator(),
                 SubMenu("Meta Data",
                         {Action(20), Action(21), Separator(), Action(22), Action(23)}),
                 Separator(), Action(12), Action(17), Separator(), Action(19)}),
        SubMenu("Mobilant Surface", {Action(13), Action(14), Action(15), Action(16)}),
    };
}

std::vector<MenuNode> ExpressionMenuTree() {
    return {
        SubMenu("Mobilant Animation", {Expression(7), Expression(9), Expression(8), Separator(),
                                       Expression(3), Expression(4)}),
        SubMenu("Mobilant Surface", {Expression(0), Expression(1), Expression(2)}),
    };
}

BitmapResource ObjectBitmap(std::uint16_t id) {
    if (id == kBitmapResources[0]) {
        // The editor's picture of the object: the figure on the placeholder's colours.
        Picture picture(id, Background);
        picture.Border(Outline);
        picture.Figure();
        return picture.Take();
    }
    if (id == kBitmapResources[1]) {
        // The same figure on white, for lists of objects.
        Picture picture(id, White);
        picture.Figure();
        return picture.Take();
    }
    return {};
}
