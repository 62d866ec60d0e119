// Reads a fuzzer's bytes as a sequence of choices: numbers in a range, texts of a length.
// Running out of bytes reads as zeros, so every input is a complete case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return position_ >= size_; }

    std::uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }

    // A number from 0 to max, from as few bytes as the range needs.
    std::uint32_t number(std::uint32_t max) {
        std::uint64_t value = 0;
        for (std::uint64_t span = max; span > 0; span >>= 8) value = (value << 8) | byte();
        return max == 0xFFFFFFFFu ? static_cast<std::uint32_t>(value)
                                  : static_cast<std::uint32_t>(value % (static_cast<std::uint64_t>(max) + 1));
    }

    // Up to max_length bytes, the length chosen first.
    std::string text(std::size_t max_length) {
        const std::size_t length = number(static_cast<std::uint32_t>(max_length));
        std::string out;
        for (std::size_t i = 0; i < length && !empty(); ++i) out.push_back(static_cast<char>(byte()));
        return out;
    }

    // Up to max_length bytes drawn from alphabet, for texts that must stay well formed.
    std::string text_of(const std::string& alphabet, std::size_t max_length) {
        const std::size_t length = number(static_cast<std::uint32_t>(max_length));
        std::string out;
        for (std::size_t i = 0; i < length && !empty(); ++i) out.push_back(alphabet[byte() % alphabet.size()]);
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace fuzzing
