#pragma once

#include <cstddef>

#include "JsonValue.h"

namespace MobilantModule {

// One array element or object member. Nodes of a container are linked in document order and
// live in the document's zones. Array elements are allocated without the `key` field (see
// arrayNodeSize): only a node reached through an object may read it.
struct JsonNode {
    JsonValue value;
    JsonNode* next;
    const char* key;  // decoded member key text (object members only)
};

// Bytes allocated for an array element: a node up to, not including, its key.
inline constexpr std::size_t arrayNodeSize = offsetof(JsonNode, key);
inline constexpr std::size_t memberNodeSize = sizeof(JsonNode);

}  // namespace MobilantModule
