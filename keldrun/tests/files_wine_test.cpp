// FileSysObject and FolderSysObject on the real file system, early- and late-bound.
#include <filesystem>
#include <set>

#include "common/errors.h"
#include "common/late.h"
#include "keldrun/tests/wine_support.h"

using frame::Argument;
using frame::Bstr;
using frame::ComPtr;
using frame::SafeArray;
using frame::Variant;
using frame::invokeByName;
using namespace keldrun::testing;

namespace {

namespace fs = std::filesystem;

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x800A0035);
constexpr HRESULT kBadFileName = static_cast<HRESULT>(0x800A0034);
constexpr HRESULT kAlreadyExists = static_cast<HRESULT>(0x800A003A);
constexpr HRESULT kInvalidCall = static_cast<HRESULT>(0x800A0005);

// Names outside the ANSI code page: Greek, Cyrillic and Japanese letters.
const std::u16string kWideName = u"\u03a9mega-\u0416-\u65e5\u672c";

// A folder of its own per test, removed with everything in it.
class Sandbox {
public:
    Sandbox() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = tempFolder() + u"\\files-" + frame::ascii(test->name());
        remove();
        fs::create_directories(path(root_));
    }
    ~Sandbox() { remove(); }
    const std::u16string& root() const { return root_; }
    std::u16string operator/(std::u16string_view name) const { return root_ + u"\\" + std::u16string(name); }
    std::u16string file(std::u16string_view name, const std::string& content = {}) const {
        const std::u16string full = *this / name;
        writeBytes(full, content);
        return full;
    }
    std::u16string folder(std::u16string_view name) const {
        const std::u16string full = *this / name;
        fs::create_directories(path(full));
        return full;
    }
    static fs::path path(const std::u16string& p) { return fs::path(frame::wide(p)); }

private:
    void remove() {
        std::error_code ignored;
        if (!fs::exists(path(root_), ignored)) return;
        for (const auto& e : fs::recursive_directory_iterator(path(root_), ignored))
            SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(path(root_), ignored);
    }
    std::u16string root_;
};

bool exists(const std::u16string& p) { return GetFileAttributesW(frame::wide(p)) != INVALID_FILE_ATTRIBUTES; }
DWORD attributes(const std::u16string& p) { return GetFileAttributesW(frame::wide(p)); }

std::vector<std::u16string> strings(SAFEARRAY* array) {
    std::vector<std::u16string> out;
    LONG low = 0, high = -1;
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    EXPECT_EQ(low, 0);
    for (LONG k = low; k <= high; ++k) {
        Bstr item;
        SafeArrayGetElement(array, &k, item.put());
        out.push_back(item.str());
    }
    return out;
}

// Index 0 empty, the rest as a set (the file system's order is its own).
std::set<std::u16string> listed(const std::vector<std::u16string>& names) {
    EXPECT_FALSE(names.empty());
    if (!names.empty()) EXPECT_EQ(names[0], u"");
    return names.empty() ? std::set<std::u16string>{} : std::set<std::u16string>(names.begin() + 1, names.end());
}

class Files : public ::testing::Test {
protected:
    ComPtr<_FileSysObject> files = create<_FileSysObject>(__uuidof(FileSysObject));
    Sandbox box;

    std::u16string text(HRESULT (STDMETHODCALLTYPE _FileSysObject::*method)(BSTR*, BSTR*), const std::u16string& path,
                        HRESULT expected = S_OK) {
        Bstr p(path), out;
        BSTR raw = p.get();
        EXPECT_EQ((files.get()->*method)(&raw, out.put()), expected);
        EXPECT_EQ(Bstr::view(raw), path);  // by-reference arguments are left as they were
        return out.str();
    }
    std::vector<std::u16string> getFiles(const std::u16string& pattern, FilesAttributes* mask = nullptr,
                                         HRESULT expected = S_OK) {
        Bstr p(pattern);
        BSTR raw = p.get();
        SafeArray out;
        EXPECT_EQ(files->GetFiles(&raw, mask, out.put()), expected);
        return out.get() ? strings(out.get()) : std::vector<std::u16string>{};
    }
    std::vector<std::u16string> getFiles(const std::u16string& pattern, int mask) {
        FilesAttributes m = static_cast<FilesAttributes>(mask);
        return getFiles(pattern, &m);
    }
    HRESULT mark(const std::u16string& path, int value) {
        Bstr p(path);
        BSTR raw = p.get();
        FileAttrChangeTo v = static_cast<FileAttrChangeTo>(value);
        VARIANT_BOOL done = VARIANT_FALSE;
        const HRESULT hr = files->MarkFileAttributes(&raw, &v, &done);
        EXPECT_EQ(done, SUCCEEDED(hr) ? VARIANT_TRUE : VARIANT_FALSE);
        return hr;
    }
    HRESULT rename(const std::u16string& path, const std::u16string& newName) {
        Bstr p(path), n(newName);
        BSTR pr = p.get(), nr = n.get();
        Variant done;
        const HRESULT hr = files->RenameFile(&pr, &nr, done.put());
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(done.type(), VT_BOOL);
            EXPECT_EQ(V_BOOL(&done.get()), VARIANT_TRUE);
        } else {
            EXPECT_EQ(done.type(), VT_EMPTY);  // never a False
        }
        return hr;
    }
};

class Folders : public ::testing::Test {
protected:
    ComPtr<_FolderSysObject> folders = create<_FolderSysObject>(__uuidof(FolderSysObject));
    Sandbox box;

    std::vector<std::u16string> directories(const std::u16string& path, int mask = 0, bool includePath = false) {
        Bstr p(path);
        BSTR raw = p.get();
        FolderAttributes m = static_cast<FolderAttributes>(mask);
        VARIANT_BOOL include = includePath ? VARIANT_TRUE : VARIANT_FALSE;
        SafeArray out;
        EXPECT_EQ(folders->GetDirectories(&raw, &m, &include, out.put()), S_OK);
        return out.get() ? strings(out.get()) : std::vector<std::u16string>{};
    }
    bool folderExists(const std::u16string& path) {
        Bstr p(path);
        BSTR raw = p.get();
        VARIANT_BOOL found = VARIANT_TRUE;
        EXPECT_EQ(folders->FolderExists(&raw, &found), S_OK);
        return found == VARIANT_TRUE;
    }
    HRESULT renameFolder(const std::u16string& path, const std::u16string& newName) {
        Bstr p(path), n(newName);
        BSTR pr = p.get(), nr = n.get();
        Variant done;
        const HRESULT hr = folders->RenameFolder(&pr, &nr, done.put());
        EXPECT_EQ(done.type(), SUCCEEDED(hr) ? VT_BOOL : VT_EMPTY);
        return hr;
    }
    HRESULT markFolder(const std::u16string& path, int value) {
        Bstr p(path);
        BSTR raw = p.get();
        FolderAttrChangeTo v = static_cast<FolderAttrChangeTo>(value);
        VARIANT_BOOL done = VARIANT_FALSE;
        return folders->MarkFolderAttributes(&raw, &v, &done);
    }
};

}  // namespace

TEST_F(Files, NamesAndExtensionsThroughTheInterface) {
    EXPECT_EQ(text(&_FileSysObject::GetFileName, u"C:\\dir\\file.txt"), u"file.txt");
    EXPECT_EQ(text(&_FileSysObject::GetFileName, u"C:\\dir\\"), u"");
    EXPECT_EQ(text(&_FileSysObject::GetFileExt, u"C:\\dir.old\\file"), u"");
    EXPECT_EQ(text(&_FileSysObject::GetFileExt, u"report.final.txt"), u".txt");
    EXPECT_EQ(text(&_FileSysObject::GetFileExt, box / kWideName + u".\u03c4\u03be\u03c4"), u".\u03c4\u03be\u03c4");
    // A 1 MiB path is only text here.
    const std::u16string huge = u"C:\\" + std::u16string(1 << 20, u'a') + u".big";
    EXPECT_EQ(text(&_FileSysObject::GetFileExt, huge), u".big");
    // A null string reads as empty.
    Bstr out;
    EXPECT_EQ(files->GetFileName(nullptr, out.put()), S_OK);
    EXPECT_EQ(out.str(), u"");
}

TEST_F(Files, GetFilesListsMatchesWithIndexZeroEmpty) {
    for (auto name : {u"a.txt", u"b.txt", u"c.log"}) box.file(name);
    box.folder(u"sub");
    const std::u16string hidden = box.file(u"h.txt");
    SetFileAttributesW(frame::wide(hidden), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(listed(getFiles(box / u"*.txt")), (std::set<std::u16string>{u"a.txt", u"b.txt"}));
    EXPECT_EQ(getFiles(box / u"*.txt").size(), 3u);
    // A folder ending in a backslash lists all its plain files; no pattern is added otherwise.
    EXPECT_EQ(listed(getFiles(box.root() + u"\\")), (std::set<std::u16string>{u"a.txt", u"b.txt", u"c.log"}));
    EXPECT_EQ(getFiles(box.root()), std::vector<std::u16string>{u""});
    // Hidden files and folders only by their bits; with the folder bit come "." and "..".
    EXPECT_EQ(listed(getFiles(box / u"*", isHidden)),
              (std::set<std::u16string>{u"a.txt", u"b.txt", u"c.log", u"h.txt"}));
    EXPECT_EQ(listed(getFiles(box / u"*", isDirectory)),
              (std::set<std::u16string>{u".", u"..", u"a.txt", u"b.txt", u"c.log", u"sub"}));
    EXPECT_EQ(listed(getFiles(box.root(), isDirectory)), std::set<std::u16string>{box.root().substr(box.root().rfind(u'\\') + 1)});
    // No match, a missing folder: one empty element.
    EXPECT_EQ(getFiles(box / u"*.none"), std::vector<std::u16string>{u""});
    EXPECT_EQ(getFiles(box / u"missing\\*.*"), std::vector<std::u16string>{u""});
    EXPECT_EQ(getFiles(u""), std::vector<std::u16string>{u""});
}

TEST_F(Files, GetFilesGrowsPastFiftyNames) {
    for (int k = 0; k < 60; ++k) box.file(u"f" + frame::decimal(k) + u".dat");
    const auto names = getFiles(box / u"*.dat");
    ASSERT_EQ(names.size(), 61u);
    EXPECT_EQ(listed(names).size(), 60u);
}

TEST_F(Files, BadPatternsFailTheCall) {
    // A wildcard before the last component, a 1 MiB pattern: errors for the caller, no crash.
    getFiles(box / u"*\\x.txt", nullptr, kBadFileName);
    Bstr p(u"C:\\" + std::u16string(1 << 20, u'a'));
    BSTR raw = p.get();
    SafeArray out;
    const HRESULT hr = files->GetFiles(&raw, nullptr, out.put());
    EXPECT_TRUE(hr == S_OK || hr == kBadFileName) << std::hex << hr;
    auto late = invokeByName(files.get(), u"GetFiles", DISPATCH_METHOD, {Variant(box / u"*\\x")});
    EXPECT_EQ(late.errorNumber, 52);
    EXPECT_EQ(late.description, u"Bad file name or number");
    EXPECT_EQ(late.source, u"Keldrun.FileSysObject");
}

TEST_F(Files, AttributesAsWords) {
    const std::u16string f = box.file(u"plain.txt");
    SetFileAttributesW(frame::wide(f), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(text(&_FileSysObject::GetFileAttribute, f), u"Archive");
    SetFileAttributesW(frame::wide(f), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(text(&_FileSysObject::GetFileAttribute, f), u"ReadOnly Hidden Archive");
    EXPECT_EQ(text(&_FileSysObject::GetFileAttribute, box.folder(u"dir")).substr(0, 9), u"Directory");
    EXPECT_EQ(text(&_FileSysObject::GetFileAttribute, box / u"missing.txt", kFileNotFound), u"");
    text(&_FileSysObject::GetFileAttribute, box / u"*.txt", kBadFileName);
}

TEST_F(Files, SizesAsText) {
    EXPECT_EQ(text(&_FileSysObject::GetFileSize, box.file(u"empty.txt")), u"0 bytes");
    EXPECT_EQ(text(&_FileSysObject::GetFileSize, box.file(u"k.bin", std::string(1024, 'x'))), u"1.00 KB");
    EXPECT_EQ(text(&_FileSysObject::GetFileSize, box.file(u"small.bin", "123")), u"3 bytes");
    // Beyond 4 GiB the whole length counts (a sparse file).
    const std::u16string big = box.file(u"big.bin");
    {
        frame::UniqueFileHandle h(CreateFileW(frame::wide(big), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(h);
        LARGE_INTEGER five;
        five.QuadPart = 5LL << 30;
        ASSERT_TRUE(SetFilePointerEx(h.get(), five, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(h.get()));
    }
    EXPECT_EQ(text(&_FileSysObject::GetFileSize, big), u"5.00 GB");
    // A folder is not a file; a missing file is an error for the caller.
    text(&_FileSysObject::GetFileSize, box.folder(u"dir"), kFileNotFound);
    text(&_FileSysObject::GetFileSize, box / u"missing.bin", kFileNotFound);
    // An open file still has its size.
    const std::u16string open = box.file(u"open.bin", "12345");
    frame::UniqueFileHandle h(CreateFileW(frame::wide(open), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(text(&_FileSysObject::GetFileSize, open), u"5 bytes");
}

TEST_F(Files, MarkFileAttributesReplacesTheSettableBits) {
    const std::u16string f = box.file(u"m.txt");
    SetFileAttributesW(frame::wide(f), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(mark(f, Hidden), S_OK);
    EXPECT_EQ(attributes(f) & 0x27u, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN) | (attributes(f) & FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_FALSE(attributes(f) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(mark(f, Hidden_Archive_ReadOnly), S_OK);
    EXPECT_EQ(attributes(f) & 0x27u, 35u);
    EXPECT_EQ(mark(f, isSystem), S_OK);
    EXPECT_TRUE(attributes(f) & FILE_ATTRIBUTE_SYSTEM);
    EXPECT_FALSE(attributes(f) & FILE_ATTRIBUTE_HIDDEN);
    // Values no attribute change can mean leave the file as it was.
    const DWORD before = attributes(f);
    for (int bad : {8, 64, 128, 0x100, -1}) EXPECT_EQ(mark(f, bad), kInvalidCall) << bad;
    EXPECT_EQ(attributes(f), before);
    EXPECT_EQ(mark(box / u"missing.txt", Archive), kFileNotFound);
    EXPECT_EQ(mark(box / u"*.txt", Archive), kBadFileName);
    // An early-bound caller must pass the value.
    Bstr p(f);
    BSTR raw = p.get();
    VARIANT_BOOL done = VARIANT_TRUE;
    EXPECT_EQ(files->MarkFileAttributes(&raw, nullptr, &done), static_cast<HRESULT>(0x800A01C1));
    EXPECT_EQ(attributes(f), before);
}

TEST_F(Files, RenameKeepsTheExtensionAndTheFolder) {
    const std::u16string data = box.folder(u"data");
    box.file(u"data\\data.txt", "d");
    EXPECT_EQ(rename(data + u"\\data.txt", u"new"), S_OK);
    EXPECT_TRUE(exists(data + u"\\new.txt"));
    EXPECT_FALSE(exists(data + u"\\data.txt"));
    // The folder is cut at the last backslash, also when the name occurs earlier.
    const std::u16string notes = box.folder(u"notes");
    box.file(u"notes\\notes");
    EXPECT_EQ(rename(notes + u"\\notes", u"memo"), S_OK);
    EXPECT_TRUE(exists(notes + u"\\memo"));
    // A new name with its own extension gets the old one too.
    EXPECT_EQ(rename(data + u"\\new.txt", u"a.txt"), S_OK);
    EXPECT_TRUE(exists(data + u"\\a.txt.txt"));
    // Backslashes in the new name move the file below its folder.
    box.folder(u"data\\sub");
    EXPECT_EQ(rename(data + u"\\a.txt.txt", u"sub\\moved"), S_OK);
    EXPECT_TRUE(exists(data + u"\\sub\\moved.txt"));
    EXPECT_EQ(rename(data + u"\\sub\\moved.txt", u"..\\up"), S_OK);
    EXPECT_TRUE(exists(data + u"\\up.txt"));
}

TEST_F(Files, RenameFailuresReachTheCallerAndChangeNothing) {
    const std::u16string a = box.file(u"a.txt", "a"), b = box.file(u"b.txt", "b");
    EXPECT_EQ(rename(box / u"missing.txt", u"x"), kFileNotFound);
    EXPECT_EQ(rename(a, u"b"), kAlreadyExists);
    EXPECT_EQ(rename(a, u"x*"), kBadFileName);
    EXPECT_EQ(rename(box / u"*.txt", u"x"), kBadFileName);
    EXPECT_TRUE(FAILED(rename(u"", u"x")));
    EXPECT_TRUE(FAILED(rename(box.root() + u"\\", u"x")));
    {
        // An open file that others may not rename stays as it is.
        frame::UniqueFileHandle open(CreateFileW(frame::wide(a), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(open);
        EXPECT_EQ(rename(a, u"c"), static_cast<HRESULT>(0x800A0046));
    }
    EXPECT_EQ(fileBytes(a), std::vector<unsigned char>{'a'});
    EXPECT_EQ(fileBytes(b), std::vector<unsigned char>{'b'});
    EXPECT_EQ(listed(getFiles(box.root() + u"\\")), (std::set<std::u16string>{u"a.txt", u"b.txt"}));
    // Late-bound: the rename's error with its number, description and source.
    Variant path(box / u"missing.txt"), name(u"x");
    auto late = invokeByName(files.get(), u"RenameFile", DISPATCH_METHOD, {Argument::byRef(path), Argument::byRef(name)});
    EXPECT_EQ(late.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(late.errorNumber, 53);
    EXPECT_EQ(late.description, u"File not found");
    EXPECT_EQ(late.source, u"Keldrun.FileSysObject");
    EXPECT_EQ(late.result.type(), VT_EMPTY);
}

TEST_F(Files, DeviceNamesAndOddPathsChangeNoFile) {
    box.file(u"keep.txt", "k");
    const std::u16string huge = box / std::u16string(1 << 20, u'a');
    for (const std::u16string& path : {std::u16string(u"NUL"), std::u16string(u"CON"), box / u"NUL", box / u"con.txt", huge}) {
        SCOPED_TRACE(std::string(path.begin(), path.begin() + std::min<size_t>(path.size(), 60)));
        Bstr p(path), words, size;
        BSTR raw = p.get();
        files->GetFileAttribute(&raw, words.put());  // the system's answer for a device, or an error
        files->GetFileSize(&raw, size.put());
        mark(path, Hidden);
        rename(path, u"renamed");
    }
    EXPECT_EQ(listed(getFiles(box.root() + u"\\", isHidden | isSystem | isDirectory)),
              (std::set<std::u16string>{u".", u"..", u"keep.txt"}));
    EXPECT_EQ(attributes(box / u"keep.txt") & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(mark(huge, Hidden) & 0xFFFF0000u, 0x800A0000u);
    EXPECT_EQ(text(&_FileSysObject::GetFileSize, box / u"*.txt", kBadFileName), u"");
    // A missing drive: "File not found" under Wine, "Path not found" where the system says so.
    Bstr drive(u"Q:\\missing drive.txt"), words;
    BSTR raw = drive.get();
    const HRESULT hr = files->GetFileAttribute(&raw, words.put());
    EXPECT_TRUE(hr == kFileNotFound || hr == static_cast<HRESULT>(0x800A004C)) << std::hex << hr;
}

TEST_F(Files, NamesOutsideTheCodePageKeepTheirTrueNames) {
    const std::u16string name = kWideName + u".txt";
    const std::u16string f = box.file(name, "wide");
    EXPECT_EQ(listed(getFiles(box / u"*.txt")), std::set<std::u16string>{name});
    EXPECT_EQ(text(&_FileSysObject::GetFileSize, f), u"4 bytes");
    EXPECT_EQ(mark(f, ReadOnly_Hidden), S_OK);
    EXPECT_EQ(text(&_FileSysObject::GetFileAttribute, f).substr(0, 15), u"ReadOnly Hidden");
    EXPECT_EQ(mark(f, Archive), S_OK);
    EXPECT_EQ(rename(f, u"\u03a8\u0436"), S_OK);
    EXPECT_EQ(fileBytes(box / u"\u03a8\u0436.txt"), (std::vector<unsigned char>{'w', 'i', 'd', 'e'}));
    // A name the code page has is handled as it always was.
    const std::u16string ansi = box.file(u"caf\u00e9.txt");
    EXPECT_EQ(listed(getFiles(box / u"caf*")), std::set<std::u16string>{u"caf\u00e9.txt"});
    EXPECT_EQ(rename(ansi, u"na\u00efve"), S_OK);
    EXPECT_TRUE(exists(box / u"na\u00efve.txt"));
}

TEST_F(Files, LateBoundWithOptionalMaskOmittedOrGiven) {
    box.file(u"one.txt");
    box.folder(u"dir");
    auto omitted = invokeByName(files.get(), u"GetFiles", DISPATCH_METHOD, {Variant(box.root() + u"\\")});
    ASSERT_EQ(omitted.hr, S_OK);
    ASSERT_EQ(omitted.result.type(), VT_ARRAY | VT_BSTR);
    EXPECT_EQ(strings(V_ARRAY(&omitted.result.get())), (std::vector<std::u16string>{u"", u"one.txt"}));
    Variant folder(box.root() + u"\\"), mask(static_cast<int32_t>(isDirectory));
    auto given = invokeByName(files.get(), u"GetFiles", DISPATCH_METHOD, {Argument::byRef(folder), Argument::byRef(mask)});
    ASSERT_EQ(given.hr, S_OK);
    EXPECT_EQ(listed(strings(V_ARRAY(&given.result.get()))), (std::set<std::u16string>{u".", u"..", u"dir", u"one.txt"}));
    // A mark by name, its value given as a number.
    Variant path(box / u"one.txt"), value(static_cast<int32_t>(Archive_ReadOnly));
    auto marked = invokeByName(files.get(), u"MarkFileAttributes", DISPATCH_METHOD, {Argument::byRef(path), Argument::byRef(value)});
    ASSERT_EQ(marked.hr, S_OK);
    EXPECT_EQ(V_BOOL(&marked.result.get()), VARIANT_TRUE);
    EXPECT_TRUE(attributes(box / u"one.txt") & FILE_ATTRIBUTE_READONLY);
    auto ext = invokeByName(files.get(), u"GetFileExt", DISPATCH_METHOD, {Variant(u"a.b.c")});
    EXPECT_EQ(Bstr::view(V_BSTR(&ext.result.get())), u".c");
}

TEST_F(Folders, GetDirectoriesListsSubfoldersOnly) {
    for (auto name : {u"a", u"b", u"h", u"s"}) box.folder(name);
    box.file(u"f.txt");
    SetFileAttributesW(frame::wide(box / u"h"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    SetFileAttributesW(frame::wide(box / u"s"), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(listed(directories(box.root())), (std::set<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(directories(box.root()).size(), 3u);
    EXPECT_EQ(directories(box.root()), directories(box.root() + u"\\"));
    EXPECT_EQ(listed(directories(box.root(), isHidden)), (std::set<std::u16string>{u"a", u"b", u"h"}));
    EXPECT_EQ(listed(directories(box.root(), isHidden | isSystem)), (std::set<std::u16string>{u"a", u"b", u"h", u"s"}));
    EXPECT_EQ(listed(directories(box.root(), 0, true)), (std::set<std::u16string>{box / u"a", box / u"b"}));
    EXPECT_EQ(listed(directories(box.root() + u"\\", 0, true)), (std::set<std::u16string>{box / u"a", box / u"b"}));
    EXPECT_EQ(directories(box / u"a"), std::vector<std::u16string>{u""});
    EXPECT_EQ(directories(box / u"missing"), std::vector<std::u16string>{u""});
    // A file where a folder is expected: the system's answer (Wine: a bad name) or nothing listed.
    Bstr file(box / u"f.txt");
    BSTR raw = file.get();
    SafeArray out;
    const HRESULT hr = folders->GetDirectories(&raw, nullptr, nullptr, out.put());
    if (hr == S_OK) EXPECT_EQ(strings(out.get()), std::vector<std::u16string>{u""});
    else EXPECT_EQ(hr, kBadFileName);
}

TEST_F(Folders, GetDirectoriesOfManyFolders) {
    for (int k = 0; k < 120; ++k) box.folder(u"d" + frame::decimal(k));
    EXPECT_EQ(directories(box.root()).size(), 121u);
}

TEST_F(Folders, LateBoundOptionalsAndNonAnsiNames) {
    box.folder(kWideName);
    auto omitted = invokeByName(folders.get(), u"GetDirectories", DISPATCH_METHOD, {Variant(box.root())});
    ASSERT_EQ(omitted.hr, S_OK);
    EXPECT_EQ(strings(V_ARRAY(&omitted.result.get())), (std::vector<std::u16string>{u"", kWideName}));
    Variant path(box.root()), mask(0), include = Variant::boolean(true);
    auto withPath = invokeByName(folders.get(), u"GetDirectories", DISPATCH_METHOD,
                                 {Argument::byRef(path), Argument::byRef(mask), Argument::byRef(include)});
    ASSERT_EQ(withPath.hr, S_OK);
    EXPECT_EQ(strings(V_ARRAY(&withPath.result.get())), (std::vector<std::u16string>{u"", box / kWideName}));
    EXPECT_TRUE(folderExists(box / kWideName));
    EXPECT_EQ(renameFolder(box / kWideName, kWideName + u"2"), S_OK);
    EXPECT_TRUE(folderExists(box / (kWideName + u"2")));
    EXPECT_EQ(markFolder(box / (kWideName + u"2"), Hidden), S_OK);
    EXPECT_TRUE(attributes(box / (kWideName + u"2")) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(Folders, RenameWithinTheParent) {
    const std::u16string work = box.folder(u"work");
    box.folder(u"work\\work");
    box.file(u"work\\work\\inside.txt", "i");
    EXPECT_EQ(renameFolder(work + u"\\work", u"old"), S_OK);
    EXPECT_TRUE(exists(work + u"\\old\\inside.txt"));
    box.folder(u"work\\other");
    EXPECT_EQ(renameFolder(work + u"\\old", u"other"), kAlreadyExists);
    EXPECT_TRUE(exists(work + u"\\old\\inside.txt"));
    // A trailing backslash puts the target inside the folder itself.
    EXPECT_TRUE(FAILED(renameFolder(work + u"\\old\\", u"x")));
    EXPECT_TRUE(exists(work + u"\\old\\inside.txt"));
    EXPECT_EQ(renameFolder(work + u"\\missing", u"x"), kFileNotFound);
    Variant path(work + u"\\missing"), name(u"x");
    auto late = invokeByName(folders.get(), u"RenameFolder", DISPATCH_METHOD, {Argument::byRef(path), Argument::byRef(name)});
    EXPECT_EQ(late.errorNumber, 53);
    EXPECT_EQ(late.source, u"Keldrun.FolderSysObject");
}

TEST_F(Folders, MarkFolderAttributesKeepsItAFolder) {
    const std::u16string f = box.folder(u"marked");
    // (Wine keeps neither the archive nor the read-only bit of a folder.)
    constexpr DWORD kWatched = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(markFolder(f, Hidden_Archive), S_OK);
    EXPECT_EQ(attributes(f) & kWatched, 0x12u);
    EXPECT_EQ(markFolder(f, Archive), S_OK);
    EXPECT_EQ(attributes(f) & kWatched, 0x10u);
    EXPECT_EQ(markFolder(f, isDirectory | isHidden | isSystem), S_OK);  // its own value given back
    EXPECT_EQ(attributes(f) & kWatched, 0x16u);
    EXPECT_EQ(markFolder(f, 0x400), kInvalidCall);
    EXPECT_EQ(markFolder(box / u"missing", Hidden), kFileNotFound);
}

TEST_F(Folders, FolderExistsAnswersWithoutFailing) {
    const std::u16string file = box.file(u"file.txt");
    EXPECT_TRUE(folderExists(box.root()));
    EXPECT_TRUE(folderExists(box.root() + u"\\"));
    EXPECT_TRUE(folderExists(u"C:"));
    EXPECT_FALSE(folderExists(box / u"missing"));
    EXPECT_FALSE(folderExists(file));
    EXPECT_FALSE(folderExists(box / u"*"));
    EXPECT_FALSE(folderExists(u"Q:\\nowhere"));
    EXPECT_FALSE(folderExists(u"C:\\" + std::u16string(1 << 20, u'a')));
    // A name the members are given never stays open: the folder can go at once.
    EXPECT_TRUE(folderExists(box.folder(u"gone")));
    EXPECT_TRUE(RemoveDirectoryW(frame::wide(box / u"gone")));
    auto late = invokeByName(folders.get(), u"FolderExists", DISPATCH_METHOD, {Variant(box / u"*\\x")});
    EXPECT_EQ(late.hr, S_OK);
    EXPECT_EQ(V_BOOL(&late.result.get()), VARIANT_FALSE);
    Variant null;
    V_VT(&null.raw()) = VT_NULL;
    auto withNull = invokeByName(folders.get(), u"FolderExists", DISPATCH_METHOD, {null});
    EXPECT_TRUE(withNull.hr == S_OK || withNull.errorNumber == 13);
}
