#include "measurement/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace tintora::measurement {

namespace {

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
        auto const* first = text.data() + number_start;
        auto const [ptr, error] = std::from_chars(first, text.data() + end, value, std::chars_format::fixed);
        if (error == std::errc::result_out_of_range)
            throw ConversionError("the number \"" + std::string(text.substr(0, end)) + "\" is out of range");
        if (error != std::errc {} || ptr != text.data() + end)
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
    std::array<char, 32> buffer {};
    auto const [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (error != std::errc {})
        throw ConversionError("the number cannot be written as text");
    return { buffer.data(), end };
}

}
