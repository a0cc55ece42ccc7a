#include "lanthor/utilities/string_builder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "common/convert.h"
#include "common/errors.h"

namespace lanthor {
namespace {

constexpr int32_t kFirstChunk = 2048;

[[noreturn]] void raiseOwn(const char16_t* member, const char16_t* description) {
    throw frame::RuntimeError(kStringBuilderError, description, std::u16string(u"CStringBuilder") + member);
}

int32_t sum(int64_t a, int64_t b) { return frame::narrow<int32_t>(a + b); }
int32_t bytesOf(size_t characters) {
    if (characters > static_cast<size_t>(std::numeric_limits<int32_t>::max())) frame::raise(frame::errOverflow);
    return frame::narrow<int32_t>(2 * static_cast<int64_t>(characters));
}

// The spare buffer starts half a page (modulo 4 KiB) after the buffer. Insert
// copies the text from one to the other a few bytes further on; at such an
// offset modulo 4 KiB the processor takes the copy's loads for reloads of its
// own stores and the copy runs at half speed.
constexpr size_t kPage = 4096;
constexpr size_t kStagger = kPage / 2;

}  // namespace

// Exhausted memory is run-time error 7.
CStringBuilder::Storage::Storage(int32_t bytes) {
    const size_t size = static_cast<size_t>(bytes);
    const size_t gap = (kStagger + kPage - size % kPage) % kPage;
    try {
        block.reset(new char16_t[(2 * size + gap) / 2]());
    } catch (const std::bad_alloc&) {
        frame::raise(frame::errOutOfMemory);
    }
    buffer = block.get();
    spare = block.get() + (size + gap) / 2;
}

CStringBuilder::CStringBuilder()
    : chunkSize_(kFirstChunk), usedBytes_(0), capacity_(kFirstChunk), storage_(kFirstChunk),
      buffer_(storage_.buffer), spare_(storage_.spare) {}

void CStringBuilder::BufferBump(int32_t bytes) {
    if (bytes < 1) return;
    chunkSize_ = bytes % 2 == 0 ? bytes : sum(bytes, 1);
}

void CStringBuilder::Capacity(int32_t bytes) {
    if (bytes < 1) return;
    const int64_t chunks = (static_cast<int64_t>(bytes) + chunkSize_ - 1) / chunkSize_;
    const int32_t rounded = frame::narrow<int32_t>(chunks * chunkSize_);
    Storage resized(rounded);
    std::memcpy(resized.buffer, buffer_, static_cast<size_t>(std::min(capacity_, rounded)));
    storage_ = std::move(resized);
    buffer_ = storage_.buffer;
    spare_ = storage_.spare;
    capacity_ = rounded;
    usedBytes_ = std::min(usedBytes_, rounded);
}

std::u16string CStringBuilder::Chars(int32_t index) const {
    if (index < 0 || index >= Length()) raiseOwn(u".Chars", u"Tried reading character past end of buffer.");
    return std::u16string(1, buffer_[static_cast<size_t>(index)]);
}

void CStringBuilder::Chars(int32_t index, std::u16string_view character) {
    if (index < 0 || index >= Length()) raiseOwn(u".Chars", u"Tried assigning character past end of buffer.");
    if (character.empty()) frame::raise(frame::errInvalidProcedureCall);
    buffer_[static_cast<size_t>(index)] = character.front();
}

void CStringBuilder::Length(int32_t characters) {
    if (characters < 0) return;
    const int32_t bytes = bytesOf(static_cast<size_t>(characters));
    if (bytes > capacity_) Capacity(bytes);
    usedBytes_ = bytes;
}

CStringBuilder& CStringBuilder::Append(std::u16string_view text) {
    const int32_t bytes = bytesOf(text.size());
    if (bytes == 0) return *this;
    EnsureCapacity(sum(usedBytes_, bytes));
    std::memcpy(buffer_ + usedBytes_ / 2, text.data(), static_cast<size_t>(bytes));
    usedBytes_ += bytes;
    return *this;
}

int32_t CStringBuilder::EnsureCapacity(int32_t bytes) {
    if (capacity_ < bytes) Capacity(bytes);
    return capacity_;
}

CStringBuilder& CStringBuilder::Insert(int32_t index, std::u16string_view text) {
    if (index < 0 || index > Length()) raiseOwn(u".Insert", u"Argument(s) out of range.");
    const int32_t bytes = bytesOf(text.size());
    if (bytes == 0) return *this;
    EnsureCapacity(sum(usedBytes_, bytes));
    const size_t at = static_cast<size_t>(index);
    const size_t tail = static_cast<size_t>(usedBytes_ / 2) - at;
    std::memcpy(spare_, buffer_, at * 2);
    std::memcpy(spare_ + at, text.data(), text.size() * 2);
    std::memcpy(spare_ + at + text.size(), buffer_ + at, tail * 2);
    std::swap(buffer_, spare_);
    usedBytes_ += bytes;
    return *this;
}

CStringBuilder& CStringBuilder::Remove(int32_t index, int32_t count) {
    if (index < 0 || count < 0 || static_cast<int64_t>(index) + count > Length())
        raiseOwn(u".Remove", u"Argument(s) out of range.");
    const size_t from = static_cast<size_t>(index) + static_cast<size_t>(count);
    std::memmove(buffer_ + index, buffer_ + from, (static_cast<size_t>(Length()) - from) * 2);
    usedBytes_ -= 2 * count;
    return *this;
}

std::u16string CStringBuilder::ToString() const {
    return std::u16string(buffer_, static_cast<size_t>(Length()));
}

}  // namespace lanthor
