#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "JsonAllocator.h"
#include "JsonStatus.h"
#include "JsonValue.h"

namespace MobilantModule {

// One parsed JSON text: the zero-terminated copy of the text that all strings point into,
// the zones that hold the nodes, and the root value. Every value, node, key and string read
// from the tree is valid only while the document lives and until its next parse.
class JsonDocument {
public:
    JsonDocument() = default;
    JsonDocument(const JsonDocument&) = delete;
    JsonDocument& operator=(const JsonDocument&) = delete;
    virtual ~JsonDocument();

    // Forgets any earlier content, copies `bytes` into a new zero-terminated text buffer
    // (kept whatever the outcome) and parses it in place. The root is the parsed value on
    // Ok and null otherwise. `endOffset`, if given, receives the parser's end position as an
    // offset into the text.
    JsonStatus parseText(std::string_view bytes, std::size_t* endOffset = nullptr);

    // The root value; null until a parse succeeds.
    JsonValue getRoot() const { return root; }

    // The text buffer as decoded in place; null before the first parse.
    const char* getText() const { return text.get(); }

    // Number of zones holding the tree's nodes.
    std::size_t zoneCount() const { return allocator.zoneCount(); }

    // Frees the text and the tree; the root becomes null, as after a failed parse.
    void clear();

private:
    JsonValue root;
    JsonAllocator allocator;
    std::unique_ptr<char[]> text;
};

}  // namespace MobilantModule
