#include "SceneLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Classifies a bare word: an integer, a finite number, or a word.
SceneToken Classify(std::string text) {
    SceneToken token;
    token.text = std::move(text);
    const char* begin = token.text.c_str();
    char* end = nullptr;
    const bool numberLike = (begin[0] >= '0' && begin[0] <= '9') ||
                            ((begin[0] == '-' || begin[0] == '+' || begin[0] == '.') &&
                             begin[1] != '\0');
    if (!numberLike) return token;
    errno = 0;
    const long long integer = std::strtoll(begin, &end, 10);
    if (*end == '\0' && errno == 0) {
        token.kind = SceneToken::Kind::Integer;
        token.integer = integer;
        token.number = static_cast<double>(integer);
        return token;
    }
    errno = 0;
    const double number = std::strtod(begin, &end);
    if (*end == '\0' && std::isfinite(number)) {
        token.kind = SceneToken::Kind::Number;
        token.number = number;
    }
    return token;
}

}  // namespace

bool SceneLine::Parse(const std::string& line, std::string& error) {
    tokens_.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        if (Blank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        if (line[i] == '"') {
            SceneToken token;
            token.kind = SceneToken::Kind::String;
            bool closed = false;
            for (++i; i < line.size(); ++i) {
                if (line[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (line[i] == '\\') {
                    if (i + 1 >= line.size() || (line[i + 1] != '"' && line[i + 1] != '\\')) {
                        error = "only \\\" and \\\\ may follow a backslash in a string";
                        return false;
                    }
                    ++i;
                }
                token.text.push_back(line[i]);
            }
            if (!closed) {
                error = "unterminated string";
                return false;
            }
            tokens_.push_back(std::move(token));
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && !Blank(line[end]) && line[end] != '"' && line[end] != '#')
            ++end;
        tokens_.push_back(Classify(line.substr(i, end - i)));
        i = end;
    }
    return true;
}
