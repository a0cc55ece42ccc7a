#include "keldrun/security/security_class.h"

#include "common/frame.h"
#include "common/late.h"
#include "common/text.h"
#include "keldrun/security/crypt_class.h"
#include "keldrun/security/security_files.h"

namespace keldrun {
namespace {

const CLSID kFileSystemObject = {0x0D43FE01, 0xF093, 0x11CF, {0x89, 0x40, 0x00, 0xA0, 0xC9, 0x05, 0x42, 0x28}};
const IID kFileSystem3 = {0x2A0B9D10, 0x4B87, 0x11D3, {0xA9, 0x7A, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};

constexpr int32_t kSystemFolder = 1;
constexpr int32_t kForReading = 1;
constexpr int32_t kSystemDefaultFormat = -2;

const frame::DllFunction<decltype(::IsWow64Process)> IsWow64Process{"kernel32", "IsWow64Process"};

bool runsUnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::u16string windowsFolder() {
    std::u16string buffer(MAX_PATH, u'\0');
    const UINT length = GetWindowsDirectoryW(reinterpret_cast<wchar_t*>(buffer.data()), MAX_PATH);
    buffer.resize(length < MAX_PATH ? length : 0);
    return buffer;
}

frame::Variant arg(const std::u16string& text) { return frame::Variant(frame::Bstr(text)); }

using frame::booleanOf;
using frame::objectOf;
using frame::textOf;

std::u16string textOf(const frame::Variant& value) { return frame::variantText(value.get()); }

// The user value as concatenation converts it.
std::u16string userText(VARIANT* usr) { return usr ? frame::variantText(*usr) : std::u16string(); }

// A file name must be a value: Null has no text.
std::u16string pathText(VARIANT* path) {
    const VARIANT* v = path;
    while (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    if (!v || (V_VT(v) & ~VT_BYREF) == VT_NULL) frame::raise(94);
    return frame::variantText(*v);
}

// SaveFile's report: the path alone, captioned with the library's title. A
// box with no path would say nothing, so an empty path shows the error.
auto pathReport(std::u16string path) {
    return [path = std::move(path)](const frame::RuntimeError& error) {
        frame::messageBox(path.empty() ? frame::usualReportText(error.number(), error.description()) : path,
                          frame::thisLibrary().name, MB_OK);
    };
}

}  // namespace

IDispatch* Security::fileSystem() {
    if (!fso_) {
        frame::ComPtr<IDispatch> created;
        frame::check(CoCreateInstance(kFileSystemObject, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                      created.putVoid()));
        fso_ = created;
    }
    return fso_.get();
}

frame::LateBound Security::files() { return frame::LateBound(fileSystem()); }

std::u16string Security::adminFile() {
    const frame::LateBound folder = objectOf(files().call(u"GetSpecialFolder", {kSystemFolder}));
    const std::u16string system = textOf(folder.get(u"Path"));
    return adminFilePath(unredirectedSystemFolder(system, windowsFolder(), runsUnderWow64()));
}

bool Security::saveThroughInterface(const std::u16string& path, const std::u16string& content) {
    frame::Bstr p(path), c(content);
    BSTR pRaw = p.get(), cRaw = c.get();
    VARIANT_BOOL saved = VARIANT_FALSE;
    frame::check(self()->SaveFile(&pRaw, &cRaw, &saved));
    return saved != VARIANT_FALSE;
}

std::u16string Security::openThroughInterface(const std::u16string& path) {
    frame::Bstr p(path);
    BSTR pRaw = p.get();
    frame::Bstr text;
    frame::check(self()->OpenFile(&pRaw, text.put()));
    return text.str();
}

HRESULT Security::get_fso(IDispatch** result) {
    return member(u"fso", Caller, result, [&] { return frame::ComPtr<IDispatch>(fileSystem()); });
}

HRESULT Security::putref_fso(IDispatch* value) {
    return member(u"fso", Caller, [&] {
        frame::ComPtr<IDispatch> fileSystem;
        if (value) {
            frame::ComPtr<IUnknown> asFileSystem;
            if (FAILED(value->QueryInterface(kFileSystem3, asFileSystem.putVoid()))) frame::raise(frame::errTypeMismatch);
            fileSystem = value;
        }
        fso_ = fileSystem;
    });
}

HRESULT Security::get_crypt(_cSimpleCrypt** result) {
    return member(u"crypt", Caller, result, [&] {
        if (!crypt_) {
            frame::ComPtr<_cSimpleCrypt> created;
            frame::check(SimpleCrypt::create(__uuidof(_cSimpleCrypt), created.putVoid()));
            crypt_ = created;
        }
        return crypt_;
    });
}

HRESULT Security::putref_crypt(_cSimpleCrypt* value) {
    return member(u"crypt", Caller, [&] { crypt_ = value; });
}

HRESULT Security::FindSecurityFile(VARIANT_BOOL* result) {
    return member(u"FindSecurityFile", Caller, result,
                  [&] { return booleanOf(files().call(u"FileExists", {arg(adminFile())})); });
}

HRESULT Security::SaveSecurityFile(VARIANT* usr, BSTR* pss, VARIANT_BOOL* result) {
    return member(u"SaveSecurityFile", Caller, result, [&] {
        const std::u16string path = adminFile();
        return saveThroughInterface(path, securityContent(userText(usr), textOf(pss)));
    });
}

HRESULT Security::ReadSecurityFile(BSTR* result) {
    return member(u"ReadSecurityFile", Caller, result, [&] { return frame::Bstr(openThroughInterface(adminFile())); });
}

HRESULT Security::SaveFile(BSTR* filepath, BSTR* content, VARIANT_BOOL* result) {
    const std::u16string path = textOf(filepath);
    return member(u"SaveFile", pathReport(path), result, [&] {
        const std::u16string text = textOf(content);
        // Replacing a read-only file is refused before it is emptied, also where
        // the file system would let this process write it.
        const DWORD attributes = GetFileAttributesW(frame::wide(path));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            frame::raise(frame::errPermissionDenied);
        const frame::LateBound stream = objectOf(
            files().call(u"CreateTextFile", {arg(path), frame::Variant::boolean(true), frame::Variant::boolean(true)}));
        stream.call(u"Write", {arg(text)});
        stream.call(u"Close");
        return true;
    });
}

HRESULT Security::OpenFile(BSTR* filepath, BSTR* result) {
    return member(u"OpenFile", Silent, result, [&] {
        std::u16string text;
        const frame::LateBound stream = objectOf(files().call(
            u"OpenTextFile", {arg(textOf(filepath)), kForReading, frame::Variant::boolean(false), kSystemDefaultFormat}));
        while (!booleanOf(stream.get(u"AtEndOfStream"))) text += textOf(stream.call(u"ReadAll"));
        stream.call(u"Close");
        return frame::Bstr(text);
    });
}

HRESULT Security::SaveSecurityFileUser(VARIANT* filenamepath, VARIANT* usr, BSTR* pss, VARIANT_BOOL* result) {
    return member(u"SaveSecurityFileUser", Caller, result, [&] {
        const std::u16string path = userFilePath(pathText(filenamepath));
        return saveThroughInterface(path, securityContent(userText(usr), textOf(pss)));
    });
}

HRESULT Security::ReadSecurityFileUser(BSTR* filena, BSTR* result) {
    return member(u"ReadSecurityFileUser", Caller, result,
                  [&] { return frame::Bstr(openThroughInterface(userFilePath(textOf(filena)))); });
}

}  // namespace keldrun
