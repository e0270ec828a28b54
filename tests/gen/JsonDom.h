#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A plain JSON tree for checking the generator's output from its text, with
// object members kept in document order. Test-only: it throws
// std::runtime_error on malformed text and makes no attempt at speed.
struct JsonDom {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    struct Member;

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonDom> items;   // Array
    std::vector<Member> members;  // Object, in document order

    static JsonDom parse(std::string_view json);

    // The member called `key`; throws std::out_of_range when absent.
    const JsonDom& operator[](std::string_view key) const;
    const JsonDom* find(std::string_view key) const;
    const JsonDom& operator[](std::size_t index) const { return items.at(index); }
    std::size_t size() const;
    std::vector<double> numbers() const;  // an array of numbers
};

struct JsonDom::Member {
    std::string first;  // the key
    JsonDom second;
};

inline std::size_t JsonDom::size() const {
    return kind == Kind::Array ? items.size() : members.size();
}
