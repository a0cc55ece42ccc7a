// The cipher against its inverse and its pump count, and the security-file
// content it feeds: scrambled texts split back apart at the first "//".
#include <algorithm>

#include "common/testing/fuzz.h"
#include "keldrun/security/cipher.h"
#include "keldrun/security/security_files.h"

using namespace keldrun;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::u16string text = frame::fuzz::text(in, 200), other = frame::fuzz::text(in, 200);
    int pumps = 0;
    const PumpPass pump = [&] { ++pumps; };

    const std::u16string scrambled = encode(text, pump);
    FUZZ_CHECK(pumps == static_cast<int>(2 * text.size()));
    std::u16string covered;
    std::copy_if(text.begin(), text.end(), std::back_inserter(covered), [](char16_t c) { return codeOf(c).has_value(); });
    FUZZ_CHECK(scrambled.size() == text.size() + 2 * covered.size());
    FUZZ_CHECK(decode(encode(covered, pump), pump) == covered);

    // Any text decodes, a group at a time.
    pumps = 0;
    const std::u16string plain = decode(text, pump);
    FUZZ_CHECK(pumps == static_cast<int>(2 * ((text.size() + 2) / 3)) && plain.size() <= text.size());

    const std::u16string content = securityContent(scrambled, encode(other, pump));
    const size_t separator = content.find(kSeparator);
    FUZZ_CHECK(content.substr(0, separator) == scrambled &&
               decode(content.substr(separator + kSeparator.size()), pump) == decode(encode(other, pump), pump));

    // The system folder a 32-bit process is redirected from.
    const bool wow64 = in.ConsumeBool();
    const std::u16string folder = unredirectedSystemFolder(text, other, wow64);
    FUZZ_CHECK(folder == text || (wow64 && folder.ends_with(u"\\Sysnative")));
    if (!other.empty() && !other.ends_with(u'\\'))
        FUZZ_CHECK(unredirectedSystemFolder(other + u"\\SyStem32\\", other, wow64) ==
                   (wow64 ? other + u"\\Sysnative" : other + u"\\SyStem32\\"));
    FUZZ_CHECK(adminFilePath(text) == text + u"\\Users.SecurityFile" && userFilePath(text) == text + u".SecurityFile");
    return 0;
}
