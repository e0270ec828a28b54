#include "DecodeBase64.h"

#include <array>
#include <cstddef>

namespace MobilantModule {

namespace {

constexpr std::uint8_t kNotInAlphabet = 0xFF;

constexpr std::array<std::uint8_t, 256> makeSextets() {
    std::array<std::uint8_t, 256> sextets{};
    sextets.fill(kNotInAlphabet);
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        sextets[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    return sextets;
}

constexpr std::array<std::uint8_t, 256> kSextets = makeSextets();

}  // namespace

std::vector<std::uint8_t> DecodeBase64(std::string_view text) {
    std::size_t length = 0;
    while (length < text.size() &&
           kSextets[static_cast<unsigned char>(text[length])] != kNotInAlphabet)
        ++length;

    std::vector<std::uint8_t> bytes;
    bytes.reserve(length / 4 * 3 + 2);
    std::uint32_t bits = 0;  // the sextets of the group so far, newest lowest
    for (std::size_t i = 0; i < length; ++i) {
        bits = bits << 6 | kSextets[static_cast<unsigned char>(text[i])];
        if (i % 4 == 3) {
            bytes.push_back(static_cast<std::uint8_t>(bits >> 16));
            bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
            bytes.push_back(static_cast<std::uint8_t>(bits));
            bits = 0;
        }
    }
    // A partial group of k sextets holds 6k bits: its k - 1 whole bytes are the high ones.
    switch (length % 4) {
        case 2:
            bytes.push_back(static_cast<std::uint8_t>(bits >> 4));
            break;
        case 3:
            bytes.push_back(static_cast<std::uint8_t>(bits >> 10));
            bytes.push_back(static_cast<std::uint8_t>(bits >> 2));
            break;
        default:
            break;
    }
    return bytes;
}

}  // namespace MobilantModule
