// Started by the COSInfo tests as a fresh process, so that Wine reads its
// per-program Windows version and the logical DPI anew: prints what COSInfo
// answers, one line, fields separated by '|':
//   major|minor|build|additional|windows type|display colors|large fonts|LOGPIXELSX
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/late.h"
#include "sondrel_h.h"

int main() {
    CoInitialize(nullptr);
    int status = 1;
    {
        auto info = frame::createFromDll<_COSInfo>(L"Sondrel.dll", __uuidof(COSInfo));
        if (info) {
            long major = 0, minor = 0, build = 0, colors = 0;
            EnumWindowsType type{};
            VARIANT_BOOL large = 0;
            frame::Bstr additional;
            info->get_OSMajorVersion(&major);
            info->get_OSMinorVersion(&minor);
            info->get_OSBuild(&build);
            info->get_OSAdditional(additional.put());
            info->get_WindowsType(&type);
            info->get_DisplayColors(&colors);
            info->get_LargeFonts(&large);
            const HDC screen = GetDC(nullptr);
            const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
            ReleaseDC(nullptr, screen);
            std::string csd;
            for (char16_t c : additional.view()) csd += c < 0x80 ? static_cast<char>(c) : '?';
            std::printf("%ld|%ld|%ld|%s|%d|%ld|%d|%d\n", major, minor, build, csd.c_str(), static_cast<int>(type),
                        colors, static_cast<int>(large), dpi);
            status = 0;
        }
    }
    CoUninitialize();
    return status;
}
