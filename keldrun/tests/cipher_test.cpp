// The substitution table is part of the security-file format: the literals
// below were written once from the table and must never need changing.
#include "keldrun/security/cipher.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/errors.h"

using keldrun::decode;
using keldrun::encode;

namespace {

int pumps = 0;
const keldrun::PumpPass countPumps = [] { ++pumps; };

std::u16string enc(std::u16string_view t) { return encode(t, countPumps); }
std::u16string dec(std::u16string_view t) { return decode(t, countPumps); }

std::u16string covered() {
    std::u16string all;
    for (char16_t c = 32; c <= 125; ++c)
        if (c != u'`') all.push_back(c);
    return all;
}

// Run f expecting the overflow error, return its number and description.
template <typename F>
std::pair<int32_t, std::u16string> overflowOf(F f) {
    try {
        f();
    } catch (const frame::RuntimeError& e) {
        return {e.number(), e.description()};
    }
    return {0, u"no error"};
}

}  // namespace

TEST(CipherTable, PinnedCodesOfEveryCoveredCharacterInOrder) {
    EXPECT_EQ(enc(covered()),
              u"_{d1rI!7,=QA:Zegz<cRICt?SkGc6E=%u-iWsH$i79F6Bjq5w^=>H8<sz]?5"
              u"NH6se2F?hstLW%iemKNCy[U+9(agyL6b&<Kit?ea|.?Lvyb?pNY\"'ul']oQX"
              u"u_:N+@O=;m+Xo6iZxnXx[W@ov>Q3nXEOo7j6WaOT+mVUO5*ocsDSDC\\udrL#"
              u"Pu{B;X!m!X\"sUnoB(?^N8N8T}NxjjvQF2:9FM;?UJK=(dOV3gq7#*fsf0&u)"
              u"J9]Ubm:%eXd{6&rzHS\\\"})uA(}=w(b;nh]C@1F[");
}

TEST(CipherTable, PinnedVectors) {
    EXPECT_EQ(enc(u"Administrator"), u"a|.N8Tgq7M;?#*fM;?:%eXd{UbmUnoXd{sf0Ubm");
    EXPECT_EQ(enc(u"P@ss w0rd!\"\\"), u"v>Qt?e:%e:%e_{d\\\"}w^=UbmN8T1rI!7,Pu{");
    EXPECT_EQ(dec(u"a|.N8Tgq7M;?#*fM;?:%eXd{UbmUnoXd{sf0Ubm"), u"Administrator");
}

TEST(CipherTable, FormOfTheCodes) {
    std::set<std::u16string_view> codes;
    for (std::size_t i = 0; i < keldrun::kTableSize; ++i) {
        const auto code = keldrun::tableCode(i);
        ASSERT_EQ(code.size(), 3u) << i;
        for (char16_t c : code) {
            EXPECT_TRUE(c >= 33 && c <= 125 && c != u'`') << "index " << i;
            EXPECT_NE(c, u'/') << "index " << i;
        }
        codes.insert(code);
        EXPECT_EQ(keldrun::plainOf(code), keldrun::tablePlain(i));
    }
    EXPECT_EQ(codes.size(), keldrun::kTableSize);
    EXPECT_EQ(keldrun::tablePlain(0), u' ');
    EXPECT_EQ(keldrun::tablePlain(64), u'a');
    EXPECT_EQ(keldrun::tablePlain(92), u'}');
}

TEST(Cipher, EveryCoveredCharacterRoundTripsAloneAndTogether) {
    for (char16_t c : covered()) {
        const std::u16string one(1, c);
        const auto e = enc(one);
        EXPECT_EQ(e.size(), 3u);
        EXPECT_EQ(dec(e), one) << static_cast<int>(c);
    }
    const auto all = covered();
    const auto e = enc(all);
    EXPECT_EQ(e.size(), 3 * all.size());
    EXPECT_EQ(dec(e), all);
}

TEST(Cipher, EmptyTextGivesEmptyResultWithoutPumping) {
    pumps = 0;
    EXPECT_EQ(enc(u""), u"");
    EXPECT_EQ(dec(u""), u"");
    EXPECT_EQ(pumps, 0);
}

TEST(Cipher, OutsideCharactersPassThroughUnexpanded) {
    const std::u16string outside = u"`~\t\r\n\u00e9\u20ac\x7f";
    EXPECT_EQ(enc(outside), outside);
    // A lone surrogate is a 16-bit unit like any other.
    const std::u16string surrogate(1, char16_t(0xD800));
    EXPECT_EQ(enc(surrogate), surrogate);
}

TEST(Cipher, OutsideCharacterShiftsTheGrouping) {
    // One outside character before one table character: nothing decodes.
    const auto e = enc(u"~a");
    EXPECT_EQ(e, u"~Uno");
    EXPECT_EQ(dec(e), e);
    // At the end, or in runs of three, the grouping stays in step.
    EXPECT_EQ(dec(enc(u"ab\t")), u"ab\t");
    EXPECT_EQ(dec(enc(u"a\r\n\tb")), u"a\r\n\tb");
    EXPECT_EQ(dec(enc(u"a~~")), u"a~~");
}

TEST(Cipher, DecodeKeepsShortLastGroupAndNonCodes) {
    EXPECT_EQ(dec(u"a|.x"), u"Ax");
    EXPECT_EQ(dec(u"a|.xy"), u"Axy");
    EXPECT_EQ(dec(u"a|"), u"a|");
    EXPECT_EQ(dec(u"plain text"), u"plain text");
    // Codes differ by case; a group differing only in case is not decoded.
    EXPECT_EQ(enc(u"aA"), u"Unoa|.");
    EXPECT_EQ(dec(u"A|.uNO"), u"A|.uNO");
    // No resynchronising: a code straddling two groups is not found.
    EXPECT_EQ(dec(u"xa|."), u"xa|.");
}

TEST(Cipher, PumpsTwicePerCharacterAndPerGroup) {
    pumps = 0;
    enc(u"ab~");
    EXPECT_EQ(pumps, 6);
    pumps = 0;
    dec(u"1234567");  // groups "123", "456", "7"
    EXPECT_EQ(pumps, 6);
}

TEST(Cipher, ReentrantCallsInsideThePumpDoNotDisturbTheOuterCall) {
    std::u16string inner;
    int depth = 0;
    const keldrun::PumpPass reenter = [&] {
        if (depth++ == 0) inner = encode(u"inner", reenter);
        --depth;
    };
    EXPECT_EQ(decode(encode(u"outer text", reenter), reenter), u"outer text");
    EXPECT_EQ(inner, enc(u"inner"));
}

TEST(CipherLimits, LongestTextsConvertCompletely) {
    const std::u16string longest(32766, u'x');
    const auto e = enc(longest);
    EXPECT_EQ(e.size(), 3u * 32766u);
    // Encoded output of the longest input that stays decodable.
    const std::u16string most(10922, u'Q');
    const auto em = enc(most);
    ASSERT_EQ(em.size(), 32766u);
    EXPECT_EQ(dec(em), most);
    EXPECT_EQ(dec(longest), longest);
}

TEST(CipherLimits, TextOf32767OverflowsOnItsLastStep) {
    const std::u16string text(32767, u'a');
    pumps = 0;
    EXPECT_EQ(overflowOf([&] { enc(text); }), std::make_pair(int32_t{6}, std::u16string(u"Overflow")));
    EXPECT_EQ(pumps, 2 * 32767);  // every character was reached first
    pumps = 0;
    EXPECT_EQ(overflowOf([&] { dec(text); }).first, 6);
    EXPECT_EQ(pumps, 2 * 10922 + 1);
}

TEST(CipherLimits, LongerTextsAreRefusedBeforeAnyWork) {
    for (std::size_t n : {32768u, 40000u, 70000u}) {
        const std::u16string text(n, u'a');
        pumps = 0;
        EXPECT_EQ(overflowOf([&] { enc(text); }).first, 6) << n;
        EXPECT_EQ(overflowOf([&] { dec(text); }).first, 6) << n;
        EXPECT_EQ(pumps, 0) << n;
    }
}
