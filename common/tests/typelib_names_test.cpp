#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "common/typelib_names.h"

using namespace frame::typelib;

namespace {

Bytes probe(const std::string& name) {
    std::ifstream in(std::string(FRAME_PROBE_DIR) + "/" + name, std::ios::binary);
    Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
}

const ItemNames& type(const LibraryView& view, const std::string& name) {
    for (const ItemNames& t : view.types)
        if (t.type == name) return t;
    static const ItemNames none{};
    ADD_FAILURE() << "no type " << name;
    return none;
}

// The name look-up holds exactly the names in use, with their true hashes,
// and the header counts them.
void expectConsistentLookup(const LibraryView& view) {
    std::set<std::string> used{view.name};
    for (const ItemNames& t : view.types) {
        used.insert(t.type);
        used.insert(t.functions.begin(), t.functions.end());
        used.insert(t.variables.begin(), t.variables.end());
        for (const std::string& p : t.parameters)
            if (!p.empty()) used.insert(p);
    }
    int count = 0, chars = 0;
    for (const NameEntry& e : view.nameTable) {
        if (!e.inLookup) {
            EXPECT_EQ(used.count(e.name), 0u) << e.name << " is used but cannot be looked up";
            continue;
        }
        EXPECT_EQ(e.storedHash, nameHash(e.name)) << e.name;
        ++count;
        chars += static_cast<int>(e.name.size());
        used.erase(e.name);
    }
    EXPECT_TRUE(used.empty()) << *used.begin() << " is missing from the name table";
    EXPECT_EQ(view.headerNameCount, count);
    EXPECT_EQ(view.headerNameChars, chars);
}

}  // namespace

TEST(NameHash, MatchesThePlatformAndWidl) {
    // LHashValOfNameSysA(SYS_WIN32, 0x409, name) & 0xFFFF under Wine, and
    // what widl stores for the same names.
    const struct {
        const char* name;
        uint16_t hash;
    } cases[] = {{"Archive", 0xBEE9}, {"Archive+ReadOnly", 0x00E9}, {"Archive_ReadOnly", 0xE43A},
                 {"E1", 0x5CFF},      {"_X", 0x60E8},               {"T", 0x106B}};
    for (const auto& c : cases) EXPECT_EQ(nameHash(c.name), c.hash) << c.name;
    // Case does not matter, as in the platform's look-up.
    EXPECT_EQ(nameHash("ARCHIVE+readonly"), nameHash("Archive+ReadOnly"));
    EXPECT_THROW(nameHash("caf\xE9"), FormatError);
}

TEST(LibraryNames, MarkedItemsTakeTheirNamesInBothLayouts) {
    for (const char* file : {"names_probe32.tlb", "names_probe64.tlb"}) {
        SCOPED_TRACE(file);
        Bytes library = probe(file);
        const auto renames = applyLibraryNames(library);
        EXPECT_EQ(renames.size(), 7u);
        const LibraryView view = readLibrary(library);
        for (const char* e : {"Pairs", "PairsAgain"})
            EXPECT_EQ(type(view, e).variables, (std::vector<std::string>{"Left", "Left+Right", "Right+Left"})) << e;
        EXPECT_EQ(type(view, "Odd Type").variables, (std::vector<std::string>{"Left", "Short"}));
        // Other custom data stays (the help marks among it); the name marks are gone.
        EXPECT_EQ(type(view, "Odd Type").customDataCount, 2);
        EXPECT_EQ(type(view, "Pairs").customDataCount, 3);
        // The dual interface's dispatch view and its interface view both carry the function's new name;
        // a function spelled like a replaced constant keeps its own name.
        int dispatchViews = 0;
        for (const ItemNames& t : view.types) {
            if (t.type != "_NamesProbe") continue;
            ++dispatchViews;
            EXPECT_NE(std::find(t.functions.begin(), t.functions.end(), "Do+It"), t.functions.end());
            EXPECT_NE(std::find(t.functions.begin(), t.functions.end(), "Left_Right"), t.functions.end());
            EXPECT_NE(std::find(t.parameters.begin(), t.parameters.end(), "how"), t.parameters.end());
        }
        EXPECT_GE(dispatchViews, 1);
        expectConsistentLookup(view);
        // Applying the step again changes nothing.
        const Bytes once = library;
        EXPECT_TRUE(applyLibraryNames(library).empty());
        EXPECT_EQ(library, once);
    }
}

TEST(LibraryNames, ReplacedSpellingsLeaveTheLookupUnlessStillUsed) {
    Bytes library = probe("names_probe32.tlb");
    applyLibraryNames(library);
    const LibraryView view = readLibrary(library);
    auto lookedUp = [&](const std::string& name) {
        for (const NameEntry& e : view.nameTable)
            if (e.name == name && e.inLookup) return true;
        return false;
    };
    EXPECT_FALSE(lookedUp("Right_Left"));
    EXPECT_FALSE(lookedUp("Do_It"));
    EXPECT_FALSE(lookedUp("OddType"));
    EXPECT_TRUE(lookedUp("Left_Right"));  // still the name of a function
    EXPECT_TRUE(lookedUp("Left+Right"));
}

TEST(LibraryNames, UnmarkedLibraryIsLeftAsItIs) {
    Bytes library = probe("plain_probe32.tlb");
    const Bytes before = library;
    EXPECT_TRUE(applyLibraryNames(library).empty());
    EXPECT_EQ(applyLibraryHelp(library), 0);
    EXPECT_EQ(library, before);
    expectConsistentLookup(readLibrary(library));
}

// What the build's step gives a library: names, then help strings.
LibraryView built(Bytes& library, bool helpFirst = false) {
    if (helpFirst) applyLibraryHelp(library);
    applyLibraryNames(library);
    if (!helpFirst) applyLibraryHelp(library);
    return readLibrary(library);
}

TEST(LibraryHelp, MarkedItemsTakeTheirHelpStringsBesideWidlsOwnInBothLayouts) {
    const std::vector<std::string> pairsHelp{"Left alone", "Both, left first", "Both, right first"};
    for (const char* file : {"names_probe32.tlb", "names_probe64.tlb"}) {
        for (bool helpFirst : {false, true}) {
            SCOPED_TRACE(std::string(file) + (helpFirst ? ", help first" : ", names first"));
            Bytes library = probe(file);
            const LibraryView view = built(library, helpFirst);
            for (const char* e : {"Pairs", "PairsAgain"}) {
                EXPECT_EQ(type(view, e).variableHelp, pairsHelp) << e;
                EXPECT_EQ(type(view, e).customDataCount, 0) << e;
            }
            EXPECT_EQ(type(view, "Odd Type").variableHelp, (std::vector<std::string>{"", "X"}));
            EXPECT_EQ(type(view, "Odd Type").customDataCount, 1);  // "kept"
            // widl's own help strings stay where they were.
            EXPECT_EQ(view.help, "Probe library");
            EXPECT_EQ(type(view, "Pairs").typeHelp, "Pairs of sides");
            EXPECT_EQ(type(view, "PairsAgain").typeHelp, "");
            for (const ItemNames& t : view.types) {
                if (t.type != "_NamesProbe") continue;
                EXPECT_EQ(t.typeHelp, "Probe interface");
                const auto doIt = std::find(t.functions.begin(), t.functions.end(), "Do+It");
                ASSERT_NE(doIt, t.functions.end());
                EXPECT_EQ(t.functionHelp[static_cast<size_t>(doIt - t.functions.begin())], "Does it");
            }
            expectConsistentLookup(view);
            // Applying the step again changes nothing.
            const Bytes once = library;
            EXPECT_EQ(applyLibraryHelp(library), 0);
            EXPECT_EQ(library, once);
        }
    }
}

TEST(LibraryHelp, StartsTheStringTableOfALibraryWithoutOne) {
    Bytes library = probe("help_probe32.tlb");
    EXPECT_EQ(applyLibraryHelp(library), 1);
    const LibraryView view = readLibrary(library);
    EXPECT_EQ(type(view, "Steps").variables, (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(type(view, "Steps").variableHelp, (std::vector<std::string>{"The first step", ""}));
    EXPECT_EQ(type(view, "Steps").customDataCount, 0);
    EXPECT_EQ(view.help, "");
    expectConsistentLookup(view);
}

TEST(LibraryHelp, TextThatIsNotPrintableAsciiIsRefused) {
    Bytes library = probe("names_probe32.tlb");
    // The custom value of Short's help: VT_BSTR, length 1, "X".
    const uint8_t value[] = {0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 'X'};
    const auto at = std::search(library.begin(), library.end(), std::begin(value), std::end(value));
    ASSERT_NE(at, library.end());
    at[6] = 0x07;
    EXPECT_THROW(applyLibraryHelp(library), FormatError);
}

TEST(LibraryNames, DamagedInputIsRefused) {
    Bytes notMsft(200, 0);
    EXPECT_THROW(applyLibraryNames(notMsft), FormatError);
    Bytes library = probe("names_probe32.tlb");
    library.resize(library.size() / 3);
    EXPECT_THROW(applyLibraryNames(library), FormatError);
}

// Fields of a library that, damaged, once led the tool to read or insert
// outside the file or to overflow a count; each is refused now.
TEST(LibraryNames, DamagedFieldsAreRefusedNotFollowed) {
    const Bytes intact = probe("names_probe32.tlb");
    auto field = [](const Bytes& b, size_t at) {
        return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
    };
    auto put = [](Bytes& b, size_t at, int32_t value) {
        for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * k));
    };
    const size_t typeInfoOffsets = 0x54 + ((field(intact, 0x14) & 0x100) ? 4 : 0);
    const size_t directory = typeInfoOffsets + 4 * static_cast<size_t>(field(intact, 0x20));
    const size_t names = directory + 16 * 7;
    const size_t firstTypeInfo = static_cast<size_t>(field(intact, directory) + field(intact, typeInfoOffsets));

    Bytes negativeMembers = intact;  // the members' records before the start of the file
    put(negativeMembers, firstTypeInfo + 4, -4);
    Bytes nameCount = intact;  // one more name would overflow the header's count
    put(nameCount, 0x30, INT32_MAX);
    Bytes nameSegment = intact;  // the name segment running past the end of the file
    put(nameSegment, names + 4, static_cast<int32_t>(intact.size()));
    for (Bytes* damaged : {&negativeMembers, &nameCount, &nameSegment})
        EXPECT_THROW(applyLibraryNames(*damaged), FormatError);
}
