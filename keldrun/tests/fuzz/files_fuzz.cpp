// Path splitting, attribute words and the listing's name array against what
// their callers rely on; attribute words read back into their bits; what the
// shell launcher hands over and makes of the shell's answer.
#include <algorithm>

#include "common/testing/fuzz.h"
#include "keldrun/files/file_errors.h"
#include "keldrun/files/listing.h"
#include "keldrun/files/paths.h"
#include "keldrun/files/shell_launch.h"

using namespace keldrun;

namespace {

uint32_t bitsOfWords(std::u16string_view words) {
    static constexpr std::pair<std::u16string_view, uint32_t> kBits[] = {
        {u"Directory", attrDirectory}, {u"ReadOnly", attrReadOnly}, {u"Hidden", attrHidden},
        {u"System", attrSystem},       {u"Archive", attrArchive}};
    uint32_t bits = 0;
    while (!words.empty()) {
        const std::u16string_view word = words.substr(0, words.find(u' '));
        words.remove_prefix(std::min(words.size(), word.size() + 1));
        const auto* it = std::find_if(std::begin(kBits), std::end(kBits), [&](auto& b) { return b.first == word; });
        FUZZ_CHECK(it != std::end(kBits) && !(bits & it->second));
        bits |= it->second;
    }
    return bits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::u16string path = frame::fuzz::text(in, 300);
    const std::u16string_view last = lastComponent(path), extension = extensionOf(last);
    FUZZ_CHECK(path.ends_with(last) && last.find(u'\\') == last.npos);
    FUZZ_CHECK(last.size() == path.size() || path[path.size() - last.size() - 1] == u'\\');
    FUZZ_CHECK(last.ends_with(extension) && (extension.empty() || extension.rfind(u'.') == 0) &&
               (extension.empty() == (last.find(u'.') == last.npos)));
    const std::u16string folder = withTrailingBackslash(path);
    FUZZ_CHECK(folder == (path.ends_with(u'\\') ? path : path + u'\\'));
    const std::u16string_view formatted = formattedText(path);
    const size_t nul = path.find(u'\0');
    FUZZ_CHECK(formatted == (nul == path.npos || nul == 0 ? std::u16string_view() : std::u16string_view(path).substr(0, nul)));

    const uint32_t attributes = in.ConsumeIntegral<uint32_t>(), mask = in.ConsumeIntegral<uint32_t>();
    FUZZ_CHECK(bitsOfWords(attributeWords(attributes)) == (attributes & (kSettableAttributes | attrDirectory)));
    const auto requested = static_cast<int32_t>(attributes);
    uint32_t toSet = 0;
    const int error = frame::fuzz::errorOf([&] { toSet = attributesToSet(requested); });
    const bool valid = requested >= 0 && !(attributes & ~(kSettableAttributes | attrDirectory));
    FUZZ_CHECK(error == (valid ? 0 : frame::errInvalidProcedureCall) && toSet == (valid ? attributes & kSettableAttributes : 0));
    bool listed = true;
    for (uint32_t onRequest : {attrHidden, attrSystem, attrDirectory})
        if ((attributes & onRequest) && !(mask & onRequest)) listed = false;
    FUZZ_CHECK(listedUnder(attributes, mask) == listed);
    FUZZ_CHECK(!frame::standardDescription(fileErrorNumber(attributes)).empty());

    // The name array: upper bound 50, then 51 more each time it is full.
    NameList list;
    const size_t count = in.ConsumeIntegralInRange<size_t>(0, 300);
    size_t upperBound = NameList::kFirstUpperBound;
    for (size_t k = 1; k <= count; ++k) {
        list.add(frame::ascii(std::to_string(k).c_str()));
        if (k > upperBound) upperBound = k - 1 + NameList::kGrowth;
        FUZZ_CHECK(list.count() == k && list.upperBound() == upperBound);
    }
    const std::vector<std::u16string> names = std::move(list).finish();
    FUZZ_CHECK(names.size() == count + 1 && names[0].empty());
    for (size_t k = 1; k <= count; ++k) FUZZ_CHECK(names[k] == frame::ascii(std::to_string(k).c_str()));
    FUZZ_CHECK(isDotEntry(path) == (path == u"." || path == u".."));

    const auto instance = static_cast<intptr_t>(requested);
    FUZZ_CHECK(shellResult(instance) == (instance > 32 ? kNoError : requested));
    FUZZ_CHECK(shellTakes(path.size(), true) == (path.size() <= kLongestWineShellFile) && shellTakes(path.size(), false));
    FUZZ_CHECK(launchFile(kEmail, path) == u"mailto:" + path && launchFile(kUrl, path) == path);
    FUZZ_CHECK(launchShowStyle(kPrint, requested) == kShowHidden && launchShowStyle(kExplore, requested) == requested);
    return 0;
}
