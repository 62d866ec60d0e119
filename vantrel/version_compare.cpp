// GreaterEqual: whether one dotted version string counts as at least as high as another,
// compared as text, component by component. The answer is the return value alone.
#include <array>
#include <cstdint>
#include <cstring>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"

namespace {

// A value is compared on its first 511 characters; a longer one is cut, never overrun.
using Value = std::array<char, 512>;

struct Component {
    const char* start;
    std::size_t length;
};

// Takes the component at position (the text up to the next "." or the end) and moves
// position past it and its ".". False when the text is used up, so a trailing "." adds no
// component, while two dots in a row leave an empty one between them.
bool take_component(const char*& position, Component& component) {
    if (*position == '\0') return false;
    const char* dot = std::strchr(position, '.');
    component.start = position;
    component.length = dot ? static_cast<std::size_t>(dot - position) : std::strlen(position);
    position = dot ? dot + 1 : position + component.length;
    return true;
}

// Negative, zero or positive as left is lower than, equal to or higher than right. Length
// decides first, so that digit-only components without leading zeros compare as numbers
// ('10' above '9') without any number being formed; then the bytes, as unsigned values.
int compare_components(const Component& left, const Component& right) {
    if (left.length != right.length) return left.length > right.length ? 1 : -1;
    return std::memcmp(left.start, right.start, left.length);
}

// Pairs the components in order until one string runs out; the first pair that differs
// decides, and a string that agrees with the other as far as both go counts as at least
// as high.
std::int32_t at_least(const char* first, const char* second) {
    Component left{};
    Component right{};
    while (take_component(first, left) && take_component(second, right)) {
        const int order = compare_components(left, right);
        if (order != 0) return order > 0 ? 1 : 0;
    }
    return 1;
}

}  // namespace

EXPORT_ABI std::int32_t STDCALL_ABI GreaterEqual(HostCallRecord* record) noexcept {
    Value first;
    Value second;
    hostcall::read_host_variable(record, "STRING_1", first);
    hostcall::read_host_variable(record, "STRING_2", second);
    // An empty first string is never at least anything, not even an empty second one.
    if (first[0] == '\0') return 0;
    if (second[0] == '\0') return 1;
    return at_least(first.data(), second.data());
}
