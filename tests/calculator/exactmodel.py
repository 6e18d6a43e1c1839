#!/usr/bin/env python3
"""An independent model of the calculator's tape arithmetic, for the differential test.

Exact operations are done on Python fractions; roots and non-whole powers on decimals of 60 digits.
A value that went through such a root is kept to 60 significant digits but trusted only to 45: a sum
or difference is rounded 45 places below its larger operand, so that what is left of a cancellation
is 0, and whole-number keys decide on 45 digits.

Writes the table of tapes and their expected results to stdout:
    first row text | code:text | code:text ...<TAB>expected result text
"""

import random
import sys
from decimal import Decimal, localcontext
from fractions import Fraction as F

DBL_MAX = F(1.7976931348623157e308)
DBL_TRUE_MIN = F(4.9406564584124654e-324)
WORKING_DIGITS = 60
KEPT_DIGITS = 45
SHOWN_DIGITS = 15
INT32_MIN, INT32_MAX = -(2**31), 2**31 - 1


class Fault(Exception):
    pass


def floor_log10(value):
    """Exponent of the leading digit of a non-zero fraction."""
    value = abs(value)
    e = len(str(value.numerator)) - len(str(value.denominator))
    while F(10) ** e > value:
        e -= 1
    while F(10) ** (e + 1) <= value:
        e += 1
    return e


def round_half_even(value):
    below = value.numerator // value.denominator
    rest = value - below
    if rest > F(1, 2) or (rest == F(1, 2) and below % 2):
        below += 1
    return below


def quantized(value, exponent):
    """value rounded to a multiple of 10^exponent."""
    unit = F(10) ** exponent
    return round_half_even(value / unit) * unit


def significant(value, digits):
    if value == 0:
        return value
    return quantized(value, floor_log10(value) - digits + 1)


def in_range(value):
    if abs(value) > DBL_MAX:
        raise Fault()
    if abs(value) < DBL_TRUE_MIN:
        return F(0)
    return value


def to_decimal(value):
    return Decimal(value.numerator) / Decimal(value.denominator)


def exact_root(value, n):
    """The exact n-th root of a non-negative fraction, or None."""

    def int_root(k):
        r = round(float(k) ** (1.0 / n)) if k < 2**1000 else int(Decimal(k) ** (Decimal(1) / n))
        for c in (r - 1, r, r + 1):
            if c >= 0 and c**n == k:
                return c
        return None

    a, b = int_root(value.numerator), int_root(value.denominator)
    return F(a, b) if a is not None and b is not None else None


class Value:
    def __init__(self, fraction, inexact=False):
        self.v = fraction
        self.inexact = inexact


def result(fraction, inexact):
    fraction = in_range(fraction)
    if inexact:
        fraction = significant(fraction, WORKING_DIGITS)
    return Value(fraction, inexact and fraction != 0)


def trusted(value):
    """What whole-number keys decide on."""
    return significant(value.v, KEPT_DIGITS) if value.inexact else value.v


def add(a, b, sign):
    value = a.v + sign * b.v
    if a.inexact or b.inexact:
        reference = max(abs(a.v), abs(b.v))
        value = quantized(value, floor_log10(reference) - KEPT_DIGITS)
        return Value(in_range(value), value != 0)
    return Value(in_range(value))


def power(base, exponent):
    inexact = base.inexact or exponent.inexact
    b, y = base.v, exponent.v
    if y == 0:
        return Value(F(1))
    if b == 0:
        if y > 0:
            return Value(F(0))
        raise Fault()
    if y.denominator == 1:
        if abs(y) > 5000:
            raise ValueError("exponent too large for the model's tapes")
        return result(b ** int(y), inexact)
    if b < 0:
        raise Fault()
    if not inexact and y.denominator <= 64:
        r = exact_root(b, y.denominator)
        if r is not None:
            return result(r ** y.numerator, False)
    with localcontext() as context:
        context.prec = WORKING_DIGITS
        context.Emax = 999999
        context.Emin = -999999
        value = to_decimal(b) ** to_decimal(y)
    return result(F(value), True)


def root(radicand, degree):
    if degree.v.denominator == 1 and degree.v >= 2 and radicand.v > 0:
        n = int(degree.v)
        if not radicand.inexact:
            r = exact_root(radicand.v, n)
            if r is not None:
                return Value(r)
        with localcontext() as context:
            context.prec = WORKING_DIGITS
            context.Emax = 999999
            context.Emin = -999999
            value = to_decimal(radicand.v) ** (Decimal(1) / Decimal(n)) if n != 2 else to_decimal(radicand.v).sqrt()
        return result(F(value), True)
    return power(radicand, Value(in_range(1 / degree.v), degree.inexact))


def evaluate(rows):
    """rows: [(code, text)]; returns the shown result text."""
    acc = Value(F(0))
    error = False
    try:
        for code, text in rows:
            x = Value(in_range(F(Decimal(text))) if text else F(0))
            if code == 0:
                acc = add(acc, x, 1)
            elif code == 1:
                acc = add(acc, x, -1)
            elif code == 2:
                acc = result(acc.v * x.v, acc.inexact)
            elif code == 3:
                if x.v == 0:
                    error = True
                else:
                    acc = result(acc.v / x.v, acc.inexact)
            elif code == 4:
                acc = power(acc, x)
            elif code == 5:
                in_range(x.v * acc.v)
                acc = result(x.v * acc.v / 100, acc.inexact)
            elif code == 6:
                if acc.v < 0:
                    raise Fault()
                acc = root(acc, Value(F(2))) if acc.v > 0 else acc
            elif code == 7:
                if acc.v == 0:
                    error = True
                else:
                    acc = result(1 / acc.v, acc.inexact)
            elif code == 8:
                if x.v == 0:
                    error = True
                else:
                    acc = root(acc, x)
            elif code in (9, 10):
                if x.v == 0:
                    error = True
                    continue
                a, b = round_half_even(trusted(acc)), round_half_even(x.v)
                if not (INT32_MIN <= a <= INT32_MAX and INT32_MIN <= b <= INT32_MAX) or b == 0:
                    raise Fault()
                q = abs(a) // abs(b) * (1 if (a < 0) == (b < 0) else -1)
                if code == 9:
                    acc = Value(F(a - q * b))
                else:
                    if q > INT32_MAX:
                        raise Fault()
                    acc = Value(F(q))
            elif code == 11:
                value = trusted(acc)
                if value >= 171:
                    raise Fault()
                product = 1
                for k in range(2, int(value // 1) + 1):
                    product *= k
                acc = Value(F(product))
    except Fault:
        return "ERROR"
    return "ERROR" if error else number_text(acc.v)


def number_text(value):
    if value == 0:
        return "0"
    negative = value < 0
    value = abs(value)
    lead = floor_log10(value)
    unit = F(10) ** (lead - SHOWN_DIGITS + 1)
    whole = value / unit
    digits = whole.numerator // whole.denominator
    if whole - digits >= F(1, 2):
        digits += 1
    if digits * unit > DBL_MAX:  # at the top of the range the digits are cut
        digits = whole.numerator // whole.denominator
    if digits == 10**SHOWN_DIGITS:
        digits //= 10
        lead += 1
    text = str(digits).rstrip("0") or "0"
    sign = "-" if negative else ""
    if lead >= 15 or lead < -4:
        mantissa = text[0] + ("." + text[1:] if len(text) > 1 else "")
        return "%s%sE%s%02d" % (sign, mantissa, "-" if lead < 0 else "+", abs(lead))
    if lead < 0:
        return sign + "0." + "0" * (-lead - 1) + text
    if len(text) <= lead + 1:
        return sign + text + "0" * (lead + 1 - len(text))
    return sign + text[: lead + 1] + "." + text[lead + 1 :]


def zero_answer_tapes():
    """Tapes whose exact answer is 0."""
    tapes = []
    for a, b in [("10", "3"), ("1234.56", "3"), ("1", "7"), ("100", "9"), ("2.5", "11"), ("86251.76", "13"),
                 ("0.1", "0.3"), ("999.99", "1.1"), ("7", "49"), ("12345678901234.5", "17")]:
        tapes.append([a, "3:" + b, "2:" + b, "1:" + a])
        tapes.append([a, "2:" + b, "3:" + b, "1:" + a])
    for x in ["3", "7", "0.3", "1234.56", "97", "1.1"]:
        tapes.append([x, "7:", "7:", "1:" + x])
    for x in ["2", "3", "5", "0.5", "10", "1234.56"]:
        tapes.append([x, "6:", "4:2", "1:" + x])
    for x, n in [("2", "3"), ("10", "3"), ("5", "4"), ("3", "5"), ("0.7", "7"), ("1000.01", "3")]:
        tapes.append([x, "8:" + n, "4:" + n, "1:" + x])
    for x in ["2", "3", "7.5"]:
        tapes.append([x, "4:0.5", "4:2", "1:" + x])
        tapes.append([x, "8:3", "4:3", "3:" + x, "1:1"])
    tapes += [
        ["0.1", "0:0.2", "1:0.3"],
        ["200", "5:15", "1:30"],
        ["1", "3:3", "3:7", "3:11", "2:3", "2:7", "2:11", "1:1"],
        ["8", "6:", "3:2", "4:2", "1:2"],
        ["2", "6:", "4:2", "11:", "1:2"],
        ["2", "6:", "4:2", "2:1.75", "10:1", "1:4"],
        ["10", "7:", "2:10", "1:1"],
        ["1E-5", "3:3", "2:3", "1:1E-5"],
        ["1E+300", "3:7", "2:7", "1:1E+300"],
    ]
    return tapes


def random_tapes(count):
    generator = random.Random(31)
    numbers = ["123.45", "-67.8", "0.05", "19.99", "1000", "2", "3", "7", "0.5", "1.5", "12.25", "0.3", "9",
               "1E+20", "2.5", "1E-7", "16", "-4", "6.25", "11", "0.001", "4"]
    small = ["2", "3", "0.5", "1.5", "4", "-2", "0.25", "5"]
    weights = [20, 15, 15, 15, 4, 6, 4, 4, 3, 3, 3, 2]
    tapes = []
    while len(tapes) < count:
        rows = [generator.choice(numbers)]
        for _ in range(generator.randint(2, 12)):
            code = generator.choices(range(12), weights)[0]
            text = "" if code in (6, 7, 11) else generator.choice(small if code in (4, 8) else numbers)
            rows.append("%d:%s" % (code, text))
        tapes.append(rows)
    return tapes


def rows_of(tape):
    rows = [(0, tape[0])]
    for row in tape[1:]:
        code, text = row.split(":", 1)
        rows.append((int(code), text))
    return rows


def main():
    print("# Tapes and their results from tests/calculator/exactmodel.py; do not edit by hand.")
    for tape in zero_answer_tapes() + random_tapes(250):
        print("%s\t%s" % (" | ".join(tape), evaluate(rows_of(tape))))


if __name__ == "__main__":
    sys.exit(main())
