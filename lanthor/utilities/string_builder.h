#pragma once
// CStringBuilder: a growable UTF-16 text buffer for code inside the library.
// It collects text by appending, inserting and removing without a new string
// per step. The text lives in a buffer whose size is kept in bytes (always
// even, so it is held as code units) and grows in whole chunks of BufferBump
// bytes; Insert assembles its result in a spare buffer of the same
// size and then exchanges the two. Positions and counts are in characters
// (16-bit code units); Capacity, BufferBump and EnsureCapacity are in bytes.
//
// Failures are raised as frame::RuntimeError: the range errors with number
// kStringBuilderError before anything changes; size overflow (6), exhausted
// memory (7) and an empty string written to Chars (5) with the runtime's own.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace lanthor {

// The class's own error number (0x80040200).
constexpr int32_t kStringBuilderError = -2147220992;

class CStringBuilder {
public:
    CStringBuilder();

    int32_t BufferBump() const { return chunkSize_; }
    void BufferBump(int32_t bytes);
    int32_t Capacity() const { return capacity_; }
    void Capacity(int32_t bytes);
    std::u16string Chars(int32_t index) const;
    void Chars(int32_t index, std::u16string_view character);
    int32_t Length() const { return usedBytes_ / 2; }
    void Length(int32_t characters);

    CStringBuilder& Append(std::u16string_view text);
    int32_t EnsureCapacity(int32_t bytes);
    CStringBuilder& Insert(int32_t index, std::u16string_view text);
    CStringBuilder& Remove(int32_t index, int32_t count);
    std::u16string ToString() const;

private:
    // Both buffers of one capacity, in one zeroed block.
    struct Storage {
        explicit Storage(int32_t bytes);
        std::unique_ptr<char16_t[]> block;
        char16_t* buffer;
        char16_t* spare;
    };

    int32_t chunkSize_;
    int32_t usedBytes_;
    int32_t capacity_;
    Storage storage_;
    char16_t* buffer_;  // capacity_ bytes
    char16_t* spare_;   // the same size, Insert's work area
};

}  // namespace lanthor
