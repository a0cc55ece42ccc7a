// CToolTip over Wine's common-controls tooltip window: the window and the
// messages the object sends, as the window receives them; the live tooltip
// read back; and the tooltip as it shows on the screen.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/harness.h"
#include "common/window.h"
#include "lanthor_h.h"
// After lanthor_h.h: its TTI_ macros would rename the members of ttIcon.
#include <commctrl.h>

using frame::Bstr;
using frame::ComPtr;
using frame::testing::pumpMessages;
using frame::testing::pumpUntil;
using frame::testing::screenArea;

namespace {

constexpr COLORREF kParentColour = RGB(0, 128, 0);
constexpr UINT kRecordSize = offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM);

bool isTooltipWindow(HWND window) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof(name));
    return lstrcmpiA(name, TOOLTIPS_CLASSA) == 0;
}

// A message CToolTip sends, as the tooltip window received it.
struct Sent {
    HWND window = nullptr;
    UINT id = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    TTTOOLINFOA record{};  // tool messages: the record, its text below
    std::string text;
    DWORD pointee = 0xFFFFFFFF;  // colour messages: the 32-bit value lParam points to
};

struct Created {
    HWND window;
    CREATESTRUCTA create;
    DWORD param;  // what the creation parameter points to
};

// Tooltip windows created and destroyed on this thread, and every message of
// the kinds CToolTip sends that reaches any window.
class Watch {
public:
    Watch() {
        current_ = this;
        cbt_.reset(SetWindowsHookExA(WH_CBT, cbt, nullptr, GetCurrentThreadId()));
        calls_.reset(SetWindowsHookExA(WH_CALLWNDPROC, call, nullptr, GetCurrentThreadId()));
    }
    ~Watch() { current_ = nullptr; }
    void clear() {
        sent.clear();
        created.clear();
        destroyed.clear();
    }
    std::vector<Sent> sent;
    std::vector<Created> created;
    std::vector<HWND> destroyed;

private:
    static bool sentByTheClass(UINT id) {
        for (UINT m : {TTM_SETDELAYTIME, TTM_ADDTOOLA, TTM_UPDATETIPTEXTA, TTM_SETTIPBKCOLOR, TTM_SETTIPTEXTCOLOR,
                       TTM_SETTITLEA})
            if (id == m) return true;
        return false;
    }
    static LRESULT CALLBACK cbt(int code, WPARAM wParam, LPARAM lParam) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (current_ && code == HCBT_CREATEWND && isTooltipWindow(window)) {
            const CREATESTRUCTA& cs = *reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
            const DWORD param = cs.lpCreateParams ? *static_cast<const DWORD*>(cs.lpCreateParams) : 0xFFFFFFFF;
            current_->created.push_back({window, cs, param});
        } else if (current_ && code == HCBT_DESTROYWND) {
            current_->destroyed.push_back(window);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK call(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT& m = *reinterpret_cast<CWPSTRUCT*>(lParam);
        if (current_ && code == HC_ACTION && sentByTheClass(m.message)) {
            Sent s{m.hwnd, m.message, m.wParam, m.lParam};
            if (m.message == TTM_ADDTOOLA || m.message == TTM_UPDATETIPTEXTA) {
                s.record = *reinterpret_cast<const TTTOOLINFOA*>(m.lParam);
                s.text = s.record.lpszText;
            } else if (m.message == TTM_SETTITLEA) {
                s.text = reinterpret_cast<const char*>(m.lParam);
            } else if (m.message != TTM_SETDELAYTIME) {
                s.pointee = *reinterpret_cast<const DWORD*>(m.lParam);
            }
            current_->sent.push_back(s);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline Watch* current_ = nullptr;
    frame::UniqueHookHandle cbt_, calls_;
};

// The live tooltip as the common controls report it.
struct Tool {
    bool found = false;
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    HINSTANCE hinst = nullptr;
    std::string text;
};

Tool toolOf(HWND tip, HWND parent) {
    char text[1024] = {};
    TTTOOLINFOA info{};
    info.cbSize = kRecordSize;
    info.hwnd = parent;
    info.uId = reinterpret_cast<UINT_PTR>(parent);
    info.lpszText = text;
    Tool tool;
    tool.found = SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    tool.flags = info.uFlags;
    tool.hwnd = info.hwnd;
    tool.id = info.uId;
    tool.hinst = info.hinst;
    tool.text = text;
    return tool;
}
LRESULT toolCount(HWND tip) { return SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0); }
LRESULT delay(HWND tip, WPARAM which) { return SendMessageA(tip, TTM_GETDELAYTIME, which, 0); }
COLORREF backColour(HWND tip) { return static_cast<COLORREF>(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0)); }
COLORREF textColour(HWND tip) { return static_cast<COLORREF>(SendMessageA(tip, TTM_GETTIPTEXTCOLOR, 0, 0)); }

HINSTANCE lanthorModule() { return GetModuleHandleA("Lanthor.dll"); }

BOOL CALLBACK countTooltips(HWND window, LPARAM count) {
    if (isTooltipWindow(window)) ++*reinterpret_cast<int*>(count);
    return TRUE;
}
int tooltipWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countTooltips, reinterpret_cast<LPARAM>(&count));
    return count;
}

// A tooltip as it showed: where, and its pixels.
struct Shown {
    RECT rect{};
    std::vector<COLORREF> pixels;
    int width() const { return rect.right - rect.left; }
    int height() const { return rect.bottom - rect.top; }
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width() + x]; }
};

class CToolTipWine : public ::testing::Test {
protected:
    HWND parent = nullptr;
    ComPtr<_CToolTip> tip;
    Watch watch;

    static void SetUpTestSuite() { frame::testing::registerPlainWindowClass("LanthorCToolTipParent", kParentColour); }
    void SetUp() override {
        tip = frame::testing::createFromDll<_CToolTip>(L"Lanthor.dll", __uuidof(CToolTip));
        ASSERT_TRUE(tip);
        parent = newParent();
        watch.clear();
    }
    void TearDown() override {
        tip.reset();
        if (parent) DestroyWindow(parent);
        SetCursorPos(5, 5);
        pumpMessages(20);
    }
    static HWND newParent(int x = 100, int y = 100, int w = 400, int h = 300) {
        HWND window = CreateWindowExA(0, "LanthorCToolTipParent", "", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
        UpdateWindow(window);
        pumpMessages(30);
        return window;
    }
    long handle() const { return frame::longOf(parent); }
    // Create, checked to answer False; the tooltip window it made.
    HWND create(long parentHandle) {
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ(tip->Create(parentHandle, &result), S_OK);
        EXPECT_EQ(result, VARIANT_FALSE);
        return watch.created.empty() ? nullptr : watch.created.back().window;
    }
    HWND create() { return create(handle()); }
    void setText(HRESULT (STDMETHODCALLTYPE _CToolTip::*put)(BSTR), const char16_t* text) {
        Bstr value(text);
        EXPECT_EQ((tip.get()->*put)(value.get()), S_OK);
    }
    // Rests the pointer on the parent until the tooltip shows; its pixels once painted.
    Shown show(HWND window, POINT at = {160, 150}) {
        Shown shown;
        SetCursorPos(at.x, at.y);
        POINT client = at;
        ScreenToClient(parent, &client);
        SendMessageA(parent, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
        if (!pumpUntil([&] { return IsWindowVisible(window) != FALSE; })) return shown;
        pumpMessages(150);
        GetWindowRect(window, &shown.rect);
        shown.pixels = screenArea(shown.rect);
        return shown;
    }
    void hide(HWND window) {
        SendMessageA(window, TTM_POP, 0, 0);
        pumpMessages(50);
    }
};

std::vector<UINT> ids(const std::vector<Sent>& sent) {
    std::vector<UINT> out;
    for (const Sent& s : sent) out.push_back(s.id);
    return out;
}

}  // namespace

TEST_F(CToolTipWine, CreateBeforeAnyPropertyIsSetMakesAStandardTooltipWithTheDefaultTimes) {
    long value = -1;
    tip->get_DelayTime(&value);
    EXPECT_EQ(value, 500);
    tip->get_VisibleTime(&value);
    EXPECT_EQ(value, 5000);
    for (auto get : {&_CToolTip::get_BackColor, &_CToolTip::get_ForeColor}) {
        (tip.get()->*get)(&value);
        EXPECT_EQ(value, 0);
    }
    ttIconType icon = TTIconError;
    tip->get_Icon(&icon);
    EXPECT_EQ(icon, TTNoIcon);
    ttStyleEnum style = TTBalloon;
    tip->get_Style(&style);
    EXPECT_EQ(style, TTStandard);
    VARIANT_BOOL centered = VARIANT_TRUE;
    tip->get_Centered(&centered);
    EXPECT_EQ(centered, VARIANT_FALSE);
    Bstr text;
    tip->get_Title(text.put());
    EXPECT_TRUE(text.empty());
    tip->get_TipText(text.put());
    EXPECT_TRUE(text.empty());

    HWND window = create();
    ASSERT_EQ(watch.created.size(), 1u);
    const Created& made = watch.created[0];
    EXPECT_EQ(made.create.style & 0xFFFF, 0x03);
    EXPECT_EQ(made.create.dwExStyle, 0u);
    EXPECT_EQ(made.create.hwndParent, nullptr);
    EXPECT_EQ(made.create.hInstance, lanthorModule());
    EXPECT_EQ(made.param, 0u);  // the address of a 32-bit zero

    // The tool, then the two times; no title and no colour.
    ASSERT_EQ(ids(watch.sent), (std::vector<UINT>{TTM_ADDTOOLA, TTM_SETDELAYTIME, TTM_SETDELAYTIME}));
    const Sent& add = watch.sent[0];
    EXPECT_EQ(add.window, window);
    EXPECT_EQ(add.wParam, 0u);
    EXPECT_EQ(add.record.cbSize, sizeof(void*) == 4 ? 44u : 64u);
    EXPECT_EQ(add.record.uFlags, 0x11u);
    EXPECT_EQ(add.record.hwnd, parent);
    EXPECT_EQ(add.record.uId, reinterpret_cast<UINT_PTR>(parent));
    EXPECT_EQ(add.record.hinst, lanthorModule());
    EXPECT_EQ(add.record.lParam, 0);
    const RECT zero{};
    EXPECT_TRUE(EqualRect(&add.record.rect, &zero));
    EXPECT_EQ(add.text, "");
    EXPECT_EQ(watch.sent[1].wParam, static_cast<WPARAM>(TTDT_AUTOPOP));
    EXPECT_EQ(watch.sent[1].lParam, 5000);
    EXPECT_EQ(watch.sent[2].wParam, static_cast<WPARAM>(TTDT_INITIAL));
    EXPECT_EQ(watch.sent[2].lParam, 500);

    // The live window agrees.
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & 0xFF, 0x03);
    EXPECT_EQ(toolCount(window), 1);
    const Tool tool = toolOf(window, parent);
    EXPECT_TRUE(tool.found);
    EXPECT_EQ(tool.flags, 0x11u);
    EXPECT_EQ(tool.hinst, lanthorModule());
    EXPECT_EQ(tool.text, "");
    EXPECT_EQ(delay(window, TTDT_INITIAL), 500);
    EXPECT_EQ(delay(window, TTDT_AUTOPOP), 5000);
    EXPECT_EQ(backColour(window), GetSysColor(COLOR_INFOBK));
    EXPECT_EQ(textColour(window), GetSysColor(COLOR_INFOTEXT));
}

TEST_F(CToolTipWine, PropertiesSetBeforeCreateReachTheNewWindowInOrder) {
    constexpr long kSystemColour = static_cast<long>(0x80000018u);  // passed on untranslated
    EXPECT_EQ(tip->put_Style(TTBalloon), S_OK);
    EXPECT_EQ(tip->put_Centered(VARIANT_TRUE), S_OK);
    EXPECT_EQ(tip->put_Icon(TTIconWarning), S_OK);
    setText(&_CToolTip::put_Title, u"Heading");
    setText(&_CToolTip::put_TipText, u"Some text");
    EXPECT_EQ(tip->put_ForeColor(0x00FF0000), S_OK);
    EXPECT_EQ(tip->put_BackColor(kSystemColour), S_OK);
    EXPECT_EQ(tip->put_VisibleTime(7000), S_OK);
    EXPECT_EQ(tip->put_DelayTime(20), S_OK);
    EXPECT_TRUE(watch.sent.empty());  // no window yet

    HWND window = create();
    ASSERT_EQ(ids(watch.sent), (std::vector<UINT>{TTM_ADDTOOLA, TTM_SETTITLEA, TTM_SETTIPTEXTCOLOR,
                                                  TTM_SETTIPBKCOLOR, TTM_SETDELAYTIME, TTM_SETDELAYTIME}));
    EXPECT_EQ(watch.sent[0].record.uFlags, 0x13u);
    EXPECT_EQ(watch.sent[0].text, "Some text");
    EXPECT_EQ(watch.sent[1].wParam, 2u);
    EXPECT_EQ(watch.sent[1].text, "Heading");
    EXPECT_EQ(watch.sent[2].wParam, 0x00FF0000u);
    EXPECT_EQ(watch.sent[2].pointee, 0u);
    EXPECT_EQ(watch.sent[3].wParam, static_cast<WPARAM>(static_cast<LONG_PTR>(kSystemColour)));
    EXPECT_EQ(watch.sent[3].pointee, 0u);

    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & 0xFF, 0x43);
    const Tool tool = toolOf(window, parent);
    EXPECT_EQ(tool.flags, 0x13u);
    EXPECT_EQ(tool.text, "Some text");
    EXPECT_EQ(textColour(window), 0x00FF0000u);
    EXPECT_EQ(backColour(window), static_cast<COLORREF>(kSystemColour));
    EXPECT_EQ(delay(window, TTDT_AUTOPOP), 7000);
    EXPECT_EQ(delay(window, TTDT_INITIAL), 20);
}

TEST_F(CToolTipWine, LetsAfterCreateReachTheLiveWindowAsTheTitleRuleSays) {
    HWND window = create();
    watch.clear();
    tip->put_ForeColor(0x000000FF);
    tip->put_BackColor(0x0000FFFF);
    setText(&_CToolTip::put_TipText, u"New text");
    ASSERT_EQ(ids(watch.sent), (std::vector<UINT>{TTM_SETTIPTEXTCOLOR, TTM_SETTIPBKCOLOR, TTM_UPDATETIPTEXTA}));
    EXPECT_EQ(watch.sent[2].record.uFlags, 0x11u);
    EXPECT_EQ(watch.sent[2].record.hwnd, parent);
    EXPECT_EQ(textColour(window), 0x000000FFu);
    EXPECT_EQ(backColour(window), 0x0000FFFFu);
    EXPECT_EQ(toolOf(window, parent).text, "New text");

    // A title without an icon is only stored; the icon then sends both; clearing either sends nothing.
    watch.clear();
    setText(&_CToolTip::put_Title, u"Heading");
    EXPECT_TRUE(watch.sent.empty());
    tip->put_Icon(TTIconInfo);
    ASSERT_EQ(ids(watch.sent), std::vector<UINT>{TTM_SETTITLEA});
    EXPECT_EQ(watch.sent[0].wParam, 1u);
    EXPECT_EQ(watch.sent[0].text, "Heading");
    watch.clear();
    tip->put_Icon(TTNoIcon);
    setText(&_CToolTip::put_Title, u"");
    tip->put_Icon(TTIconError);
    EXPECT_TRUE(watch.sent.empty());

    // Style, Centered and the times wait for the next Create.
    tip->put_Style(TTBalloon);
    tip->put_Centered(VARIANT_TRUE);
    tip->put_VisibleTime(900);
    tip->put_DelayTime(90);
    EXPECT_TRUE(watch.sent.empty());
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & 0xFF, 0x03);
    EXPECT_EQ(delay(window, TTDT_INITIAL), 500);
    long value = 0;
    tip->get_DelayTime(&value);
    EXPECT_EQ(value, 90);
}

TEST_F(CToolTipWine, DestroyKeepsTheHandleButNoLaterUseReachesAnyWindow) {
    HWND window = create();
    // A tooltip window of someone else, on the same parent.
    frame::UniqueWindow foreign(CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                                nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(foreign);
    watch.clear();
    EXPECT_EQ(tip->Destroy(), S_OK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(watch.destroyed, std::vector<HWND>{window});

    watch.clear();
    tip->put_ForeColor(0x123456);
    tip->put_BackColor(0x654321);
    setText(&_CToolTip::put_TipText, u"after");
    setText(&_CToolTip::put_Title, u"later");
    tip->put_Icon(TTIconInfo);
    EXPECT_EQ(tip->Destroy(), S_OK);
    EXPECT_TRUE(watch.sent.empty());
    EXPECT_TRUE(watch.destroyed.empty());
    EXPECT_TRUE(IsWindow(foreign.get()));
    EXPECT_EQ(backColour(foreign.get()), GetSysColor(COLOR_INFOBK));

    // Create again: a new window with what was set in between.
    HWND again = create();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, window);
    EXPECT_EQ(toolOf(again, parent).text, "after");
    EXPECT_EQ(textColour(again), 0x123456u);
    EXPECT_EQ(backColour(again), 0x654321u);
    EXPECT_EQ(ids(watch.sent), (std::vector<UINT>{TTM_ADDTOOLA, TTM_SETTITLEA, TTM_SETTIPTEXTCOLOR,
                                                  TTM_SETTIPBKCOLOR, TTM_SETDELAYTIME, TTM_SETDELAYTIME}));

    // Its window destroyed by someone else: the stored handle reaches nothing.
    DestroyWindow(again);
    watch.clear();
    tip->put_BackColor(1);
    EXPECT_EQ(tip->Destroy(), S_OK);
    EXPECT_TRUE(watch.sent.empty());
    EXPECT_TRUE(watch.destroyed.empty());
    EXPECT_TRUE(IsWindow(foreign.get()));
}

TEST_F(CToolTipWine, CreateAgainReplacesTheWindowAndReleasingTheObjectDestroysIt) {
    HWND first = create();
    HWND second = create();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(tooltipWindows(), 1);
    EXPECT_EQ(watch.destroyed.front(), first);  // before the new one was made
    tip.reset();
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(tooltipWindows(), 0);
}

TEST_F(CToolTipWine, BadInputGetsWhatThePlatformDoes) {
    // Window 0 and a destroyed window: a tooltip all the same, its tool on that handle.
    HWND gone = newParent();
    DestroyWindow(gone);
    for (long bad : {0L, frame::longOf(gone)}) {
        watch.clear();
        HWND window = create(bad);
        ASSERT_TRUE(IsWindow(window));
        EXPECT_EQ(toolCount(window), 1);
        ASSERT_FALSE(watch.sent.empty());
        EXPECT_EQ(watch.sent[0].record.hwnd, frame::windowOf(bad));
    }

    // Colours with the high bit set go through unchanged, as do odd icon and style numbers.
    HWND window = create();
    tip->put_ForeColor(static_cast<long>(0xFF0000FFu));
    tip->put_BackColor(static_cast<long>(0x80000005u));
    EXPECT_EQ(textColour(window), 0xFF0000FFu);
    EXPECT_EQ(backColour(window), 0x80000005u);
    long value = 0;
    tip->get_ForeColor(&value);
    EXPECT_EQ(static_cast<unsigned long>(value), 0xFF0000FFu);

    // A title of 10 000 characters is stored and sent whole.
    const std::u16string longTitle(10000, u'W');
    watch.clear();
    setText(&_CToolTip::put_Title, longTitle.c_str());
    tip->put_Icon(static_cast<ttIconType>(7));
    ASSERT_EQ(ids(watch.sent), std::vector<UINT>{TTM_SETTITLEA});
    EXPECT_EQ(watch.sent[0].wParam, 7u);
    EXPECT_EQ(watch.sent[0].text.size(), 10000u);
    Bstr title;
    tip->get_Title(title.put());
    EXPECT_EQ(title.str(), longTitle);
    tip->put_DelayTime(10);
    setText(&_CToolTip::put_TipText, u"Under a long title");
    window = create();
    EXPECT_FALSE(show(window).pixels.empty());  // shown, as wide as the screen allows
    EXPECT_EQ(toolCount(window), 1);  // and still answering
    ttIconType icon{};
    tip->get_Icon(&icon);
    EXPECT_EQ(icon, 7);
}

TEST_F(CToolTipWine, TheTooltipShowsItsTextInItsColoursWhenThePointerRests) {
    tip->put_DelayTime(10);
    tip->put_BackColor(RGB(255, 255, 0));
    tip->put_ForeColor(RGB(0, 0, 255));
    setText(&_CToolTip::put_TipText, u"Resting pointer");
    HWND window = create();
    const Shown shown = show(window);
    ASSERT_FALSE(shown.pixels.empty());
    EXPECT_GT(shown.width(), 40);
    int background = 0, text = 0;
    for (COLORREF c : shown.pixels) {
        background += c == RGB(255, 255, 0);
        text += c == RGB(0, 0, 255);
    }
    EXPECT_GT(background, shown.width() * shown.height() / 2);
    EXPECT_GT(text, 20);
}

TEST_F(CToolTipWine, CenteredPlacesTheTooltipCentredBelowTheParent) {
    tip->put_DelayTime(10);
    tip->put_Centered(VARIANT_TRUE);
    setText(&_CToolTip::put_TipText, u"Centred");
    HWND window = create();
    const Shown shown = show(window);
    ASSERT_FALSE(shown.pixels.empty());
    RECT p{};
    GetWindowRect(parent, &p);
    EXPECT_NEAR((shown.rect.left + shown.rect.right) / 2, (p.left + p.right) / 2, 1);
    EXPECT_GE(shown.rect.top, p.bottom);
}

TEST_F(CToolTipWine, ATitleAndItsIconShowAsTheReferenceTooltipShowsThem) {
    tip->put_DelayTime(10);
    setText(&_CToolTip::put_TipText, u"Body text");
    HWND window = create();
    const Shown plain = show(window);
    ASSERT_FALSE(plain.pixels.empty());
    hide(window);

    // A title set while Icon is 0 does not reach the live tooltip.
    setText(&_CToolTip::put_Title, u"Heading");
    const Shown stillPlain = show(window);
    EXPECT_EQ(stillPlain.pixels, plain.pixels);
    hide(window);

    // Icon 1 sends both: the tooltip now looks like a reference tooltip
    // given the same text, title and icon directly.
    tip->put_Icon(TTIconInfo);
    const Shown titled = show(window);
    hide(window);
    tip->Destroy();

    frame::UniqueWindow reference(CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX,
                                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                                  nullptr, GetModuleHandleA(nullptr), nullptr));
    char text[] = "Body text";
    TTTOOLINFOA info{};
    info.cbSize = kRecordSize;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = parent;
    info.uId = reinterpret_cast<UINT_PTR>(parent);
    info.lpszText = text;
    SendMessageA(reference.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageA(reference.get(), TTM_SETDELAYTIME, TTDT_INITIAL, 10);
    auto referenceWith = [&](WPARAM icon) {
        SendMessageA(reference.get(), TTM_SETTITLEA, icon, reinterpret_cast<LPARAM>("Heading"));
        const Shown shown = show(reference.get());
        hide(reference.get());
        return shown;
    };
    const Shown withInfo = referenceWith(1), withWarning = referenceWith(2);

    EXPECT_GT(titled.height(), plain.height());
    EXPECT_EQ(titled.width(), withInfo.width());
    EXPECT_EQ(titled.height(), withInfo.height());
    EXPECT_EQ(titled.pixels, withInfo.pixels);
    EXPECT_NE(titled.pixels, withWarning.pixels);  // the icon itself shows
}

namespace {

struct Row {
    const char16_t* name;
    INVOKEKIND kind;
    DISPID id;
};

std::u16string nameOf(ITypeInfo* info, MEMBERID id) {
    Bstr name;
    info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr);
    return name.str();
}

ComPtr<ITypeLib> lanthorTypeLibrary() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(lanthorModule(), path, MAX_PATH);
    ComPtr<ITypeLib> library;
    LoadTypeLibEx(path, REGKIND_NONE, library.put());
    return library;
}

// An enumeration's members by name and value, in order.
std::vector<std::pair<std::u16string, long>> enumeration(ITypeLib* library, const char16_t* name) {
    std::vector<std::pair<std::u16string, long>> members;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        Bstr typeName;
        library->GetDocumentation(static_cast<INT>(i), typeName.put(), nullptr, nullptr, nullptr);
        if (typeName.view() != name) continue;
        ComPtr<ITypeInfo> info;
        library->GetTypeInfo(i, info.put());
        TYPEATTR* attributes = nullptr;
        info->GetTypeAttr(&attributes);
        for (WORD v = 0; v < attributes->cVars; ++v) {
            VARDESC* variable = nullptr;
            info->GetVarDesc(v, &variable);
            members.emplace_back(nameOf(info.get(), variable->memid), V_I4(variable->lpvarValue));
            info->ReleaseVarDesc(variable);
        }
        info->ReleaseTypeAttr(attributes);
    }
    return members;
}

}  // namespace

TEST(CToolTipTypeLibrary, CarriesTheMemberTableTheIdentifiersAndTheEnumerations) {
    ComPtr<ITypeLib> library = lanthorTypeLibrary();
    ASSERT_TRUE(library);
    wchar_t text[40] = {};
    StringFromGUID2(__uuidof(CToolTip), text, 40);
    EXPECT_STREQ(text, L"{34C60D66-2102-42A1-9553-B95AEC287F2F}");
    StringFromGUID2(__uuidof(_CToolTip), text, 40);
    EXPECT_STREQ(text, L"{13980B50-A629-431E-8ADF-77A90A7AC65F}");

    ComPtr<ITypeInfo> dispatch, info;
    ASSERT_EQ(library->GetTypeInfoOfGuid(__uuidof(_CToolTip), dispatch.put()), S_OK);
    HREFTYPE dual = 0;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &dual), S_OK);
    ASSERT_EQ(dispatch->GetRefTypeInfo(dual, info.put()), S_OK);

    constexpr INVOKEKIND let = INVOKE_PROPERTYPUT, get = INVOKE_PROPERTYGET, method = INVOKE_FUNC;
    const Row table[] = {
        {u"Style", let, 0x68030008},       {u"Style", get, 0x68030008},     {u"Centered", let, 0x68030007},
        {u"Centered", get, 0x68030007},    {u"Create", method, 0x60030009}, {u"Icon", let, 0x68030006},
        {u"Icon", get, 0x68030006},        {u"ForeColor", let, 0x68030005}, {u"ForeColor", get, 0x68030005},
        {u"Title", let, 0x68030004},       {u"Title", get, 0x68030004},     {u"BackColor", let, 0x68030003},
        {u"BackColor", get, 0x68030003},   {u"TipText", let, 0x68030002},   {u"TipText", get, 0x68030002},
        {u"Destroy", method, 0x6003000C},  {u"VisibleTime", get, 0x68030001}, {u"VisibleTime", let, 0x68030001},
        {u"DelayTime", get, 0x68030000},   {u"DelayTime", let, 0x68030000},
    };
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    ASSERT_EQ(attributes->cFuncs, std::size(table));
    info->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < std::size(table); ++i) {
        FUNCDESC* function = nullptr;
        info->GetFuncDesc(i, &function);
        EXPECT_EQ(nameOf(info.get(), function->memid), table[i].name) << i;
        EXPECT_EQ(function->invkind, table[i].kind) << i;
        EXPECT_EQ(function->memid, table[i].id) << i;
        info->ReleaseFuncDesc(function);
    }
    BSTR names[2] = {};
    UINT count = 0;
    info->GetNames(0x60030009, names, 2, &count);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(Bstr::attach(names[1]).view(), u"ParentHwnd");
    SysFreeString(names[0]);

    using Members = std::vector<std::pair<std::u16string, long>>;
    EXPECT_EQ(enumeration(library.get(), u"ttIconType"),
              (Members{{u"TTNoIcon", 0}, {u"TTIconInfo", 1}, {u"TTIconWarning", 2}, {u"TTIconError", 3}}));
    EXPECT_EQ(enumeration(library.get(), u"ttStyleEnum"), (Members{{u"TTStandard", 0}, {u"TTBalloon", 1}}));
}

TEST_F(CToolTipWine, LateBoundCallsByNameReachTheSameMembers) {
    frame::LateBound late(ComPtr<IDispatch>(tip.get()));
    late.put(u"Style", 1);
    late.put(u"Centered", frame::Variant::boolean(true));
    late.put(u"Icon", 3);
    late.put(u"ForeColor", 0x0000FF);
    late.put(u"BackColor", static_cast<int32_t>(0x80000018u));
    late.put(u"Title", u"Late");
    late.put(u"TipText", u"bound");
    late.put(u"VisibleTime", u"6000");  // a script's text coerced to a Long
    late.put(u"DelayTime", 15);
    EXPECT_EQ(V_I4(&late.get(u"Style").get()), 1);
    EXPECT_EQ(V_BOOL(&late.get(u"Centered").get()), VARIANT_TRUE);
    EXPECT_EQ(V_I4(&late.get(u"Icon").get()), 3);
    EXPECT_EQ(V_I4(&late.get(u"BackColor").get()), static_cast<int32_t>(0x80000018u));
    EXPECT_EQ(frame::Bstr::view(V_BSTR(&late.get(u"Title").get())), u"Late");
    EXPECT_EQ(frame::Bstr::view(V_BSTR(&late.get(u"TipText").get())), u"bound");
    EXPECT_EQ(V_I4(&late.get(u"VisibleTime").get()), 6000);

    const frame::Variant created = late.call(u"Create", {frame::longOf(parent)});
    EXPECT_EQ(created.type(), VT_BOOL);
    EXPECT_EQ(V_BOOL(&created.get()), VARIANT_FALSE);
    ASSERT_EQ(watch.created.size(), 1u);
    HWND window = watch.created[0].window;
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & 0xFF, 0x43);
    EXPECT_EQ(toolOf(window, parent).flags, 0x13u);
    EXPECT_EQ(delay(window, TTDT_AUTOPOP), 6000);
    late.call(u"Destroy");
    EXPECT_FALSE(IsWindow(window));

    // What cannot become a Long is a type mismatch for the caller, and nothing is stored.
    const frame::InvokeOutcome bad = frame::invokeByName(tip.get(), u"DelayTime", DISPATCH_PROPERTYPUT, {u"soon"});
    EXPECT_EQ(bad.errorNumber, 13);
    EXPECT_EQ(V_I4(&late.get(u"DelayTime").get()), 15);
}
