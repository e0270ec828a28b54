#include "JsonWriter.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

std::string formatNumber(double value) {
    if (!std::isfinite(value)) throw std::invalid_argument("JSON numbers must be finite");
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (ec != std::errc{}) throw std::invalid_argument("number too large to format");
    std::string text(buffer, end);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

void JsonWriter::newline(std::size_t depth) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (stack_.empty()) return;
    Level& level = stack_.back();
    if (!level.empty) out_ += ',';
    level.empty = false;
    if (level.multiline) newline(stack_.size());
}

void JsonWriter::key(std::string_view name) {
    beforeValue();
    appendQuoted(name);
    out_ += ':';
    if (stack_.back().multiline) out_ += ' ';
    afterKey_ = true;
}

void JsonWriter::open(char bracket, bool isObject) {
    beforeValue();
    out_ += bracket;
    const bool multiline = static_cast<int>(stack_.size()) < lineDepth_ && isObject;
    stack_.push_back({isObject, multiline, true});
}

void JsonWriter::close(char bracket) {
    const Level level = stack_.back();
    stack_.pop_back();
    if (level.multiline && !level.empty) newline(stack_.size());
    out_ += bracket;
    if (stack_.empty()) out_ += '\n';
}

void JsonWriter::number(double value) {
    beforeValue();
    out_ += formatNumber(value);
}

void JsonWriter::integer(long long value) {
    beforeValue();
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, end);
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::string(std::string_view value) {
    beforeValue();
    appendQuoted(value);
}

void JsonWriter::appendQuoted(std::string_view value) {
    out_ += '"';
    for (const char c : value) {
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out_ += "\\u00";
            out_ += hex[(c >> 4) & 0xF];
            out_ += hex[c & 0xF];
        } else {
            out_ += c;
        }
    }
    out_ += '"';
}
