#include "keldrun/files/listing.h"

#include "keldrun/files/paths.h"

namespace keldrun {

bool listedUnder(uint32_t entryAttributes, uint32_t mask) {
    constexpr uint32_t kShownOnRequest = attrHidden | attrSystem | attrDirectory;
    return (entryAttributes & kShownOnRequest & ~mask) == 0;
}

bool isDotEntry(std::u16string_view name) { return name == u"." || name == u".."; }

void NameList::add(std::u16string name) {
    if (upperBound() < count_ + 1) items_.resize(count_ + kGrowth + 1);
    items_[count_ + 1] = std::move(name);
    ++count_;
}

std::vector<std::u16string> NameList::finish() && {
    items_.resize(count_ + 1);
    return std::move(items_);
}

}  // namespace keldrun
