// The frame's own dispatcher against the reference (the type library's
// dispatcher with the frame's adaptations for script hosts): every member of
// every creatable class, called with the sweep's argument lists through both,
// each on a fresh object, gives the same HRESULT, error, message boxes, result
// and by-reference outputs.
#include <windows.h>
#include <oleauto.h>

#include <cstdlib>
#include <sstream>

#include "common/testing/harness.h"
#include "tests/sweep/calls.h"
#include "tests/sweep/reference_dispatch.h"

namespace sweep {
namespace {

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;

// A library object answering Invoke through the reference dispatcher.
class ReferenceObject final : public IDispatch {
public:
    explicit ReferenceObject(ComPtr<IDispatch> object) : object_(std::move(object)) {
        object_->GetTypeInfo(0, LOCALE_USER_DEFAULT, info_.put());
        TYPEATTR* attr = nullptr;
        if (info_ && SUCCEEDED(info_->GetTypeAttr(&attr))) {
            object_->QueryInterface(attr->guid, reinterpret_cast<void**>(instance_.put()));
            info_->ReleaseTypeAttr(attr);
        }
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return object_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return object_->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return info_->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        return referenceInvoke(info_.get(), instance_.get(), id, flags, params, result, exception, argumentError);
    }
    bool ready() const { return instance_.get() != nullptr; }

private:
    ComPtr<IDispatch> object_;
    ComPtr<ITypeInfo> info_;
    ComPtr<IDispatch> instance_;  // the class's own interface
};

std::string show(const VARIANT& value) {
    std::ostringstream out;
    out << "vt " << V_VT(&value);
    const VARTYPE vt = V_VT(&value);
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
        out << (V_UNKNOWN(&value) ? " object" : " Nothing");
    } else if (vt & VT_ARRAY) {
        LONG low = 0, high = -1;
        SafeArrayGetLBound(V_ARRAY(&value), 1, &low);
        SafeArrayGetUBound(V_ARRAY(&value), 1, &high);
        out << " [" << low << ".." << high << "]";
    } else {
        Variant text;
        if (SUCCEEDED(VariantChangeType(text.put(), const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL, VT_BSTR)))
            out << " " << frame::testing::narrow(std::u16string(Bstr::view(V_BSTR(&text.get()))).substr(0, 80));
    }
    return out.str();
}

// What a call gave, as text: the outcome with its values, or only their types.
std::string describeOutcome(const Outcome& out, bool withValues) {
    std::ostringstream text;
    text << "hr 0x" << std::hex << out.hr << std::dec << ", error " << out.number << " '"
         << frame::testing::narrow(out.description) << "'";
    for (const auto& box : out.boxes)
        text << ", box '" << frame::testing::narrow(box.caption) << "': '" << frame::testing::narrow(box.text)
             << "'";
    auto value = [&](const Variant& v) { return withValues ? show(v.get()) : "vt " + std::to_string(v.type()); };
    text << ", result " << value(out.result);
    for (const Variant& reference : out.references) text << ", by reference " << value(reference);
    return text.str();
}

// The reference knows a member's errors only by the boxes they show, so it
// takes a member that ended at an error it keeps to itself for one that ran
// to its end (and writes every by-reference argument back in its declared
// type), and one that showed a box of its own for one that ended at an error
// (and writes back only what changed). The frame knows. So a by-reference
// argument may be written back by one and left as passed by the other in
// exactly those two cases; everything else must be the same.
bool differsOnlyInWriteBack(const Outcome& own, const Outcome& reference, const std::vector<Variant>& arguments,
                            const std::vector<bool>& byReference) {
    if (own.references.size() != reference.references.size()) return false;
    Outcome ownWithout, referenceWithout;
    ownWithout.hr = own.hr;
    referenceWithout.hr = reference.hr;
    ownWithout.result = own.result;
    referenceWithout.result = reference.result;
    ownWithout.boxes = own.boxes;
    referenceWithout.boxes = reference.boxes;
    if (describeOutcome(ownWithout, true) != describeOutcome(referenceWithout, true)) return false;
    const bool silent = own.hr == S_OK && own.boxes.empty();
    const bool ownBoxes = own.hr == S_OK && !own.boxes.empty();
    size_t r = 0;
    for (size_t k = 0; k < arguments.size(); ++k) {
        if (!byReference[k]) continue;
        const std::string passed = show(arguments[k].get());
        const std::string kept = show(own.references[r].get()), written = show(reference.references[r].get());
        ++r;
        if (kept == written || (silent && kept == passed) || (ownBoxes && written == passed)) continue;
        return false;
    }
    return true;
}

TEST(Dispatch, FrameDispatcherAnswersAsTheReference) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"dispatch-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());

    const std::vector<Library> libraries = librariesUnderTest();
    ASSERT_FALSE(libraries.empty()) << "SWEEP_LIBRARIES names no library";
    const char* only = std::getenv("SWEEP_ONLY");  // e.g. "FileSysObject.GetFileName", for a closer look
    size_t calls = 0, volatileCalls = 0;
    for (const Library& library : libraries) {
        for (const Class& cls : library.classes) {
            const SavedSettings saved(library, cls);
            const DWORD started = GetTickCount();
            for (const Member& member : cls.members) {
                if (only && describe(cls, member) != only) continue;
                const DWORD memberStarted = GetTickCount();
                for (const Call& call : callsFor(member)) {
                    if (only) std::printf("    %s\n", call.label.c_str());
                    Windows windows;
                    const std::vector<Variant> arguments = argumentsWithWindow(call, windows);
                    auto through = [&](bool reference) {
                        ComPtr<IDispatch> object = create(library, cls);
                        if (!reference)
                            return invoke(object.get(), member, arguments, call.byReference, call.namedBeyondCount);
                        ReferenceObject standard(object);
                        EXPECT_TRUE(standard.ready());
                        return invoke(&standard, member, arguments, call.byReference, call.namedBeyondCount);
                    };
                    const Outcome ownOutcome = through(false);
                    const std::string own = describeOutcome(ownOutcome, true);
                    ++calls;
                    // Arguments beyond what a method or let takes: the platform's dispatcher ignores
                    // them or reads the let's value from the wrong one; the frame refuses the call.
                    if (call.label == "one argument too many" && member.invokeKind != DISPATCH_PROPERTYGET) {
                        EXPECT_EQ(ownOutcome.hr, DISP_E_BADPARAMCOUNT) << describe(cls, member);
                        continue;
                    }
                    const Outcome expected = through(true);
                    if (own == describeOutcome(expected, true)) continue;
                    if (differsOnlyInWriteBack(ownOutcome, expected, arguments, call.byReference)) continue;
                    // Required arguments left out: the frame says so; the reference's adapter sometimes
                    // filled in a default of a later parameter and complained of its type instead.
                    if ((call.label == "no arguments" || call.label == "one argument too few") &&
                        (ownOutcome.hr == DISP_E_BADPARAMCOUNT || ownOutcome.hr == DISP_E_PARAMNOTFOUND) &&
                        HRESULT_FACILITY(expected.hr) == FACILITY_DISPATCH && expected.hr != DISP_E_EXCEPTION)
                        continue;
                    // A value that changes from one call to the next (a clock, free
                    // memory, a new file name) is compared by its type only.
                    if (describeOutcome(through(true), true) != describeOutcome(expected, true)) {
                        ++volatileCalls;
                        const Outcome again = through(false);
                        EXPECT_EQ(describeOutcome(again, false), describeOutcome(expected, false))
                            << describe(cls, member) << " (" << call.label << ")";
                        continue;
                    }
                    ADD_FAILURE() << describe(cls, member) << " (" << call.label << ")\n  frame:     " << own
                                  << "\n  reference: " << describeOutcome(expected, true);
                }
                if (GetTickCount() - memberStarted > 2000)
                    std::printf("    %s: %lu ms\n", describe(cls, member).c_str(), GetTickCount() - memberStarted);
            }
            std::printf("  %s: %lu ms\n", frame::testing::narrow(cls.name).c_str(), GetTickCount() - started);
            std::fflush(stdout);
        }
    }
    endLaunchedPrograms();
    std::printf("%zu calls compared, %zu of them with changing values\n", calls, volatileCalls);
}

}  // namespace
}  // namespace sweep
