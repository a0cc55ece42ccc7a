#pragma once
// Path and attribute text of the file and folder classes. Window-system free.
// The backslash is the only separator; a forward slash is an ordinary character.
#include <cstdint>
#include <string>
#include <string_view>

namespace keldrun {

// The operating system's attribute bits as the classes read and write them.
enum FileAttribute : uint32_t {
    attrReadOnly = 1,
    attrHidden = 2,
    attrSystem = 4,
    attrDirectory = 16,
    attrArchive = 32,
};
// The attributes a caller may set; the others are the file system's own.
inline constexpr uint32_t kSettableAttributes = attrReadOnly | attrHidden | attrSystem | attrArchive;

// The characters after the last backslash (empty when the path ends with
// one); the whole path when it has none.
std::u16string_view lastComponent(std::u16string_view path);
// From the last full stop of a name to its end, the stop included; empty
// when the name has none.
std::u16string_view extensionOf(std::u16string_view name);
// "Directory ReadOnly Hidden System Archive", each word present when its bit is.
std::u16string attributeWords(uint32_t attributes);

// The attributes to give a file or folder for a requested value: the
// settable bits as they are (the directory bit, which no call can change, is
// let through and ignored). Any other bit, or a negative value, raises
// "Invalid procedure call or argument" (5).
uint32_t attributesToSet(int32_t requested);

// The folder with exactly one backslash after it ("" becomes "\").
std::u16string withTrailingBackslash(std::u16string_view folder);
// The text of a byte-size formatter's buffer: the characters before its
// first NUL when that is at position 2 or later, else nothing.
std::u16string_view formattedText(std::u16string_view buffer);

}  // namespace keldrun
