// The resources the editor reads out of the plug-in: the action and expression menus, the string
// table, the object's two pictures and a small data resource. This table is the one source: the
// resource script the module is built with is written from it (ext/resources), and the tests
// read the built module's resources back and compare them with it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Resource ids.
inline constexpr std::uint16_t kActionMenuResource = 20000;
inline constexpr std::uint16_t kConditionMenuResource = 20001;  // absent: no conditions
inline constexpr std::uint16_t kExpressionMenuResource = 20002;
inline constexpr std::uint16_t kObjectNameString = 128;
inline constexpr std::uint16_t kAuthorString = 129;
inline constexpr std::uint16_t kNoticeString = 130;
inline constexpr std::uint16_t kCommentString = 131;
inline constexpr std::uint16_t kWebAddressString = 132;
inline constexpr std::array<std::uint16_t, 2> kBitmapResources = {400, 401};
inline constexpr std::uint16_t kDataResource = 200;

// One string of the string table; the text is plain ASCII.
struct StringResource {
    std::uint16_t id;
    std::string text;
};

// The whole string table in increasing id order: 1, 2, 128 to 132, the action display strings
// (5000 + code), the action parameter titles (5501 to 5535) and the expression names
// (7000 + code, for the expressions listed in the menu).
std::vector<StringResource> StringResources();

// A menu item, a separator, or a sub-menu with its items.
struct MenuNode {
    enum class Kind : std::uint8_t { Item, Separator, SubMenu };
    Kind kind = Kind::Item;
    std::uint16_t id = 0;  // the command id of an item
    std::string text;      // an item's or sub-menu's text
    std::vector<MenuNode> children;
};

// The items of the one pop-up of menu 20000 (actions) or 20002 (expressions), in order.
std::vector<MenuNode> ActionMenuTree();
std::vector<MenuNode> ExpressionMenuTree();

// An 8-bit picture: width x height palette indices, top row first, and the palette as
// 0x00RRGGBB words (256 entries, unused ones black).
struct BitmapResource {
    std::uint16_t id = 0;
    int width = 0;
    int height = 0;
    std::array<std::uint32_t, 256> palette{};
    std::vector<std::uint8_t> pixels;
};

// Picture 400 or 401 of the object (32 x 32, 8 bits), drawn here; an empty picture for any other
// id.
BitmapResource ObjectBitmap(std::uint16_t id);

// The bytes of data resource 200.
inline constexpr std::array<std::uint8_t, 4> kDataResourceBytes = {0x16, 0x25, 0x08, 0x59};
