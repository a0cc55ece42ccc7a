// The fault seam: with no operating-system function binding by name, every
// member of every class is called once with plain arguments. A member with
// the usual report shows one box "Error: 453. ..." (48 or 53 for a missing
// module) captioned with its own name and returns its zero value; a member
// without a report raises that error to the caller. A member that fails
// first for another reason (a plain argument it refuses) still shows or
// raises a numbered error.
#include <windows.h>

#include "common/errors.h"
#include "tests/sweep/type_walk.h"

namespace sweep {
namespace {

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;

bool bindingError(int32_t number) {
    return number == frame::errDllEntryPoint || number == frame::errDllNotFound || number == frame::errFileNotFound;
}

bool bindingReport(const std::u16string& text) {
    for (const char16_t* start : {u"Error: 453. ", u"Error: 48. ", u"Error: 53. "})
        if (text.rfind(start, 0) == 0) return true;
    return false;
}

bool isZero(const Variant& value) {
    switch (value.type()) {
        case VT_EMPTY: return true;
        case VT_BSTR: return Bstr::view(V_BSTR(&value.get())).empty();
        case VT_DISPATCH: case VT_UNKNOWN: return V_UNKNOWN(&value.get()) == nullptr;
        default: {
            Variant number;
            return SUCCEEDED(VariantChangeType(number.put(), const_cast<VARIANT*>(&value.get()), 0, VT_R8)) && V_R8(&number.get()) == 0;
        }
    }
}
TEST(FaultSeam, EveryMemberReportsAFunctionThatCannotBeBound) {
    ASSERT_GT(GetEnvironmentVariableW(L"FRAME_TEST_UNBIND", nullptr, 0), 0u) << "the seam is not switched on";
    size_t reports = 0, raised = 0;
    for (const Library& library : librariesUnderTest()) {
        for (const Class& cls : library.classes) {
            for (const Member& member : cls.members) {
                std::vector<Variant> arguments;
                std::vector<bool> byReference;
                for (const Parameter& p : member.parameters) {
                    arguments.push_back(neutral(p));
                    byReference.push_back(p.byRef);
                }
                ComPtr<IDispatch> object = create(library, cls);
                ASSERT_TRUE(object);
                const Outcome out = invoke(object.get(), member, arguments, byReference);
                const std::string name = describe(cls, member);
                EXPECT_LE(out.boxes.size(), 1u) << name;
                if (!out.boxes.empty() && bindingReport(out.boxes[0].text)) {
                    ++reports;
                    // Its own name, or a private procedure's (never another member's).
                    const std::u16string& caption = out.boxes[0].caption;
                    bool another = false;
                    for (const Member& other : cls.members) another = another || (other.name == caption);
                    EXPECT_TRUE(caption == member.name || (!caption.empty() && !another))
                        << name << " reported as " << frame::testing::narrow(caption);
                    EXPECT_EQ(out.hr, S_OK) << name;
                    EXPECT_TRUE(isZero(out.result)) << name << " returned a value after its report";
                } else if (out.hr == DISP_E_EXCEPTION) {
                    // A member may refuse its plain arguments before it needs the
                    // operating system; the error still carries its number and text.
                    if (bindingError(out.number)) ++raised;
                    EXPECT_NE(out.number, 0) << name;
                    EXPECT_FALSE(out.description.empty()) << name;
                } else {
                    EXPECT_TRUE(SUCCEEDED(out.hr) || HRESULT_FACILITY(out.hr) == FACILITY_DISPATCH)
                        << name << ": HRESULT 0x" << std::hex << out.hr;
                }
            }
        }
    }
    std::printf("%zu usual reports, %zu binding errors raised to the caller\n", reports, raised);
    EXPECT_GT(reports, 0u);
    EXPECT_GT(raised, 0u);
}

}  // namespace
}  // namespace sweep
