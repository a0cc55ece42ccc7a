#include "keldrun/files/folder_sys_object.h"

#include "common/text.h"
#include "keldrun/files/file_system.h"
#include "keldrun/files/listing.h"
#include "keldrun/files/paths.h"

namespace keldrun {

using frame::textOf;

HRESULT FolderSysObject::GetFolderName(BSTR* path, BSTR* result) {
    return member(u"GetFolderName", Caller, result, [&] { return frame::Bstr(lastComponent(textOf(path))); });
}

HRESULT FolderSysObject::GetDirectories(BSTR* path, FolderAttributes* Attributes, VARIANT_BOOL* IncludePath,
                                        SAFEARRAY** result) {
    return member(u"GetDirectories", Caller, result, [&] {
        const std::u16string folder = withTrailingBackslash(textOf(path));
        const uint32_t mask = (Attributes ? static_cast<uint32_t>(*Attributes) : 0) | attrDirectory;
        const bool includePath = IncludePath && *IncludePath != VARIANT_FALSE;
        return listNames(
            folder + u"*.*", mask,
            [](const DirectoryEntry& e) { return !isDotEntry(e.name) && (e.attributes & attrDirectory) != 0; },
            includePath ? std::u16string_view(folder) : std::u16string_view());
    });
}

HRESULT FolderSysObject::RenameFolder(BSTR* path, BSTR* NewFileName, VARIANT* result) {
    return member(u"RenameFolder", Caller, result, [&] {
        frame::Bstr name;
        frame::check(self()->GetFolderName(path, name.put()));
        const std::u16string from = textOf(path);
        const std::u16string parent = from.substr(0, from.size() - name.size());
        renamePath(from, parent + textOf(NewFileName));
        return frame::Variant::boolean(true);
    });
}

HRESULT FolderSysObject::MarkFolderAttributes(BSTR* FolderPath, FolderAttrChangeTo* ChangeAttrTO,
                                              VARIANT_BOOL* result) {
    return member(u"MarkFolderAttributes", Caller, result, [&] {
        writeAttributes(textOf(FolderPath), frame::requiredValue(ChangeAttrTO));
        return true;
    });
}

HRESULT FolderSysObject::FolderExists(BSTR* path, VARIANT_BOOL* result) {
    // NUL is found inside every existing folder and nowhere else.
    return member(u"FolderExists", Silent, result, [&] {
        DirectoryEntry entry;
        return DirectoryEnumeration(textOf(path) + u"\\nul", 0).next(entry) && !entry.name.empty();
    });
}

}  // namespace keldrun
