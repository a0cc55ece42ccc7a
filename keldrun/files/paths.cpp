#include "keldrun/files/paths.h"

#include "common/errors.h"

namespace keldrun {

std::u16string_view lastComponent(std::u16string_view path) {
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string_view extensionOf(std::u16string_view name) {
    const size_t stop = name.rfind(u'.');
    return stop == std::u16string_view::npos ? std::u16string_view() : name.substr(stop);
}

std::u16string attributeWords(uint32_t attributes) {
    static constexpr struct {
        uint32_t bit;
        std::u16string_view word;
    } kWords[] = {{attrDirectory, u" Directory"}, {attrReadOnly, u" ReadOnly"}, {attrHidden, u" Hidden"},
                  {attrSystem, u" System"},       {attrArchive, u" Archive"}};
    std::u16string text;
    for (const auto& w : kWords)
        if (attributes & w.bit) text += w.word;
    return text.empty() ? text : text.substr(1);
}

uint32_t attributesToSet(int32_t requested) {
    const uint32_t value = static_cast<uint32_t>(requested);
    if (requested < 0 || (value & ~(kSettableAttributes | attrDirectory)) != 0)
        frame::raise(frame::errInvalidProcedureCall);
    return value & kSettableAttributes;
}

std::u16string withTrailingBackslash(std::u16string_view folder) {
    std::u16string text(folder);
    if (text.empty() || text.back() != u'\\') text += u'\\';
    return text;
}

std::u16string_view formattedText(std::u16string_view buffer) {
    const size_t nul = buffer.find(u'\0');
    return nul == std::u16string_view::npos || nul == 0 ? std::u16string_view() : buffer.substr(0, nul);
}

}  // namespace keldrun
