#include "MessageBoxes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Message boxes come from the host's single game thread, so the record takes no lock.
struct Record {
    std::vector<ShownMessageBox> shown;
    bool dialogs = true;
    bool dialogsChosen = false;
    MessageBoxObserver observer = nullptr;
};

Record& TheRecord() {
    static Record record;
    return record;
}

bool DialogsFromEnvironment() {
    const char* value = std::getenv("MOBILANT_NO_DIALOGS");
    return value == nullptr || value[0] == '\0' || std::strcmp(value, "0") == 0;
}

// UTF-8 for standard error, whatever the locale: wchar_t is UTF-16 on Windows
// and UTF-32 elsewhere.
std::string Utf8(const std::wstring& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned long c = static_cast<unsigned long>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const unsigned long low = static_cast<unsigned long>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace

int ShowMessageBox(const wchar_t* text, const wchar_t* caption) {
    ShownMessageBox box{caption != nullptr ? caption : L"", text != nullptr ? text : L""};
    Record& record = TheRecord();
    if (!record.dialogsChosen) {
        record.dialogs = DialogsFromEnvironment();
        record.dialogsChosen = true;
    }
    const bool dialogs = record.dialogs;
    if (record.shown.size() < kMaxRecordedMessageBoxes) record.shown.push_back(box);
    // The observer may show boxes of its own or re-enter whoever showed this one.
    const MessageBoxObserver observer = record.observer;
#ifdef _WIN32
    if (dialogs) {
        if (observer != nullptr) observer(box);
        return MessageBoxW(nullptr, box.text.c_str(), box.caption.c_str(), MB_OK);
    }
#else
    (void)dialogs;
#endif
    if (observer != nullptr) {
        observer(box);
        return 1;  // IDOK
    }
    std::string line = "[";
    line.append(Utf8(box.caption)).append("] ").append(Utf8(box.text)).append("\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return 1;  // IDOK
}

void SetMessageBoxDialogs(bool enabled) {
    Record& record = TheRecord();
    record.dialogs = enabled;
    record.dialogsChosen = true;
}

void SetMessageBoxObserver(MessageBoxObserver observer) {
    TheRecord().observer = observer;
}

std::vector<ShownMessageBox> ShownMessageBoxes() {
    Record& record = TheRecord();
    return record.shown;
}

void ClearShownMessageBoxes() {
    Record& record = TheRecord();
    record.shown.clear();
}
