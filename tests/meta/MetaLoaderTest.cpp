#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DecodeBase64.h"
#include "MetaModel.h"
#include "MobilantMetaData.h"

using namespace MobilantModule;

namespace {

// `text` in double quotes, as a JSON string.
std::string quoted(const std::string& text) {
    std::string out(1, '"');
    out.append(text).push_back('"');
    return out;
}

std::string decoded(std::string_view text) {
    const std::vector<std::uint8_t> bytes = DecodeBase64(text);
    return std::string(bytes.begin(), bytes.end());
}

TEST(DecodeBase64, DecodesTheRfc4648Vectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},         {"Zg==", "f"},         {"Zm8=", "fo"},          {"Zm9v", "foo"},
        {"Zm9vYg==", "foob"}, {"Zm9vYmE=", "fooba"}, {"Zm9vYmFy", "foobar"},
    };
    for (const auto& [text, bytes] : vectors)
        EXPECT_EQ(decoded(text), bytes) << text;
    // The two characters after the letters and digits, "+" (62) and "/" (63): 0xFB 0xFF 0xBF.
    EXPECT_EQ(DecodeBase64("+/+/"), (std::vector<std::uint8_t>{0xFB, 0xFF, 0xBF}));
    EXPECT_EQ(DecodeBase64("AAEC"), (std::vector<std::uint8_t>{0, 1, 2}));
}

// Decoding stops at the first "=" or character outside the alphabet; a final group of k
// characters gives k - 1 bytes.
TEST(DecodeBase64, StopsAtTheFirstCharacterOutsideTheAlphabet) {
    const std::pair<const char*, const char*> cases[] = {
        {"Zm9vYg", "foob"},          // no padding: 2 characters, 1 byte
        {"Zm9vYmE", "fooba"},        // 3 characters, 2 bytes
        {"Zm9vY", "foo"},            // 1 character gives nothing
        {"Zm9=YmFy", "fo"},          // "=" ends it, whatever follows
        {"Zm9v!YmFy", "foo"},        // so does any other character
        {"Zm 9v", "f"},              // white space too
        {"Zm9v\nYmFy", "foo"},       // and a line break
        {"=Zm9v", ""},
        {"Zm9v\xC3\xA9YmFy", "foo"}, // a byte above 0x7F
    };
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(decoded(text), bytes) << text;
    // The text's own end is no stop: an embedded zero is just another character outside.
    EXPECT_EQ(decoded(std::string_view("Zm9v\0YmFy", 9)), "foo");
}

TEST(MobilantMetaData, TextThatIsNotAnObjectGivesNoData) {
    for (const char* text : {"", "   ", "{", "[1, 2]", "\"skinSwapList\"", "42", "null",
                             "{\"skinSwapList\": {\"s\": {\"swap\": {\"swap_items\": [\"a\"]}}"}) {
        const MobilantMetaData meta(text);
        EXPECT_TRUE(meta.SkinSwaps().empty()) << text;
        EXPECT_TRUE(meta.WeightImages().empty()) << text;
        EXPECT_TRUE(meta.ShapeTargets().empty()) << text;
        EXPECT_EQ(meta.MorphRes(), 0) << text;
        EXPECT_EQ(meta.MorphPoint().x, 0.0f);
        EXPECT_EQ(meta.MorphPoint().y, 0.0f);
        EXPECT_EQ(meta.CenterClipTime(), 0.0f);
        EXPECT_TRUE(meta.MorphClips().empty());
        EXPECT_TRUE(meta.MorphAccum().empty());
    }
}

TEST(MobilantMetaData, ReadsSkinSwapsAsSetsOfRegionNames) {
    // The only member, then the last one of several: both are read.
    const MobilantMetaData only(R"({"skinSwapList": {"s": {"swap": {"swap_items": ["a"]}}}})");
    ASSERT_EQ(only.SkinSwaps().size(), 1u);
    EXPECT_EQ(only.SkinSwaps().at("s"), MobilantMetaData::NameSet{"a"});

    const MobilantMetaData meta(R"({
      "meshes": [{"id": 0, "startIndex": 0, "endIndex": 2}],
      "regionOrders": {"walk": [{"switch_order": [1, 0], "switch_time": 3}]},
      "eventTriggers": {"walk": [{"event_name": "step", "switch_time": 8}]},
      "skinSwapList": {
        "twice": {"swap": {"swap_items": ["a"]}},
        "dups": {"swap": {"swap_items": ["c", "a", "c", 7, null, ["b"], "", "\u00e9"]}},
        "empty": {"swap": {"swap_items": []}},
        "object items": {"swap": {"swap_items": {"x": "b", "y": "a"}}},
        "no swap": {"swap_items": ["a"]},
        "no items": {"swap": {"items": ["a"]}},
        "swap not an object": {"swap": ["a"]},
        "items a string": {"swap": {"swap_items": "a"}},
        "twice": {"swap": {"swap_items": ["b", "c"]}},
        "skipped later": {"swap": {"swap_items": ["a"]}},
        "skipped later": {"swap": 1}
      },
      "skinSwapList": {"second list": {"swap": {"swap_items": ["c"]}}},
      "skinswaplist": {"wrong case": {"swap": {"swap_items": ["c"]}}},
      "skinSwapList": ["an array has no swap names"],
      "last": {"swap": {"swap_items": ["c"]}}
    })");
    using Set = MobilantMetaData::NameSet;
    const auto& swaps = meta.SkinSwaps();
    EXPECT_EQ(swaps.size(), 6u);
    EXPECT_EQ(swaps.at("twice"), (Set{"b", "c"}));  // the later set, not merged
    EXPECT_EQ(swaps.at("dups"), (Set{"a", "c", "", "\xC3\xA9"}));
    EXPECT_EQ(swaps.at("empty"), Set{});
    EXPECT_EQ(swaps.at("object items"), (Set{"a", "b"}));
    EXPECT_EQ(swaps.at("skipped later"), Set{"a"});  // the skipped entry replaces nothing
    EXPECT_EQ(swaps.at("second list"), Set{"c"});
    for (const char* skipped : {"no swap", "no items", "swap not an object", "items a string",
                                "wrong case", "last"})
        EXPECT_EQ(swaps.count(skipped), 0u) << skipped;
    EXPECT_TRUE(meta.WeightImages().empty());
}

// Three targets with MorphRes 4: 48 bytes, image i being bytes 16i to 16i + 15.
TEST(MobilantMetaData, CutsTheDecodedBytesIntoOneImagePerTarget) {
    std::vector<std::uint8_t> bytes(50);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    const MobilantMetaData meta(morphMetaText("centre", {"right", "left", "late"}, 4, bytes));
    EXPECT_EQ(meta.CenterClipName(), "centre");
    EXPECT_EQ(meta.ShapeTargets(), (std::vector<std::string>{"right", "left", "late"}));
    EXPECT_EQ(meta.MorphRes(), 4);
    ASSERT_EQ(meta.WeightImages().size(), 3u);
    std::vector<std::uint8_t> image2;
    for (int i = 32; i <= 47; ++i)
        image2.push_back(static_cast<std::uint8_t>(i));
    EXPECT_EQ(meta.WeightImages()[2], image2);
    EXPECT_EQ(meta.WeightImages()[0].size(), 16u);
    EXPECT_EQ(meta.WeightImages()[0][15], 15);
    EXPECT_EQ(meta.MorphWeights(), (std::vector<float>{0, 0, 0}));
    EXPECT_TRUE(meta.MorphClips().empty());
    EXPECT_EQ(meta.ActiveCenterClip(), "");
}

TEST(MobilantMetaData, MorphKeysCountTogetherAndTheLastOccurrenceWins) {
    const std::string images = encodeBase64(std::vector<std::uint8_t>(18, 9));
    const std::string targets =
        R"("MorphTargets": {"CenterData": [0, "c"], "MorphShape": [["t1", [1, 0]], ["t2", [0, 1]]]})";
    const MobilantMetaData meta("{" + targets + R"(, "MorphRes": 2, "MorphSpace": "AAAA",
        "MorphRes": 3, "MorphSpace": ")" + images + R"(",
        "MorphTargets": {"CenterData": [0, ""], "MorphShape": [["a", 0], ["b"]]}})");
    EXPECT_EQ(meta.MorphRes(), 3);
    EXPECT_EQ(meta.CenterClipName(), "");
    EXPECT_EQ(meta.ShapeTargets(), (std::vector<std::string>{"a", "b"}));
    ASSERT_EQ(meta.WeightImages().size(), 2u);
    EXPECT_EQ(meta.WeightImages()[1], std::vector<std::uint8_t>(9, 9));

    // Without any one of the three, or with one in the wrong letter case, no morph data.
    for (const std::string& text :
         {"{" + targets + R"(, "MorphRes": 3})",
          "{" + targets + R"(, "MorphSpace": ")" + images + "\"}",
          R"({"MorphRes": 3, "MorphSpace": ")" + images + "\"}",
          "{" + targets + R"(, "morphRes": 3, "MorphSpace": ")" + images + "\"}"}) {
        const MobilantMetaData partial(text);
        EXPECT_TRUE(partial.WeightImages().empty()) << text;
        EXPECT_TRUE(partial.ShapeTargets().empty()) << text;
        EXPECT_EQ(partial.CenterClipName(), "") << text;
        EXPECT_EQ(partial.MorphRes(), 0) << text;
    }
}

// Morph data loads whole or not at all; the skin swaps beside it load either way.
TEST(MobilantMetaData, RefusesMorphDataThatCannotBeReadWhole) {
    const std::string swaps = R"("skinSwapList": {"s": {"swap": {"swap_items": ["a"]}}})";
    const auto text = [&](const std::string& targets, const std::string& res,
                          const std::string& space) {
        return "{" + swaps + R"(, "MorphTargets": )" + targets + R"(, "MorphRes": )" + res +
               R"(, "MorphSpace": )" + space + "}";
    };
    const std::string twoTargets =
        R"({"CenterData": [0, "c"], "MorphShape": [["t1", [1, 0]], ["t2", [0, 1]]]})";
    const std::string eightBytes = quoted(encodeBase64(std::vector<std::uint8_t>(8, 1)));

    struct Case {
        const char* why;
        std::string text;
    };
    const Case refused[] = {
        {"MorphRes 0", text(twoTargets, "0", eightBytes)},
        {"MorphRes negative", text(twoTargets, "-2", eightBytes)},
        {"MorphRes 0.5 truncates to 0", text(twoTargets, "0.5", eightBytes)},
        {"MorphRes above 4096", text(twoTargets, "4097", eightBytes)},
        {"MorphRes above 4096 without targets",
         text(R"({"CenterData": [0, "c"], "MorphShape": []})", "4097", "\"\"")},
        {"MorphRes whose square wraps to 0", text(twoTargets, "65536", eightBytes)},
        {"MorphRes huge", text(twoTargets, "1e300", eightBytes)},
        {"MorphRes a string", text(twoTargets, "\"2\"", eightBytes)},
        {"too few bytes", text(twoTargets, "3", eightBytes)},
        {"one byte short", text(twoTargets, "2", quoted(encodeBase64({1, 2, 3, 4, 5, 6, 7})))},
        {"MorphSpace not a string", text(twoTargets, "2", "[1, 2, 3, 4, 5, 6, 7, 8]")},
        {"MorphTargets not an object", text("[0, \"c\"]", "2", eightBytes)},
        {"no CenterData", text(R"({"MorphShape": [["t1", 0]]})", "2", eightBytes)},
        {"CenterData of one element",
         text(R"({"CenterData": ["c"], "MorphShape": [["t1", 0]]})", "2", eightBytes)},
        {"CenterData without a string at 1",
         text(R"({"CenterData": ["c", 5], "MorphShape": [["t1", 0]]})", "2", eightBytes)},
        {"CenterData a string",
         text(R"({"CenterData": "c", "MorphShape": [["t1", 0]]})", "2", eightBytes)},
        {"no MorphShape", text(R"({"CenterData": [0, "c"]})", "2", eightBytes)},
        {"MorphShape a string", text(R"({"CenterData": [0, "c"], "MorphShape": "t1"})", "2",
                                     eightBytes)},
        {"a MorphShape element without a string at 0",
         text(R"({"CenterData": [0, "c"], "MorphShape": [["t1", 0], [[1, 0], "t2"]]})", "2",
              eightBytes)},
        {"an empty MorphShape element",
         text(R"({"CenterData": [0, "c"], "MorphShape": [["t1", 0], []]})", "2", eightBytes)},
        {"a MorphShape element that is a string",
         text(R"({"CenterData": [0, "c"], "MorphShape": ["t1"]})", "2", eightBytes)},
    };
    for (const Case& c : refused) {
        const MobilantMetaData meta(c.text);
        EXPECT_TRUE(meta.WeightImages().empty()) << c.why;
        EXPECT_TRUE(meta.ShapeTargets().empty()) << c.why;
        EXPECT_TRUE(meta.MorphWeights().empty()) << c.why;
        EXPECT_EQ(meta.CenterClipName(), "") << c.why;
        EXPECT_EQ(meta.MorphRes(), 0) << c.why;
        EXPECT_EQ(meta.SkinSwaps().size(), 1u) << c.why;
    }

    // The bounds themselves, a truncated size, lists given as objects, and a target list with
    // no targets (which needs no bytes at all).
    const MobilantMetaData exact(text(twoTargets, "2.9", eightBytes));
    EXPECT_EQ(exact.MorphRes(), 2);
    EXPECT_EQ(exact.WeightImages().size(), 2u);
    const MobilantMetaData one(text(twoTargets, "1", "\"AQI=\""));
    EXPECT_EQ(one.WeightImages(), (std::vector<std::vector<std::uint8_t>>{{1}, {2}}));
    const MobilantMetaData objects(
        text(R"({"CenterData": {"p": 0, "q": "c"}, "MorphShape": {"x": {"n": "t1"}}})", "2",
             eightBytes));
    EXPECT_EQ(objects.CenterClipName(), "c");
    EXPECT_EQ(objects.ShapeTargets(), std::vector<std::string>{"t1"});
    const MobilantMetaData largest(
        text(R"({"CenterData": [0, "c"], "MorphShape": []})", "4096", "\"\""));
    EXPECT_EQ(largest.MorphRes(), 4096);
    EXPECT_EQ(largest.CenterClipName(), "c");
    EXPECT_TRUE(largest.WeightImages().empty());
}

}  // namespace
