// Writes GetWindowsInformation.getwinOS, as this program sees it, to the file
// named by its argument. The tests run it under each Windows version Wine's
// per-program setting can give it.
#include <windows.h>

#include <cstdio>

#include "common/late.h"
#include "lanthor_h.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    CoInitialize(nullptr);
    int status = 3;
    {
        auto info = frame::createFromDll<_GetWindowsInformation>(L"Lanthor.dll", __uuidof(GetWindowsInformation));
        frame::Bstr name;
        if (info && SUCCEEDED(info->getwinOS(name.put()))) {
            if (FILE* out = std::fopen(argv[1], "wb")) {
                for (char16_t c : name.view()) std::fputc(static_cast<char>(c), out);
                std::fclose(out);
                status = 0;
            }
        }
    }
    CoUninitialize();
    return status;
}
