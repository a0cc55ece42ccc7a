#include "common/library_files.h"

namespace frame::typelib {
namespace {

// The marshallers of automation interfaces (through the type library, and the
// dispatch-only one for plain dispinterfaces), and IDispatch.
constexpr const char* kTypeLibraryMarshaller = "{00020424-0000-0000-C000-000000000046}";
constexpr const char* kDispatchMarshaller = "{00020420-0000-0000-C000-000000000046}";
constexpr const char* kIDispatch = "{00020400-0000-0000-C000-000000000046}";

// Text for an attribute value. Type library strings are in the library's
// code page; bytes above ASCII are taken as Latin-1.
std::string attribute(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                if (c < 0x20) out += ' ';
                else if (c < 0x80) out += static_cast<char>(c);
                else out += "&#" + std::to_string(c) + ";";
        }
    }
    return out;
}

std::string pair(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + attribute(value) + "\"";
}

// Dispinterfaces and automation-compatible interfaces, as the automation
// runtime registers them.
bool automationCompatible(const ItemNames& type) { return (type.flags & (flagDual | flagOleAutomation)) != 0; }
bool automationInterface(const ItemNames& type) {
    return !type.guid.empty() &&
           (type.kind == kindDispatch || (type.kind == kindInterface && automationCompatible(type)));
}

}  // namespace

std::string versionText(const LibraryView& library) {
    return std::to_string(library.majorVersion) + "." + std::to_string(library.minorVersion);
}

std::string assemblyManifest(const LibraryView& library, const std::string& fileName,
                             const std::string& processorArchitecture) {
    const std::string version = versionText(library);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    xml += "<!-- " + attribute(library.name) + " " + version +
           " for registration-free use: an application names this assembly in its own manifest, or activates a"
           " context made from this file, and creates the classes without registration. -->\n";
    xml += "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n";
    xml += "  <assemblyIdentity type=\"win32\"" + pair("name", library.name) + pair("version", version + ".0.0") +
           pair("processorArchitecture", processorArchitecture) + "/>\n";
    xml += "  <file" + pair("name", fileName) + ">\n";
    for (const ItemNames& type : library.types) {
        if (type.kind != kindCoclass || !(type.flags & flagCanCreate) || type.guid.empty()) continue;
        xml += "    <comClass" + pair("clsid", type.guid) + pair("progid", library.name + "." + type.type) +
               pair("threadingModel", "Apartment") + pair("tlbid", library.guid) +
               pair("description", type.typeHelp.empty() ? type.type : type.typeHelp) + "/>\n";
    }
    xml += "    <typelib" + pair("tlbid", library.guid) + pair("version", version) + pair("helpdir", "") + "/>\n";
    xml += "  </file>\n";
    for (const ItemNames& type : library.types) {
        if (!automationInterface(type)) continue;
        xml += "  <comInterfaceExternalProxyStub" + pair("name", type.type) + pair("iid", type.guid) +
               pair("proxyStubClsid32", automationCompatible(type) ? kTypeLibraryMarshaller : kDispatchMarshaller) +
               pair("baseInterface", kIDispatch) + pair("tlbid", library.guid) + "/>\n";
    }
    xml += "</assembly>\n";
    return xml;
}

std::string versionHeader(const LibraryView& library) {
    const std::string major = std::to_string(library.majorVersion), minor = std::to_string(library.minorVersion);
    return "// Generated from the type library of " + library.name + ".\n" +
           "#define FRAME_FILE_VERSION " + major + "," + minor + ",0,0\n" +
           "#define FRAME_FILE_VERSION_TEXT \"" + major + "." + minor + ".0.0\"\n" +
           "#define FRAME_PRODUCT_VERSION_TEXT \"" + major + "." + minor + "\"\n";
}

}  // namespace frame::typelib
