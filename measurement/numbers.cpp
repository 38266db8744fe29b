#include "measurement/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace tintora::measurement {

namespace {

    // Where the standard library has floating-point from_chars and to_chars
    // (libstdc++) they do the exact conversions; elsewhere (the libc++ that
    // builds the web edition) strtod and printf do, in the C locale that such
    // a program never leaves.
#if defined(__cpp_lib_to_chars)
    bool parse_fixed(char const* first, char const* last, double& value)
    {
        auto const [ptr, error] = std::from_chars(first, last, value, std::chars_format::fixed);
        if (error == std::errc::result_out_of_range)
            throw ConversionError("the number \"" + std::string(first, last) + "\" is out of range");
        return error == std::errc {} && ptr == last;
    }

    std::string shortest_text(double value)
    {
        std::array<char, 32> buffer {};
        auto const [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
        if (error != std::errc {})
            throw ConversionError("the number cannot be written as text");
        return { buffer.data(), end };
    }
#else
    bool parse_fixed(char const* first, char const* last, double& value)
    {
        std::string const text(first, last);
        char* end = nullptr;
        value = std::strtod(text.c_str(), &end);
        if (std::isinf(value))
            throw ConversionError("the number \"" + text + "\" is out of range");
        return end == text.c_str() + text.size();
    }

    // The fewest significant digits that read back as the same number, as
    // to_chars writes it.
    std::string shortest_text(double value)
    {
        std::array<char, 40> buffer {};
        for (int digits = 1; digits <= 17; ++digits) {
            std::snprintf(buffer.data(), buffer.size(), "%.*g", digits, value);
            if (std::strtod(buffer.data(), nullptr) == value)
                break;
        }
        return buffer.data();
    }
#endif

    bool is_blank(char c) { return c == ' ' || c == '\t'; }

    std::string_view skip_blanks(std::string_view text)
    {
        while (!text.empty() && is_blank(text.front()))
            text.remove_prefix(1);
        return text;
    }

    // Reads an optional sign, digits and an optional "." with more digits from
    // the front of the text. from_chars alone would also take "inf", "nan" and
    // exponents, which are no caption's numbers, so the shape is checked here
    // and from_chars only does the exact decimal-to-binary part.
    struct Leading {
        double value = 0;
        std::size_t length = 0; // 0: the text does not begin with a number
    };

    Leading read_leading(std::string_view text)
    {
        std::size_t i = 0;
        bool negative = false;
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            negative = text.front() == '-';
            ++i;
        }
        auto const digits_from = [&](std::size_t from) {
            std::size_t j = from;
            while (j < text.size() && text[j] >= '0' && text[j] <= '9')
                ++j;
            return j;
        };
        std::size_t const number_start = i;
        std::size_t end = digits_from(i);
        std::size_t digit_count = end - i;
        if (end < text.size() && text[end] == '.') {
            std::size_t const fraction_end = digits_from(end + 1);
            digit_count += fraction_end - end - 1;
            if (digit_count > 0)
                end = fraction_end;
        }
        if (digit_count == 0)
            return {};
        double value = 0;
        if (!parse_fixed(text.data() + number_start, text.data() + end, value))
            return {};
        return { negative ? -value : value, end };
    }

}

double strict_number(std::string_view caption)
{
    auto const text = skip_blanks(caption);
    auto const leading = read_leading(text);
    if (leading.length == 0 || !skip_blanks(text.substr(leading.length)).empty())
        throw ConversionError("\"" + std::string(caption) + "\" is not a number");
    return leading.value;
}

double leading_number(std::string_view caption) { return read_leading(skip_blanks(caption)).value; }

std::string number_text(double value)
{
    if (!std::isfinite(value))
        throw ConversionError("arithmetic overflow or invalid operation");
    if (value == 0)
        return "0";
    // A whole number is written as its digits, however many trailing zeros
    // make a shorter exponent form ("100000", never "1e+05").
    if (std::trunc(value) == value && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    return shortest_text(value);
}

}
