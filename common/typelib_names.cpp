#include "common/typelib_names.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace frame::typelib {

const uint8_t kLibraryNameKey[16] = {0x7E, 0xDD, 0x5D, 0x9D, 0x72, 0x18, 0x02, 0x47,
                                     0xB2, 0xC3, 0x65, 0x54, 0xBF, 0x1C, 0x6D, 0x12};
const uint8_t kLibraryHelpKey[16] = {0x1E, 0x29, 0xBA, 0x17, 0xC6, 0xD4, 0xA9, 0x45,
                                     0xBF, 0x75, 0x70, 0x0E, 0x97, 0x3A, 0x13, 0x19};

namespace {

// The MSFT layout: a fixed header, the offsets of the type infos, a directory
// of segments, the segments, then each type info's member records (at an
// absolute file offset of its own). References between segments are offsets
// within the target segment.
constexpr size_t kHeaderSize = 0x54;
constexpr int32_t kHelpDllFlag = 0x100;
constexpr int kSegments = 15;
enum Segment {
    TypeInfos = 0, GuidTable = 5, NameHash = 6, Names = 7, Strings = 8, CustomData = 11, CustomDataGuids = 12
};
constexpr int kNameBuckets = 0x80;
constexpr uint16_t kVtBstr = 8;

// Field offsets.
constexpr size_t kHeaderGuid = 0x08, kHeaderLcid = 0x0C, kHeaderVarFlags = 0x14, kHeaderVersion = 0x18,
                 kHeaderTypeInfoCount = 0x20, kHeaderHelp = 0x24, kHeaderNameCount = 0x30,
                 kHeaderNameChars = 0x34, kHeaderName = 0x38;
constexpr size_t kInfoKind = 0x00, kInfoMembers = 0x04, kInfoElements = 0x18, kInfoGuid = 0x2C, kInfoFlags = 0x30,
                 kInfoName = 0x34, kInfoHelp = 0x3C, kInfoCustomData = 0x48;
constexpr size_t kFuncFlags = 0x10, kFuncArgCount = 0x14, kFuncHelp = 0x1C, kFuncCustomData = 0x30;
constexpr size_t kVarHelp = 0x18, kVarCustomData = 0x20;
constexpr size_t kMaxHelpLength = 1024;
constexpr int32_t kFuncHasCustomData = 0x80, kFuncHasDefaults = 0x1000;
constexpr size_t kParameterSize = 12;

// LHashValOfNameSys's character weights for the Latin-based locales, from
// ' ' to '~' (measured on the platform's oleaut32).
constexpr uint8_t kWeights[95] = {
    32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 0,  48, 49, 50, 51, 52, 53, 54, 55,
    56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79,
    80, 81, 82, 83, 84, 85, 86, 86, 88, 85, 90, 91, 92, 93, 94, 95, 96, 65, 66, 67, 68, 69, 70, 71,
    72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 86, 88, 85, 90, 123, 124, 125, 126};

bool printable(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

// Which of this step's marks a custom data item is.
enum class Mark { none, name, help };

// Where a name offset or a custom data chain head is stored.
using Slot = size_t;

class Reader {
public:
    explicit Reader(const Bytes& bytes) : b_(bytes) {
        if (b_.size() < kHeaderSize || std::memcmp(b_.data(), "MSFT", 4) != 0) fail("not an MSFT type library");
        size_t at = kHeaderSize + ((i32(kHeaderVarFlags) & kHelpDllFlag) ? 4 : 0);
        typeInfoOffsets_ = at;
        directory_ = at + 4 * position(typeInfoCount());
        need(directory_, 16 * kSegments);
    }

    [[noreturn]] static void fail(const std::string& what) { throw FormatError("type library: " + what); }
    // The file holds length bytes at at (no sum that could wrap around).
    void need(size_t at, size_t length) const {
        if (at > b_.size() || length > b_.size() - at) fail("truncated");
    }
    // A signed field used as a position or a length; a negative one is no position.
    static size_t position(int32_t value) {
        if (value < 0) fail("negative offset");
        return static_cast<size_t>(value);
    }
    // A figure computed for a signed field of the file.
    static int32_t field(int64_t value) {
        if (value < INT32_MIN || value > INT32_MAX) fail("a count or an offset out of range");
        return static_cast<int32_t>(value);
    }
    int32_t i32(size_t at) const {
        need(at, 4);
        return static_cast<int32_t>(b_[at] | b_[at + 1] << 8 | b_[at + 2] << 16 | static_cast<uint32_t>(b_[at + 3]) << 24);
    }
    uint16_t u16(size_t at) const {
        need(at, 2);
        return static_cast<uint16_t>(b_[at] | b_[at + 1] << 8);
    }

    int32_t typeInfoCount() const { return i32(kHeaderTypeInfoCount); }
    size_t segmentEntry(Segment s) const { return directory_ + 16 * static_cast<size_t>(s); }
    int32_t segmentOffset(Segment s) const { return i32(segmentEntry(s)); }
    int32_t segmentLength(Segment s) const { return i32(segmentEntry(s) + 4); }
    size_t in(Segment s, int32_t offset) const {
        if (offset < 0 || offset >= segmentLength(s)) fail("offset outside its segment");
        return position(segmentOffset(s)) + static_cast<size_t>(offset);
    }
    size_t typeInfo(int index) const {
        return in(TypeInfos, i32(typeInfoOffsets_ + 4 * static_cast<size_t>(index)));
    }
    size_t directory() const { return directory_; }

    // A name entry: reference type, next in its hash chain, length | flags << 8 | hash << 16, text.
    std::string nameAt(int32_t offset) const {
        const size_t at = in(Names, offset);
        const size_t length = static_cast<size_t>(i32(at + 8) & 0xFF);
        need(at + 12, length);
        return std::string(reinterpret_cast<const char*>(&b_[at + 12]), length);
    }

    // A string entry (help strings, the help file): 16-bit length, text. A
    // negative offset is no string.
    std::string stringAt(int32_t offset) const {
        if (offset < 0) return {};
        const size_t at = in(Strings, offset);
        const size_t length = u16(at);
        need(at + 2, length);
        return std::string(reinterpret_cast<const char*>(&b_[at + 2]), length);
    }

    // A GUID of the guid table in registry form; empty for none.
    std::string guidAt(int32_t offset) const {
        if (offset < 0) return {};
        const size_t at = in(GuidTable, offset);
        need(at, 16);
        auto hex = [&](size_t from, size_t count, bool reversed) {
            static const char digits[] = "0123456789ABCDEF";
            std::string out;
            for (size_t k = 0; k < count; ++k) {
                const uint8_t byte = b_[at + from + (reversed ? count - 1 - k : k)];
                out += digits[byte >> 4];
                out += digits[byte & 15];
            }
            return out;
        };
        return "{" + hex(0, 4, true) + "-" + hex(4, 2, true) + "-" + hex(6, 2, true) + "-" + hex(8, 2, false) + "-" +
               hex(10, 6, false) + "}";
    }

    // The members of one type info: function and variable records with
    // their name slots, help string slots and custom data heads.
    struct Member {
        Slot name;
        Slot customData;  // 0 when the record has none
        bool function;
        std::vector<Slot> parameterNames;
        Slot help = 0;  // 0 when the record has none
    };
    struct TypeItem {
        Slot name;
        Slot customData;
        std::vector<Member> members;
        Slot help;
    };
    TypeItem typeItem(int index) const {
        const size_t base = typeInfo(index);
        TypeItem item{base + kInfoName, base + kInfoCustomData, {}, base + kInfoHelp};
        const int32_t elements = i32(base + kInfoElements);
        const size_t functions = static_cast<uint32_t>(elements) & 0xFFFF;
        const size_t count = functions + (static_cast<uint32_t>(elements) >> 16);
        if (count == 0) return item;
        const size_t records = position(i32(base + kInfoMembers));
        const size_t recordsLength = position(i32(records));
        const size_t names = records + 4 + recordsLength + 4 * count;
        const size_t recordOffsets = names + 4 * count;
        need(recordOffsets, 4 * count);
        for (size_t k = 0; k < count; ++k) {
            const size_t record = records + 4 + position(i32(recordOffsets + 4 * k));
            const size_t length = u16(record);
            need(record, length);
            Member m{names + 4 * k, 0, k < functions, {}};
            if (m.function) {
                const int32_t flags = i32(record + kFuncFlags);
                const size_t arguments = u16(record + kFuncArgCount);
                if (length < arguments * kParameterSize) fail("function record too short");
                const size_t parameters = record + length - arguments * kParameterSize;
                for (size_t p = 0; p < arguments; ++p) m.parameterNames.push_back(parameters + p * kParameterSize + 4);
                size_t optionalEnd = length - arguments * kParameterSize;
                if (flags & kFuncHasDefaults) optionalEnd -= std::min(optionalEnd, arguments * 4);
                if ((flags & kFuncHasCustomData) && optionalEnd > kFuncCustomData) m.customData = record + kFuncCustomData;
                if (optionalEnd > kFuncHelp) m.help = record + kFuncHelp;
            } else {
                if (length > kVarCustomData) m.customData = record + kVarCustomData;
                if (length > kVarHelp) m.help = record + kVarHelp;
            }
            item.members.push_back(std::move(m));
        }
        return item;
    }

    // Custom data chain entries: guid offset, data offset, next.
    struct CustomEntry {
        size_t at;
        Mark mark;
        std::string text;  // the value when it is a string
        bool isText;
    };
    std::vector<CustomEntry> customChain(Slot head) const {
        std::vector<CustomEntry> chain;
        if (head == 0) return chain;
        std::set<int32_t> seen;
        for (int32_t offset = i32(head); offset >= 0; offset = i32(in(CustomDataGuids, offset) + 8)) {
            if (!seen.insert(offset).second) fail("custom data chain loops");
            const size_t at = in(CustomDataGuids, offset);
            const size_t guid = in(GuidTable, i32(at));
            need(guid, 16);
            const Mark mark = std::memcmp(&b_[guid], kLibraryNameKey, 16) == 0   ? Mark::name
                              : std::memcmp(&b_[guid], kLibraryHelpKey, 16) == 0 ? Mark::help
                                                                                  : Mark::none;
            CustomEntry e{at, mark, {}, false};
            const size_t data = in(CustomData, i32(at + 4));
            if (u16(data) == kVtBstr) {
                const int32_t length = i32(data + 2);
                if (length < 0) fail("bad custom text");
                need(data + 6, static_cast<size_t>(length));
                e.text.assign(reinterpret_cast<const char*>(&b_[data + 6]), static_cast<size_t>(length));
                e.isText = true;
            }
            chain.push_back(std::move(e));
        }
        return chain;
    }

    // Every slot that holds a name offset.
    std::vector<Slot> nameSlots() const {
        std::vector<Slot> slots{kHeaderName};
        for (int t = 0; t < typeInfoCount(); ++t) {
            const TypeItem item = typeItem(t);
            slots.push_back(item.name);
            for (const Member& m : item.members) {
                slots.push_back(m.name);
                slots.insert(slots.end(), m.parameterNames.begin(), m.parameterNames.end());
            }
        }
        return slots;
    }

    // Name table entries in file order.
    std::vector<int32_t> nameOffsets() const {
        std::vector<int32_t> offsets;
        const int32_t length = segmentLength(Names);
        for (int32_t offset = 0; offset < length;) {
            offsets.push_back(offset);
            const int32_t textLength = i32(in(Names, offset) + 8) & 0xFF;
            offset += 12 + ((textLength + 3) & ~3);
        }
        return offsets;
    }
    bool inLookup(int32_t offset) const {
        const int bucket = static_cast<int>((static_cast<uint32_t>(i32(in(Names, offset) + 8)) >> 16) & (kNameBuckets - 1));
        std::set<int32_t> seen;
        for (int32_t at = i32(in(NameHash, bucket * 4)); at >= 0; at = i32(in(Names, at) + 4)) {
            if (at == offset) return true;
            if (!seen.insert(at).second) fail("name chain loops");
        }
        return false;
    }

protected:
    const Bytes& b_;
    size_t typeInfoOffsets_ = 0;
    size_t directory_ = 0;
};

class Writer : public Reader {
public:
    explicit Writer(Bytes& bytes) : Reader(bytes), w_(bytes) {}

    void put32(size_t at, int32_t value) {
        need(at, 4);
        for (int k = 0; k < 4; ++k) w_[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * k));
    }

    // Takes one entry out of a custom data chain.
    void unlinkCustom(Slot head, size_t entry) {
        unlink(head, static_cast<int32_t>(entry - static_cast<size_t>(segmentOffset(CustomDataGuids))),
               [&](int32_t offset) { return in(CustomDataGuids, offset) + 8; });
    }

    size_t bucketSlot(int32_t nameWord) const {
        return in(NameHash, static_cast<int32_t>(((static_cast<uint32_t>(nameWord) >> 16) & (kNameBuckets - 1)) * 4));
    }

    // Takes a name out of its hash chain.
    void unlinkName(int32_t offset) {
        unlink(bucketSlot(i32(in(Names, offset) + 8)), offset, [&](int32_t entry) { return in(Names, entry) + 4; });
    }

    // Appends entries at the end of a segment and moves everything behind
    // it. A segment the library lacks starts behind the name segment.
    void append(Segment target, const Bytes& entries) {
        if (segmentOffset(target) < 0) {
            put32(segmentEntry(target), field(int64_t{segmentOffset(Names)} + segmentLength(Names)));
            put32(segmentEntry(target) + 4, 0);
        }
        const size_t start = position(segmentOffset(target)), length = position(segmentLength(target));
        need(start, length);
        const size_t end = start + length;
        const int64_t shift = static_cast<int64_t>(entries.size());
        for (int t = 0; t < typeInfoCount(); ++t) {
            const size_t members = typeInfo(t) + kInfoMembers;
            if (i32(members) >= 0 && static_cast<size_t>(i32(members)) >= end) put32(members, field(i32(members) + shift));
        }
        for (int s = 0; s < kSegments; ++s) {
            const size_t entry = segmentEntry(static_cast<Segment>(s));
            if (s != target && i32(entry) >= 0 && static_cast<size_t>(i32(entry)) >= end)
                put32(entry, field(i32(entry) + shift));
        }
        put32(segmentEntry(target) + 4, field(segmentLength(target) + shift));
        w_.insert(w_.begin() + static_cast<std::ptrdiff_t>(end), entries.begin(), entries.end());
    }

private:
    // Splices an entry out of a chain of offsets that starts at head.
    template <class NextSlot>
    void unlink(Slot head, int32_t target, NextSlot nextSlotOf) {
        const int32_t next = i32(nextSlotOf(target));
        size_t steps = 0;
        for (Slot link = head; i32(link) >= 0; link = nextSlotOf(i32(link))) {
            if (i32(link) == target) return put32(link, next);
            if (++steps > b_.size()) fail("chain loops");
        }
    }

    Bytes& w_;
};

// Takes every custom data item with the mark out of the library: its text,
// with the slots of the name and the help string of the item that carried it.
struct Marked {
    Slot name;
    Slot help;  // 0 when the item's record has none
    std::string text;
};
std::vector<Marked> takeMarked(Writer& library, Mark mark, size_t longest, const std::string& what) {
    std::vector<Marked> marked;
    auto take = [&](Slot name, Slot help, Slot customHead) {
        for (const Reader::CustomEntry& e : library.customChain(customHead)) {
            if (e.mark != mark) continue;
            if (!e.isText || e.text.empty() || e.text.size() > longest || !printable(e.text))
                Reader::fail(what + " must be printable ASCII text of 1 to " + std::to_string(longest) + " characters");
            marked.push_back({name, help, e.text});
            library.unlinkCustom(customHead, e.at);
        }
    };
    for (int t = 0; t < library.typeInfoCount(); ++t) {
        const Reader::TypeItem item = library.typeItem(t);
        take(item.name, item.help, item.customData);
        for (const Reader::Member& m : item.members) take(m.name, m.help, m.customData);
    }
    return marked;
}

void checkHashes(const Reader& library) {
    for (int32_t offset : library.nameOffsets()) {
        const std::string name = library.nameAt(offset);
        if (!printable(name)) continue;
        const uint16_t stored = static_cast<uint16_t>(static_cast<uint32_t>(library.i32(library.in(Names, offset) + 8)) >> 16);
        if (stored != nameHash(name))
            Reader::fail("the name hash of \"" + name + "\" is not the one this tool computes (locale not supported)");
    }
}

}  // namespace

uint16_t nameHash(std::string_view name) {
    uint32_t value = 0x0deadbee;
    for (char c : name) {
        if (c < ' ' || c > '~') throw FormatError("type library: a name may hold printable ASCII only");
        value = 37 * value + kWeights[c - ' '];
    }
    return static_cast<uint16_t>(value % 65599);
}

std::vector<Rename> applyLibraryNames(Bytes& bytes) {
    Writer library(bytes);
    const std::vector<Marked> pending = takeMarked(library, Mark::name, 255, "a library name");
    if (pending.empty()) return {};
    checkHashes(library);

    std::vector<Rename> renames;
    std::set<int32_t> replaced;
    std::map<std::string, int32_t> appended;
    Bytes entries;
    int64_t count = library.i32(kHeaderNameCount), chars = library.i32(kHeaderNameChars);
    const int32_t segmentLength = library.segmentLength(Names);
    for (const Marked& p : pending) {
        const int32_t old = library.i32(p.name);
        const size_t oldEntry = library.in(Names, old);
        renames.push_back({library.nameAt(old), p.text});
        replaced.insert(old);
        auto found = appended.find(p.text);
        if (found == appended.end()) {
            const int32_t offset = Reader::field(segmentLength + static_cast<int64_t>(entries.size()));
            const int32_t flags = library.i32(oldEntry + 8) & 0xFF00;
            const int32_t word = static_cast<int32_t>(p.text.size()) | flags | static_cast<int32_t>(nameHash(p.text)) << 16;
            const size_t bucket = library.bucketSlot(word);
            for (int32_t field : {library.i32(oldEntry), library.i32(bucket), word})
                for (int k = 0; k < 4; ++k) entries.push_back(static_cast<uint8_t>(static_cast<uint32_t>(field) >> (8 * k)));
            entries.insert(entries.end(), p.text.begin(), p.text.end());
            while (entries.size() % 4) entries.push_back(0x57);
            library.put32(bucket, offset);
            found = appended.emplace(p.text, offset).first;
            ++count;
            chars += static_cast<int64_t>(p.text.size());
        }
        library.put32(p.name, found->second);
    }
    library.append(Names, entries);
    // Names nobody uses any more leave the look-up (their bytes stay, so
    // that no other offset moves).
    std::set<int32_t> used;
    for (Slot s : library.nameSlots()) used.insert(library.i32(s));
    for (int32_t old : replaced) {
        if (used.count(old)) continue;
        library.unlinkName(old);
        --count;
        chars -= static_cast<int64_t>(library.nameAt(old).size());
    }
    library.put32(kHeaderNameCount, Reader::field(count));
    library.put32(kHeaderNameChars, Reader::field(chars));
    return renames;
}

int applyLibraryHelp(Bytes& bytes) {
    Writer library(bytes);
    const std::vector<Marked> pending = takeMarked(library, Mark::help, kMaxHelpLength, "a library help text");
    if (pending.empty()) return 0;

    // Each text once, as widl writes strings: 16-bit length, text, padded
    // with 0x57 to a multiple of four and to at least eight bytes.
    std::map<std::string, int32_t> appended;
    Bytes entries;
    const int32_t segmentLength = library.segmentOffset(Strings) < 0 ? 0 : library.segmentLength(Strings);
    for (const Marked& p : pending) {
        // An item with custom data always has the help string slot before it.
        if (p.help == 0) Reader::fail("an item with a help text has no room for a help string");
        auto found = appended.find(p.text);
        if (found == appended.end()) {
            const size_t start = entries.size();
            entries.push_back(static_cast<uint8_t>(p.text.size() & 0xFF));
            entries.push_back(static_cast<uint8_t>(p.text.size() >> 8));
            entries.insert(entries.end(), p.text.begin(), p.text.end());
            while ((entries.size() - start) % 4 || entries.size() - start < 8) entries.push_back(0x57);
            found = appended.emplace(p.text, segmentLength + static_cast<int32_t>(start)).first;
        }
        library.put32(p.help, found->second);
    }
    library.append(Strings, entries);
    return static_cast<int>(pending.size());
}

LibraryView readLibrary(const Bytes& bytes) {
    const Reader library(bytes);
    auto nameOf = [&](Slot s) { return library.i32(s) < 0 ? std::string() : library.nameAt(library.i32(s)); };
    auto helpOf = [&](Slot s) { return s == 0 ? std::string() : library.stringAt(library.i32(s)); };
    LibraryView view;
    view.name = nameOf(kHeaderName);
    view.help = helpOf(kHeaderHelp);
    view.headerNameCount = library.i32(kHeaderNameCount);
    view.headerNameChars = library.i32(kHeaderNameChars);
    view.guid = library.guidAt(library.i32(kHeaderGuid));
    const uint32_t version = static_cast<uint32_t>(library.i32(kHeaderVersion));
    view.majorVersion = static_cast<uint16_t>(version & 0xFFFF);
    view.minorVersion = static_cast<uint16_t>(version >> 16);
    view.lcid = static_cast<uint32_t>(library.i32(kHeaderLcid));
    view.syskind = library.i32(kHeaderVarFlags) & 0xF;
    for (int t = 0; t < library.typeInfoCount(); ++t) {
        const Reader::TypeItem item = library.typeItem(t);
        ItemNames names;
        names.type = nameOf(item.name);
        names.customDataCount = static_cast<int>(library.customChain(item.customData).size());
        const size_t info = library.typeInfo(t);
        names.kind = library.i32(info + kInfoKind) & 0xF;
        names.flags = library.i32(info + kInfoFlags);
        names.guid = library.guidAt(library.i32(info + kInfoGuid));
        names.typeHelp = helpOf(item.help);
        for (const Reader::Member& m : item.members) {
            (m.function ? names.functions : names.variables).push_back(nameOf(m.name));
            (m.function ? names.functionHelp : names.variableHelp).push_back(helpOf(m.help));
            for (Slot p : m.parameterNames) names.parameters.push_back(nameOf(p));
            names.customDataCount += static_cast<int>(library.customChain(m.customData).size());
        }
        view.types.push_back(std::move(names));
    }
    for (int32_t offset : library.nameOffsets()) {
        const uint32_t word = static_cast<uint32_t>(library.i32(library.in(Names, offset) + 8));
        view.nameTable.push_back({offset, library.nameAt(offset), static_cast<uint16_t>(word >> 16), library.inLookup(offset)});
    }
    return view;
}

}  // namespace frame::typelib
