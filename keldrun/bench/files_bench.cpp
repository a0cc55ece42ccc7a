// Listing a folder of 1 000 and 10 000 entries: FileSysObject.GetFiles and
// FolderSysObject.GetDirectories (early-bound, names into an array) against
// the platform's Scripting.FileSystemObject (Files / SubFolders enumerated,
// each Name read) and a bare FindFirstFileW loop copying the names (the floor).
//   keldrun_files_bench.exe [rounds]
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/late.h"
#include "common/testing/bench.h"
#include "keldrun_h.h"

namespace {

std::u16string benchFolder(int entries, bool folders) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::u16string root = reinterpret_cast<const char16_t*>(temp);
    root += folders ? u"keldrun-bench-dirs-" : u"keldrun-bench-files-";
    root += frame::decimal(entries);
    if (CreateDirectoryW(frame::wide(root), nullptr)) {
        for (int k = 0; k < entries; ++k) {
            const std::u16string name = root + u"\\entry-" + frame::decimal(k) + (folders ? u"" : u".dat");
            if (folders) {
                CreateDirectoryW(frame::wide(name), nullptr);
            } else {
                CloseHandle(CreateFileW(frame::wide(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
            }
        }
    }
    return root;
}

size_t arrayCount(SAFEARRAY* array) {
    LONG high = -1;
    SafeArrayGetUBound(array, 1, &high);
    return static_cast<size_t>(high);  // index 0 is empty
}

// FindFirstFileW over folder\*, names copied, dot entries and (for folders) files left out.
size_t floorListing(const std::u16string& folder, bool folders) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(frame::wide(folder + u"\\*"), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder != folders) continue;
        if (folders && (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0)) continue;
        names.emplace_back(reinterpret_cast<const char16_t*>(data.cFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names.size();
}

// Scripting.FileSystemObject: GetFolder(folder).Files or .SubFolders, each item's Name.
size_t scriptingListing(const frame::LateBound& fso, const std::u16string& folder, bool folders) {
    const frame::LateBound item = frame::objectOf(fso.call(u"GetFolder", {frame::Variant(folder)}));
    const frame::LateBound collection = frame::objectOf(item.get(folders ? u"SubFolders" : u"Files"));
    DISPPARAMS none{};
    frame::Variant enumerator;
    if (FAILED(collection.get()->Invoke(DISPID_NEWENUM, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, enumerator.put(),
                                        nullptr, nullptr)))
        return 0;
    frame::ComPtr<IEnumVARIANT> items;
    V_UNKNOWN(&enumerator.get())->QueryInterface(IID_IEnumVARIANT, items.putVoid());
    std::vector<std::u16string> names;
    for (frame::Variant entry; items->Next(1, entry.put(), nullptr) == S_OK;) {
        const frame::Variant name = frame::objectOf(entry).get(u"Name");
        names.emplace_back(frame::Bstr::view(V_BSTR(&name.get())));
    }
    return names.size();
}

}  // namespace

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    auto files = frame::createFromDll<_FileSysObject>(L"Keldrun.dll", __uuidof(FileSysObject));
    auto folders = frame::createFromDll<_FolderSysObject>(L"Keldrun.dll", __uuidof(FolderSysObject));
    const frame::LateBound fso(frame::createObject(u"Scripting.FileSystemObject"));
    if (!files || !folders || !fso.get()) return 1;
    const char* arch = sizeof(void*) == 8 ? "x64" : "x86";
    std::printf("%-5s %-15s %7s %12s %12s %12s\n", "arch", "listing", "entries", "Keldrun ms", "FSO ms", "floor ms");
    for (bool listFolders : {false, true}) {
        for (int entries : {1000, 10000}) {
            const std::u16string folder = benchFolder(entries, listFolders);
            size_t ours = 0, theirs = 0, bare = 0;
            using frame::testing::medianSeconds;
            const double keldrun = medianSeconds(rounds, [&] {
                frame::Bstr path(listFolders ? folder : folder + u"\\*.*");
                BSTR raw = path.get();
                frame::SafeArray names;
                if (listFolders) {
                    FolderAttributes mask = isNormal;
                    VARIANT_BOOL include = VARIANT_FALSE;
                    folders->GetDirectories(&raw, &mask, &include, names.put());
                } else {
                    files->GetFiles(&raw, nullptr, names.put());
                }
                ours = names.get() ? arrayCount(names.get()) : 0;
            });
            const double scripting = medianSeconds(rounds, [&] { theirs = scriptingListing(fso, folder, listFolders); });
            const double floor = medianSeconds(rounds, [&] { bare = floorListing(folder, listFolders); });
            if (ours != static_cast<size_t>(entries) || theirs != ours || bare != ours)
                std::printf("counts differ: %zu %zu %zu\n", ours, theirs, bare);
            std::printf("%-5s %-15s %7d %12.2f %12.2f %12.2f\n", arch, listFolders ? "GetDirectories" : "GetFiles",
                        entries, keldrun * 1e3, scripting * 1e3, floor * 1e3);
        }
    }
    files.reset();
    folders.reset();
    OleUninitialize();
    return 0;
}
