#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tintora::measurement {

// A caption that cannot be read as a number, or arithmetic that left the
// numbers (overflow, an invalid operation).
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The strict reading used by the confirmations: the whole caption must be a
// decimal number (blanks around it allowed). Anything else is an error, never 0.
double strict_number(std::string_view caption);

// The lenient reading used by the score: the leading decimal number of the
// caption after any blanks, with "." as the decimal point; a caption that
// does not begin with a number reads as 0.
double leading_number(std::string_view caption);

// A number as a caption: the shortest decimal text that reads back as the
// same number, with "-" only before a negative value, no decimal point for a
// whole number, and negative zero written "0". Infinity and NaN are refused.
std::string number_text(double value);

}
