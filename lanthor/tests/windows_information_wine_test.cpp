// GetWindowsInformation against the real platform under Wine: the system's
// name under each Windows version Wine can pretend to be, registry values of
// every kind, the system-information tool started from either registry entry,
// and owner windows hidden and shown.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/testing/harness.h"
#include "common/text.h"
#include "lanthor_h.h"

using frame::Argument;
using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using frame::testing::MessageBoxCapture;

namespace {

constexpr long kCurrentUser = static_cast<long>(0x80000001);
const wchar_t kTestKey[] = L"Software\\LanthorTests\\GetKeyValue";
const wchar_t kMsInfo[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const wchar_t kLocation[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";

ComPtr<_GetWindowsInformation> newInfo() {
    return frame::testing::createFromDll<_GetWindowsInformation>(L"Lanthor.dll", __uuidof(GetWindowsInformation));
}

std::wstring folderOfThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring tempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string fileText(const std::wstring& path) {
    std::ifstream in(frame::testing::narrow(std::u16string(path.begin(), path.end())), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Until the stub has written its marker: the file exists from its creation,
// its text only once the stub has written and closed it.
bool waitForFile(const std::wstring& path, int milliseconds = 15000) {
    for (int waited = 0; waited < milliseconds; waited += 50) {
        if (!fileText(path).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// Runs a program and waits for its end; its exit code.
DWORD runAndWait(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return static_cast<DWORD>(-1);
    frame::UniqueKernelHandle process(started.hProcess), thread(started.hThread);
    WaitForSingleObject(process.get(), 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

// A registry key the test creates and deletes with its values.
class TestKey {
public:
    TestKey(HKEY root, const wchar_t* path) : root_(root), path_(path) {
        RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr);
    }
    ~TestKey() {
        key_.reset();
        RegDeleteTreeW(root_, path_.c_str());
        RegDeleteKeyW(root_, path_.c_str());
    }
    HKEY get() const { return key_.get(); }
    void set(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        RegSetValueExW(key_.get(), name, 0, type, static_cast<const BYTE*>(data), bytes);
    }
    void setText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
        set(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    HKEY root_;
    std::wstring path_;
    frame::UniqueHkey key_;
};

// One value the test sets on a key that stays, removed again afterwards.
class TestValue {
public:
    TestValue(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& text) : name_(name) {
        RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr);
        RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    ~TestValue() { RegDeleteValueW(key_.get(), name_.c_str()); }

private:
    std::wstring name_;
    frame::UniqueHkey key_;
};

struct KeyValueCall {
    HRESULT hr;
    bool found;
    std::u16string keyVal;
};

KeyValueCall getKeyValue(_GetWindowsInformation* info, long root, const std::u16string& key,
                         const std::u16string& value, const std::u16string& keyValIn = u"unchanged") {
    Bstr keyName(key), valueName(value);
    BSTR k = keyName.get(), v = valueName.get();
    BSTR keyVal = Bstr(keyValIn).detach();
    VARIANT_BOOL found = VARIANT_FALSE;
    const HRESULT hr = info->GetKeyValue(&root, &k, &v, &keyVal, &found);
    // The names are the caller's and stay as they were.
    EXPECT_EQ(k, keyName.get());
    EXPECT_EQ(v, valueName.get());
    return {hr, found != VARIANT_FALSE, Bstr::attach(keyVal).str()};
}

std::u16string u16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

TEST(GetWindowsInformation, NamesEachWindowsVersionWineCanPretendToBe) {
    const std::wstring probe = folderOfThisProgram() + L"\\lanthor_winver_probe.exe";
    const std::wstring out = tempFolder(L"lanthor-winver") + L"\\name.txt";
    const std::wstring settings = L"Software\\Wine\\AppDefaults\\lanthor_winver_probe.exe";
    struct Case {
        const wchar_t* version;
        const char* name;
    };
    const Case cases[] = {
        {L"win95", "WINDOWS 95"},    {L"win98", "WINDOWS 98"},       {L"winme", "WINDOWS MILLENNIUM"},
        {L"nt351", "WINDOWS NT 3.51"}, {L"nt40", "WINDOWS NT 4.0"},  {L"win2k", "WINDOWS 2000"},
        {L"winxp", "WINDOWS XP"},    {L"win2003", "WINDOWS XP"},     {L"vista", ""},
        {L"win7", ""},               {L"win10", ""},
    };
    for (const Case& c : cases) {
        {
            TestKey appDefaults(HKEY_CURRENT_USER, settings.c_str());
            appDefaults.setText(L"Version", c.version);
            DeleteFileW(out.c_str());
            EXPECT_EQ(runAndWait(L"\"" + probe + L"\" \"" + out + L"\""), 0u) << c.version;
        }
        EXPECT_EQ(fileText(out), c.name) << frame::testing::narrow(u16(c.version));
    }
}

TEST(GetWindowsInformation, UserNameIsTheLoggedOnUser) {
    auto info = newInfo();
    ASSERT_TRUE(info);
    Bstr name;
    ASSERT_EQ(info->UserName(name.put()), S_OK);
    wchar_t expected[256] = {};
    DWORD size = 256;
    ASSERT_TRUE(GetUserNameW(expected, &size));
    EXPECT_EQ(name.str(), u16(expected));
    EXPECT_FALSE(name.empty());
}

TEST(GetWindowsInformation, ReadsRegistryValuesOfEachKind) {
    TestKey key(HKEY_CURRENT_USER, kTestKey);
    const DWORD number = 0x1A, zero = 0, all = 0xFFFFFFFF, small = 0x0105;
    key.setText(L"text", L"some text");
    key.setText(L"empty", L"");
    key.setText(L"1023", std::wstring(1023, L'x'));
    key.setText(L"1024", std::wstring(1024, L'y'));
    key.setText(L"expandable", L"%TEMP%", REG_EXPAND_SZ);
    key.set(L"number", REG_DWORD, &number, 4);
    key.set(L"zero", REG_DWORD, &zero, 4);
    key.set(L"all", REG_DWORD, &all, 4);
    key.set(L"small", REG_DWORD, &small, 4);
    key.set(L"binary", REG_BINARY, "\x01\x02", 2);
    key.set(L"several", REG_MULTI_SZ, L"a\0b\0", 10);
    key.set(L"", REG_SZ, L"default", 16);

    struct Case {
        const char16_t* value;
        bool found;
        std::u16string keyVal;
    };
    const Case cases[] = {
        {u"text", true, u"some text"},
        {u"empty", true, u""},
        {u"1023", true, std::u16string(1023, u'x')},      // 1 024 bytes with its NUL: just fits
        {u"1024", false, u""},                            // one byte too many
        {u"expandable", true, u"unchanged"},              // other types leave KeyVal as it was
        {u"binary", true, u"unchanged"},
        {u"several", true, u"unchanged"},
        {u"number", true, u"&h1A"},
        {u"zero", true, u"&h0"},
        {u"all", true, u"&hFFFFFFFF"},
        {u"small", true, u"&h105"},
        {u"", true, u"default"},
        {u"missing", false, u""},
    };
    auto info = newInfo();
    ASSERT_TRUE(info);
    for (const Case& c : cases) {
        const KeyValueCall call = getKeyValue(info.get(), kCurrentUser, u16(kTestKey), c.value);
        EXPECT_EQ(call.hr, S_OK) << frame::testing::narrow(c.value);
        EXPECT_EQ(call.found, c.found) << frame::testing::narrow(c.value);
        EXPECT_EQ(call.keyVal, c.keyVal) << frame::testing::narrow(c.value);
    }
}

TEST(GetWindowsInformation, AValueWithoutDataIsAnErrorToTheCaller) {
    TestKey key(HKEY_CURRENT_USER, kTestKey);
    key.set(L"nothing", REG_BINARY, nullptr, 0);
    key.set(L"none", REG_NONE, nullptr, 0);
    auto info = newInfo();
    for (const char16_t* name : {u"nothing", u"none"}) {
        MessageBoxCapture capture;
        const KeyValueCall call = getKeyValue(info.get(), kCurrentUser, u16(kTestKey), name);
        EXPECT_EQ(call.hr, static_cast<HRESULT>(0x800A0005));
        EXPECT_EQ(call.keyVal, u"unchanged");
        EXPECT_TRUE(capture.boxes().empty());
        // Late-bound, as a script sees it.
        Variant root(kCurrentUser), keyName(u16(kTestKey)), value(name), keyVal(u"unchanged");
        auto late = frame::invokeByName(info.get(), u"GetKeyValue", DISPATCH_METHOD,
                                        {Argument::byRef(root), Argument::byRef(keyName), Argument::byRef(value),
                                         Argument::byRef(keyVal)});
        EXPECT_EQ(late.errorNumber, 5);
        EXPECT_EQ(late.description, u"Invalid procedure call or argument");
    }
}

TEST(GetWindowsInformation, KeysThatCannotBeOpenedGiveFalse) {
    auto info = newInfo();
    EXPECT_FALSE(getKeyValue(info.get(), kCurrentUser, u"Software\\LanthorTests\\NoSuchKey", u"x").found);
    // Not a root key at all.
    const KeyValueCall notRoot = getKeyValue(info.get(), 0x12345678, u16(kTestKey), u"x");
    EXPECT_EQ(notRoot.hr, S_OK);
    EXPECT_FALSE(notRoot.found);
    EXPECT_EQ(notRoot.keyVal, u"");
    EXPECT_FALSE(getKeyValue(info.get(), 0, u"Software", u"x").found);

    // A key everyone may read but nobody may change: the rights asked for include changing it.
    TestKey key(HKEY_CURRENT_USER, kTestKey);
    key.setText(L"readable", L"yes");
    {
        frame::UniqueHkey child;
        ASSERT_EQ(RegCreateKeyExW(key.get(), L"ReadOnly", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, child.put(), nullptr), 0);
        RegSetValueExW(child.get(), L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"t"), 4);
        EXPLICIT_ACCESSW readOnly{};
        BuildExplicitAccessWithNameW(&readOnly, const_cast<wchar_t*>(L"EVERYONE"), KEY_READ, SET_ACCESS, NO_INHERITANCE);
        PACL acl = nullptr;
        ASSERT_EQ(SetEntriesInAclW(1, &readOnly, nullptr, &acl), 0u);
        const DWORD set = SetSecurityInfo(child.get(), SE_REGISTRY_KEY,
                                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                          nullptr, acl, nullptr);
        LocalFree(acl);
        ASSERT_EQ(set, 0u);
    }
    frame::UniqueHkey forReading;
    ASSERT_EQ(RegOpenKeyExW(key.get(), L"ReadOnly", 0, KEY_READ, forReading.put()), 0);
    const KeyValueCall readOnly = getKeyValue(info.get(), kCurrentUser, u16(kTestKey) + u"\\ReadOnly", u"v");
    EXPECT_FALSE(readOnly.found);
    EXPECT_EQ(readOnly.keyVal, u"");
}

TEST(GetWindowsInformation, BadNamesGiveFalseOrAnErrorNeverACrash) {
    TestKey key(HKEY_CURRENT_USER, kTestKey);
    key.setText(L"", L"default");
    auto info = newInfo();
    // An empty value name is the key's default value; an empty key name the root itself.
    EXPECT_EQ(getKeyValue(info.get(), kCurrentUser, u16(kTestKey), u"").keyVal, u"default");
    EXPECT_TRUE(getKeyValue(info.get(), kCurrentUser, u"", u"").hr == S_OK);
    // Absent strings read as empty.
    long root = kCurrentUser;
    BSTR absent = nullptr, keyVal = nullptr;
    BSTR keyName = Bstr(u16(kTestKey)).detach();
    VARIANT_BOOL found = VARIANT_FALSE;
    EXPECT_EQ(info->GetKeyValue(&root, &keyName, &absent, &keyVal, &found), S_OK);
    EXPECT_EQ(Bstr::attach(keyVal).str(), u"default");
    SysFreeString(keyName);
    // A 1 MiB value name: no such value (Wine reads the default value instead).
    const KeyValueCall huge = getKeyValue(info.get(), kCurrentUser, u16(kTestKey), std::u16string(1 << 20, u'n'));
    EXPECT_EQ(huge.hr, S_OK);
    EXPECT_EQ(huge.keyVal, huge.found ? u"default" : u"");
    // Null from a script is no text: type mismatch to the caller.
    Variant r(kCurrentUser), k(u16(kTestKey)), nullName, out(u"");
    V_VT(&nullName.raw()) = VT_NULL;
    auto late = frame::invokeByName(info.get(), u"GetKeyValue", DISPATCH_METHOD,
                                    {Argument::byRef(r), Argument::byRef(k), Argument::byRef(nullName), Argument::byRef(out)});
    EXPECT_EQ(late.errorNumber, 13);
}

TEST(GetWindowsInformation, LateBoundKeyValueWritesTheCallersVariable) {
    TestKey key(HKEY_CURRENT_USER, kTestKey);
    const DWORD number = 0xBEEF;
    key.set(L"number", REG_DWORD, &number, 4);
    auto info = newInfo();
    Variant root(kCurrentUser), keyName(u16(kTestKey)), value(u"number"), keyVal;
    auto late = frame::invokeByName(info.get(), u"GetKeyValue", DISPATCH_METHOD,
                                    {Argument::byRef(root), Argument::byRef(keyName), Argument::byRef(value),
                                     Argument::byRef(keyVal)});
    ASSERT_EQ(late.hr, S_OK);
    EXPECT_EQ(V_VT(&late.result.get()), VT_BOOL);
    EXPECT_EQ(V_BOOL(&late.result.get()), VARIANT_TRUE);
    ASSERT_EQ(keyVal.type(), VT_BSTR);
    EXPECT_EQ(Bstr::view(V_BSTR(&keyVal.get())), u"&hBEEF");
    EXPECT_EQ(Bstr::view(V_BSTR(&value.get())), u"number");
}

// StartSysInfo finds the tool by either registry entry and starts it in a
// normal window; without one it shows its single box.
class StartSysInfo : public ::testing::Test {
protected:
    void SetUp() override {
        folder = tempFolder(L"lanthor sysinfo");
        stub = folderOfThisProgram() + L"\\lanthor_sysinfo_stub.exe";
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMsInfo, L"PATH");
        info = newInfo();
        ASSERT_TRUE(info);
    }
    std::wstring place(const wchar_t* name) {
        const std::wstring path = folder + L"\\" + name;
        CopyFileW(stub.c_str(), path.c_str(), FALSE);
        DeleteFileW((path + L".started").c_str());
        return path;
    }
    std::wstring folder, stub;
    ComPtr<_GetWindowsInformation> info;
};

TEST_F(StartSysInfo, WithoutEitherEntryShowsItsOneBox) {
    MessageBoxCapture capture;
    EXPECT_EQ(info->StartSysInfo(), S_OK);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"Lanthor");
    EXPECT_EQ(capture.boxes()[0].text, u"System Information Is Unavailable At This Time");
    EXPECT_FALSE(capture.boxes()[0].hasIcon);
    EXPECT_EQ(capture.boxes()[0].buttons, std::vector<int>{IDOK});
}

TEST_F(StartSysInfo, StartsThePathOfTheFirstEntryQuoted) {
    const std::wstring program = place(L"sys info tool.exe");
    const std::wstring decoy = place(L"sys.exe");  // what the unquoted path would start first
    TestValue path(HKEY_LOCAL_MACHINE, kMsInfo, L"PATH", program);
    MessageBoxCapture capture;
    EXPECT_EQ(info->StartSysInfo(), S_OK);
    ASSERT_TRUE(waitForFile(program + L".started"));
    EXPECT_EQ(fileText(program + L".started"), std::to_string(SW_SHOWNORMAL));
    EXPECT_EQ(GetFileAttributesW((decoy + L".started").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(capture.boxes().empty());
}

TEST_F(StartSysInfo, StartsTheToolInTheFolderOfTheSecondEntry) {
    const std::wstring program = place(L"MSINFO32.EXE");
    TestKey location(HKEY_LOCAL_MACHINE, kLocation);
    location.setText(L"MSINFO", folder);
    MessageBoxCapture capture;
    EXPECT_EQ(info->StartSysInfo(), S_OK);
    ASSERT_TRUE(waitForFile(program + L".started"));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST_F(StartSysInfo, AFolderWithoutTheToolOrAProgramThatIsNotThereShowsTheBox) {
    DeleteFileW((folder + L"\\MSINFO32.EXE").c_str());
    {
        TestKey location(HKEY_LOCAL_MACHINE, kLocation);
        location.setText(L"MSINFO", folder);
        MessageBoxCapture capture;
        EXPECT_EQ(info->StartSysInfo(), S_OK);
        ASSERT_EQ(capture.boxes().size(), 1u);
        EXPECT_EQ(capture.boxes()[0].text, u"System Information Is Unavailable At This Time");
    }
    for (const std::wstring& path : {folder + L"\\no such tool.exe", std::wstring()}) {
        TestValue entry(HKEY_LOCAL_MACHINE, kMsInfo, L"PATH", path);
        MessageBoxCapture capture;
        EXPECT_EQ(info->StartSysInfo(), S_OK);
        ASSERT_EQ(capture.boxes().size(), 1u);
        EXPECT_EQ(capture.boxes()[0].caption, u"Lanthor");
    }
    // An entry without data fails inside GetKeyValue: the same one box.
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kMsInfo, L"PATH", REG_NONE, nullptr, 0), 0);
    MessageBoxCapture capture;
    EXPECT_EQ(info->StartSysInfo(), S_OK);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMsInfo, L"PATH");
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].text, u"System Information Is Unavailable At This Time");
}

// A window's own visible state (under Wine the desktop window, whose state
// IsWindowVisible also asks, is not always shown yet in a new 64-bit process).
namespace {
bool shown(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
}  // namespace

// HideApp and ShowApp act on the owner of the window they are given.
TEST(GetWindowsInformation, HidesAndShowsTheOwnerWindow) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND form = CreateWindowExA(0, "STATIC", "form", WS_POPUP | WS_VISIBLE, 20, 20, 100, 100, owner, nullptr,
                                nullptr, nullptr);
    HWND lone = CreateWindowExA(0, "STATIC", "lone", WS_POPUP | WS_VISIBLE, 30, 30, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_TRUE(owner && form && lone);
    ASSERT_TRUE(shown(owner) && shown(form) && shown(lone));
    auto info = newInfo();
    auto handle = [](HWND w) { return static_cast<long>(reinterpret_cast<LONG_PTR>(w)); };
    EXPECT_EQ(info->HideApp(handle(form)), S_OK);
    EXPECT_FALSE(shown(owner));
    EXPECT_TRUE(shown(form));
    EXPECT_EQ(info->ShowApp(handle(form)), S_OK);
    EXPECT_TRUE(shown(owner));

    // No window, a window without owner, a destroyed one: nothing else changes.
    EXPECT_EQ(info->HideApp(0), S_OK);
    EXPECT_EQ(info->HideApp(handle(lone)), S_OK);
    EXPECT_TRUE(shown(lone));
    EXPECT_TRUE(shown(owner));
    HWND gone = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(info->HideApp(handle(gone)), S_OK);
    EXPECT_EQ(info->ShowApp(handle(gone)), S_OK);
    EXPECT_TRUE(shown(owner));

    // Late-bound, as a host's script calls it.
    Variant formHandle(handle(form));
    EXPECT_EQ(frame::invokeByName(info.get(), u"HideApp", DISPATCH_METHOD, {formHandle}).hr, S_OK);
    EXPECT_FALSE(shown(owner));
    EXPECT_EQ(frame::invokeByName(info.get(), u"ShowApp", DISPATCH_METHOD, {formHandle}).hr, S_OK);
    EXPECT_TRUE(shown(owner));
    DestroyWindow(lone);
    DestroyWindow(form);
    DestroyWindow(owner);
}
