#pragma once
// Which directory entries a listing shows, and the list it builds.
// Window-system free.
#include <cstdint>
#include <string>
#include <vector>

namespace keldrun {

// An entry that is only normal, read-only or archive (or has attributes
// beyond these that the mask does not speak of) is always listed; a hidden,
// system or directory entry only when each of those bits it has is in the mask.
bool listedUnder(uint32_t entryAttributes, uint32_t mask);

// "." and "..".
bool isDotEntry(std::u16string_view name);

// The names of a listing as the classes return them: index 0 stays empty
// and the names follow from index 1. The list starts with upper bound 50
// and, when full, grows to hold 51 more; finish() cuts it to the names.
class NameList {
public:
    static constexpr size_t kFirstUpperBound = 50;
    static constexpr size_t kGrowth = 51;

    NameList() : items_(kFirstUpperBound + 1) {}
    void add(std::u16string name);
    size_t count() const { return count_; }
    size_t upperBound() const { return items_.size() - 1; }
    // Upper bound = count; index 0 empty.
    std::vector<std::u16string> finish() &&;

private:
    std::vector<std::u16string> items_;
    size_t count_ = 0;
};

}  // namespace keldrun
