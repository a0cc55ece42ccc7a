#include "sondrel/COSInfo.h"

#include <algorithm>

namespace sondrel {
namespace os {
namespace {
const DllFunction<decltype(::RegOpenKeyExA)> RegOpenKeyExA{"advapi32", "RegOpenKeyExA"};
const DllFunction<decltype(::RegQueryValueExA)> RegQueryValueExA{"advapi32", "RegQueryValueExA"};
const DllFunction<decltype(::SystemParametersInfoA)> SystemParametersInfoA{"user32", "SystemParametersInfoA"};
}  // namespace
}  // namespace os

static_assert(sizeof(OSVERSIONINFOA) == 148);

std::u16string COSInfo::TrimNulls(std::u16string_view text) {
    return frame::reportedProcedure(u"TrimNulls", [&] { return trimNulls(text); });
}

RegistryValue COSInfo::RegistryGetKeyValue(HKEY root, const std::u16string& keyPath,
                                           const std::u16string& valueName) {
    return frame::reportedProcedure(u"RegistryGetKeyValue", [&]() -> RegistryValue {
        const std::string path = frame::toAnsi(keyPath), name = frame::toAnsi(valueName);
        frame::UniqueHkey key;
        if (os::RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
        DWORD type = 0, size = 0;
        if (os::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return {};
        return decodeRegistryValue(type, size, [&](void* buffer, uint32_t& length) {
            DWORD room = length;
            const LONG status =
                os::RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer), &room);
            length = room;
            return status == ERROR_SUCCESS;
        });
    });
}

std::u16string COSInfo::userInfo(const std::u16string& valueName) {
    return registryText(
        RegistryGetKeyValue(HKEY_CURRENT_USER, u"Software\\Microsoft\\MS Setup (ACME)\\User Info", valueName),
        frame::fromAnsi);
}

std::u16string COSInfo::hardwareProfileName() {
    HW_PROFILE_INFOA profile{};
    os::GetCurrentHwProfileA(&profile);
    return TrimNulls(frame::fromAnsi({profile.szHwProfileName, sizeof(profile.szHwProfileName)}));
}

std::u16string COSInfo::newGuidText() {
    ::GUID id{};
    os::CoCreateGuid(&id);
    GuidFields fields{id.Data1, id.Data2, id.Data3, {}};
    std::copy(std::begin(id.Data4), std::end(id.Data4), fields.data4);
    return guidText(fields);
}

void COSInfo::setComputerName(std::u16string_view name) {
    const std::string ansi = frame::toAnsi(name);
    // A name the ANSI code page cannot carry exactly would name the machine
    // otherwise than asked: refused, as the system refuses a name it rejects.
    if (ansi.find('\0') != std::string::npos || frame::fromAnsi(ansi) != name) return;
    os::SetComputerNameA(ansi.c_str());
}

OSVERSIONINFOA COSInfo::version() {
    OSVERSIONINFOA record{};
    record.dwOSVersionInfoSize = sizeof(record);
    os::GetVersionExA(&record);
    return record;
}

HRESULT COSInfo::get_TempFile(BSTR* strPrefix, BSTR* result) {
    return member(u"TempFile", Report, result, [&] {
        std::string directory(255, ' ');
        os::GetTempPathA(255, directory.data());
        // The system writes names of up to MAX_PATH characters (a long
        // temporary folder): room for them behind the 255 spaces.
        std::string name(255, ' ');
        name.resize(MAX_PATH, '\0');
        os::GetTempFileNameA(directory.c_str(), frame::toAnsi(frame::textOf(strPrefix)).c_str(), 1, name.data());
        // The prefix is only read: the caller's text stays as it was.
        return TrimNulls(frame::fromAnsi(name));
    });
}

HRESULT COSInfo::GetWorkArea(short* intLeft, short* intTop, short* intWidth, short* intHeight) {
    if (!intLeft || !intTop || !intWidth || !intHeight) return E_POINTER;
    return member(u"GetWorkArea", Report, [&] {
        RECT area{};
        os::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        assignWorkArea({area.left, area.top, area.right, area.bottom}, *intLeft, *intTop, *intWidth, *intHeight);
    });
}

}  // namespace sondrel
