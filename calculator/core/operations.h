// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calculator/core/numbers.h"

#include <optional>

namespace tallimo {

// Operation codes as stored in a tape row and as indexes of the operation keys.
namespace operation {
enum Code : int {
    Add = 0,
    Subtract = 1,
    Multiply = 2,
    Divide = 3,
    Power = 4,
    Percent = 5,
    SquareRoot = 6,
    Reciprocal = 7,
    Root = 8,
    Remainder = 9,
    WholeQuotient = 10,
    Factorial = 11,
};
} // namespace operation

inline constexpr int kOperationCount = 12;

// Square root, reciprocal and factorial work on the accumulator alone.
constexpr bool isOneOperand(int code) {
    return code == operation::SquareRoot || code == operation::Reciprocal || code == operation::Factorial;
}

// Each returns nothing when the result is undefined or leaves the double range. Exact operands give
// exact results wherever one exists; roots and non-whole powers are rounded from the working precision.
std::optional<Number> sum(const Number& a, const Number& b);
std::optional<Number> difference(const Number& a, const Number& b);
std::optional<Number> product(const Number& a, const Number& b);
// b is not 0.
std::optional<Number> quotient(const Number& a, const Number& b);
// x x acc / 100; the product alone must fit the range too.
std::optional<Number> percent(const Number& acc, const Number& x);
std::optional<Number> power(const Number& base, const Number& exponent);
// degree is not 0.
std::optional<Number> root(const Number& radicand, const Number& degree);
std::optional<Number> squareRoot(const Number& value);
// value is not 0.
std::optional<Number> reciprocal(const Number& value);
// 1 multiplied by every whole k with 2 <= k <= value.
std::optional<Number> factorial(const Number& value);

enum class WholeDivision { Remainder, Quotient };
// Divides the two values, each rounded half to even as a 32-bit whole number.
std::optional<Number> wholeDivision(const Number& dividend, const Number& divisor, WholeDivision part);

// The value itself when it lies inside the double range (tiny magnitudes become 0).
std::optional<Number> inRange(Number value);

} // namespace tallimo
