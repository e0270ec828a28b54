#include "ScenePlayer.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "HostRecords.h"
#include "ImageFiles.h"
#include "MessageBoxes.h"
#include "RoutineTable.h"
#include "SceneLine.h"
#include "WideStrings.h"

namespace R = HostRecords;

namespace {

ScenePlayer* playing = nullptr;

std::string Nine(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out + "\"";
}

std::string Shown(const ExpressionValue& value) {
    return value.isFloat ? Nine(value.number) : std::to_string(value.integer);
}

// The token as the script wrote it.
std::string AsWritten(const SceneToken& token) {
    return token.kind == SceneToken::Kind::String ? Quoted(token.text) : token.text;
}

bool IntegerArgument(const SceneToken& token, long long low, long long high, long long& out,
                     const char* what, std::string& error) {
    if (token.kind != SceneToken::Kind::Integer || token.integer < low || token.integer > high) {
        error = std::string(what) + " must be an integer from " + std::to_string(low) + " to " +
                std::to_string(high) + ", not " + AsWritten(token);
        return false;
    }
    out = token.integer;
    return true;
}

}  // namespace

ScenePlayer::ScenePlayer(std::ostream& out, std::ostream& errors,
                         const ExtensionEntryPoints& extension, const HeadlessHost::Options& options)
    : out_(out), errors_(errors), extension_(extension), options_(options) {}

ScenePlayer::~ScenePlayer() {
    if (playing == this) {
        SetMessageBoxObserver(nullptr);
        playing = nullptr;
    }
}

void ScenePlayer::OnMessageBox(const ShownMessageBox& box) {
    if (playing != nullptr) playing->PrintMessageBox(box.caption, box.text);
}

void ScenePlayer::PrintMessageBox(const std::wstring& caption, const std::wstring& text) {
    out_ << "messagebox " << Quoted(NarrowWideString(caption.c_str(), std::string::npos)) << ' '
         << Quoted(NarrowWideString(text.c_str(), std::string::npos)) << '\n';
}

int ScenePlayer::Play(const std::string& text, const std::string& name) {
    playing = this;
    SetMessageBoxObserver(&ScenePlayer::OnMessageBox);
    std::istringstream lines(text);
    std::string raw;
    int number = 0;
    int status = kPassed;
    while (std::getline(lines, raw)) {
        ++number;
        SceneLine line;
        std::string error;
        if (!line.Parse(raw, error) || !Run(line, error)) {
            errors_ << name << ':' << number << ": " << error << '\n';
            status = kScriptError;
            break;
        }
    }
    Finish();
    SetMessageBoxObserver(nullptr);
    playing = nullptr;
    out_.flush();
    if (status == kPassed && failed_) status = kExpectationFailed;
    return status;
}

void ScenePlayer::Finish() {
    if (host_ != nullptr) host_->End();
    if (recording_ != nullptr) {
        if (!recording_->Write(recordPath_))
            errors_ << "could not write the recording " << recordPath_ << '\n';
        recording_.reset();
    }
    host_.reset();
}

bool ScenePlayer::NeedHost(std::string& error) {
    if (host_ != nullptr) return true;
    try {
        host_ = std::make_unique<HeadlessHost>(extension_, options_);
    } catch (const std::exception& e) {
        error = std::string("cannot start the host: ") + e.what();
        return false;
    }
    return true;
}

bool ScenePlayer::NeedInstance(std::string& error) {
    if (host_ != nullptr && host_->Exists(current_)) return true;
    error = current_ < 0 ? "no instance has been created" : "the current instance was destroyed";
    return false;
}

bool ScenePlayer::Loops(long long count, std::string& error) {
    if (!NeedHost(error)) return false;
    for (long long i = 0; i < count; ++i) {
        host_->Loop();
        if (recording_ != nullptr && !recording_->Add(host_->Frame())) {
            error = "could not encode a frame of the recording";
            return false;
        }
        if (!framesDirectory_.empty()) {
            char name[32];
            std::snprintf(name, sizeof name, "/%04d.png", ++framesWritten_);
            if (!WritePng(framesDirectory_ + name, host_->Frame(), host_->FrameWidth(),
                          host_->FrameHeight())) {
                error = "cannot write " + framesDirectory_ + name;
                return false;
            }
        }
    }
    return true;
}

bool ScenePlayer::Run(const SceneLine& line, std::string& error) {
    const auto& t = line.Tokens();
    if (t.empty()) return true;
    if (t[0].kind != SceneToken::Kind::Word) {
        error = "a line starts with a command, not " + AsWritten(t[0]);
        return false;
    }
    const std::string& command = t[0].text;
    const std::size_t n = t.size();
    long long a = 0, b = 0, c = 0, d = 0;

    if (command == "frame") {
        if (host_ != nullptr) {
            error = "frame must come before the first create";
            return false;
        }
        if (n != 3 || !IntegerArgument(t[1], 1, HeadlessHost::kMaxFrameSize, a, "the width", error) ||
            !IntegerArgument(t[2], 1, HeadlessHost::kMaxFrameSize, b, "the height", error)) {
            if (error.empty()) error = "usage: frame W H";
            return false;
        }
        if (a * b > HeadlessHost::kMaxFramePixels) {
            error = "the frame is too large";
            return false;
        }
        options_.frameWidth = static_cast<int>(a);
        options_.frameHeight = static_cast<int>(b);
        return true;
    }
    if (command == "create") {
        if ((n != 3 && n != 5) || !IntegerArgument(t[1], INT32_MIN, INT32_MAX, a, "X", error) ||
            !IntegerArgument(t[2], INT32_MIN, INT32_MAX, b, "Y", error)) {
            if (error.empty()) error = "usage: create X Y [W H]";
            return false;
        }
        c = 240, d = 320;
        if (n == 5 && (!IntegerArgument(t[3], INT32_MIN, INT32_MAX, c, "W", error) ||
                       !IntegerArgument(t[4], INT32_MIN, INT32_MAX, d, "H", error)))
            return false;
        if (!NeedHost(error)) return false;
        current_ = host_->Create(static_cast<int>(a), static_cast<int>(b), static_cast<int>(c),
                                 static_cast<int>(d));
        return true;
    }
    if (command == "select") {
        if (n != 2 || !IntegerArgument(t[1], 0, INT32_MAX, a, "the instance", error)) {
            if (error.empty()) error = "usage: select N";
            return false;
        }
        if (host_ == nullptr || !host_->Exists(static_cast<int>(a))) {
            error = "there is no instance " + std::to_string(a);
            return false;
        }
        current_ = static_cast<int>(a);
        return true;
    }
    if (command == "destroy") {
        if (n > 2 || (n == 2 && !IntegerArgument(t[1], 0, INT32_MAX, a, "the instance", error))) {
            if (error.empty()) error = "usage: destroy [N]";
            return false;
        }
        const int which = n == 2 ? static_cast<int>(a) : current_;
        if (host_ == nullptr || !host_->Destroy(which)) {
            error = "there is no instance " + std::to_string(which);
            return false;
        }
        return true;
    }
    if (command == "loop") {
        if (n > 2 || (n == 2 && !IntegerArgument(t[1], 0, 1000000, a, "the loop count", error))) {
            if (error.empty()) error = "usage: loop [N]";
            return false;
        }
        return Loops(n == 2 ? a : 1, error);
    }
    if (command == "save") {
        if (n != 2 || t[1].kind == SceneToken::Kind::Integer || t[1].kind == SceneToken::Kind::Number) {
            error = "usage: save FILE.png";
            return false;
        }
        if (!NeedHost(error)) return false;
        if (!WritePng(t[1].text, host_->Frame(), host_->FrameWidth(), host_->FrameHeight())) {
            error = "cannot write " + t[1].text;
            return false;
        }
        return true;
    }
    if (command == "record") {
        if (n != 2 || t[1].IsNumber()) {
            error = "usage: record FILE";
            return false;
        }
        if (!NeedHost(error)) return false;
        if (recording_ != nullptr && !recording_->Write(recordPath_))
            errors_ << "could not write the recording " << recordPath_ << '\n';
        recordPath_ = t[1].text;
        recording_ = std::make_unique<AnimatedWebp>(host_->FrameWidth(), host_->FrameHeight(), 30);
        return true;
    }
    if (command == "lose-device") {
        if (n != 1) {
            error = "usage: lose-device";
            return false;
        }
        if (!NeedHost(error)) return false;
        host_->LoseDevice();
        return true;
    }
    if (command == "print-host") {
        if (n != 1) {
            error = "usage: print-host";
            return false;
        }
        if (!NeedInstance(error)) return false;
        const RunData* rd = host_->RunDataOf(current_);
        namespace O = R::RunObject;
        out_ << "host = " << O::X::Get(rd) << ' ' << O::Y::Get(rd) << ' ' << O::ImageWidth::Get(rd)
             << ' ' << O::ImageHeight::Get(rd) << ' ' << O::HotSpotX::Get(rd) << ' '
             << O::HotSpotY::Get(rd) << ' ' << Nine(O::ScaleX::Get(rd)) << ' '
             << Nine(O::ScaleY::Get(rd)) << ' ' << Nine(O::Angle::Get(rd)) << '\n';
        return true;
    }
    if (command == "print") {
        ExpressionValue value;
        std::string call;
        if (!Evaluate(line, 1, n, value, call, error)) return false;
        out_ << call << " = " << Shown(value) << '\n';
        return true;
    }
    if (command == "expect") {
        std::size_t equals = 1;
        while (equals < n && !(t[equals].kind == SceneToken::Kind::Word && t[equals].text == "="))
            ++equals;
        if (equals == n || n - equals < 2 || n - equals > 3 || !t[equals + 1].IsNumber() ||
            (n - equals == 3 && !t[equals + 2].IsNumber())) {
            error = "usage: expect LABEL [args] = VALUE [TOLERANCE]";
            return false;
        }
        ExpressionValue value;
        std::string call;
        if (!Evaluate(line, 1, equals, value, call, error)) return false;
        const double want = t[equals + 1].number;
        const double tolerance = n - equals == 3 ? t[equals + 2].number : 0.0;
        if (!(std::fabs(value.AsDouble() - want) <= tolerance)) {
            failed_ = true;
            out_ << "expect failed: " << call << " = " << Shown(value) << ", expected "
                 << t[equals + 1].text;
            if (n - equals == 3) out_ << " within " << t[equals + 2].text;
            out_ << '\n';
        }
        return true;
    }
    return RunAction(line, error);
}

bool ScenePlayer::RunAction(const SceneLine& line, std::string& error) {
    const auto& t = line.Tokens();
    const RoutineEntry* action = FindActionByLabel(t[0].text.c_str());
    if (action == nullptr) {
        error = "unknown command or action \"" + t[0].text + "\"";
        return false;
    }
    if (t.size() - 1 != action->parameterCount) {
        error = t[0].text + " takes " + std::to_string(action->parameterCount) + " argument" +
                (action->parameterCount == 1 ? "" : "s");
        return false;
    }
    std::vector<HostValue> values;
    for (std::size_t p = 0; p < action->parameterCount; ++p) {
        const SceneToken& token = t[p + 1];
        const bool wantsText = action->parameters[p].type == ParameterType::String;
        if (wantsText != (token.kind == SceneToken::Kind::String)) {
            error = std::string("argument ") + std::to_string(p + 1) + " of " + t[0].text +
                    (wantsText ? " is a \"string\"" : " is a number");
            return false;
        }
        if (wantsText)
            values.push_back(HostValue::Text(WidenNarrowString(token.text.c_str())));
        else if (token.kind == SceneToken::Kind::Integer)
            values.push_back(HostValue::Integer(token.integer));
        else
            values.push_back(HostValue::Number(token.number));
    }
    if (!NeedInstance(error)) return false;
    host_->Action(current_, action->code, values);
    return true;
}

bool ScenePlayer::Evaluate(const SceneLine& line, std::size_t first, std::size_t end,
                           ExpressionValue& value, std::string& call, std::string& error) {
    const auto& t = line.Tokens();
    if (first >= end || t[first].kind != SceneToken::Kind::Word) {
        error = "an expression's menu label is missing";
        return false;
    }
    const RoutineEntry* expression = FindExpressionByLabel(t[first].text.c_str());
    if (expression == nullptr) {
        error = "unknown expression \"" + t[first].text + "\"";
        return false;
    }
    const std::size_t count = end - first - 1;
    if (count != expression->parameterCount) {
        error = t[first].text + " takes " + std::to_string(expression->parameterCount) +
                " argument" + (expression->parameterCount == 1 ? "" : "s");
        return false;
    }
    std::vector<HostValue> values;
    call = t[first].text + "(";
    for (std::size_t i = first + 1; i < end; ++i) {
        if (!t[i].IsNumber()) {
            error = "expression arguments are numbers, not " + AsWritten(t[i]);
            return false;
        }
        values.push_back(t[i].kind == SceneToken::Kind::Integer ? HostValue::Integer(t[i].integer)
                                                                : HostValue::Number(t[i].number));
        call += (i > first + 1 ? ", " : "") + t[i].text;
    }
    call += ")";
    if (!NeedInstance(error)) return false;
    host_->Expression(current_, expression->code, values, value);
    return true;
}
