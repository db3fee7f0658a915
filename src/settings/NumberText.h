#pragma once
// Numbers typed into text boxes, read the forgiving way players expect.

#include <string_view>

namespace qm {

// The value of the text's leading decimal number (sign, digits, fraction, an exponent only
// when digits follow it), after leading blanks; 0 when the text does not start with one.
// Full-width digits and signs, as a Japanese input method types them, count as their ASCII
// forms. Infinite for numbers too large for a double, 0 for ones too small.
double LeadingNumber(std::u16string_view text);

}  // namespace qm
