// COSInfo against the real system of the project's Wine prefix: registry
// values written and removed by the tests, Wine's per-program Windows
// version and DPI read by a fresh process, system parameters set and put
// back. Early-bound through _COSInfo and late-bound by name.
#include <windows.h>

#include <functional>
#include <optional>
#include <sstream>

#include "common/testing/harness.h"
#include "sondrel_h.h"

using frame::Argument;
using frame::Bstr;
using frame::ComPtr;
using frame::invokeByName;
using frame::Variant;
using frame::testing::MessageBoxCapture;
using frame::testing::narrow;

namespace {

ComPtr<_COSInfo> newInfo() { return frame::createFromDll<_COSInfo>(L"Sondrel.dll", __uuidof(COSInfo)); }

// A String property read early-bound.
std::u16string text(_COSInfo* info, HRESULT (STDMETHODCALLTYPE _COSInfo::*get)(BSTR*)) {
    Bstr value;
    EXPECT_EQ((info->*get)(value.put()), S_OK);
    return value.str();
}

std::u16string ansiText(const char* text) {
    std::u16string out;
    for (const char* c = text; *c; ++c) out += static_cast<char16_t>(static_cast<unsigned char>(*c));
    return out;
}

std::u16string lower(std::u16string text) {
    CharLowerBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
    return text;
}

// ---------------------------------------------------------------- registry

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// One registry value (or its absence) put back as it was when the test ends.
class RestoredValue {
public:
    RestoredValue(HKEY root, std::wstring path, std::wstring name)
        : root_(root), path_(std::move(path)), name_(std::move(name)), before_(read()) {}
    ~RestoredValue() {
        if (before_) write(before_->type, before_->data);
        else RegDeleteKeyValueW(root_, path_.c_str(), name_.c_str());
    }
    RestoredValue(const RestoredValue&) = delete;
    RestoredValue& operator=(const RestoredValue&) = delete;

    std::optional<StoredValue> read() const {
        DWORD type = 0, size = 0;
        if (RegGetValueW(root_, path_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        StoredValue value{type, std::vector<BYTE>(size)};
        RegGetValueW(root_, path_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, value.data.data(), &size);
        value.data.resize(size);
        return value;
    }
    void write(DWORD type, const std::vector<BYTE>& data) const {
        frame::UniqueHkey key;
        ASSERT_EQ(RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.get(), name_.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    void writeText(DWORD type, std::wstring_view text) const {
        const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
        write(type, std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t)));
    }
    void remove() const { RegDeleteKeyValueW(root_, path_.c_str(), name_.c_str()); }
    const std::optional<StoredValue>& before() const { return before_; }

private:
    HKEY root_;
    std::wstring path_, name_;
    std::optional<StoredValue> before_;
};

bool sameStored(const std::optional<StoredValue>& a, const std::optional<StoredValue>& b) {
    return a.has_value() == b.has_value() && (!a || (a->type == b->type && a->data == b->data));
}

std::vector<BYTE> bytes(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

constexpr wchar_t kUserInfo[] = L"Software\\Microsoft\\MS Setup (ACME)\\User Info";

// A key the test may create: removed with everything under it when the test
// ends, unless it was there before.
class RemovedAfterwards {
public:
    RemovedAfterwards(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
        HKEY key = nullptr;
        existed_ = RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (key) RegCloseKey(key);
    }
    ~RemovedAfterwards() {
        if (existed_) return;
        RegDeleteTreeW(root_, path_.c_str());  // what is under the key
        RegDeleteKeyW(root_, path_.c_str());
    }
    RemovedAfterwards(const RemovedAfterwards&) = delete;
    RemovedAfterwards& operator=(const RemovedAfterwards&) = delete;

private:
    HKEY root_;
    std::wstring path_;
    bool existed_ = false;
};

TEST(COSInfoRegistry, NameMembersDecodeEveryTypeAndSizeOfValue) {
    MessageBoxCapture capture;
    auto info = newInfo();
    ASSERT_TRUE(info);
    RemovedAfterwards setup(HKEY_CURRENT_USER, L"Software\\Microsoft\\MS Setup (ACME)");
    RestoredValue company(HKEY_CURRENT_USER, kUserInfo, L"DefCompany");
    RestoredValue name(HKEY_CURRENT_USER, kUserInfo, L"DefName");

    // No key at all, then the key without the values.
    RegDeleteTreeW(HKEY_CURRENT_USER, kUserInfo);
    EXPECT_EQ(text(info.get(), &_COSInfo::get_DefaultCompanyName), u"");
    EXPECT_EQ(text(info.get(), &_COSInfo::get_DefaultUserName), u"");
    company.writeText(REG_SZ, L"Acme Ltd");
    company.remove();
    EXPECT_EQ(text(info.get(), &_COSInfo::get_DefaultCompanyName), u"");

    const std::wstring large(100000, L'x');
    const struct {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        std::u16string expected;
    } cases[] = {
        {"text", REG_SZ, {'A', 0, 'c', 0, 'm', 0, 'e', 0, ' ', 0, 'L', 0, 't', 0, 'd', 0, 0, 0}, u"Acme Ltd"},
        {"text with an inner NUL", REG_SZ, {'A', 0, 'c', 0, 0, 0, 'm', 0, 'e', 0, 0, 0}, u"Ac"},
        {"text without terminator", REG_SZ, {'A', 0, 'b', 0}, u"Ab"},
        {"empty text", REG_SZ, {}, u""},
        {"text of one byte", REG_SZ, {'Z'}, u""},
        {"number", REG_DWORD, bytes({0x39, 0x30, 0, 0}), u"12345"},
        {"negative number", REG_DWORD, bytes({0xFF, 0xFF, 0xFF, 0xFF}), u"-1"},
        {"number in one byte", REG_DWORD, bytes({7}), u"7"},
        {"number in eight bytes", REG_DWORD, bytes({1, 0, 0, 0, 0, 0, 0, 0}), u""},
        {"bytes", REG_BINARY, {'A', 0, 'B', 0}, u"AB"},
        {"one byte", REG_BINARY, {'A'}, u"A"},
        {"no bytes", REG_BINARY, {}, u""},
        {"expandable text", REG_EXPAND_SZ, {'%', 0, 'T', 0, '%', 0, 0, 0}, u""},
        {"text list", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}, u""},
        {"64-bit number", REG_QWORD, bytes({1, 0, 0, 0, 0, 0, 0, 0}), u""},
        {"no type", REG_NONE, {1, 2}, u""},
    };
    for (const auto& c : cases) {
        company.write(c.type, c.data);
        name.write(c.type, c.data);
        EXPECT_EQ(text(info.get(), &_COSInfo::get_DefaultCompanyName), c.expected) << c.what;
        EXPECT_EQ(text(info.get(), &_COSInfo::get_DefaultUserName), c.expected) << c.what;
    }
    name.writeText(REG_SZ, large);
    EXPECT_EQ(text(info.get(), &_COSInfo::get_DefaultUserName), std::u16string(large.begin(), large.end()));
    EXPECT_TRUE(capture.boxes().empty());
}

// ---------------------------------------------------------------- identity and folders

TEST(COSInfoIdentity, TextMembersGiveWhatTheSystemAnswers) {
    MessageBoxCapture capture;
    auto info = newInfo();
    ASSERT_TRUE(info);
    char buffer[MAX_PATH + 1] = {};
    DWORD size = sizeof(buffer);
    GetComputerNameA(buffer, &size);
    EXPECT_EQ(text(info.get(), &_COSInfo::get_ComputerName), ansiText(buffer));
    size = sizeof(buffer);
    GetUserNameA(buffer, &size);
    EXPECT_EQ(text(info.get(), &_COSInfo::get_UserName), ansiText(buffer));
    GetSystemDirectoryA(buffer, sizeof(buffer));
    EXPECT_EQ(text(info.get(), &_COSInfo::get_SystemDirectory), ansiText(buffer));
    GetWindowsDirectoryA(buffer, sizeof(buffer));
    EXPECT_EQ(text(info.get(), &_COSInfo::get_WindowsDirectory), ansiText(buffer));
    GetTempPathA(sizeof(buffer), buffer);
    const std::u16string tempPath = text(info.get(), &_COSInfo::get_TempPath);
    EXPECT_EQ(tempPath, ansiText(buffer));
    EXPECT_EQ(tempPath.back(), u'\\');
    GetLocaleInfoA(GetUserDefaultLCID(), LOCALE_SENGLANGUAGE, buffer, sizeof(buffer));
    EXPECT_EQ(text(info.get(), &_COSInfo::get_Language), ansiText(buffer));
    EXPECT_FALSE(ansiText(buffer).empty());
    HW_PROFILE_INFOA profile{};
    GetCurrentHwProfileA(&profile);
    EXPECT_EQ(text(info.get(), &_COSInfo::get_CurrentHardwareProfile), ansiText(profile.szHwProfileName));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(COSInfoIdentity, GuidTextHasThreeHyphensUpperCaseHexAndChanges) {
    auto info = newInfo();
    ASSERT_TRUE(info);
    std::u16string previous;
    for (int k = 0; k < 50; ++k) {
        const std::u16string guid = text(info.get(), &_COSInfo::get_GUID);
        ASSERT_GE(guid.size(), 16u);  // "{" 1 "-" 1 "-" 1 "-" 8 "}" at the least
        EXPECT_LE(guid.size(), 37u);
        EXPECT_EQ(guid.front(), u'{');
        EXPECT_EQ(guid.back(), u'}');
        EXPECT_EQ(std::count(guid.begin(), guid.end(), u'-'), 3) << narrow(guid);
        for (char16_t c : guid.substr(1, guid.size() - 2))
            EXPECT_TRUE(c == u'-' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) << narrow(guid);
        EXPECT_NE(guid, previous);
        previous = guid;
    }
}

TEST(COSInfoTempFile, NameFromTheFirstThreeCharactersCreatesNoFileAndLeavesThePrefix) {
    MessageBoxCapture capture;
    auto info = newInfo();
    ASSERT_TRUE(info);
    const std::u16string tempPath = lower(text(info.get(), &_COSInfo::get_TempPath));
    // The caller's string is only read: the same string with the same text after the call.
    // Names compared in lower case: the system chooses the case of "TMP".
    auto tempFile = [&](std::u16string_view prefix) {
        Bstr in(prefix);
        BSTR caller = in.get();
        Bstr name;
        EXPECT_EQ(info->get_TempFile(&caller, name.put()), S_OK);
        EXPECT_EQ(caller, in.get());
        EXPECT_EQ(Bstr::view(caller), prefix);
        return lower(name.str());
    };
    const std::u16string name = tempFile(u"sondrel");
    ASSERT_EQ(name.substr(0, tempPath.size()), tempPath);
    EXPECT_EQ(name.substr(tempPath.size()), u"son1.tmp");
    EXPECT_EQ(GetFileAttributesW(frame::wide(name)), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(tempFile(u"sondrel"), name);
    EXPECT_EQ(tempFile(u""), tempPath + u"1.tmp");
    Bstr none;
    EXPECT_EQ(info->get_TempFile(nullptr, none.put()), S_OK);
    EXPECT_EQ(lower(none.str()), tempPath + u"1.tmp");
    EXPECT_EQ(tempFile(std::u16string(5000, u'q')), tempPath + u"qqq1.tmp");
    // Outside the ANSI code page: the name holds the prefix as the code page converts it.
    EXPECT_EQ(tempFile(u"\u0411\u0412x").size(), name.size());

    // A temporary folder of 249 characters gives a name of 258, longer than the 255-character
    // buffer: it comes back whole, and nothing is written past the buffer.
    const std::wstring folder = L"C:\\" + std::wstring(246, L'd');
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    wchar_t tmp[MAX_PATH + 1] = {}, temp[MAX_PATH + 1] = {};
    GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH + 1);
    GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH + 1);
    SetEnvironmentVariableW(L"TMP", folder.c_str());
    SetEnvironmentVariableW(L"TEMP", folder.c_str());
    const std::u16string longName = tempFile(u"sondrel");
    SetEnvironmentVariableW(L"TMP", tmp);
    SetEnvironmentVariableW(L"TEMP", temp);
    RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(longName, lower(std::u16string(folder.begin(), folder.end())) + u"\\son1.tmp");
    EXPECT_EQ(longName.size(), 258u);
    EXPECT_TRUE(capture.boxes().empty());
}

// ---------------------------------------------------------------- version and display

// The probe program beside this test, run as a fresh process; its one line split at '|':
// major, minor, build, additional, windows type, display colors, large fonts, LOGPIXELSX.
std::vector<std::string> probe() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring command(path);
    command = command.substr(0, command.find_last_of(L'\\') + 1) + L"sondrel_osinfo_probe.exe";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    frame::UniqueKernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) return {};
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return {};
    frame::UniqueKernelHandle child(process.hProcess), thread(process.hThread);
    writeEnd.reset();
    std::string output;
    char chunk[256];
    DWORD got = 0;
    while (ReadFile(readEnd.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) output.append(chunk, got);
    WaitForSingleObject(child.get(), 30000);
    output = output.substr(0, output.find_first_of("\r\n"));
    std::vector<std::string> fields;
    std::istringstream stream(output);
    for (std::string field; std::getline(stream, field, '|');) fields.push_back(field);
    return fields;
}

TEST(COSInfoVersion, FieldsOfTheVersionRecordInThisProcess) {
    MessageBoxCapture capture;
    auto info = newInfo();
    ASSERT_TRUE(info);
    OSVERSIONINFOA reference{};
    reference.dwOSVersionInfoSize = sizeof(reference);
    GetVersionExA(&reference);
    long major = 0, minor = 0, build = 0;
    EnumWindowsType type{};
    info->get_OSMajorVersion(&major);
    info->get_OSMinorVersion(&minor);
    info->get_OSBuild(&build);
    info->get_WindowsType(&type);
    EXPECT_EQ(major, static_cast<long>(reference.dwMajorVersion));
    EXPECT_EQ(minor, static_cast<long>(reference.dwMinorVersion));
    EXPECT_EQ(build, static_cast<long>(reference.dwBuildNumber & 0x7FFF));
    EXPECT_EQ(type, OSIWindowsNT);
    EXPECT_EQ(text(info.get(), &_COSInfo::get_OSAdditional), ansiText(reference.szCSDVersion));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(COSInfoVersion, PerProgramWindowsVersionsReadInAFreshProcess) {
    const wchar_t* probeDefaults = L"Software\\Wine\\AppDefaults\\sondrel_osinfo_probe.exe";
    RemovedAfterwards defaults(HKEY_CURRENT_USER, probeDefaults);
    RestoredValue version(HKEY_CURRENT_USER, probeDefaults, L"Version");
    const struct {
        const wchar_t* version;
        std::vector<std::string> expected;  // major, minor, build, additional, windows type
    } cases[] = {
        {L"winxp", {"5", "1", "2600", "Service Pack 3", "2"}},
        {L"win2k", {"5", "0", "2195", "Service Pack 4", "2"}},
        {L"win98", {"4", "10", "2222", " A ", "1"}},
        {L"win7", {"6", "1", "7601", "Service Pack 1", "2"}},
    };
    for (const auto& c : cases) {
        version.writeText(REG_SZ, c.version);
        const std::vector<std::string> fields = probe();
        ASSERT_EQ(fields.size(), 8u);
        EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.begin() + 5), c.expected)
            << narrow(std::u16string(c.version, c.version + wcslen(c.version)));
    }
}

TEST(COSInfoDisplay, ColoursOfThisDisplayAndLargeFontsOnlyAtOneHundredTwenty) {
    MessageBoxCapture capture;
    auto info = newInfo();
    ASSERT_TRUE(info);
    const HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    long colors = 0;
    EXPECT_EQ(info->get_DisplayColors(&colors), S_OK);
    EXPECT_EQ(colors, depth == 32 ? -1 : 1L << depth);
    EXPECT_EQ(depth, 32) << "the test display is a 24-bit X screen, which Wine shows as 32 bits";

    RestoredValue dpi(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
    for (auto [pixels, large] : {std::pair{96, "0"}, {120, "-1"}, {144, "0"}}) {
        const DWORD value = pixels;
        dpi.write(REG_DWORD, std::vector<BYTE>(reinterpret_cast<const BYTE*>(&value),
                                               reinterpret_cast<const BYTE*>(&value) + sizeof(value)));
        const std::vector<std::string> fields = probe();
        ASSERT_EQ(fields.size(), 8u);
        EXPECT_EQ(fields[7], std::to_string(pixels));
        EXPECT_EQ(fields[6], large) << pixels;
    }
    EXPECT_TRUE(capture.boxes().empty());
}

// ---------------------------------------------------------------- settings

// A setting read and written early-bound, with where the user profile keeps it.
struct Setting {
    const char* name;
    std::function<long(_COSInfo*)> get;
    std::function<void(_COSInfo*, long)> let;
    std::vector<long> values;  // set one after the other
    const wchar_t* profileKey;
    const wchar_t* profileValue;
};

TEST(COSInfoSettings, RoundTripsThroughTheSystemLeaveTheProfileUnchanged) {
    MessageBoxCapture capture;
    auto info = newInfo();
    ASSERT_TRUE(info);
    const Setting settings[] = {
        {"Beep", [](_COSInfo* i) { VARIANT_BOOL v = 1; i->get_Beep(&v); return long{v}; },
         [](_COSInfo* i, long v) { i->put_Beep(static_cast<VARIANT_BOOL>(v)); }, {0, -1, 0, -1},
         L"Control Panel\\Sound", L"Beep"},
        {"ScreenSaverActive", [](_COSInfo* i) { VARIANT_BOOL v = 1; i->get_ScreenSaverActive(&v); return long{v}; },
         [](_COSInfo* i, long v) { i->put_ScreenSaverActive(static_cast<VARIANT_BOOL>(v)); }, {-1, 0, -1},
         L"Control Panel\\Desktop", L"ScreenSaveActive"},
        {"ScreenSaverTimeout", [](_COSInfo* i) { long v = -1; i->get_ScreenSaverTimeout(&v); return v; },
         [](_COSInfo* i, long v) { i->put_ScreenSaverTimeout(v); }, {600, 60, 86400},
         L"Control Panel\\Desktop", L"ScreenSaveTimeOut"},
    };
    for (const Setting& s : settings) {
        RestoredValue profile(HKEY_CURRENT_USER, s.profileKey, s.profileValue);
        const long original = s.get(info.get());
        for (long value : s.values) {
            s.let(info.get(), value);
            EXPECT_EQ(s.get(info.get()), value) << s.name;
        }
        s.let(info.get(), original);
        EXPECT_EQ(s.get(info.get()), original) << s.name;
        EXPECT_TRUE(sameStored(profile.read(), profile.before())) << s.name << ": the user profile changed";
    }
    EXPECT_TRUE(capture.boxes().empty());
}

// ---------------------------------------------------------------- computer name

TEST(COSInfoComputerName, LetNamesTheMachineAndRefusesANameTheCodePageCannotCarry) {
    MessageBoxCapture capture;
    auto info = newInfo();
    ASSERT_TRUE(info);
    RestoredValue next(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                       L"ComputerName");
    ASSERT_TRUE(next.before());
    const std::u16string active = text(info.get(), &_COSInfo::get_ComputerName);
    auto nextName = [&] {
        const auto stored = next.read();
        const auto* chars = reinterpret_cast<const char16_t*>(stored->data.data());
        const std::u16string name(chars, stored->data.size() / 2);
        return name.substr(0, name.find(u'\0'));
    };
    EXPECT_EQ(info->put_ComputerName(Bstr(u"SONDRELTEST").get()), S_OK);
    EXPECT_EQ(nextName(), u"SONDRELTEST");
    for (const std::u16string& refused : {std::u16string(u"M\u0101ra"), std::u16string(u"\u0411\u0412"),
                                          std::u16string(u"AB\0CD", 5)}) {
        EXPECT_EQ(info->put_ComputerName(Bstr(refused).get()), S_OK);
        EXPECT_EQ(nextName(), u"SONDRELTEST");
    }
    // The running machine keeps its name until it starts again.
    EXPECT_EQ(text(info.get(), &_COSInfo::get_ComputerName), active);
    EXPECT_TRUE(capture.boxes().empty());
}

// ---------------------------------------------------------------- work area

TEST(COSInfoWorkArea, LeftTopWidthAndHeightEarlyAndLateBound) {
    MessageBoxCapture capture;
    auto info = newInfo();
    ASSERT_TRUE(info);
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const std::vector<short> expected{static_cast<short>(area.left), static_cast<short>(area.top),
                                      static_cast<short>(area.right - area.left),
                                      static_cast<short>(area.bottom - area.top)};
    short left = -7, top = -7, width = -7, height = -7;
    EXPECT_EQ(info->GetWorkArea(&left, &top, &width, &height), S_OK);
    EXPECT_EQ(std::vector<short>({left, top, width, height}), expected);
    EXPECT_GT(width, 0);
    EXPECT_LE(height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(info->GetWorkArea(nullptr, &top, &width, &height), E_POINTER);

    // Script variables of any convertible type receive Integers, an Empty one too.
    Variant l, t(u"-1"), w, h(int32_t{-1});
    V_VT(&w.raw()) = VT_R8;
    V_R8(&w.raw()) = -1.0;
    auto out = invokeByName(info.get(), u"GetWorkArea", DISPATCH_METHOD,
                            {Argument::byRef(l), Argument::byRef(t), Argument::byRef(w), Argument::byRef(h)});
    ASSERT_EQ(out.hr, S_OK);
    for (auto [variable, value] :
         {std::pair{&l, expected[0]}, {&t, expected[1]}, {&w, expected[2]}, {&h, expected[3]}}) {
        EXPECT_EQ(variable->type(), VT_I2);
        EXPECT_EQ(V_I2(&variable->get()), value);
    }

    // A first variable that holds no Integer stops the call in the dispatcher and stays as it was.
    Variant word(u"abc"), big(int32_t{70000}), spare(int32_t{0});
    for (Variant* first : {&word, &big}) {
        const Variant before(*first);
        auto refused = invokeByName(info.get(), u"GetWorkArea", DISPATCH_METHOD,
                                    {Argument::byRef(*first), Argument::byRef(spare), Argument::byRef(spare),
                                     Argument::byRef(spare)});
        EXPECT_EQ(refused.hr, DISP_E_TYPEMISMATCH);
        EXPECT_EQ(VarCmp(&first->raw(), const_cast<VARIANT*>(&before.get()), LOCALE_USER_DEFAULT, 0),
                  static_cast<HRESULT>(VARCMP_EQ));
    }
    const HRESULT missing =
        invokeByName(info.get(), u"GetWorkArea", DISPATCH_METHOD, {Argument::byRef(spare), Argument::byRef(spare)})
            .hr;
    EXPECT_TRUE(missing == DISP_E_BADPARAMCOUNT || missing == DISP_E_PARAMNOTOPTIONAL) << std::hex << missing;
    EXPECT_TRUE(capture.boxes().empty());
}

// ---------------------------------------------------------------- the type library

std::string typeText(ITypeInfo* info, const TYPEDESC& desc) {
    switch (desc.vt) {
        case VT_PTR: return typeText(info, *desc.lptdesc) + "*";
        case VT_BOOL: return "VARIANT_BOOL";
        case VT_BSTR: return "BSTR";
        case VT_I4: return "long";
        case VT_I2: return "short";
        case VT_HRESULT: return "HRESULT";
        case VT_USERDEFINED: {
            ComPtr<ITypeInfo> referenced;
            Bstr name;
            if (SUCCEEDED(info->GetRefTypeInfo(desc.hreftype, referenced.put())))
                referenced->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
            return narrow(name.str());
        }
        default: return "vt" + std::to_string(desc.vt);
    }
}

// "<id> <kind> <name>(<flags> <type> <name>, ...)" for each member of an interface's vtable view.
std::vector<std::string> members(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    std::vector<std::string> out;
    for (UINT k = 0; k < attr->cFuncs; ++k) {
        FUNCDESC* f = nullptr;
        info->GetFuncDesc(k, &f);
        BSTR names[8] = {};
        UINT count = 0;
        info->GetNames(f->memid, names, 8, &count);
        std::ostringstream line;
        line << std::hex << std::uppercase << f->memid << ' '
             << (f->invkind == INVOKE_PROPERTYGET ? "get" : f->invkind == INVOKE_PROPERTYPUT ? "let" : "method") << ' '
             << narrow(Bstr::attach(names[0]).str()) << '(';
        for (SHORT p = 0; p < f->cParams; ++p) {
            const ELEMDESC& param = f->lprgelemdescParam[p];
            const USHORT flags = param.paramdesc.wParamFlags;
            line << (p ? ", " : "") << (flags & PARAMFLAG_FIN ? "in " : "") << (flags & PARAMFLAG_FOUT ? "out " : "")
                 << (flags & PARAMFLAG_FRETVAL ? "retval " : "") << typeText(info, param.tdesc);
            // Names come per member identifier, the get's: a let's own parameter has none here.
            if (f->invkind != INVOKE_PROPERTYPUT && UINT(p + 1) < count)
                line << ' ' << narrow(std::u16string(Bstr::view(names[p + 1])));
        }
        for (UINT n = 1; n < count; ++n) SysFreeString(names[n]);
        line << ')';
        out.push_back(line.str());
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    return out;
}

TEST(COSInfoTypeLibrary, CarriesTheMemberTableExactly) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(L"Sondrel.dll", REGKIND_NONE, library.put()), S_OK);
    ComPtr<ITypeInfo> dispatch;
    ASSERT_EQ(library->GetTypeInfoOfGuid(__uuidof(_COSInfo), dispatch.put()), S_OK);
    TYPEATTR* attr = nullptr;
    dispatch->GetTypeAttr(&attr);
    const WORD flags = attr->wTypeFlags;
    const TYPEKIND kind = attr->typekind;
    dispatch->ReleaseTypeAttr(attr);
    EXPECT_EQ(flags & (TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE),
              TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE);
    ComPtr<ITypeInfo> vtable = dispatch;
    if (kind == TKIND_DISPATCH) {
        HREFTYPE ref = 0;
        ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &ref), S_OK);
        ASSERT_EQ(dispatch->GetRefTypeInfo(ref, vtable.put()), S_OK);
    }
    const std::vector<std::string> expected = {
        "68030014 get Beep(out retval VARIANT_BOOL* result)",
        "68030014 let Beep(in VARIANT_BOOL)",
        "68030013 get ComputerName(out retval BSTR* result)",
        "68030013 let ComputerName(in BSTR)",
        "68030012 get CurrentHardwareProfile(out retval BSTR* result)",
        "68030011 get DefaultCompanyName(out retval BSTR* result)",
        "68030010 get DefaultUserName(out retval BSTR* result)",
        "6803000F get DisplayColors(out retval long* result)",
        "6803000E get GUID(out retval BSTR* result)",
        "6803000D get Language(out retval BSTR* result)",
        "6803000C get LargeFonts(out retval VARIANT_BOOL* result)",
        "6803000B get OSAdditional(out retval BSTR* result)",
        "6803000A get OSBuild(out retval long* result)",
        "68030009 get OSMajorVersion(out retval long* result)",
        "68030008 get OSMinorVersion(out retval long* result)",
        "68030007 get ScreenSaverActive(out retval VARIANT_BOOL* result)",
        "68030007 let ScreenSaverActive(in VARIANT_BOOL)",
        "68030006 get ScreenSaverTimeout(out retval long* result)",
        "68030006 let ScreenSaverTimeout(in long)",
        "68030005 get SystemDirectory(out retval BSTR* result)",
        "68030004 get TempFile(in out BSTR* strPrefix, out retval BSTR* result)",
        "68030003 get TempPath(out retval BSTR* result)",
        "68030002 get UserName(out retval BSTR* result)",
        "68030001 get WindowsDirectory(out retval BSTR* result)",
        "68030000 get WindowsType(out retval EnumWindowsType* result)",
        "60030015 method GetWorkArea(in out short* intLeft, in out short* intTop, in out short* intWidth, "
        "in out short* intHeight)",
    };
    EXPECT_EQ(members(vtable.get()), expected);

    ComPtr<ITypeInfo> enumeration;
    USHORT found = 1;
    MEMBERID id = 0;
    ASSERT_EQ(library->FindName(const_cast<LPOLESTR>(L"EnumWindowsType"), 0, enumeration.put(), &id, &found), S_OK);
    ASSERT_TRUE(enumeration);
    enumeration->GetTypeAttr(&attr);
    EXPECT_EQ(attr->typekind, TKIND_ENUM);
    std::vector<std::pair<std::string, long>> values;
    for (UINT k = 0; k < attr->cVars; ++k) {
        VARDESC* var = nullptr;
        enumeration->GetVarDesc(k, &var);
        Bstr name;
        enumeration->GetDocumentation(var->memid, name.put(), nullptr, nullptr, nullptr);
        values.emplace_back(narrow(name.str()), V_I4(var->lpvarValue));
        enumeration->ReleaseVarDesc(var);
    }
    enumeration->ReleaseTypeAttr(attr);
    EXPECT_EQ(values, (std::vector<std::pair<std::string, long>>{
                          {"OSIWindows32s", 0}, {"OSIWindows95", 1}, {"OSIWindowsNT", 2}}));

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(library->GetTypeInfoOfGuid(__uuidof(COSInfo), coclass.put()), S_OK);
    coclass->GetTypeAttr(&attr);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    coclass->ReleaseTypeAttr(attr);
}

// ---------------------------------------------------------------- functions that cannot be bound

// A run of its own with FRAME_TEST_UNBIND set, where no function binds by name:
// the registry procedure reports under its own name and the member goes on.
TEST(COSInfoUnbound, RegistryGetKeyValueReportsUnderItsOwnNameAndTheMemberGoesOn) {
    if (GetEnvironmentVariableW(L"FRAME_TEST_UNBIND", nullptr, 0) == 0) GTEST_SKIP() << "needs FRAME_TEST_UNBIND";
    MessageBoxCapture capture;
    auto info = newInfo();
    ASSERT_TRUE(info);
    const std::pair<HRESULT (STDMETHODCALLTYPE _COSInfo::*)(BSTR*), const char16_t*> members[] = {
        {&_COSInfo::get_DefaultCompanyName, u"RegistryGetKeyValue"},
        {&_COSInfo::get_DefaultUserName, u"RegistryGetKeyValue"},
        {&_COSInfo::get_ComputerName, u"ComputerName"},
        {&_COSInfo::get_OSAdditional, u"OSAdditional"},
    };
    for (auto [get, caption] : members) {
        capture.clear();
        EXPECT_EQ(text(info.get(), get), u"");
        ASSERT_EQ(capture.boxes().size(), 1u) << narrow(caption);
        EXPECT_EQ(capture.boxes()[0].caption, caption);
        EXPECT_EQ(capture.boxes()[0].text.rfind(u"Error: 453. ", 0), 0u) << narrow(capture.boxes()[0].text);
    }
}

}  // namespace
