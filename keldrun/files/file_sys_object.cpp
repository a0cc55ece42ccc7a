#include "keldrun/files/file_sys_object.h"

#include "common/text.h"
#include "keldrun/files/file_system.h"
#include "keldrun/files/paths.h"

namespace keldrun {

using frame::textOf;

HRESULT FileSysObject::GetFileName(BSTR* filepath, BSTR* result) {
    return member(u"GetFileName", Caller, result, [&] { return frame::Bstr(lastComponent(textOf(filepath))); });
}

HRESULT FileSysObject::GetFiles(BSTR* FromFolder, FilesAttributes* Attributes, SAFEARRAY** result) {
    return member(u"GetFiles", Caller, result, [&] {
        const uint32_t mask = Attributes ? static_cast<uint32_t>(*Attributes) : 0;
        return listNames(textOf(FromFolder), mask, [](const DirectoryEntry&) { return true; });
    });
}

HRESULT FileSysObject::GetFileAttribute(BSTR* filepath, BSTR* result) {
    return member(u"GetFileAttribute", Caller, result,
                  [&] { return frame::Bstr(attributeWords(readAttributes(textOf(filepath)))); });
}

HRESULT FileSysObject::GetFileSize(BSTR* filepath, BSTR* result) {
    return member(u"GetFileSize", Caller, result,
                  [&] { return frame::Bstr(byteSizeText(fileLength(textOf(filepath)))); });
}

HRESULT FileSysObject::GetFileExt(BSTR* filepath, BSTR* result) {
    return member(u"GetFileExt", Caller, result, [&] {
        frame::Bstr name;
        frame::check(self()->GetFileName(filepath, name.put()));
        return frame::Bstr(extensionOf(name.view()));
    });
}

HRESULT FileSysObject::MarkFileAttributes(BSTR* filepath, FileAttrChangeTo* ChangeAttrTO, VARIANT_BOOL* result) {
    return member(u"MarkFileAttributes", Caller, result, [&] {
        writeAttributes(textOf(filepath), frame::requiredValue(ChangeAttrTO));
        return true;
    });
}

HRESULT FileSysObject::RenameFile(BSTR* filepath, BSTR* NewFileName, VARIANT* result) {
    return member(u"RenameFile", Caller, result, [&] {
        frame::Bstr name, extension;
        frame::check(self()->GetFileName(filepath, name.put()));
        frame::check(self()->GetFileExt(filepath, extension.put()));
        const std::u16string path = textOf(filepath);
        const std::u16string folder = path.substr(0, path.size() - name.size());
        renamePath(path, folder + textOf(NewFileName) + extension.str());
        return frame::Variant::boolean(true);
    });
}

}  // namespace keldrun
