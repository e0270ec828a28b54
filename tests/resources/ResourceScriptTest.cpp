// The resource writer's output: the script text for the resource compiler and the pictures as
// BMP files, read back by an independent decoder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb_image.h>

#include "ResourceScript.h"

namespace {

TEST(ResourceScript, QuotesTextForTheResourceCompiler) {
    EXPECT_EQ(QuoteResourceText("LoadTexturePool:(%0,%1)"), "\"LoadTexturePool:(%0,%1)\"");
    EXPECT_EQ(QuoteResourceText("say \"hi\" \\ there"), "\"say \"\"hi\"\" \\\\ there\"");
    EXPECT_THROW(QuoteResourceText("caf\xC3\xA9"), ResourceTextError);
    EXPECT_THROW(QuoteResourceText("line\nbreak"), ResourceTextError);
}

TEST(ResourceScript, ScriptHoldsStringsMenusPicturesAndData) {
    const std::string script = ResourceScriptText("out");
    for (const char* line : {
             "    1, L\"MF2\"\n",
             "    5018, L\"SetAnimetionTime:(%0)\"\n",
             "    5526, L\"scale raito(default 1.0)\"\n",
             "    7009, L\"hitTestBoundingBox(\"\n",
             "20000 MENU\n",
             "20002 MENU\n",
             "            MENUITEM \"SetAnimationTime\", 25018\n",
             "            POPUP \"Meta Data\"\n",
             "                MENUITEM \"setMorphTargetPos\", 25023\n",
             "400 BITMAP \"out/bitmap400.bmp\"\n",
             "401 BITMAP \"out/bitmap401.bmp\"\n",
             "200 RCDATA \"out/data200.bin\"\n",
         })
        EXPECT_NE(script.find(line), std::string::npos) << line;
    EXPECT_EQ(script.find("20001"), std::string::npos);
    EXPECT_EQ(script.find("7005,"), std::string::npos);
}

TEST(ResourceScript, BitmapFilesDecodeToTheTablesColours) {
    for (const std::uint16_t id : kBitmapResources) {
        SCOPED_TRACE(id);
        const BitmapResource table = ObjectBitmap(id);
        const std::vector<std::uint8_t> file = BitmapFile(table);
        EXPECT_EQ(file.size(), 14u + 40u + 1024u + 1024u);
        int width = 0, height = 0, channels = 0;
        unsigned char* rgb = stbi_load_from_memory(file.data(), static_cast<int>(file.size()),
                                                   &width, &height, &channels, 3);
        ASSERT_NE(rgb, nullptr) << stbi_failure_reason();
        EXPECT_EQ(width, 32);
        EXPECT_EQ(height, 32);
        for (int i = 0; i < 32 * 32; ++i) {
            const std::uint32_t want = table.palette[table.pixels[static_cast<std::size_t>(i)]];
            const std::uint32_t got = static_cast<std::uint32_t>(rgb[3 * i]) << 16 |
                                      static_cast<std::uint32_t>(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
            ASSERT_EQ(got, want) << "pixel " << i % 32 << ", " << i / 32;
        }
        stbi_image_free(rgb);
    }
}

}  // namespace
