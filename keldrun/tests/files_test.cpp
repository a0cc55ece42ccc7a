#include <gtest/gtest.h>

#include "common/errors.h"
#include "common/testing/error_of.h"
#include "keldrun/files/file_errors.h"
#include "keldrun/files/listing.h"
#include "keldrun/files/paths.h"

using namespace keldrun;
using frame::testing::errorOf;

TEST(Paths, LastComponentAndExtension) {
    const struct {
        std::u16string_view path, last, extensionOfLast;
    } cases[] = {
        {u"C:\\dir\\file.txt", u"file.txt", u".txt"},
        {u"file.txt", u"file.txt", u".txt"},
        {u"C:\\dir\\", u"", u""},
        {u"C:/dir/file.txt", u"C:/dir/file.txt", u".txt"},  // a forward slash is no separator
        {u"C:\\dir.old\\file", u"file", u""},             // only the last component counts
        {u"report.final.txt", u"report.final.txt", u".txt"},
        {u"name.", u"name.", u"."},
        {u".profile", u".profile", u".profile"},
        {u"C:\\notes\\notes", u"notes", u""},
        {u"\\", u"", u""},
        {u"", u"", u""},
    };
    for (const auto& c : cases) {
        const std::u16string path(c.path);
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        EXPECT_EQ(lastComponent(c.path), c.last);
        EXPECT_EQ(extensionOf(lastComponent(c.path)), c.extensionOfLast);
    }
}

TEST(Paths, AttributeWordsInTheirFixedOrder) {
    EXPECT_EQ(attributeWords(0), u"");
    EXPECT_EQ(attributeWords(attrArchive), u"Archive");
    EXPECT_EQ(attributeWords(attrArchive | attrHidden | attrReadOnly), u"ReadOnly Hidden Archive");
    EXPECT_EQ(attributeWords(attrDirectory | attrSystem), u"Directory System");
    EXPECT_EQ(attributeWords(0x3F), u"Directory ReadOnly Hidden System Archive");
    // Other bits (volume, device, normal, temporary, compressed ...) add nothing.
    EXPECT_EQ(attributeWords(8 | 64 | 128 | 256 | 2048), u"");
    EXPECT_EQ(attributeWords(0xFFFFFFFFu), u"Directory ReadOnly Hidden System Archive");
}

TEST(Paths, TrailingBackslashAndFormatterText) {
    EXPECT_EQ(withTrailingBackslash(u"C:\\base"), u"C:\\base\\");
    EXPECT_EQ(withTrailingBackslash(u"C:\\base\\"), u"C:\\base\\");
    EXPECT_EQ(withTrailingBackslash(u""), u"\\");
    using namespace std::string_view_literals;
    EXPECT_EQ(formattedText(u"1.00 KB\0junk"sv), u"1.00 KB");
    EXPECT_EQ(formattedText(u"0\0"sv), u"0");
    EXPECT_EQ(formattedText(u"\0written"sv), u"");  // the formatter wrote nothing
    EXPECT_EQ(formattedText(u"no terminator"sv), u"");
}

TEST(Paths, AttributesToSetKeepTheSettableBitsOnly) {
    EXPECT_EQ(attributesToSet(0), 0u);
    EXPECT_EQ(attributesToSet(35), 35u);
    EXPECT_EQ(attributesToSet(attrSystem | attrHidden), 6u);
    EXPECT_EQ(attributesToSet(attrDirectory | attrHidden), 2u);  // a folder's own value given back
    for (int32_t bad : {8, 64, 128, 256, 0x27 | 0x100, -1, INT32_MIN})
        EXPECT_EQ(errorOf([&] { attributesToSet(bad); }), frame::errInvalidProcedureCall) << bad;
}

TEST(Listing, HiddenSystemAndDirectoryEntriesOnlyWhenAsked) {
    const struct {
        uint32_t entry, mask;
        bool listed;
    } cases[] = {
        {0, 0, true},          {attrReadOnly | attrArchive, 0, true}, {0x80 | 0x100 | 0x800, 0, true},
        {attrHidden, 0, false}, {attrHidden, attrHidden, true},       {attrSystem, attrHidden, false},
        {attrHidden | attrSystem, attrHidden, false}, {attrHidden | attrSystem, attrHidden | attrSystem, true},
        {attrDirectory, 0, false}, {attrDirectory, attrDirectory, true},
        {attrDirectory | attrHidden, attrDirectory, false}, {attrArchive, 0xFFFFFFFFu, true},
    };
    for (const auto& c : cases) EXPECT_EQ(listedUnder(c.entry, c.mask), c.listed) << c.entry << " under " << c.mask;
    EXPECT_TRUE(isDotEntry(u"."));
    EXPECT_TRUE(isDotEntry(u".."));
    EXPECT_FALSE(isDotEntry(u"..."));
    EXPECT_FALSE(isDotEntry(u".git"));
}

TEST(Listing, NameListGrowsBy51AndEndsWithIndexZeroEmpty) {
    NameList none;
    EXPECT_EQ(none.upperBound(), 50u);
    EXPECT_EQ(std::move(none).finish(), std::vector<std::u16string>{u""});

    auto nameOf = [](int k) {
        std::u16string name(u"n");
        return name += frame::decimal(k);
    };
    NameList list;
    for (int k = 1; k <= 50; ++k) list.add(nameOf(k));
    EXPECT_EQ(list.upperBound(), 50u);  // 50 names fit the first array
    list.add(u"n51");
    EXPECT_EQ(list.upperBound(), 101u);  // grown once, to n + 51
    for (int k = 52; k <= 60; ++k) list.add(nameOf(k));
    EXPECT_EQ(list.upperBound(), 101u);
    const auto names = std::move(list).finish();
    ASSERT_EQ(names.size(), 61u);
    EXPECT_EQ(names[0], u"");
    EXPECT_EQ(names[1], u"n1");
    EXPECT_EQ(names[60], u"n60");

    NameList many;
    for (int k = 0; k < 102; ++k) many.add(u"x");
    EXPECT_EQ(many.upperBound(), 152u);
    EXPECT_EQ(std::move(many).finish().size(), 103u);
}

TEST(FileErrors, SystemCodesBecomeTheRuntimeErrors) {
    const struct {
        uint32_t system;
        int32_t number;
    } cases[] = {{2, 53},   {3, 76},   {5, 75},   {15, 68}, {17, 74}, {21, 71},   {32, 70},
                 {80, 58},  {183, 58}, {112, 61}, {123, 52}, {206, 52}, {145, 75}, {0xFFFF, 75}};
    for (const auto& c : cases) EXPECT_EQ(fileErrorNumber(c.system), c.number) << c.system;
    // Every number raised has its standard description.
    for (const auto& c : cases) EXPECT_FALSE(frame::standardDescription(c.number).empty()) << c.number;
}
