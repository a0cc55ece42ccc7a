#include "common/testing/error_of.h"
#include <gtest/gtest.h>

#include "common/convert.h"
#include "common/errors.h"

using namespace frame;

using frame::testing::errorOf;

TEST(Rounding, TiesGoToEven) {
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(-0.5), -0.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(127.5000024), 128.0);
    EXPECT_EQ(roundHalfEven(127.4999976), 127.0);
}

TEST(Narrowing, InRangeKeepsValueAndOutOfRangeIsOverflow) {
    EXPECT_EQ(narrow<uint8_t>(255), 255);
    EXPECT_EQ(narrow<uint8_t>(0), 0);
    EXPECT_EQ(errorOf([] { narrow<uint8_t>(256); }), errOverflow);
    EXPECT_EQ(errorOf([] { narrow<uint8_t>(-1); }), errOverflow);
    EXPECT_EQ(narrow<int16_t>(-32768), -32768);
    EXPECT_EQ(errorOf([] { narrow<int16_t>(32768); }), errOverflow);
    EXPECT_EQ(narrow<int16_t>(2.5), 2);
    EXPECT_EQ(narrow<int16_t>(32767.4), 32767);
    EXPECT_EQ(errorOf([] { narrow<int16_t>(32767.5); }), errOverflow);
    EXPECT_EQ(errorOf([] { narrow<int32_t>(std::nan("")); }), errOverflow);
    // 2^63 equals the 64-bit maximum once that is taken as a double, yet does not fit.
    EXPECT_EQ(errorOf([] { narrow<int64_t>(9223372036854775808.0); }), errOverflow);
    EXPECT_EQ(narrow<int64_t>(-9223372036854775808.0), INT64_MIN);
    EXPECT_EQ(errorOf([] { narrow<uint32_t>(4294967295.5); }), errOverflow);
    EXPECT_EQ(narrow<uint32_t>(4294967295.4), 4294967295u);
}

TEST(Long, UnsignedReadingsComeBackBitForBit) {
    EXPECT_EQ(asLong(0x80000000u), -2147483647 - 1);
    EXPECT_EQ(asLong(0xFFFFFFFFu), -1);
    EXPECT_EQ(asLong(2147483647u), 2147483647);
}

TEST(ReportText, NumberAndDescription) {
    EXPECT_EQ(usualReportText(13, u"Type mismatch"), u"Error: 13. Type mismatch");
    EXPECT_EQ(usualReportText(-2147024891, u"Access is denied."), u"Error: -2147024891. Access is denied.");
    EXPECT_EQ(usualReportText(5, u""), u"Error: 5. ");
    EXPECT_EQ(usualReportText(-2147483647 - 1, u"x"), u"Error: -2147483648. x");
    EXPECT_EQ(usualReportText(424, u"Object required", u"Item: "), u"Item: 424. Object required");
}

TEST(StandardTexts, KnownNumbersHaveTheirTexts) {
    EXPECT_EQ(standardDescription(6), u"Overflow");
    EXPECT_EQ(standardDescription(9), u"Subscript out of range");
    EXPECT_EQ(standardDescription(11), u"Division by zero");
    EXPECT_EQ(standardDescription(13), u"Type mismatch");
    EXPECT_EQ(standardDescription(5), u"Invalid procedure call or argument");
    EXPECT_EQ(standardDescription(53), u"File not found");
    EXPECT_EQ(standardDescription(453), u"Specified DLL function not found");
    EXPECT_EQ(standardDescription(91), u"Object variable or With block variable not set");
    EXPECT_EQ(standardDescription(32811), u"Element not found");
    EXPECT_EQ(standardDescription(12345), u"");
}

TEST(Hresults, RunTimeErrorsRoundTripAndOthersStayNegative) {
    EXPECT_EQ(static_cast<uint32_t>(hresultFromError(13)), 0x800A000Du);
    EXPECT_EQ(errorFromHresult(hresultFromError(13)), 13);
    EXPECT_EQ(errorFromHresult(hresultFromError(9)), 9);
    EXPECT_EQ(errorFromHresult(static_cast<int32_t>(0x80020005u)), 13);
    EXPECT_EQ(errorFromHresult(static_cast<int32_t>(0x80004005u)), static_cast<int32_t>(0x80004005u));
    EXPECT_LT(errorFromHresult(static_cast<int32_t>(0x80004005u)), 0);
    EXPECT_EQ(hresultFromError(-2147467259), -2147467259);
    // The control facility with no number is a failure like any other, never error 0.
    EXPECT_EQ(errorFromHresult(static_cast<int32_t>(0x800A0000u)), static_cast<int32_t>(0x800A0000u));
    EXPECT_EQ(hresultFromError(errorFromHresult(static_cast<int32_t>(0x800A0000u))), static_cast<int32_t>(0x800A0000u));
}
