#include <gtest/gtest.h>

#include "lanthor/tooltips/ctooltip_messages.h"

using namespace lanthor::ctip;

namespace {

const Message addTool{0x404, 0, Payload::ToolRecord};
Message autoPop(int ms) { return {0x403, 2, Payload::Time, ms}; }
Message initial(int ms) { return {0x403, 3, Payload::Time, ms}; }
Message title(int icon) { return {0x420, icon, Payload::Title}; }
Message textColour(int c) { return {0x414, c, Payload::Zero}; }
Message backColour(int c) { return {0x413, c, Payload::Zero}; }

}  // namespace

TEST(CToolTipMessages, StyleAndFlags) {
    EXPECT_EQ(windowStyle(0), 0x03u);
    EXPECT_EQ(windowStyle(1), 0x43u);
    EXPECT_EQ(windowStyle(2), 0x03u);  // only TTBalloon itself adds the balloon
    EXPECT_EQ(windowStyle(-1), 0x03u);
    EXPECT_EQ(toolFlags(false), 0x11u);
    EXPECT_EQ(toolFlags(true), 0x13u);
}

TEST(CToolTipMessages, CreateSendsTheToolThenTitleColoursAndDelaysInOrder) {
    struct Case {
        const char* what;
        Settings settings;
        std::vector<Message> expected;
    };
    Settings full;
    full.title = u"T";
    full.icon = 2;
    full.foreColor = 0x0000FF;
    full.backColor = static_cast<std::int32_t>(0x80000018u);
    full.visibleTime = 7000;
    full.delayTime = 10;
    Settings iconOnly;
    iconOnly.icon = 1;
    Settings titleOnly;
    titleOnly.title = u"T";
    Settings backOnly;
    backOnly.backColor = 1;
    const Case cases[] = {
        {"defaults: no title, no colours", {}, {addTool, autoPop(5000), initial(500)}},
        {"everything set", full,
         {addTool, title(2), textColour(0x0000FF), backColour(static_cast<std::int32_t>(0x80000018u)), autoPop(7000),
          initial(10)}},
        {"an icon without a title still titles", iconOnly, {addTool, title(1), autoPop(5000), initial(500)}},
        {"a title without an icon", titleOnly, {addTool, title(0), autoPop(5000), initial(500)}},
        {"one colour", backOnly, {addTool, backColour(1), autoPop(5000), initial(500)}},
    };
    for (const Case& c : cases) EXPECT_EQ(messagesAfter(Change::Create, c.settings), c.expected) << c.what;
}

TEST(CToolTipMessages, LetsOfALiveWindow) {
    Settings s;
    s.foreColor = 0;
    s.backColor = -1;
    EXPECT_EQ(messagesAfter(Change::ForeColor, s), std::vector<Message>{textColour(0)});  // 0 is sent too
    EXPECT_EQ(messagesAfter(Change::BackColor, s), std::vector<Message>{backColour(-1)});
    const Message updateText{0x40C, 0, Payload::ToolRecord};
    EXPECT_EQ(messagesAfter(Change::TipText, s), std::vector<Message>{updateText});
    for (Change stored : {Change::Style, Change::Centered, Change::VisibleTime, Change::DelayTime})
        EXPECT_TRUE(messagesAfter(stored, s).empty());
}

TEST(CToolTipMessages, TitleUpdateNeedsBothATitleAndAnIcon) {
    for (Change change : {Change::Title, Change::Icon}) {
        Settings s;
        EXPECT_TRUE(messagesAfter(change, s).empty());
        s.title = u"T";
        EXPECT_TRUE(messagesAfter(change, s).empty());  // icon 0: the live title stays
        s.icon = 3;
        EXPECT_EQ(messagesAfter(change, s), std::vector<Message>{title(3)});
        s.title.clear();
        EXPECT_TRUE(messagesAfter(change, s).empty());  // clearing the title is not sent
    }
}
