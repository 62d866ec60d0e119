// The record the installer host passes to every export, and the two operations that
// read and write the host's script variables through it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Laid out as the host lays it out. In the 32-bit deliverables the offsets are part of
// the interface (checked at compile time in host_call.cpp); the 64-bit builds keep the
// same field order with pointer-sized addresses.
struct HostCallRecord {
    std::uint32_t host_reserved_0;
    std::uint32_t host_reserved_4;
    std::uint32_t capacity;     // the most variables the table can hold
    std::uint32_t name_width;   // distance in bytes between two name slots
    std::uint32_t value_width;  // distance in bytes between two value slots
    std::uint32_t count;        // slots 0 to count-1 are in use
    char* names;                // name slot 0
    char* values;               // value slot 0
    std::uint32_t host_reserved_32;
    std::uint32_t host_reserved_36;
    const char* result_name;  // bare name of the variable that receives the answer
};

namespace hostcall {

// Names are stored as "%NAME%" in a 32-byte buffer, which leaves room for 29 characters.
constexpr std::size_t max_bare_name_length = 29;

// Copies the value of the variable into destination, truncated to destination_size - 1
// characters and always zero-terminated; a missing variable reads as "". Returns the
// length of the stored value, so that a caller can tell a truncated read from a whole one.
std::size_t read_host_variable(const HostCallRecord* record, const char* bare_name,
                               char* destination, std::size_t destination_size) noexcept;

template <std::size_t Size>
std::size_t read_host_variable(const HostCallRecord* record, const char* bare_name,
                               std::array<char, Size>& destination) noexcept {
    return read_host_variable(record, bare_name, destination.data(), Size);
}

// Gives the variable the value text, creating it when it is missing and the table has
// room. The value is truncated to what the host's value slot holds.
void write_host_variable(HostCallRecord* record, const char* bare_name, const char* text) noexcept;

// Writes text into the result variable named by the record.
void write_result(HostCallRecord* record, const char* text) noexcept;

}  // namespace hostcall
