#include "keldrun/tests/wine_support.h"

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using frame::Argument;
using frame::invokeByName;
using frame::testing::CapturedBox;
using frame::testing::MessageBoxCapture;
using namespace keldrun::testing;

namespace {

ComPtr<_cSimpleCrypt> newCrypt() { return create<_cSimpleCrypt>(__uuidof(cSimpleCrypt)); }

Variant encode(_cSimpleCrypt* crypt, std::u16string_view text, HRESULT* hr = nullptr) {
    Bstr in(text);
    BSTR raw = in.get();
    Variant out;
    const HRESULT result = crypt->Encode(&raw, out.put());
    if (hr) *hr = result;
    return out;
}

std::u16string decode(_cSimpleCrypt* crypt, std::u16string_view text) {
    Bstr in(text);
    BSTR raw = in.get();
    Bstr out;
    EXPECT_EQ(crypt->DeCode(&raw, out.put()), S_OK);
    return out.str();
}

std::u16string text(const Variant& v) { return std::u16string(Bstr::view(V_BSTR(&v.get()))); }

}  // namespace

TEST(cSimpleCrypt, EncodeGivesStringVariantAndRoundTripsEveryCoveredCharacter) {
    auto crypt = newCrypt();
    ASSERT_TRUE(crypt);
    std::u16string all;
    for (char16_t c = 32; c <= 125; ++c)
        if (c != u'`') all.push_back(c);
    HRESULT hr = E_FAIL;
    const Variant e = encode(crypt.get(), all, &hr);
    EXPECT_EQ(hr, S_OK);
    ASSERT_EQ(e.type(), VT_BSTR);
    EXPECT_EQ(text(e).size(), 3 * all.size());
    EXPECT_EQ(decode(crypt.get(), text(e)), all);
    // The pinned vector holds in every build.
    EXPECT_EQ(text(encode(crypt.get(), u"Administrator")), u"a|.N8Tgq7M;?#*fM;?:%eXd{UbmUnoXd{sf0Ubm");
    const Variant empty = encode(crypt.get(), u"");
    EXPECT_EQ(empty.type(), VT_BSTR);
    EXPECT_EQ(text(empty), u"");
}

TEST(cSimpleCrypt, ArgumentIsNotChanged) {
    auto crypt = newCrypt();
    Bstr in(u"keep me");
    BSTR raw = in.get();
    Variant out;
    crypt->Encode(&raw, out.put());
    EXPECT_EQ(raw, in.get());
    EXPECT_EQ(Bstr::view(raw), u"keep me");
}

TEST(cSimpleCrypt, OverflowShowsProgramErrorAndReturnsEmpty) {
    auto crypt = newCrypt();
    MessageBoxCapture capture;
    HRESULT hr = E_FAIL;
    const Variant e = encode(crypt.get(), std::u16string(32767, u'a'), &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(e.type(), VT_EMPTY);
    EXPECT_EQ(decode(crypt.get(), std::u16string(40000, u'a')), u"");
    ASSERT_EQ(capture.boxes().size(), 2u);
    const CapturedBox& box = capture.boxes()[0];
    EXPECT_EQ(box.caption, u"Program Error!");
    EXPECT_EQ(box.text, u"Error# = 6\r\nDescription = Overflow\r\nSource = Keldrun");
    EXPECT_TRUE(box.hasIcon);
    // The longest text still converts without a box.
    EXPECT_EQ(text(encode(crypt.get(), std::u16string(32766, u'~'))).size(), 32766u);
    EXPECT_EQ(capture.boxes().size(), 2u);
}

TEST(cSimpleCrypt, LateBoundWithScriptStyleArguments) {
    auto crypt = newCrypt();
    // Script hosts pass variables by reference as variants.
    Variant argument(u"P@ss");
    auto encoded = invokeByName(crypt.get(), u"Encode", DISPATCH_METHOD, {Argument::byRef(argument)});
    ASSERT_EQ(encoded.hr, S_OK);
    ASSERT_EQ(encoded.result.type(), VT_BSTR);
    Variant back = encoded.result;
    auto plain = invokeByName(crypt.get(), u"DeCode", DISPATCH_METHOD, {Argument::byRef(back)});
    ASSERT_EQ(plain.hr, S_OK);
    ASSERT_EQ(plain.result.type(), VT_BSTR);
    EXPECT_EQ(text(plain.result), u"P@ss");
    EXPECT_EQ(argument.type(), VT_BSTR);
    EXPECT_EQ(text(argument), u"P@ss");
    EXPECT_EQ(text(back), text(encoded.result));
}

namespace {

struct Reentry {
    _cSimpleCrypt* crypt;
    std::u16string posted;
    std::u16string timer;
    int timerTicks = 0;
};
Reentry* g_reentry = nullptr;

LRESULT CALLBACK hostWindow(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_APP && g_reentry) {
        g_reentry->posted = text(encode(g_reentry->crypt, u"posted"));
        return 0;
    }
    if (message == WM_TIMER && g_reentry) {
        // Stopped first: the calls below pump messages, and a slow machine
        // would otherwise see the next tick inside them.
        KillTimer(window, wparam);
        if (g_reentry->timerTicks++ == 0) g_reentry->timer = decode(g_reentry->crypt, text(encode(g_reentry->crypt, u"tick")));
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

TEST(cSimpleCrypt, HandlersRunInsideALongEncodeAndCallItAgain) {
    auto crypt = newCrypt();
    WNDCLASSW wc{};
    wc.lpfnWndProc = hostWindow;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KeldrunReentryHost";
    RegisterClassW(&wc);
    frame::UniqueWindow window(CreateWindowW(L"KeldrunReentryHost", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                             wc.hInstance, nullptr));
    ASSERT_TRUE(window);
    Reentry state{crypt.get()};
    g_reentry = &state;
    PostMessageW(window.get(), WM_APP, 0, 0);
    SetTimer(window.get(), 1, 10, nullptr);
    // Long enough that the timer falls due inside the call.
    std::u16string longText;
    for (int i = 0; i < 10922; ++i) longText.push_back(static_cast<char16_t>(u'A' + i % 26));
    std::u16string encoded;
    const DWORD start = GetTickCount();
    do {
        encoded = text(encode(crypt.get(), longText));
    } while (state.timerTicks == 0 && GetTickCount() - start < 5000);
    g_reentry = nullptr;
    EXPECT_EQ(state.posted, text(encode(crypt.get(), u"posted")));
    EXPECT_EQ(state.timer, u"tick");
    EXPECT_EQ(state.timerTicks, 1);
    EXPECT_EQ(decode(crypt.get(), encoded), longText);
}
