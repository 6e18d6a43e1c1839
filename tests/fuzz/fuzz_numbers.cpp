// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/numbers.h"
#include "fuzzcheck.h"

using namespace tallimo;

namespace {

bool inCalculatorRange(const Number& value) {
    const mpq_class magnitude = abs(value.middle());
    return magnitude == 0 || (magnitude >= smallestNumber() && magnitude <= largestNumber());
}

} // namespace

// Any text read as a number stays within the calculator's range, and the text a result is shown with
// reads back as the same shown text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    const QString text = QString::fromUtf8(fuzz::bytesOf(data, size));
    const ReadNumber read = readNumber(text);
    if (read.overflow)
        return 0;
    FUZZ_CHECK(inCalculatorRange(read.value));

    const QString shown = numberText(read.value);
    FUZZ_CHECK(!shown.isEmpty() && shown.size() <= 24);
    const ReadNumber again = readNumber(shown);
    FUZZ_CHECK(!again.overflow);
    FUZZ_CHECK(inCalculatorRange(again.value));
    FUZZ_CHECK(numberText(again.value) == shown);

    FUZZ_CHECK(read.value.isExact());
    FUZZ_CHECK(roundedHalfEven(read.value) == roundedHalfEven(roundedHalfEven(read.value)));
    return 0;
}
