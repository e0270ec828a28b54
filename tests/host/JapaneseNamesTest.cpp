// Names are UTF-8 from the script to the model: a model under a Japanese file name whose clip
// has a Japanese name loads, plays, and a missing Japanese clip is named in its message.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "LinkedExtension.h"
#include "MessageBoxes.h"
#include "OpenFile.h"
#include "ScenePlayer.h"

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(JapaneseNames, ClipAndFileNamesReachTheModelAsUtf8) {
    SetMessageBoxDialogs(false);
    // samples/tiny.json with its clip "bend" named 曲げる, saved as タイニー.json.
    std::string model = ReadText(std::string(MOBILANT_SOURCE_DIR) + "/samples/tiny.json");
    const std::size_t at = model.find("\"bend\"");
    ASSERT_NE(at, std::string::npos);
    model.replace(at, 6, "\"\xE6\x9B\xB2\xE3\x81\x92\xE3\x82\x8B\"");
    const std::string path = std::string(MOBILANT_BINARY_DIR) +
                             "/test-scratch/host/\xE3\x82\xBF\xE3\x82\xA4\xE3\x83\x8B\xE3\x83\xBC.json";
    std::FILE* file = OpenUtf8File(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(model.data(), 1, model.size(), file);
    std::fclose(file);

    const std::string scene = "create 0 0\n"
                              "LoadMobilantPool 0 \"" + path + "\"\n"
                              "SetMobilantData 0\n"
                              "InitAnimation \"\xE6\x9B\xB2\xE3\x81\x92\xE3\x82\x8B\"\n"
                              "PlayAnimation \"\xE6\x9B\xB2\xE3\x81\x92\xE3\x82\x8B\"\n"
                              "loop 5\n"
                              "expect getAnimetionTime = 1.5 1e-5\n"
                              "InitAnimation \"\xE8\xB5\xB0\xE3\x82\x8B\"\n";
    std::ostringstream out, errors;
    ScenePlayer player(out, errors, LinkedExtension());
    EXPECT_EQ(player.Play(scene, "japanese"), ScenePlayer::kPassed) << errors.str();
    EXPECT_EQ(out.str(), "messagebox \"Mobilant Animation Extention\" "
                         "\"Animation [ \xE8\xB5\xB0\xE3\x82\x8B ] does not exist\"\n");
}

}  // namespace
