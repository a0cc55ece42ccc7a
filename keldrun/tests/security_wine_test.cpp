#include "keldrun/tests/wine_support.h"

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using frame::Argument;
using frame::invokeByName;
using frame::testing::MessageBoxCapture;
using namespace keldrun::testing;

namespace {

ComPtr<_SecurityClass> newSecurity() { return create<_SecurityClass>(__uuidof(SecurityClass)); }

const std::u16string kAdminFile = u"\\Users.SecurityFile";

bool save(_SecurityClass* s, const std::u16string& path, const std::u16string& content, HRESULT* hr = nullptr) {
    Bstr p(path), c(content);
    BSTR pr = p.get(), cr = c.get();
    VARIANT_BOOL ok = 1;
    const HRESULT result = s->SaveFile(&pr, &cr, &ok);
    if (hr) *hr = result;
    return ok == VARIANT_TRUE;
}

std::u16string open(_SecurityClass* s, const std::u16string& path) {
    Bstr p(path);
    BSTR pr = p.get();
    Bstr out;
    EXPECT_EQ(s->OpenFile(&pr, out.put()), S_OK);
    return out.str();
}

std::vector<unsigned char> utf16File(std::u16string_view text) {
    std::vector<unsigned char> bytes{0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    return bytes;
}

}  // namespace

TEST(SecurityClass, AdministratorFileInTheRealSystemFolder) {
    const std::u16string file = nativeSystemFolder() + kAdminFile;
    DeleteFileW(frame::wide(file));
    auto s = newSecurity();
    ASSERT_TRUE(s);
    VARIANT_BOOL found = VARIANT_TRUE;
    ASSERT_EQ(s->FindSecurityFile(&found), S_OK);
    EXPECT_EQ(found, VARIANT_FALSE);

    Variant user(u"a|.N8T");
    Bstr password(u"&u)");
    BSTR pr = password.get();
    VARIANT_BOOL saved = VARIANT_FALSE;
    ASSERT_EQ(s->SaveSecurityFile(&user.raw(), &pr, &saved), S_OK);
    EXPECT_EQ(saved, VARIANT_TRUE);
    ASSERT_EQ(s->FindSecurityFile(&found), S_OK);
    EXPECT_EQ(found, VARIANT_TRUE);
    Bstr read;
    ASSERT_EQ(s->ReadSecurityFile(read.put()), S_OK);
    EXPECT_EQ(read.str(), u"a|.N8T//&u)");
    EXPECT_EQ(fileBytes(file), utf16File(u"a|.N8T//&u)"));

    // Empty and null users store the separator and the password only.
    Variant null;
    V_VT(&null.raw()) = VT_NULL;
    ASSERT_EQ(s->SaveSecurityFile(&null.raw(), &pr, &saved), S_OK);
    ASSERT_EQ(s->ReadSecurityFile(read.put()), S_OK);
    EXPECT_EQ(read.str(), u"//&u)");
    Variant number(42);
    Bstr none;
    BSTR nr = none.get();
    ASSERT_EQ(s->SaveSecurityFile(&number.raw(), &nr, &saved), S_OK);
    ASSERT_EQ(s->ReadSecurityFile(read.put()), S_OK);
    EXPECT_EQ(read.str(), u"42//");
}

TEST(SecurityClass, UnconvertibleUserIsRaisedAndLeavesTheFileAlone) {
    auto s = newSecurity();
    const std::u16string file = nativeSystemFolder() + kAdminFile;
    Variant user(u"before");
    Bstr password(u"pw");
    BSTR pr = password.get();
    VARIANT_BOOL saved = VARIANT_FALSE;
    ASSERT_EQ(s->SaveSecurityFile(&user.raw(), &pr, &saved), S_OK);
    const auto bytes = fileBytes(file);

    Variant array;
    V_VT(&array.raw()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&array.raw()) = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    saved = VARIANT_TRUE;
    EXPECT_EQ(s->SaveSecurityFile(&array.raw(), &pr, &saved), static_cast<HRESULT>(0x800A000D));
    EXPECT_EQ(saved, VARIANT_FALSE);
    // Late-bound, the caller sees the run-time error 13.
    Variant arrayArgument = array, passwordArgument(u"pw");
    auto late = invokeByName(s.get(), u"SaveSecurityFile", DISPATCH_METHOD,
                             {Argument::byRef(arrayArgument), Argument::byRef(passwordArgument)});
    EXPECT_TRUE(FAILED(late.hr));
    EXPECT_EQ(late.errorNumber, 13);
    EXPECT_EQ(fileBytes(file), bytes);

    Variant null;
    V_VT(&null.raw()) = VT_NULL;
    EXPECT_EQ(s->SaveSecurityFileUser(&null.raw(), &user.raw(), &pr, &saved), static_cast<HRESULT>(0x800A005E));
}

TEST(SecurityClass, UserFilesGetTheExtensionAppended) {
    auto s = newSecurity();
    const std::u16string base = tempFolder() + u"\\alice";
    DeleteFileW(frame::wide(base + u".SecurityFile"));
    Variant path{Bstr(base)}, user(u"alice");
    Bstr password(u"a//b");
    BSTR pr = password.get();
    VARIANT_BOOL saved = VARIANT_FALSE;
    ASSERT_EQ(s->SaveSecurityFileUser(&path.raw(), &user.raw(), &pr, &saved), S_OK);
    EXPECT_EQ(saved, VARIANT_TRUE);
    EXPECT_EQ(fileBytes(base + u".SecurityFile"), utf16File(u"alice//a//b"));
    Bstr name(base), read;
    BSTR nr = name.get();
    ASSERT_EQ(s->ReadSecurityFileUser(&nr, read.put()), S_OK);
    EXPECT_EQ(read.str(), u"alice//a//b");
    // A name that already has the extension gets it twice.
    Variant twice{Bstr(base + u".SecurityFile")};
    ASSERT_EQ(s->SaveSecurityFileUser(&twice.raw(), &user.raw(), &pr, &saved), S_OK);
    EXPECT_FALSE(fileBytes(base + u".SecurityFile.SecurityFile").empty());
    // A missing user file reads as the empty string without a box.
    MessageBoxCapture capture;
    Bstr missing(base + u"-missing"), nothing;
    BSTR mr = missing.get();
    ASSERT_EQ(s->ReadSecurityFileUser(&mr, nothing.put()), S_OK);
    EXPECT_EQ(nothing.str(), u"");
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(SecurityClass, SaveFileFailureShowsThePathAndReturnsFalse) {
    auto s = newSecurity();
    MessageBoxCapture capture;
    const std::u16string path = tempFolder() + u"\\no such folder\\x.txt";
    HRESULT hr = E_FAIL;
    EXPECT_FALSE(save(s.get(), path, u"text", &hr));
    EXPECT_EQ(hr, S_OK);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].text, path);
    EXPECT_EQ(capture.boxes()[0].caption, u"Keldrun");
    EXPECT_FALSE(capture.boxes()[0].hasIcon);
    // No path to show: the box says what failed instead of nothing.
    capture.clear();
    EXPECT_FALSE(save(s.get(), u"", u"text", &hr));
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].text.rfind(u"Error: ", 0), 0u);
}

TEST(SecurityClass, ReadOnlyFileIsReportedAndKeptUnchanged) {
    auto s = newSecurity();
    const std::u16string path = tempFolder() + u"\\readonly.txt";
    SetFileAttributesW(frame::wide(path), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(save(s.get(), path, u"original"));
    SetFileAttributesW(frame::wide(path), FILE_ATTRIBUTE_READONLY);
    MessageBoxCapture capture;
    EXPECT_FALSE(save(s.get(), path, u"replaced"));
    EXPECT_EQ(capture.boxes().size(), 1u);
    SetFileAttributesW(frame::wide(path), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(open(s.get(), path), u"original");
}

TEST(SecurityClass, OpenFileReadsUtf16And8BitTextAndFailsSilently) {
    auto s = newSecurity();
    const std::u16string folder = tempFolder();
    ASSERT_TRUE(save(s.get(), folder + u"\\over.txt", u"a much longer first content"));
    ASSERT_TRUE(save(s.get(), folder + u"\\over.txt", u"short \u00e9"));
    EXPECT_EQ(open(s.get(), folder + u"\\over.txt"), u"short \u00e9");
    writeBytes(folder + u"\\ansi.txt", "plain 8-bit\r\ntext");
    EXPECT_EQ(open(s.get(), folder + u"\\ansi.txt"), u"plain 8-bit\r\ntext");
    writeBytes(folder + u"\\empty.txt", "");
    MessageBoxCapture capture;
    EXPECT_EQ(open(s.get(), folder + u"\\empty.txt"), u"");
    EXPECT_EQ(open(s.get(), folder + u"\\missing.txt"), u"");
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(SecurityClass, FieldsAreCreatedOnDemandAndReplaceable) {
    auto s = newSecurity();
    ComPtr<_cSimpleCrypt> crypt;
    ASSERT_EQ(s->get_crypt(crypt.put()), S_OK);
    ASSERT_TRUE(crypt);
    Bstr in(u"a");
    BSTR ir = in.get();
    Variant encoded;
    ASSERT_EQ(crypt->Encode(&ir, encoded.put()), S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&encoded.get())), u"Uno");
    ComPtr<_cSimpleCrypt> again;
    s->get_crypt(again.put());
    EXPECT_EQ(again.get(), crypt.get());

    ComPtr<IDispatch> first;
    ASSERT_EQ(s->get_fso(first.put()), S_OK);
    ASSERT_TRUE(first);
    ASSERT_EQ(s->putref_fso(nullptr), S_OK);
    VARIANT_BOOL found;
    EXPECT_EQ(s->FindSecurityFile(&found), S_OK);
    ComPtr<IDispatch> second;
    s->get_fso(second.put());
    // (Wine's file-system object is one shared instance, so only its presence is checked.)
    EXPECT_TRUE(second);
    // Only a file-system object can be assigned.
    EXPECT_EQ(s->putref_fso(crypt.get()), static_cast<HRESULT>(0x800A000D));
    ASSERT_EQ(s->putref_fso(first.get()), S_OK);
    ComPtr<IDispatch> third;
    s->get_fso(third.put());
    EXPECT_EQ(third.get(), first.get());
}
