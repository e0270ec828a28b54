// One line of a scene script, split into words, numbers and strings.
//
// Arguments are numbers or "double-quoted strings" in which \" and \\ stand for a quote and a
// backslash; anything else that is not blank is a word (commands, labels, "="). A # outside a
// string starts a comment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SceneToken {
    enum class Kind { Word, Integer, Number, String };

    Kind kind = Kind::Word;
    std::string text;      // as written (strings without their quotes, escapes resolved)
    std::int64_t integer = 0;
    double number = 0;     // the value of Integer and Number tokens

    bool IsNumber() const { return kind == Kind::Integer || kind == Kind::Number; }
};

class SceneLine {
public:
    // Splits `line`; false with `error` set for an unterminated string or a bad escape.
    bool Parse(const std::string& line, std::string& error);

    const std::vector<SceneToken>& Tokens() const { return tokens_; }

private:
    std::vector<SceneToken> tokens_;
};
