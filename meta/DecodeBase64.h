#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace MobilantModule {

// Decodes standard base64 (RFC 4648: A-Z, a-z, 0-9, "+", "/"). Characters are taken from the
// start of `text` up to the first "=" or the first character outside that alphabet; the rest
// is ignored. Each full group of four characters gives three bytes and a final group of k
// characters (k = 1, 2, 3) gives k - 1 bytes, the high bits of what it holds.
std::vector<std::uint8_t> DecodeBase64(std::string_view text);

}  // namespace MobilantModule
