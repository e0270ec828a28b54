#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Standard base64 (RFC 4648) with "=" padding.
std::string encodeBase64(const std::vector<std::uint8_t>& bytes);
