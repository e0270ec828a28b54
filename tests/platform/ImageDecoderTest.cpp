// Image decoding refuses files whose headers stb_image would trust to its harm.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ImageDecoder.h"

namespace {

// A JPEG skeleton: start of image, one Huffman table segment with the given
// code counts (and as many code values), a scan header and the end of image.
std::vector<unsigned char> JpegWithHuffmanCounts(const std::vector<unsigned char>& counts) {
    std::size_t codes = 0;
    for (unsigned char c : counts)
        codes += c;
    const std::size_t length = 2 + 1 + 16 + codes;
    std::vector<unsigned char> b;
    auto add = [&b](std::initializer_list<unsigned> bytes) {
        for (unsigned v : bytes)
            b.push_back(static_cast<unsigned char>(v));
    };
    add({0xFF, 0xD8, 0xFF, 0xC4, static_cast<unsigned>(length >> 8),
         static_cast<unsigned>(length & 0xFF), 0x00});
    for (unsigned char c : counts)
        b.push_back(c);
    for (std::size_t i = 0; i < codes; ++i)
        b.push_back(0x01);
    add({0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0xFF, 0xD9});
    return b;
}

TEST(ImageDecoder, HuffmanTablesOfMoreThan256CodesAreRefused) {
    // 16 lengths of 20 codes each: 320 codes, more than a table holds.
    DecodedImage image;
    EXPECT_FALSE(DecodeImage(JpegWithHuffmanCounts(std::vector<unsigned char>(16, 20)), 64, image));
    EXPECT_TRUE(image.texels.empty());
    // With fill bytes before the start marker it is still read as a JPEG, and still refused.
    std::vector<unsigned char> padded = {0xFF};
    for (unsigned char c : JpegWithHuffmanCounts(std::vector<unsigned char>(16, 20))) {
        padded.push_back(c);
    }
    EXPECT_FALSE(DecodeImage(padded, 64, image));
}

// Files the fuzzer found to break stb_image 2.27 (kept in its seed corpus).
TEST(ImageDecoder, FilesThatBrokeTheDecoderAreRefused) {
    const std::filesystem::path corpus =
        std::filesystem::path(MOBILANT_SOURCE_DIR) / "tests/platform/fuzz/corpus";
    for (const char* name : {"jpeg-huffman-overflow-1.jpg", "jpeg-huffman-overflow-2.jpg",
                             "jpeg-undefined-table.jpg"}) {
        std::ifstream in(corpus / name, std::ios::binary);
        const std::vector<unsigned char> file(std::istreambuf_iterator<char>(in), {});
        ASSERT_FALSE(file.empty()) << name;
        DecodedImage image;
        EXPECT_FALSE(DecodeImage(file, 512, image)) << name;
    }
}

// Leaves freed blocks of the sizes a picture's buffers take, filled with the given byte, where
// the next allocations will find them.
void ScribbleOnTheHeap(unsigned char byte) {
    std::vector<void*> blocks;
    for (std::size_t size = 64 * 1024; size <= 1024 * 1024; size += 32 * 1024) {
        void* block = std::malloc(size);
        if (block == nullptr) continue;
        std::memset(block, byte, size);
        blocks.push_back(block);
    }
    for (void* block : blocks)
        std::free(block);
}

// A JPEG whose scan ends before its picture does leaves some of the decoder's buffers
// unwritten; what it gives must depend on the file alone, never on what the heap held.
TEST(ImageDecoder, AShortScanDecodesToTheSamePictureWhateverTheHeapHeld) {
    const std::filesystem::path file =
        std::filesystem::path(MOBILANT_SOURCE_DIR) / "tests/platform/fuzz/corpus/jpeg-short-scan.jpg";
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(bytes.empty());
    DecodedImage first, second;
    ScribbleOnTheHeap(0x00);
    ASSERT_TRUE(DecodeImage(bytes, 512, first));
    ScribbleOnTheHeap(0xA5);
    ASSERT_TRUE(DecodeImage(bytes, 512, second));
    EXPECT_EQ(first.width, 272u);
    EXPECT_EQ(first.height, 229u);
    EXPECT_TRUE(first.texels == second.texels);
}

TEST(ImageDecoder, SizeLimitComesFromTheHeader) {
    // A 2 x 1 uncompressed 24-bit TGA: within a limit of 2, beyond a limit of 1.
    const std::vector<unsigned char> tga = {0, 0, 2, 0, 0,  0, 0,  0,  0,  0,  0,  0,
                                            2, 0, 1, 0, 24, 0, 10, 20, 30, 40, 50, 60};
    DecodedImage image;
    ASSERT_TRUE(DecodeImage(tga, 2, image));
    EXPECT_EQ(image.width, 2u);
    // Stored bottom-up as blue, green, red.
    EXPECT_EQ(image.texels, (std::vector<D3DCOLOR>{0xFF1E140A, 0xFF3C3228}));
    EXPECT_FALSE(DecodeImage(tga, 1, image));
}

}  // namespace
