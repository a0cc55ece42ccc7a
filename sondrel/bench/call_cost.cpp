// Cost of a member call on CMemoryStatus early-bound, late-bound by name and
// by DISPID, beside the same reads of Count on the platform's
// Scripting.Dictionary. Prints ns per call and the ratios.
#include <windows.h>

#include <cstdio>
#include <functional>

#include "common/testing/harness.h"
#include "sondrel_h.h"

using frame::ComPtr;

namespace {

double nsPerCall(int calls, const std::function<void()>& call) {
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < calls / 10; ++i) call();  // warm-up
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) call();
    QueryPerformanceCounter(&stop);
    return 1e9 * static_cast<double>(stop.QuadPart - start.QuadPart) / frequency.QuadPart / calls;
}

DISPID idOf(IDispatch* object, const wchar_t* name) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

void getById(IDispatch* object, DISPID id) {
    DISPPARAMS none{};
    frame::Variant result;
    object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.put(), nullptr, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? atoi(argv[1]) : 20000;
    CoInitialize(nullptr);
    {
        auto status = frame::testing::createFromDll<_CMemoryStatus>(L"Sondrel.dll", __uuidof(CMemoryStatus));
        ComPtr<IDispatch> dictionary = frame::createObject(u"Scripting.Dictionary");
        if (!status || !dictionary) {
            std::fprintf(stderr, "objects could not be created\n");
            return 1;
        }
        const DISPID load = idOf(status.get(), L"MemoryLoad");
        const DISPID count = idOf(dictionary.get(), L"Count");

        MEMORYSTATUS raw{};
        const double bare = nsPerCall(calls, [&] { raw.dwLength = sizeof(raw); GlobalMemoryStatus(&raw); });
        long value = 0;
        const double early = nsPerCall(calls, [&] { status->get_MemoryLoad(&value); });
        const double byName = nsPerCall(calls, [&] { getById(status.get(), idOf(status.get(), L"MemoryLoad")); });
        const double byId = nsPerCall(calls, [&] { getById(status.get(), load); });
        const double dictName = nsPerCall(calls, [&] { getById(dictionary.get(), idOf(dictionary.get(), L"Count")); });
        const double dictId = nsPerCall(calls, [&] { getById(dictionary.get(), count); });

        std::printf("calls per figure: %d (%d-bit)\n", calls, static_cast<int>(sizeof(void*) * 8));
        std::printf("GlobalMemoryStatus alone:            %10.0f ns\n", bare);
        std::printf("MemoryLoad early-bound:              %10.0f ns\n", early);
        std::printf("MemoryLoad by name (IDs + Invoke):   %10.0f ns\n", byName);
        std::printf("MemoryLoad by DISPID (Invoke):       %10.0f ns\n", byId);
        std::printf("Dictionary.Count by name:            %10.0f ns\n", dictName);
        std::printf("Dictionary.Count by DISPID:          %10.0f ns\n", dictId);
        std::printf("frame overhead by DISPID (MemoryLoad - GlobalMemoryStatus): %.0f ns, ratio to Count %.2f\n",
                    byId - bare, (byId - bare) / dictId);
        std::printf("ratio by name  (MemoryLoad / Count): %.2f\n", byName / dictName);
        std::printf("ratio by DISPID (MemoryLoad / Count): %.2f\n", byId / dictId);
    }
    CoUninitialize();
    return 0;
}
