// CStringBuilder's contract, case by case, and a fuzz run against a plain
// std::u16string doing the same edits.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "common/errors.h"
#include "lanthor/utilities/string_builder.h"

using lanthor::CStringBuilder;
using lanthor::kStringBuilderError;

namespace {

struct Raised {
    int32_t number = 0;
    std::u16string source, description;
};

Raised raisedBy(const std::function<void()>& f) {
    try {
        f();
    } catch (const frame::RuntimeError& e) {
        return {e.number(), e.source(), e.description()};
    }
    return {};
}

std::u16string repeated(char16_t c, size_t n) { return std::u16string(n, c); }

}  // namespace

TEST(StringBuilder, StartsEmptyWithOneChunk) {
    CStringBuilder b;
    EXPECT_EQ(b.Length(), 0);
    EXPECT_EQ(b.Capacity(), 2048);
    EXPECT_EQ(b.BufferBump(), 2048);
    EXPECT_EQ(b.ToString(), u"");
}

TEST(StringBuilder, GrowsInWholeChunksNeverDoubling) {
    CStringBuilder b;
    b.Append(repeated(u'x', 1024));
    EXPECT_EQ(b.Capacity(), 2048);  // exactly full
    b.Append(u"y");
    EXPECT_EQ(b.Capacity(), 4096);
    b.Append(repeated(u'z', 1024));
    EXPECT_EQ(b.Capacity(), 6144);
    EXPECT_EQ(b.ToString(), repeated(u'x', 1024) + u"y" + repeated(u'z', 1024));
    EXPECT_EQ(b.EnsureCapacity(6145), 8192);
    EXPECT_EQ(b.EnsureCapacity(100), 8192);  // never shrinks
}

TEST(StringBuilder, BufferBumpIsEvenAndPositive) {
    CStringBuilder b;
    b.BufferBump(1000);
    EXPECT_EQ(b.BufferBump(), 1000);
    b.Capacity(2500);
    EXPECT_EQ(b.Capacity(), 3000);
    b.BufferBump(999);
    EXPECT_EQ(b.BufferBump(), 1000);
    for (int32_t ignored : {0, -1, -2048}) {
        b.BufferBump(ignored);
        EXPECT_EQ(b.BufferBump(), 1000);
    }
    EXPECT_EQ(raisedBy([&] { b.BufferBump(2147483647); }).number, frame::errOverflow);
    EXPECT_EQ(b.BufferBump(), 1000);
    b.BufferBump(2147483646);
    EXPECT_EQ(b.BufferBump(), 2147483646);
    EXPECT_EQ(b.Capacity(), 3000);  // the buffer keeps its size until it changes
}

TEST(StringBuilder, CapacityRoundsToTheChunkAndMayShrinkAndCut) {
    CStringBuilder b;
    b.Append(u"abcdefghij");  // 20 bytes
    b.BufferBump(8);
    b.Capacity(0);
    b.Capacity(-5);
    EXPECT_EQ(b.Capacity(), 2048);
    b.Capacity(13);  // rounds to 16: the text is cut to 8 characters
    EXPECT_EQ(b.Capacity(), 16);
    EXPECT_EQ(b.ToString(), u"abcdefgh");
    b.Capacity(24);
    EXPECT_EQ(b.ToString(), u"abcdefgh");
    b.Length(12);  // bytes past the cut are zero again, not the old "ij"
    EXPECT_EQ(b.ToString(), std::u16string(u"abcdefgh\0\0\0\0", 12));
    b.BufferBump(1 << 30);
    EXPECT_EQ(raisedBy([&] { b.Capacity(2147483600); }).number, frame::errOverflow);
    EXPECT_EQ(b.Capacity(), 24);
}

TEST(StringBuilder, LengthCutsOrExposesWhatTheBufferHolds) {
    CStringBuilder b;
    b.Length(3);
    EXPECT_EQ(b.ToString(), std::u16string(3, u'\0'));
    b.Length(0);
    b.Append(u"abcdef");
    b.Length(2);
    EXPECT_EQ(b.ToString(), u"ab");
    b.Length(6);
    EXPECT_EQ(b.ToString(), u"abcdef");
    b.Length(-1);
    EXPECT_EQ(b.Length(), 6);
    b.Length(1500);  // 3000 bytes: the capacity grows first
    EXPECT_EQ(b.Capacity(), 4096);
    EXPECT_EQ(b.ToString().substr(0, 7), std::u16string(u"abcdef\0", 7));
    EXPECT_EQ(raisedBy([&] { b.Length(1073741824); }).number, frame::errOverflow);
    EXPECT_EQ(b.Length(), 1500);
}

TEST(StringBuilder, InsertAtEitherEndAndInside) {
    CStringBuilder b;
    b.Append(u"middle");
    EXPECT_EQ(&b.Insert(0, u"<"), &b);
    b.Insert(b.Length(), u">").Insert(4, u"--");
    EXPECT_EQ(b.ToString(), u"<mid--dle>");
    b.Insert(3, u"");
    EXPECT_EQ(b.ToString(), u"<mid--dle>");
    // Growth on insert keeps the text whole.
    b.Insert(1, repeated(u'.', 1200));
    EXPECT_EQ(b.Capacity(), 4096);
    EXPECT_EQ(b.ToString(), u"<" + repeated(u'.', 1200) + u"mid--dle>");
}

TEST(StringBuilder, RemoveMovesTheTailDown) {
    CStringBuilder b;
    b.Append(u"0123456789");
    EXPECT_EQ(&b.Remove(2, 3), &b);
    EXPECT_EQ(b.ToString(), u"0156789");
    b.Remove(0, 0).Remove(7, 0).Remove(5, 2);
    EXPECT_EQ(b.ToString(), u"01567");
    // A span to the end of a completely full buffer.
    CStringBuilder full;
    full.Append(repeated(u'a', 1000) + repeated(u'b', 24));
    ASSERT_EQ(full.Length() * 2, full.Capacity());
    full.Remove(1000, 24);
    EXPECT_EQ(full.ToString(), repeated(u'a', 1000));
    full.Remove(0, 1000);
    EXPECT_EQ(full.ToString(), u"");
}

TEST(StringBuilder, CharsReadsAndWritesOneCodeUnit) {
    CStringBuilder b;
    b.Append(u"abc");
    EXPECT_EQ(b.Chars(0), u"a");
    EXPECT_EQ(b.Chars(2), u"c");
    b.Chars(1, u"XYZ");
    EXPECT_EQ(b.ToString(), u"aXc");
    b.Chars(2, u"\xD83D\xDE00");  // the first code unit of a pair
    EXPECT_EQ(b.ToString(), u"aX\xD83D");
    EXPECT_EQ(b.Length(), 3);
    EXPECT_EQ(raisedBy([&] { b.Chars(0, u""); }).number, frame::errInvalidProcedureCall);
    EXPECT_EQ(b.ToString(), u"aX\xD83D");
}

TEST(StringBuilder, RangeErrorsCarryTheClassNumberSourceAndTextAndChangeNothing) {
    CStringBuilder b;
    b.Append(u"abc");
    struct Case {
        std::function<void()> call;
        const char16_t* source;
        const char16_t* description;
    };
    const Case cases[] = {
        {[&] { b.Chars(3); }, u"CStringBuilder.Chars", u"Tried reading character past end of buffer."},
        {[&] { b.Chars(-1); }, u"CStringBuilder.Chars", u"Tried reading character past end of buffer."},
        {[&] { b.Chars(3, u"x"); }, u"CStringBuilder.Chars", u"Tried assigning character past end of buffer."},
        {[&] { b.Chars(-1, u""); }, u"CStringBuilder.Chars", u"Tried assigning character past end of buffer."},
        {[&] { b.Insert(4, u"x"); }, u"CStringBuilder.Insert", u"Argument(s) out of range."},
        {[&] { b.Insert(-1, u""); }, u"CStringBuilder.Insert", u"Argument(s) out of range."},
        {[&] { b.Remove(-1, 1); }, u"CStringBuilder.Remove", u"Argument(s) out of range."},
        {[&] { b.Remove(0, -1); }, u"CStringBuilder.Remove", u"Argument(s) out of range."},
        {[&] { b.Remove(2, 2); }, u"CStringBuilder.Remove", u"Argument(s) out of range."},
        {[&] { b.Remove(1, 2147483647); }, u"CStringBuilder.Remove", u"Argument(s) out of range."},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        const Raised r = raisedBy(c.call);
        EXPECT_EQ(r.number, kStringBuilderError) << "case " << k;
        EXPECT_EQ(r.source, c.source);
        EXPECT_EQ(r.description, c.description);
        EXPECT_EQ(b.ToString(), u"abc");
        EXPECT_EQ(b.Capacity(), 2048);
    }
    EXPECT_EQ(kStringBuilderError, static_cast<int32_t>(0x80040200u));
}

// Random edits on the builder and on a std::u16string; the texts must agree
// after every step, and the buffer keep its invariants.
TEST(StringBuilder, FuzzAgainstAPlainString) {
    std::mt19937 random(20261208);
    auto below = [&](int32_t n) { return static_cast<int32_t>(random() % static_cast<uint32_t>(n)); };
    auto piece = [&] {
        std::u16string s(static_cast<size_t>(below(below(8) == 0 ? 700 : 12)), u'\0');
        for (char16_t& c : s) c = static_cast<char16_t>(below(4) == 0 ? below(0x10000) : u'a' + below(26));
        return s;
    };
    for (int run = 0; run < 40; ++run) {
        CStringBuilder b;
        std::u16string model;
        int32_t chunk = 2048;
        for (int step = 0; step < 400; ++step) {
            const int32_t length = static_cast<int32_t>(model.size());
            const int32_t before = b.Capacity();
            switch (below(9)) {
                case 0: case 1: {
                    const std::u16string s = piece();
                    b.Append(s);
                    model += s;
                    break;
                }
                case 2: case 3: {
                    const int32_t at = below(length + 3) - 1;  // also just outside
                    const std::u16string s = piece();
                    if (at < 0 || at > length) {
                        EXPECT_EQ(raisedBy([&] { b.Insert(at, s); }).number, kStringBuilderError);
                    } else {
                        b.Insert(at, s);
                        model.insert(static_cast<size_t>(at), s);
                    }
                    break;
                }
                case 4: case 5: {
                    const int32_t at = below(length + 2);
                    const int32_t count = below(length / 2 + 3);
                    if (at + count > length) {
                        EXPECT_EQ(raisedBy([&] { b.Remove(at, count); }).number, kStringBuilderError);
                    } else {
                        b.Remove(at, count);
                        model.erase(static_cast<size_t>(at), static_cast<size_t>(count));
                    }
                    break;
                }
                case 6: {
                    const int32_t at = below(length + 1);
                    const char16_t c = static_cast<char16_t>(u'A' + below(26));
                    if (at >= length) {
                        EXPECT_EQ(raisedBy([&] { b.Chars(at, std::u16string(1, c)); }).number, kStringBuilderError);
                    } else {
                        b.Chars(at, std::u16string(1, c) + u"tail");
                        model[static_cast<size_t>(at)] = c;
                        EXPECT_EQ(b.Chars(at), std::u16string(1, c));
                    }
                    break;
                }
                case 7: {
                    const int32_t shorter = below(length + 1);
                    b.Length(shorter);
                    model.resize(static_cast<size_t>(shorter));
                    break;
                }
                case 8: {
                    if (below(2) == 0) {
                        chunk = 2 * (1 + below(1500));
                        b.BufferBump(chunk - below(2));  // an odd value rounds up
                        ASSERT_EQ(b.BufferBump(), chunk);
                    } else {
                        const int32_t requested = 1 + below(2 * length + 64);
                        b.Capacity(requested);
                        const int32_t rounded = (requested + chunk - 1) / chunk * chunk;
                        ASSERT_EQ(b.Capacity(), rounded);
                        if (static_cast<int32_t>(model.size()) * 2 > rounded) model.resize(static_cast<size_t>(rounded / 2));
                    }
                    break;
                }
            }
            ASSERT_EQ(b.ToString(), model) << "run " << run << " step " << step;
            ASSERT_EQ(b.Length(), static_cast<int32_t>(model.size()));
            ASSERT_LE(b.Length() * 2, b.Capacity());
            if (b.Capacity() != before) {
                ASSERT_EQ(b.Capacity() % chunk, 0) << "run " << run << " step " << step;
            }
        }
    }
}
