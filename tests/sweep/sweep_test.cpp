// The bad-input sweep: every member of every creatable class of the libraries
// under test, called through IDispatch::Invoke with argument lists a careless
// or hostile host might pass. A call passes when it succeeds, answers a
// dispatcher argument error, or fails with an automation error that carries a
// number and a description; every message box it shows has a caption and a
// text; and the object still answers afterwards.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "common/testing/harness.h"
#include "tests/sweep/calls.h"

namespace sweep {
namespace {

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using frame::testing::MessageBoxCapture;

// ------------------------------------------------------------- the watchdog

// Ends the process with the call's name when one call runs too long.
class Watchdog {
public:
    Watchdog() : thread_([this] { watch(); }) {}
    ~Watchdog() {
        stop_ = true;
        thread_.join();
    }
    void begin(const std::string& call) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            call_ = call;
        }
        started_ = GetTickCount();
        running_ = true;
    }
    void end() { running_ = false; }

private:
    void watch() {
        while (!stop_) {
            Sleep(200);
            if (running_ && GetTickCount() - started_ > kLimitMs) {
                std::lock_guard<std::mutex> lock(mutex_);
                std::fprintf(stderr, "HANG: %s ran longer than %lu s\n", call_.c_str(), kLimitMs / 1000);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
    }
    static constexpr DWORD kLimitMs = 120000;
    std::mutex mutex_;
    std::string call_;
    std::atomic<DWORD> started_{0};
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

bool argumentError(HRESULT hr) {
    switch (hr) {
        case DISP_E_BADPARAMCOUNT: case DISP_E_TYPEMISMATCH: case DISP_E_PARAMNOTFOUND:
        case DISP_E_PARAMNOTOPTIONAL: case DISP_E_BADVARTYPE: case DISP_E_OVERFLOW: case DISP_E_NONAMEDARGS:
        case DISP_E_NOTACOLLECTION: case DISP_E_BADINDEX: case DISP_E_MEMBERNOTFOUND:
        case E_INVALIDARG:  // the standard dispatcher's answer to named arguments it cannot place
            return true;
        default:
            return false;
    }
}

class Sweeper {
public:
    explicit Sweeper(const Library& library) : library_(library) {}

    void run() {
        for (const Class& cls : library_.classes) sweepClass(cls);
        expectUnloadable();
    }

private:
    void sweepClass(const Class& cls) {
        const SavedSettings saved(library_, cls);
        const char* only = std::getenv("SWEEP_ONLY");  // e.g. "ExpToolTip.Picture get", for a closer look
        for (const Member& member : cls.members) {
            if (only && describe(cls, member) != only) continue;
            const DWORD started = GetTickCount();
            for (const Call& call : callsFor(member)) {
                if (only) std::printf("    %s\n", call.label.c_str());
                Windows windows;
                ComPtr<IDispatch> object = create(library_, cls);
                ASSERT_TRUE(object) << narrow(cls.name) << " cannot be created";
                invoke(cls, member, object.get(), call, windows);
                object.reset();
                frame::testing::pumpMessages(0);
                EXPECT_FALSE(windows.subclassed())
                    << describe(cls, member) << " (" << call.label << ") left a window subclassed after release";
            }
            std::printf("  %s: %lu ms\n", describe(cls, member).c_str(), GetTickCount() - started);
            std::fflush(stdout);
        }
    }

    void invoke(const Class& cls, const Member& member, IDispatch* object, const Call& call, const Windows& windows) {
        const std::string name = describe(cls, member) + " (" + call.label + ")";
        watchdog_.begin(name);
        const Outcome out = sweep::invoke(object, member, argumentsWithWindow(call, windows), call.byReference,
                                          call.namedBeyondCount);
        watchdog_.end();
        ++calls_;

        if (out.hr == DISP_E_EXCEPTION) {
            EXPECT_NE(out.number, 0) << name << ": an error without a number";
            EXPECT_FALSE(out.description.empty()) << name << ": an error without a description";
        } else {
            EXPECT_TRUE(SUCCEEDED(out.hr) || argumentError(out.hr)) << name << ": HRESULT 0x" << std::hex << out.hr;
        }
        for (const auto& box : out.boxes) {
            EXPECT_FALSE(box.caption.empty()) << name << ": a message box without a caption";
            EXPECT_FALSE(box.text.empty()) << name << ": a message box without a text";
        }
        UINT count = 0;
        EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK) << name << ": the object no longer answers";
    }

    void expectUnloadable() {
        HMODULE module = GetModuleHandleW(library_.path.c_str());
        ASSERT_TRUE(module);
        using CanUnload = HRESULT(WINAPI*)();
        auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        ASSERT_TRUE(canUnload);
        EXPECT_EQ(canUnload(), S_OK) << narrow(library_.name) << " holds objects after every one was released";
    }

    static std::string narrow(const std::u16string& s) { return frame::testing::narrow(s); }

    const Library& library_;
    Watchdog watchdog_;
    size_t calls_ = 0;

public:
    size_t calls() const { return calls_; }
};

TEST(Sweep, EveryMemberOfEveryClassTakesBadInput) {
    // Members that name files work in a folder of the sweep's own.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"sweep-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());

    const std::vector<Library> libraries = librariesUnderTest();
    ASSERT_FALSE(libraries.empty()) << "SWEEP_LIBRARIES names no library";
    for (const Library& library : libraries) {
        SCOPED_TRACE(frame::testing::narrow(library.name));
        EXPECT_FALSE(library.classes.empty());
        Sweeper sweeper(library);
        sweeper.run();
        std::printf("%s: %zu classes, %zu calls\n", frame::testing::narrow(library.name).c_str(),
                    library.classes.size(), sweeper.calls());
    }
    endLaunchedPrograms();
}

}  // namespace
}  // namespace sweep
