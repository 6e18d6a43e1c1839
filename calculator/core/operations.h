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

// Each returns nothing when the result is undefined or leaves the double range.
std::optional<Decimal> power(const Decimal& base, const Decimal& exponent);
std::optional<Decimal> root(const Decimal& radicand, const Decimal& degree);
std::optional<Decimal> squareRoot(const Decimal& value);
// 1 multiplied by every whole k with 2 <= k <= value.
std::optional<Decimal> factorial(const Decimal& value);

enum class WholeDivision { Remainder, Quotient };
// Divides the shown value of the dividend and the divisor, each rounded half to even as a 32-bit whole
// number, as the calculator always has; read off the digits where they allow, sparing the decimal rounding.
std::optional<Decimal> wholeDivisionOfShown(const Decimal& dividend, const Decimal& divisor,
                                            WholeDivision part);

// The value itself when it lies inside the double range (tiny magnitudes become 0).
std::optional<Decimal> inRange(Decimal value);

} // namespace tallimo
