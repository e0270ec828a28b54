#include "JsonDocument.h"

#include <cstring>

#include "JsonParse.h"

namespace MobilantModule {

JsonDocument::~JsonDocument() {
    clear();
}

void JsonDocument::clear() {
    root = JsonValue();
    text.reset();
    allocator.release();
}

JsonStatus JsonDocument::parseText(std::string_view bytes, std::size_t* endOffset) {
    // The old tree points into the old text and zones: drop it before they go.
    clear();
    text = std::make_unique_for_overwrite<char[]>(bytes.size() + 1);
    if (!bytes.empty()) std::memcpy(text.get(), bytes.data(), bytes.size());
    text[bytes.size()] = '\0';
    char* end = text.get();
    const JsonStatus status = jsonParse(text.get(), end, root, allocator);
    if (endOffset != nullptr) *endOffset = static_cast<std::size_t>(end - text.get());
    return status;
}

}  // namespace MobilantModule
