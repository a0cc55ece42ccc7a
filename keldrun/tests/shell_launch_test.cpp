#include "keldrun/files/shell_launch.h"

#include <gtest/gtest.h>

namespace keldrun {
namespace {

TEST(ShellResult, AboveThirtyTwoIsSuccessTheRestPassesUnchanged) {
    const struct {
        intptr_t instance;
        int32_t expected;
    } cases[] = {
        {0, 0},    {2, 2},    {3, 3},    {5, 5},   {8, 8},   {11, 11}, {26, 26},
        {31, 31},  {32, 32},  {33, -1},  {42, -1}, {0x10000000, -1},
        {-5, -5},  // not a value the shell gives; passed on as it stands
    };
    for (const auto& c : cases) EXPECT_EQ(shellResult(c.instance), c.expected) << c.instance;
}

TEST(ShellResult, TextsLongerThanTheShellHoldsAreNotHandedOver) {
    EXPECT_TRUE(shellTakes(0, true));
    EXPECT_TRUE(shellTakes(kLongestWineShellFile, true));
    EXPECT_FALSE(shellTakes(kLongestWineShellFile + 1, true));
    EXPECT_FALSE(shellTakes(size_t{1} << 20, true));
    EXPECT_TRUE(shellTakes(2083, false));  // a URL as long as Windows takes one
}

TEST(SimpleLaunch, VerbFileAndWindowStateOfEachLauncher) {
    EXPECT_EQ(std::u16string(kExplore.verb), u"explore");
    EXPECT_EQ(std::u16string(kOpenFolder.verb), u"open");
    EXPECT_EQ(kEmail.verb, nullptr);
    EXPECT_EQ(kUrl.verb, nullptr);
    EXPECT_EQ(std::u16string(kPrint.verb), u"print");

    EXPECT_EQ(launchFile(kEmail, u"someone@example.com"), u"mailto:someone@example.com");
    EXPECT_EQ(launchFile(kEmail, u""), u"mailto:");
    EXPECT_EQ(launchFile(kUrl, u"http://example.com/"), u"http://example.com/");
    EXPECT_EQ(launchFile(kExplore, u"C:\\"), u"C:\\");

    for (const SimpleLaunch* launch : {&kExplore, &kOpenFolder, &kEmail, &kUrl})
        for (int32_t style : {0, 3, 7, kShowDefault, 99}) EXPECT_EQ(launchShowStyle(*launch, style), style);
    for (int32_t style : {1, 3, kShowDefault}) EXPECT_EQ(launchShowStyle(kPrint, style), kShowHidden);
}

}  // namespace
}  // namespace keldrun
