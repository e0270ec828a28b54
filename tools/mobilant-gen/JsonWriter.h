#pragma once

#include <string>
#include <string_view>
#include <vector>

// Writes JSON text in one pass. Containers nested less deeply than
// `lineDepth` put each member on its own line; deeper ones stay on one line.
// Numbers have a fixed format that does not depend on the locale.
class JsonWriter {
public:
    explicit JsonWriter(int lineDepth) : lineDepth_(lineDepth) {}

    void beginObject() { open('{', true); }
    void endObject() { close('}'); }
    void beginArray() { open('[', false); }
    void endArray() { close(']'); }
    void key(std::string_view name);
    void number(double value);
    void integer(long long value);
    void boolean(bool value);
    void string(std::string_view value);

    // The text written so far; complete once every container is closed.
    const std::string& text() const { return out_; }

private:
    struct Level {
        bool isObject;
        bool multiline;
        bool empty;
    };

    void beforeValue();
    void open(char bracket, bool isObject);
    void close(char bracket);
    void newline(std::size_t depth);
    void appendQuoted(std::string_view value);

    std::vector<Level> stack_;
    std::string out_;
    int lineDepth_;
    bool afterKey_ = false;
};

// A number with at most six decimals and no trailing zeros ("0.5", "-2", "0");
// throws std::invalid_argument for infinities and NaN, which JSON cannot hold.
std::string formatNumber(double value);
