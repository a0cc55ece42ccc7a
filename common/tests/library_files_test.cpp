#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "common/library_files.h"

using namespace frame::typelib;

namespace {

LibraryView probe(const std::string& name) {
    std::ifstream in(std::string(FRAME_PROBE_DIR) + "/" + name, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_FALSE(bytes.empty()) << name;
    return readLibrary(bytes);
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(LibraryFacts, IdentityVersionKindsAndHelpStringsInBothLayouts) {
    for (const char* file : {"classes_probe32.tlb", "classes_probe64.tlb"}) {
        SCOPED_TRACE(file);
        const LibraryView library = probe(file);
        EXPECT_EQ(library.name, "ClassesProbe");
        EXPECT_EQ(library.guid, "{5B0F7A71-3C2D-4E8B-9F61-2A7D4C1E9B01}");
        EXPECT_EQ(library.majorVersion, 3);
        EXPECT_EQ(library.minorVersion, 7);
        EXPECT_EQ(library.lcid, 0x409u);
        EXPECT_EQ(library.syskind, std::string(file).find("64") != std::string::npos ? 3 : 1);
        EXPECT_EQ(library.help, "Classes <probe> & co");
        ASSERT_EQ(library.types.size(), 4u);
        const ItemNames& made = library.types[1];
        EXPECT_EQ(made.type, "Made");
        EXPECT_EQ(made.kind, kindCoclass);
        EXPECT_TRUE(made.flags & flagCanCreate);
        EXPECT_EQ(made.guid, "{5B0F7A73-3C2D-4E8B-9F61-2A7D4C1E9B01}");
        EXPECT_EQ(made.typeHelp, "Made \"here\"");
        EXPECT_EQ(library.types[0].kind, kindDispatch);
        EXPECT_TRUE(library.types[0].flags & flagDual);
        EXPECT_FALSE(library.types[2].flags & flagCanCreate);
    }
}

TEST(AssemblyManifest, EveryCreatableClassTheTypeLibraryAndItsInterfaces) {
    const std::string xml = assemblyManifest(probe("classes_probe32.tlb"), "ClassesProbe.dll", "x86");
    EXPECT_NE(xml.find("<assemblyIdentity type=\"win32\" name=\"ClassesProbe\" version=\"3.7.0.0\" "
                       "processorArchitecture=\"x86\"/>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<file name=\"ClassesProbe.dll\">"), std::string::npos);
    const std::string library = "tlbid=\"{5B0F7A71-3C2D-4E8B-9F61-2A7D4C1E9B01}\"";
    EXPECT_NE(xml.find("<comClass clsid=\"{5B0F7A73-3C2D-4E8B-9F61-2A7D4C1E9B01}\" progid=\"ClassesProbe.Made\" "
                       "threadingModel=\"Apartment\" " + library + " description=\"Made &quot;here&quot;\"/>"),
              std::string::npos)
        << xml;
    // A class without a help string is described by its name; one that is not creatable is left out.
    EXPECT_NE(xml.find("progid=\"ClassesProbe.Plain\" threadingModel=\"Apartment\" " + library +
                       " description=\"Plain\"/>"),
              std::string::npos);
    EXPECT_EQ(count(xml, "<comClass "), 2u);
    EXPECT_EQ(xml.find("Given"), std::string::npos);
    EXPECT_NE(xml.find("<typelib " + library + " version=\"3.7\" helpdir=\"\"/>"), std::string::npos);
    EXPECT_NE(xml.find("<comInterfaceExternalProxyStub name=\"_Made\" iid=\"{5B0F7A72-3C2D-4E8B-9F61-2A7D4C1E9B01}\" "
                       "proxyStubClsid32=\"{00020424-0000-0000-C000-000000000046}\""),
              std::string::npos);
    EXPECT_EQ(count(xml, "<comInterfaceExternalProxyStub "), 1u);
    // Every element is closed: as many "<x" openings as "/>" and "</x>" closings.
    EXPECT_EQ(count(xml, "<") - count(xml, "</") - count(xml, "<?") - count(xml, "<!--"),
              count(xml, "/>") + count(xml, "</"));
}

TEST(AssemblyManifest, ArchitectureAsGiven) {
    const std::string xml = assemblyManifest(probe("classes_probe64.tlb"), "ClassesProbe.dll", "amd64");
    EXPECT_NE(xml.find("processorArchitecture=\"amd64\""), std::string::npos);
}

TEST(VersionHeader, NumbersOfTheTypeLibrary) {
    EXPECT_EQ(versionHeader(probe("classes_probe32.tlb")),
              "// Generated from the type library of ClassesProbe.\n"
              "#define FRAME_FILE_VERSION 3,7,0,0\n"
              "#define FRAME_FILE_VERSION_TEXT \"3.7.0.0\"\n"
              "#define FRAME_PRODUCT_VERSION_TEXT \"3.7\"\n");
}
