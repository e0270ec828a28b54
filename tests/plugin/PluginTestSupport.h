// What the plug-in tests share: the files beside the test program, the stand-in MMFS2.dll's
// host table, and whether Wine can make a Direct3D 9 device here.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <windows.h>

#include "StandInHostApi.h"

// `name` in the directory of this program, where the build puts the plug-in and MMFS2.dll.
inline std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const std::size_t slash = directory.find_last_of(L"\\/");
    directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return directory + name;
}

// The stand-in MMFS2.dll's table (the program imports the DLL, so it is loaded); null if the
// DLL is not ours.
inline const StandInHostApi* StandInApi() {
    const HMODULE mmfs2 = GetModuleHandleW(L"MMFS2.dll");
    if (mmfs2 == nullptr) return nullptr;
    const auto get = reinterpret_cast<MobilantStandInHostFunction>(
        reinterpret_cast<void*>(GetProcAddress(mmfs2, kStandInHostExport)));
    return get != nullptr ? get() : nullptr;
}

// Why no Direct3D 9 device can be had, as a reason to skip; null when one may. Wine draws
// Direct3D with OpenGL on an X display.
inline const char* WhyNoDevice() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const bool wine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    if (wine && std::getenv("DISPLAY") == nullptr)
        return "Wine draws Direct3D with OpenGL on an X display, and DISPLAY is not set "
               "(./build.sh test runs these tests under Xvfb)";
    return nullptr;
}

// One service call the stand-in reported.
struct ServiceCall {
    int ordinal;
    std::string text;
    bool operator==(const ServiceCall&) const = default;
};

// Collects the service calls made while it lives (the stand-in must be running).
class CallLog {
public:
    explicit CallLog(const StandInHostApi* api) : api_(api) { api_->SetCallObserver(&Add, this); }
    ~CallLog() { api_->SetCallObserver(nullptr, nullptr); }
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;

    const std::vector<ServiceCall>& calls() const { return calls_; }
    std::vector<int> ordinals() const {
        std::vector<int> ordinals;
        for (const ServiceCall& call : calls_) ordinals.push_back(call.ordinal);
        return ordinals;
    }

private:
    static void Add(int ordinal, const char* text, void* user) {
        static_cast<CallLog*>(user)->calls_.push_back({ordinal, text});
    }

    const StandInHostApi* api_;
    std::vector<ServiceCall> calls_;
};

// The stand-in host started for one test and stopped after it.
class StandInRun {
public:
    StandInRun(const StandInHostApi* api, const StandInOptions& options) : api_(api) {
        started_ = api_ != nullptr && api_->Start(&options);
    }
    ~StandInRun() {
        if (started_) api_->Stop();
    }
    StandInRun(const StandInRun&) = delete;
    StandInRun& operator=(const StandInRun&) = delete;

    bool started() const { return started_; }

private:
    const StandInHostApi* api_;
    bool started_ = false;
};
