#include "keldrun/files/file_system.h"

#include <shlwapi.h>

#include "common/errors.h"
#include "keldrun/files/file_errors.h"
#include "keldrun/files/listing.h"
#include "keldrun/files/paths.h"

namespace keldrun {
namespace {

[[noreturn]] void raiseSystemError(DWORD code) { frame::raise(fileErrorNumber(code)); }

const wchar_t* wide(const std::u16string& text) { return frame::wide(text); }

}  // namespace

DirectoryEnumeration::DirectoryEnumeration(const std::u16string& pattern, uint32_t mask) : mask_(mask) {
    std::u16string search = pattern;
    if (!search.empty() && search.back() == u'\\') search += u'*';
    find_.reset(FindFirstFileW(wide(search), &found_));
    if (find_) {
        pending_ = true;
        return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_NO_MORE_FILES)
        raiseSystemError(error);
}

bool DirectoryEnumeration::next(DirectoryEntry& entry) {
    while (find_) {
        if (!pending_ && !FindNextFileW(find_.get(), &found_)) {
            const DWORD error = GetLastError();
            find_.reset();
            if (error != ERROR_NO_MORE_FILES) raiseSystemError(error);
            break;
        }
        pending_ = false;
        if (!listedUnder(found_.dwFileAttributes, mask_)) continue;
        entry.name.assign(reinterpret_cast<const char16_t*>(found_.cFileName));
        entry.attributes = found_.dwFileAttributes;
        return true;
    }
    return false;
}

frame::SafeArray listNames(const std::u16string& pattern, uint32_t mask, bool (*keep)(const DirectoryEntry&),
                           std::u16string_view prefix) {
    NameList names;
    DirectoryEnumeration listing(pattern, mask);
    for (DirectoryEntry entry; listing.next(entry);)
        if (keep(entry)) names.add(prefix.empty() ? std::move(entry.name) : std::u16string(prefix) + entry.name);
    return frame::SafeArray::ofStrings(std::move(names).finish());
}

uint32_t readAttributes(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) raiseSystemError(GetLastError());
    return attributes;
}

void writeAttributes(const std::u16string& path, int32_t requested) {
    const uint32_t attributes = attributesToSet(requested);
    if (!SetFileAttributesW(wide(path), attributes ? attributes : FILE_ATTRIBUTE_NORMAL))
        raiseSystemError(GetLastError());
}

uint64_t fileLength(const std::u16string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide(path), GetFileExInfoStandard, &data)) raiseSystemError(GetLastError());
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) raiseSystemError(ERROR_FILE_NOT_FOUND);
    return static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void renamePath(const std::u16string& from, const std::u16string& to) {
    if (!MoveFileExW(wide(from), wide(to), 0)) raiseSystemError(GetLastError());
}

std::u16string byteSizeText(uint64_t length) {
    wchar_t buffer[255] = {};
    StrFormatByteSizeW(static_cast<LONGLONG>(length), buffer, 255);
    return std::u16string(formattedText(frame::u16(buffer, 255)));
}

}  // namespace keldrun
