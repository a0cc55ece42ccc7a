#pragma once
// The file-system primitives the file and folder classes share, on the
// operating system's wide entry points, so that every name is used as it
// stands. A failure raises the run-time error of keldrun/files/file_errors.h.
#include <cstdint>
#include <string>

#include "common/com.h"

namespace keldrun {

struct DirectoryEntry {
    std::u16string name;  // without its folder
    uint32_t attributes;
};

// The entries a pattern matches that the mask lets through (listing.h). The
// pattern is a folder ending in a backslash (all its entries) or a path whose
// last component may hold "*" and "?". A pattern without matches, or in a
// folder that does not exist, lists nothing. The listing lives as long as the
// object, so no member keeps a folder open after its call.
class DirectoryEnumeration {
public:
    DirectoryEnumeration(const std::u16string& pattern, uint32_t mask);
    // The next entry; false at the end.
    bool next(DirectoryEntry& entry);

private:
    frame::UniqueFindHandle find_;
    WIN32_FIND_DATAW found_{};
    bool pending_ = false;  // found_ holds an entry not yet handed out
    uint32_t mask_;
};

// The names of the entries a pattern lists that `keep` accepts, each after
// `prefix`, as the classes return them (NameList: index 0 empty).
frame::SafeArray listNames(const std::u16string& pattern, uint32_t mask, bool (*keep)(const DirectoryEntry&),
                           std::u16string_view prefix = {});

uint32_t readAttributes(const std::u16string& path);
// Replaces read-only, hidden, system and archive by the requested value (paths.h).
void writeAttributes(const std::u16string& path, int32_t requested);
// The length of an existing file; a folder is not a file.
uint64_t fileLength(const std::u16string& path);
// Moves a file or folder to a new full path that does not exist yet.
void renamePath(const std::u16string& from, const std::u16string& to);
// The length as short text with its unit ("0 bytes", "1.00 KB"), by the shell's formatter.
std::u16string byteSizeText(uint64_t length);

}  // namespace keldrun
