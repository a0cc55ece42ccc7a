// GetWindowsInformation's texts: the system's name by version, registry data.
#include <gtest/gtest.h>

#include <string>

#include "common/errors.h"
#include "common/testing/error_of.h"
#include "lanthor/utilities/system_texts.h"

using namespace lanthor;
using frame::testing::errorOf;

TEST(SystemTexts, NamesTheSystemByPlatformAndVersion) {
    struct Case {
        uint32_t platform, major, minor;
        const char16_t* name;
    };
    const Case cases[] = {
        {1, 4, 0, u"WINDOWS 95"},    {1, 4, 10, u"WINDOWS 98"},       {1, 4, 90, u"WINDOWS MILLENNIUM"},
        {1, 7, 10, u"WINDOWS 98"},   {1, 4, 3, u""},                  {2, 3, 51, u"WINDOWS NT 3.51"},
        {2, 3, 0, u"WINDOWS NT 3.51"}, {2, 4, 0, u"WINDOWS NT 4.0"},  {2, 5, 0, u"WINDOWS 2000"},
        {2, 5, 1, u"WINDOWS XP"},    {2, 5, 2, u"WINDOWS XP"},        {2, 6, 0, u""},
        {2, 6, 1, u""},              {2, 10, 0, u""},                 {2, 2, 0, u""},
        {0, 3, 10, u"FAILED"},       {3, 5, 1, u"FAILED"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(windowsName(c.platform, c.major, c.minor), c.name) << c.platform << ' ' << c.major << '.' << c.minor;
}

TEST(SystemTexts, TrimsOneTerminatingNul) {
    const std::string buffer("abc\0\0\0", 6);
    EXPECT_EQ(trimmedData(buffer, 4), "abc");
    EXPECT_EQ(trimmedData(buffer, 3), "abc");  // data without its NUL keeps every byte
    EXPECT_EQ(trimmedData(buffer, 5), std::string("abc\0", 4));
    EXPECT_EQ(trimmedData(buffer, 1), "a");
    EXPECT_EQ(trimmedData(std::string(1, '\0'), 1), "");
    const std::string full(1024, 'x');
    EXPECT_EQ(trimmedData(full, 1024).size(), 1024u);
    EXPECT_EQ(errorOf([&] { trimmedData(buffer, 0); }), frame::errInvalidProcedureCall);
}

TEST(SystemTexts, NumberValuesNameTheirNumber) {
    auto text = [](std::string bytes) { return numberValueText(bytes, static_cast<uint32_t>(bytes.size())); };
    EXPECT_EQ(text(std::string("\0\0\0\0", 4)), u"&h0");
    EXPECT_EQ(text(std::string("\x1A\0\0\0", 4)), u"&h1A");
    EXPECT_EQ(text(std::string("\x05\x01\0\0", 4)), u"&h105");      // a byte below 0x10 keeps its zero
    EXPECT_EQ(text(std::string("\x34\x12\x00\x00", 4)), u"&h1234");
    EXPECT_EQ(text(std::string("\x00\x00\x00\x01", 4)), u"&h1000000");
    EXPECT_EQ(text("\xFF\xFF\xFF\xFF"), u"&hFFFFFFFF");
    EXPECT_EQ(text(std::string("\x07", 1)), u"&h7");                   // short data: the bytes there are
    EXPECT_EQ(text(std::string("\x01\x00\x00\x00\x09", 5)), u"&h1");   // long data: its first four
    EXPECT_EQ(errorOf([] { numberValueText("", 0); }), frame::errInvalidProcedureCall);
}
