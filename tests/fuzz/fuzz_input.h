#pragma once
// Reads a fuzz input as a stream of small values; past its end every read
// yields zero, so any input is a complete program for a target.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return next_ >= size_; }

    std::uint8_t byte() { return empty() ? 0 : data_[next_++]; }

    // Four bytes, little-endian, so that both ends of the int range are near.
    std::int32_t int32()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<std::uint32_t>(byte()) << (8 * i);
        std::int32_t result;
        std::memcpy(&result, &value, sizeof result);
        return result;
    }

    // A length byte, then that many bytes.
    std::string text()
    {
        const std::size_t n = byte();
        std::string s;
        while (s.size() < n && !empty())
            s += static_cast<char>(byte());
        return s;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};
