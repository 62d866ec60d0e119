// Decimal text to the nearest float, exactly and without the C library: its reading follows
// the locale, which a host may have set so that "5.5" reads as 5, and the C++ library's
// locale-free reading switches the process locale while it works. The decimal value is
// held as a quotient of two integers of fixed size, and the float's significand is found by
// long division, so rounding happens once.
#include "vantrel/leading_number.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "text/characters.h"

namespace vantrel {
namespace {

// A float halfway between two neighbours has at most 112 significant decimal digits, so
// 128 digits and a marker for any non-zero digit after them decide every rounding.
constexpr int kept_digits = 128;
// Values from 10^-46 (below half the smallest float) to 10^39 (above the largest) need a
// closer look; the rest are zero or infinity outright.
constexpr int lowest_leading_position = -45;
constexpr int highest_leading_position = 39;
constexpr int significand_bits = 24;
constexpr int lowest_exponent = -126;
constexpr int subnormal_scale = 149 + 1;  // one bit below the smallest subnormal's
constexpr std::uint32_t infinity_bits = 0x7F800000u;
constexpr std::uint32_t sign_bit = 0x80000000u;

// The digits read, as the integer digits x 10^exponent.
struct Decimal {
    std::array<std::uint8_t, kept_digits + 1> digits;
    int count = 0;
    int exponent = 0;
};

// An unsigned integer of up to 1024 bits, enough for 10^174 x 2^25 and 10^128 x 2^150, the
// largest quotient terms the reading forms. Only the limbs up to used_ can be non-zero, and
// every operation stops there: most versions are a few digits, a limb or two.
class BigNumber {
public:
    static constexpr int limb_count = 32;

    explicit BigNumber(std::uint32_t value) : limbs_{}, used_(1) { limbs_[0] = value; }

    void multiply_add(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (int i = 0; i < used_; ++i) {
            const std::uint64_t product = std::uint64_t{limbs_[i]} * factor + carry;
            limbs_[i] = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0 && used_ < limb_count) limbs_[used_++] = static_cast<std::uint32_t>(carry);
    }

    void shift_left(int bits) {
        const int limbs = bits / 32;
        const int rest = bits % 32;
        const int used = used_ + limbs + 1 < limb_count ? used_ + limbs + 1 : limb_count;
        for (int i = used - 1; i >= 0; --i) {
            const int from = i - limbs;
            std::uint64_t value = from >= 0 ? std::uint64_t{limbs_[from]} << rest : 0;
            if (from >= 1 && rest != 0) value |= limbs_[from - 1] >> (32 - rest);
            limbs_[i] = static_cast<std::uint32_t>(value);
        }
        used_ = used;
    }

    void halve() {
        for (int i = 0; i < used_; ++i) {
            const std::uint32_t high = i + 1 < used_ ? limbs_[i + 1] << 31 : 0;
            limbs_[i] = (limbs_[i] >> 1) | high;
        }
    }

    // other is no greater than this number.
    void subtract(const BigNumber& other) {
        std::int64_t borrow = 0;
        for (int i = 0; i < used_; ++i) {
            const std::int64_t difference = std::int64_t{limbs_[i]} - other.limbs_[i] - borrow;
            borrow = difference < 0 ? 1 : 0;
            limbs_[i] = static_cast<std::uint32_t>(difference);
        }
    }

    int compare(const BigNumber& other) const {
        for (int i = (used_ > other.used_ ? used_ : other.used_) - 1; i >= 0; --i) {
            if (limbs_[i] != other.limbs_[i]) return limbs_[i] < other.limbs_[i] ? -1 : 1;
        }
        return 0;
    }

    int bit_length() const {
        int limb = used_ - 1;
        while (limb >= 0 && limbs_[limb] == 0) --limb;
        if (limb < 0) return 0;
        int bits = limb * 32;
        for (std::uint32_t rest = limbs_[limb]; rest != 0; rest >>= 1) ++bits;
        return bits;
    }

    bool is_zero() const { return bit_length() == 0; }

private:
    std::array<std::uint32_t, limb_count> limbs_;
    int used_;  // limbs from here on are 0
};

// Digits as "%f" takes them: leading zeros carry no digit, digits past the kept ones only
// move the point (before it) or mark the value as lying above the kept digits (after it,
// or any non-zero one); that mark becomes one more digit 1, which rounds the same way.
void read_digits(const char* text, Decimal& decimal) {
    bool after_point = false;
    bool dropped_non_zero = false;
    for (;; ++text) {
        if (*text == '.' && !after_point) {
            after_point = true;
            continue;
        }
        if (!characters::is_digit(*text)) break;
        const auto digit = static_cast<std::uint8_t>(*text - '0');
        if (decimal.count == 0 && digit == 0) {
            if (after_point) --decimal.exponent;
        } else if (decimal.count < kept_digits) {
            decimal.digits[decimal.count++] = digit;
            if (after_point) --decimal.exponent;
        } else {
            dropped_non_zero = dropped_non_zero || digit != 0;
            if (!after_point) ++decimal.exponent;
        }
    }
    if (dropped_non_zero) {
        decimal.digits[decimal.count++] = 1;
        --decimal.exponent;
    }
}

// The integer written as first followed by the digits, times 10^power.
BigNumber digits_times_power_of_ten(std::uint32_t first, const std::uint8_t* digits, int count, int power) {
    BigNumber number(first);
    for (int i = 0; i < count; ++i) number.multiply_add(10, digits[i]);
    for (; power > 0; --power) number.multiply_add(10, 0);
    return number;
}

// The bits of the float nearest numerator / denominator (both non-zero).
std::uint32_t nearest_float_bits(BigNumber numerator, BigNumber denominator) {
    // value = quotient x 2^-scale with the quotient holding the significand and one bit more.
    int scale = significand_bits + 1 - (numerator.bit_length() - denominator.bit_length());
    if (scale > 0) numerator.shift_left(scale);
    if (scale < 0) denominator.shift_left(-scale);
    BigNumber high_bound = denominator;
    high_bound.shift_left(significand_bits + 1);
    if (numerator.compare(high_bound) >= 0) {
        denominator.shift_left(1);
        --scale;
    }
    const int exponent = significand_bits - scale;
    if (exponent > 127) return infinity_bits;
    // Subnormal: the quotient counts units of 2^-150 instead, and the significand comes out
    // below 2^23, so that the bits below take it as it is.
    if (exponent < lowest_exponent) denominator.shift_left(scale - subnormal_scale);
    std::uint32_t quotient = 0;
    denominator.shift_left(significand_bits);
    for (int bit = significand_bits; bit >= 0; --bit) {
        if (numerator.compare(denominator) >= 0) {
            numerator.subtract(denominator);
            quotient |= 1u << bit;
        }
        denominator.halve();
    }
    const std::uint32_t significand = quotient >> 1;
    const bool round_bit = (quotient & 1u) != 0;
    const bool rest = !numerator.is_zero();
    // Normal values keep their leading bit out of the stored fraction; the exponent field
    // absorbs it, and a carry from rounding moves on into the exponent, up to infinity.
    std::uint32_t bits = significand >= (1u << (significand_bits - 1))
                             ? (static_cast<std::uint32_t>(exponent + 126) << 23) + significand
                             : significand;
    if (round_bit && (rest || (significand & 1u))) ++bits;
    return bits;
}

std::uint32_t decimal_to_float_bits(const Decimal& decimal) {
    if (decimal.count == 0) return 0;
    const int leading_position = decimal.count + decimal.exponent;
    if (leading_position > highest_leading_position) return infinity_bits;
    if (leading_position < lowest_leading_position) return 0;
    const BigNumber numerator =
        digits_times_power_of_ten(0, decimal.digits.data(), decimal.count, decimal.exponent > 0 ? decimal.exponent : 0);
    const BigNumber denominator = digits_times_power_of_ten(1, nullptr, 0, decimal.exponent < 0 ? -decimal.exponent : 0);
    return nearest_float_bits(numerator, denominator);
}

}  // namespace

// A text without digits ("", "-", ".") gives no digits and so reads as 0 as well.
float read_leading_number(const char* text) noexcept {
    while (characters::is_space(*text)) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    Decimal decimal;
    read_digits(text, decimal);
    std::uint32_t bits = decimal_to_float_bits(decimal);
    if (negative) bits |= sign_bit;
    float number;
    std::memcpy(&number, &bits, sizeof number);
    return number;
}

}  // namespace vantrel
