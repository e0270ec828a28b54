#include "JsonDom.h"

#include <cctype>
#include <charconv>
#include <stdexcept>

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    JsonDom document() {
        JsonDom value = parseValue();
        skipSpace();
        if (pos_ != text_.size()) fail("text after the document");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(pos_));
    }

    void skipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
    }

    char peek() {
        skipSpace();
        if (pos_ >= text_.size()) fail("unexpected end");
        return text_[pos_];
    }

    void expect(char c) {
        if (peek() != c) fail(std::string("expected '") + c + "'");
        ++pos_;
    }

    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    std::string parseString() {
        expect('"');
        std::string out;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            char c = text_[pos_++];
            if (c == '\\') {
                if (pos_ >= text_.size()) fail("bad escape");
                c = text_[pos_++];
                if (c == 'u') fail("\\u escapes are not expected in generated models");
                if (c == 'n')
                    c = '\n';
                else if (c == 't')
                    c = '\t';
            }
            out += c;
        }
        expect('"');
        return out;
    }

    JsonDom parseValue() {
        JsonDom value;
        const char c = peek();
        if (c == '{') {
            ++pos_;
            value.kind = JsonDom::Kind::Object;
            if (peek() == '}') {
                ++pos_;
                return value;
            }
            do {
                std::string key = parseString();
                expect(':');
                value.members.push_back({std::move(key), parseValue()});
            } while (peek() == ',' && ++pos_);
            expect('}');
        } else if (c == '[') {
            ++pos_;
            value.kind = JsonDom::Kind::Array;
            if (peek() == ']') {
                ++pos_;
                return value;
            }
            do {
                value.items.push_back(parseValue());
            } while (peek() == ',' && ++pos_);
            expect(']');
        } else if (c == '"') {
            value.kind = JsonDom::Kind::String;
            value.text = parseString();
        } else if (literal("true") || literal("false")) {
            value.kind = JsonDom::Kind::Bool;
            value.boolean = text_[pos_ - 1] == 'e' && text_[pos_ - 2] == 'u';
        } else if (literal("null")) {
            value.kind = JsonDom::Kind::Null;
        } else {
            value.kind = JsonDom::Kind::Number;
            const char* begin = text_.data() + pos_;
            const auto [end, ec] =
                std::from_chars(begin, text_.data() + text_.size(), value.number);
            if (ec != std::errc{}) fail("bad number");
            pos_ += static_cast<std::size_t>(end - begin);
        }
        return value;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

JsonDom JsonDom::parse(std::string_view json) {
    return Parser(json).document();
}

const JsonDom* JsonDom::find(std::string_view key) const {
    for (const auto& [name, value] : members) {
        if (name == key) return &value;
    }
    return nullptr;
}

const JsonDom& JsonDom::operator[](std::string_view key) const {
    const JsonDom* value = find(key);
    if (value == nullptr) throw std::out_of_range("no member " + std::string(key));
    return *value;
}

std::vector<double> JsonDom::numbers() const {
    std::vector<double> out;
    for (const JsonDom& item : items) {
        if (item.kind != Kind::Number) throw std::runtime_error("not an array of numbers");
        out.push_back(item.number);
    }
    return out;
}
