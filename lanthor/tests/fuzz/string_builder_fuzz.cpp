// CStringBuilder against a std::u16string: any sequence of its members leaves
// the same text (characters exposed by lengthening are whatever the buffer
// held, so they are not compared), a range error changes nothing, and the
// capacity is a whole number of chunks that holds the text.
#include "common/testing/fuzz.h"
#include "lanthor/utilities/string_builder.h"

using lanthor::CStringBuilder;

namespace {

constexpr char32_t kUnknown = 0xFFFFFFFF;  // a character lengthening exposed

// A size in units of `unit` bytes: mostly small, sometimes one whose bytes,
// rounded up to whole chunks, are beyond a Long (a size in between would
// really allocate gigabytes).
int32_t size(FuzzedDataProvider& in, int32_t unit, int32_t chunk) {
    return in.ConsumeIntegralInRange(0, 7) == 7 ? in.ConsumeIntegralInRange(INT32_MAX / chunk * chunk / unit + 1, INT32_MAX)
                                                : in.ConsumeIntegralInRange(-3, 9000);
}

// Bytes rounded up to whole chunks.
int64_t rounded(int64_t bytes, int32_t chunk) { return (bytes + chunk - 1) / chunk * chunk; }

int32_t error(const std::function<void()>& call) { return frame::fuzz::errorOf(call); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t length) {
    FuzzedDataProvider in(data, length);
    CStringBuilder builder;
    std::u32string model;  // kUnknown where lengthening exposed old content
    auto index = [&] { return in.ConsumeIntegralInRange<int32_t>(-1, static_cast<int32_t>(model.size()) + 1); };
    auto inRange = [&](int32_t at, int32_t end) { return at >= 0 && at <= end && end <= static_cast<int32_t>(model.size()); };
    while (in.remaining_bytes() > 0) {
        const std::u16string text = frame::fuzz::text(in, 40);
        const std::u32string text32(text.begin(), text.end());
        const int32_t before = builder.Length();
        int32_t raised = 0;
        switch (in.ConsumeIntegralInRange(0, 8)) {
            case 0:
                FUZZ_CHECK(error([&] { builder.Append(text); }) == 0);
                model += text32;
                break;
            case 1: {
                const int32_t at = index();
                raised = error([&] { builder.Insert(at, text); });
                FUZZ_CHECK(raised == (inRange(at, at) ? 0 : lanthor::kStringBuilderError));
                if (raised == 0) model.insert(static_cast<size_t>(at), text32);
                break;
            }
            case 2: {
                const int32_t at = index(), count = in.ConsumeIntegralInRange(-1, 50);
                raised = error([&] { builder.Remove(at, count); });
                FUZZ_CHECK(raised == (count >= 0 && inRange(at, at + count) ? 0 : lanthor::kStringBuilderError));
                if (raised == 0) model.erase(static_cast<size_t>(at), static_cast<size_t>(count));
                break;
            }
            case 3: {
                const int32_t at = index();
                std::u16string read;
                raised = error([&] { read = builder.Chars(at); });
                FUZZ_CHECK(raised == (inRange(at, at + 1) ? 0 : lanthor::kStringBuilderError));
                if (raised == 0) FUZZ_CHECK(read.size() == 1 && (model[at] == kUnknown || read[0] == model[at]));
                break;
            }
            case 4: {
                const int32_t at = index();
                raised = error([&] { builder.Chars(at, text); });
                FUZZ_CHECK(raised == (!inRange(at, at + 1) ? lanthor::kStringBuilderError : text.empty() ? 5 : 0));
                if (raised == 0) model[at] = text[0];
                break;
            }
            case 5: {
                const int32_t characters = size(in, 2, builder.BufferBump());
                raised = error([&] { builder.Length(characters); });
                const int64_t bytes = 2 * int64_t{characters};
                FUZZ_CHECK(raised == (bytes > INT32_MAX || (bytes > builder.Capacity() && rounded(bytes, builder.BufferBump()) > INT32_MAX)
                                          ? frame::errOverflow : 0));
                if (raised == 0 && characters >= 0) model.resize(static_cast<size_t>(characters), kUnknown);
                break;
            }
            case 6: {
                const int32_t chunk = builder.BufferBump(), bytes = size(in, 1, chunk);
                raised = error([&] { builder.Capacity(bytes); });
                const int64_t capacity = rounded(bytes, chunk);
                FUZZ_CHECK(raised == (capacity > INT32_MAX ? frame::errOverflow : 0));
                if (raised == 0 && bytes >= 1) {
                    FUZZ_CHECK(builder.Capacity() == capacity);
                    if (model.size() > static_cast<size_t>(capacity / 2)) model.resize(static_cast<size_t>(capacity / 2));
                }
                break;
            }
            case 7: {
                const int32_t bytes = size(in, 1, builder.BufferBump());
                int32_t capacity = 0;
                raised = error([&] { capacity = builder.EnsureCapacity(bytes); });
                FUZZ_CHECK(raised == 0 || raised == frame::errOverflow);
                if (raised == 0) FUZZ_CHECK(capacity >= bytes && capacity == builder.Capacity());
                break;
            }
            default: {
                const int32_t bump = in.ConsumeBool() ? INT32_MAX : in.ConsumeIntegralInRange(-2, 5000);
                const int32_t old = builder.BufferBump();
                raised = error([&] { builder.BufferBump(bump); });
                FUZZ_CHECK(raised == (bump == INT32_MAX ? frame::errOverflow : 0));
                FUZZ_CHECK(builder.BufferBump() == (bump < 1 || raised ? old : bump + bump % 2));
            }
        }
        if (raised != 0 && raised != frame::errOverflow) FUZZ_CHECK(builder.Length() == before);
        const std::u16string all = builder.ToString();
        FUZZ_CHECK(all.size() == model.size() && builder.Length() == static_cast<int32_t>(model.size()));
        for (size_t k = 0; k < all.size(); ++k) FUZZ_CHECK(model[k] == kUnknown || all[k] == model[k]);
        FUZZ_CHECK(builder.Capacity() >= 2 * builder.Length() && builder.Capacity() % 2 == 0);
    }
    return 0;
}
