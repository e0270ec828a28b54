#include "JsonTreePrinter.h"

#include <cmath>
#include <cstdio>

#include "JsonNode.h"

using MobilantModule::JsonNode;
using MobilantModule::JsonTag;
using MobilantModule::JsonValue;

void JsonTreePrinter::print(JsonValue value, std::string& out) {
    switch (value.getTag()) {
        case JsonTag::Number:
            printNumber(value.getNumber(), out);
            return;
        case JsonTag::String:
            printString(value.getString(), out);
            return;
        case JsonTag::Bool:
            out += value.getPayload() != 0 ? "true" : "false";
            return;
        case JsonTag::Null:
            out += "null";
            return;
        case JsonTag::Array:
        case JsonTag::Object: {
            const bool object = value.is(JsonTag::Object);
            out += object ? '{' : '[';
            for (const JsonNode* node = value.getFirstNode(); node != nullptr; node = node->next) {
                if (object) {
                    printString(node->key, out);
                    out += ':';
                }
                print(node->value, out);
                if (node->next != nullptr) out += ',';
            }
            out += object ? '}' : ']';
            return;
        }
    }
    out += "null";  // a word no parse produces
}

void JsonTreePrinter::printNumber(double number, std::string& out) {
    if (std::isnan(number)) {
        out += "NaN";
    } else if (std::isinf(number)) {
        out += number < 0 ? "-Infinity" : "Infinity";
    } else {
        char text[32];
        std::snprintf(text, sizeof(text), "%.17g", number);
        out += text;
    }
}

void JsonTreePrinter::printString(const char* text, std::string& out) {
    static const char hex[] = "0123456789ABCDEF";
    out += '"';
    for (; *text != '\0'; ++text) {
        const auto byte = static_cast<unsigned char>(*text);
        if (byte == '"' || byte == '\\' || byte < 0x20 || byte == 0x7F) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += static_cast<char>(byte);
        }
    }
    out += '"';
}
