// The extension in the headless host, for tests: instances driven by their actions' labels and
// asked for expressions, as scene scripts do, with the host's records and frame at hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "HeadlessHost.h"
#include "HostRecords.h"
#include "HostValue.h"
#include "LinkedExtension.h"
#include "RoutineTable.h"
#include "WideStrings.h"

inline HostValue Int(std::int64_t v) {
    return HostValue::Integer(v);
}
inline HostValue Num(double v) {
    return HostValue::Number(v);
}
inline HostValue Text(const std::string& utf8) {
    return HostValue::Text(WidenNarrowString(utf8.c_str()));
}

// A sample file by its path in the source tree.
inline std::string Sample(const char* name) {
    return std::string(MOBILANT_SOURCE_DIR) + "/samples/" + name;
}

class ExtensionHost {
public:
    static constexpr std::uint32_t kBackground = 0xFFE8EEF2;

    explicit ExtensionHost(HeadlessHost::Options options = {})
        : host((options.background = kBackground, LinkedExtension()), options) {}

    // Runs the action labelled `label` on instance `n`.
    void Act(int n, const char* label, std::initializer_list<HostValue> args = {}) {
        const RoutineEntry* action = FindActionByLabel(label);
        ASSERT_NE(action, nullptr) << label;
        ASSERT_TRUE(host.Action(n, action->code, args)) << label;
    }
    // The expression labelled `label` on instance `n`, as a double.
    double Ask(int n, const char* label, std::initializer_list<HostValue> args = {}) {
        const RoutineEntry* expression = FindExpressionByLabel(label);
        ExpressionValue value;
        if (expression == nullptr || !host.Expression(n, expression->code, args, value)) {
            ADD_FAILURE() << "no expression " << label;
            return -1;
        }
        return value.AsDouble();
    }
    ExpressionValue AskValue(int n, const char* label, std::initializer_list<HostValue> args = {}) {
        const RoutineEntry* expression = FindExpressionByLabel(label);
        ExpressionValue value;
        if (expression == nullptr || !host.Expression(n, expression->code, args, value))
            ADD_FAILURE() << "no expression " << label;
        return value;
    }

    // Loads the character into model slot 0 and `texture` into texture slot 0, and gives both to
    // instance n, with its hot spot in the middle of its surface.
    void Character(int n, const std::string& texture = Sample("character.png")) {
        Act(n, "LoadMobilantPool", {Int(0), Text(Sample("character.json"))});
        Act(n, "LoadTexturePool", {Int(0), Text(texture)});
        Act(n, "SetMobilantData", {Int(0)});
        Act(n, "SetTexture", {Int(0)});
    }

    RunData* Data(int n) { return host.RunDataOf(n); }
    template <class F>
    typename F::Type Field(int n) {
        return F::Get(Data(n));
    }

    std::uint32_t Pixel(const std::vector<std::uint32_t>& frame, int x, int y) const {
        return frame[static_cast<std::size_t>(y) * host.FrameWidth() + x];
    }

    HeadlessHost host;
};
