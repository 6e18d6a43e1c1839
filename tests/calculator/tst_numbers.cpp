// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/clipboardtext.h"
#include "calculator/core/displayformat.h"
#include "calculator/core/numbers.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace tallimo;

namespace {
const Separators kSpanish{QStringLiteral(","), QStringLiteral(".")};
const Separators kEnglish{QStringLiteral("."), QStringLiteral(",")};
} // namespace

class NumbersTest : public QObject {
    Q_OBJECT

private slots:
    void readingRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("overflow");
        QTest::newRow("decimal") << "12.5"
                                 << "12.5" << false;
        QTest::newRow("negative") << "-7"
                                  << "-7" << false;
        QTest::newRow("second point stops") << "1.2.3"
                                            << "1.2" << false;
        QTest::newRow("trailing minus stops") << "5-"
                                              << "5" << false;
        QTest::newRow("exponent") << "1E+20"
                                  << "1E+20" << false;
        QTest::newRow("D exponent, lower case") << "1d3"
                                                << "1000" << false;
        QTest::newRow("negative exponent") << "25e-2"
                                           << "0.25" << false;
        QTest::newRow("exponent without digits") << "2E+"
                                                 << "2" << false;
        QTest::newRow("blanks inside") << " 1 2 . 5 "
                                       << "12.5" << false;
        QTest::newRow("tabs and line feeds") << "1\t2\n3"
                                             << "123" << false;
        QTest::newRow("empty") << ""
                               << "0" << false;
        QTest::newRow("the word ERROR") << "ERROR"
                                        << "0" << false;
        QTest::newRow("lone minus") << "-"
                                    << "0" << false;
        QTest::newRow("two minus signs") << "--5"
                                         << "0" << false;
        QTest::newRow("plus sign") << "+5"
                                   << "5" << false;
        QTest::newRow("leading point") << "-.5"
                                       << "-0.5" << false;
        QTest::newRow("comma stops") << "1,5"
                                     << "1" << false;
        QTest::newRow("leading zeros") << "000123"
                                       << "123" << false;
        QTest::newRow("zero with decimals") << "0.000"
                                            << "0" << false;
        QTest::newRow("largest double") << "1.7976931348623157E+308"
                                        << "1.79769313486231E+308" << false;
        QTest::newRow("beyond the double range") << "1.8E+308"
                                                 << "0" << true;
        QTest::newRow("huge exponent") << "1E+99999999999999"
                                       << "0" << true;
        QTest::newRow("400 digits") << QString(400, u'9') << "0" << true;
        QTest::newRow("below the double range") << "1E-400"
                                                << "0" << false;
        QTest::newRow("tiny but a double") << "1E-320"
                                           << "1E-320" << false;
    }
    void readingRule() {
        QFETCH(QString, text);
        QFETCH(QString, value);
        QFETCH(bool, overflow);
        const ReadNumber number = readNumber(text);
        QCOMPARE(number.overflow, overflow);
        QCOMPARE(numberText(number.value), value);
    }

    void numberTextForm_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("half") << "0.5"
                              << "0.5";
        QTest::newRow("trailing zeros dropped") << "-2.50"
                                                << "-2.5";
        QTest::newRow("15-digit whole number in full") << "999999999999999"
                                                       << "999999999999999";
        QTest::newRow("10^15 scientific") << "1000000000000000"
                                          << "1E+15";
        QTest::newRow("rounded to 15 digits") << "123456789012345678"
                                              << "1.23456789012346E+17";
        QTest::newRow("rounding carries into a new digit") << "9999999999999995"
                                                           << "1E+16";
        QTest::newRow("rounding just below 10^15") << "999999999999999.5"
                                                   << "1E+15";
        QTest::newRow("fraction rounded") << "0.1234567890123456"
                                          << "0.123456789012346";
        QTest::newRow("0.0001 stays fixed") << "0.0001"
                                            << "0.0001";
        QTest::newRow("smaller goes scientific") << "0.00001"
                                                 << "1E-05";
        QTest::newRow("small mantissa") << "-0.000012345"
                                        << "-1.2345E-05";
        QTest::newRow("three-digit exponent") << "1.5E+300"
                                              << "1.5E+300";
        QTest::newRow("zero") << "0"
                              << "0";
        // Rounded up, these would show a number above the largest one, which then reads as overflow.
        QTest::newRow("top of the range is cut") << "1.7976931348623157E308"
                                                 << "1.79769313486231E+308";
        QTest::newRow("just below the top is cut") << "-1.797693134862315E308"
                                                   << "-1.79769313486231E+308";
        QTest::newRow("below the carry rounds as usual") << "1.797693134862314E308"
                                                         << "1.79769313486231E+308";
        QTest::newRow("1.79E+308 rounds as usual") << "1.7899999999999999E308"
                                                   << "1.79E+308";
    }
    void numberTextForm() {
        QFETCH(QString, number);
        QFETCH(QString, text);
        QCOMPARE(numberText(readNumber(number).value), text);
    }

    void halfEvenRounding_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("rounded");
        QTest::newRow("2.5 down") << "2.5"
                                  << "2";
        QTest::newRow("3.5 up") << "3.5"
                                << "4";
        QTest::newRow("-2.5 to -2") << "-2.5"
                                    << "-2";
        QTest::newRow("7.6") << "7.6"
                             << "8";
        QTest::newRow("0.4") << "0.4"
                             << "0";
        QTest::newRow("-0.6") << "-0.6"
                              << "-1";
    }
    void halfEvenRounding() {
        QFETCH(QString, number);
        QFETCH(QString, rounded);
        QCOMPARE(numberText(roundedHalfEven(readNumber(number).value)), rounded);
    }

    void leadingExponent_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("exponent");
        QTest::newRow("thousands") << "1234.5" << 3;
        QTest::newRow("one") << "1" << 0;
        QTest::newRow("hundredths") << "-0.05" << -2;
        QTest::newRow("large") << "1.5E+300" << 300;
    }
    void leadingExponent() {
        QFETCH(QString, number);
        QFETCH(int, exponent);
        QCOMPARE(tallimo::leadingExponent(readNumber(number).value), exponent);
        QVERIFY(std::abs(approximateLog10(readNumber(number).value) -
                         std::log10(std::abs(number.toDouble()))) < 1e-12);
    }

    // Rounding to significant digits works on the exact value: halves away from zero, carries through
    // nines, checked against the value itself.
    void digitsRoundTheExactValue_data() {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<quint32>("seed");
        const QString zeros(43, u'0');
        const QString nines(44, u'9');
        QTest::newRow("ties and carries") << QStringList{"1." + zeros + "05",
                                                         "1." + zeros + "15",
                                                         "1." + zeros + "051",
                                                         "-1." + zeros + "25",
                                                         nines + "5",
                                                         "9." + nines + "4",
                                                         "0." + nines + "5",
                                                         "1.5E-300",
                                                         "-1.7976931348623157E308",
                                                         "123456789.123456789E-7",
                                                         "4.9406564584124654E-324"}
                                          << 0U;
        for (quint32 seed = 1; seed <= 3; ++seed)
            QTest::addRow("quotients and products %u", seed) << QStringList{} << seed;
    }
    void digitsRoundTheExactValue() {
        QFETCH(QStringList, values);
        QFETCH(quint32, seed);
        std::vector<mpq_class> checked;
        for (const QString& text : values)
            checked.push_back(readNumber(text).value.fraction());
        QRandomGenerator random(seed);
        for (int k = 0; seed != 0 && k < 500; ++k) {
            const mpq_class a(random.bounded(1, 1000000));
            const mpq_class b(random.bounded(1, 1000));
            checked.push_back(a / b);
            checked.push_back(-a * b / 1024);
        }
        constexpr int kDigits = 44;
        for (const mpq_class& value : checked) {
            const DecimalDigits digits = roundedToSignificant(value, kDigits);
            QVERIFY(digits.digits.size() <= std::size_t(kDigits));
            const mpq_class rounded = fractionFrom(digits);
            mpq_class unit(1);
            for (int k = digits.exponent - kDigits; k > 0; --k)
                unit *= 10;
            for (int k = digits.exponent - kDigits; k < 0; ++k)
                unit /= 10;
            const mpq_class off = abs(value - rounded);
            QVERIFY2(off * 2 <= unit, digits.digits.c_str());
            if (off * 2 == unit)
                QVERIFY(abs(rounded) > abs(value));
        }
    }

    void formats_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("shown");
        const int twoDecimals = int(NumberFormat::TwoDecimals);
        const int twoDecimalsCurrency = int(NumberFormat::TwoDecimalsCurrency);
        const int whole = int(NumberFormat::Whole);
        const int wholeCurrency = int(NumberFormat::WholeCurrency);
        QTest::newRow("four digits grouped") << "1234.5" << twoDecimals << ""
                                             << "1.234,50";
        QTest::newRow("0.125 rounds up") << "0.125" << twoDecimals << ""
                                         << "0,13";
        QTest::newRow("sum of both") << "1234.625" << twoDecimals << ""
                                     << "1.234,63";
        QTest::newRow("1.005 rounds on the decimal value") << "1.005" << twoDecimals << ""
                                                           << "1,01";
        QTest::newRow("carry through the groups") << "999999.995" << twoDecimals << ""
                                                  << "1.000.000,00";
        QTest::newRow("negative") << "-1234567.891" << twoDecimals << ""
                                  << "-1.234.567,89";
        QTest::newRow("rounds to zero without sign") << "-0.001" << twoDecimals << ""
                                                     << "0,00";
        QTest::newRow("zero") << "" << twoDecimals << ""
                              << "0,00";
        QTest::newRow("ERROR shows zero") << "ERROR" << twoDecimals << ""
                                          << "0,00";
        QTest::newRow("1E+20 in full") << "1E+20" << twoDecimals << ""
                                       << "100.000.000.000.000.000.000,00";
        QTest::newRow("small fraction") << "0.05" << twoDecimals << ""
                                        << "0,05";
        QTest::newRow("currency") << "1234.5" << twoDecimalsCurrency << "€"
                                  << "1.234,50 €";
        QTest::newRow("Z on 2.5") << "2.5" << whole << ""
                                  << "3";
        QTest::newRow("Z on -2.5") << "-2.5" << whole << ""
                                   << "-3";
        QTest::newRow("Z on 0.4") << "0.4" << whole << ""
                                  << "0";
        QTest::newRow("Z grouped") << "1234.5" << whole << ""
                                   << "1.235";
        QTest::newRow("Z$") << "1234.5" << wholeCurrency << "€"
                            << "1.235 €";
        QTest::newRow("Z$ without symbol ends in a blank") << "7" << wholeCurrency << ""
                                                           << "7 ";
        QTest::newRow("pattern character as symbol") << "7" << wholeCurrency << "#"
                                                     << "7 #";
        QTest::newRow("beyond the double range") << "1E+400" << whole << ""
                                                 << "ERROR";
    }
    void formats() {
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(QString, symbol);
        QFETCH(QString, shown);
        QCOMPARE(formatText(text, NumberFormat(mode), kSpanish, symbol), shown);
    }

    void separatorsComeFromTheLocale() {
        const Separators spanish = Separators::of(QLocale(QLocale::Spanish, QLocale::Spain));
        QCOMPARE(spanish.decimal, QStringLiteral(","));
        QCOMPARE(spanish.group, QStringLiteral("."));
        // The C locale has a group separator but no grouping of its own; we group anyway.
        const Separators c = Separators::of(QLocale::c());
        QCOMPARE(formatText(QStringLiteral("1234.5"), NumberFormat::TwoDecimals, c, QString()),
                 QStringLiteral("1,234.50"));
    }

    // Numbers copied from elsewhere, read in a Spanish and an English locale ("-" = not a number).
    void pastedNumbers_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("spanish");
        QTest::addColumn<QString>("english");
        const auto row = [](const char* field, const char* spanish, const char* english) {
            QTest::newRow(field) << QString::fromUtf8(field) << QString::fromUtf8(spanish)
                                 << QString::fromUtf8(english);
        };
        row("1.234,50", "1234.50", "1234.50");
        row("1,234.50", "1234.50", "1234.50");
        row("1234.5", "1234.5", "1234.5");
        row("1234,5", "1234.5", "1234.5");
        row("1.234", "1234", "1.234");
        row("1,234", "1.234", "1234");
        row("0,125", "0.125", "0.125");
        row("1234.567", "1234.567", "1234.567");
        row("1.234.567", "1234567", "1234567");
        row("1,234,567.8", "1234567.8", "1234567.8");
        row("1 234,50", "1234.50", "1234.50");
        row("1 234,50 €", "1234.50", "1234.50");
        row("-12,50", "-12.50", "-12.50");
        row("12,50-", "-12.50", "-12.50");
        row("(12,00)", "-12.00", "-12.00");
        row("− 7", "-7", "-7");
        row("  € 1.000,00  ", "1000.00", "1000.00");
        row("$(1,000.00)", "-1000.00", "-1000.00");
        row("-$5", "-5", "-5");
        row("EUR 12,5", "12.5", "12.5");
        row("+3", "3", "3");
        row(",5", "0.5", "0.5");
        row("1,5E+20", "1.5E+20", "1.5E+20");
        row("1.23.4", "-", "-");
        row("12,34,56", "-", "-");
        row("1.234.5", "-", "-");
        row("--5", "-", "-");
        row("(-5)", "-", "-");
        row("Importe", "-", "-");
        row("Alquiler 2024", "-", "-");
        row("12 abc", "-", "-");
        row("", "-", "-");
    }
    void pastedNumbers() {
        QFETCH(QString, field);
        QFETCH(QString, spanish);
        QFETCH(QString, english);
        QCOMPARE(readPastedNumber(field, kSpanish).value_or(QStringLiteral("-")), spanish);
        QCOMPARE(readPastedNumber(field, kEnglish).value_or(QStringLiteral("-")), english);
    }

    // Whole texts pasted under the Spanish locale: numbers read and lines without one.
    void pastedColumns_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<int>("withoutNumber");
        QTest::newRow("our own tape") << "1\t\t12,5\n2\tMAS\t3\n3\tPOR\t-2\n\tTotal\t31\n"
                                      << QStringList{"12.5", "3", "-2"} << 0;
        QTest::newRow("our own tape, a row without number")
            << "1\t\t12,5\r\n2\tMAS\tERROR\r\n\tTotal\tERROR\r\n"
            << QStringList{"12.5"} << 1;
        QTest::newRow("three columns of numbers") << "1\t2\t3\n2\t4\t5\n"
                                                  << QStringList{"1", "2", "3", "2", "4", "5"} << 0;
        QTest::newRow("an English column") << "1,234.56\n1.500\n" << QStringList{"1234.56", "1.500"} << 0;
        QTest::newRow("a Spanish column") << "1.234,56\n1.500\n" << QStringList{"1234.56", "1500"} << 0;
        QTest::newRow("a column of both ways goes by the locale") << "1,5\n2.25\n1.500\n"
                                                                  << QStringList{"1.5", "2.25", "1500"} << 0;
        QTest::newRow("each column its own way") << "1.500\t1,25\n2,000.5\t1.500\n"
                                                 << QStringList{"1.500", "1.25", "2000.5", "1500"} << 0;
    }
    void pastedColumns() {
        QFETCH(QString, text);
        QFETCH(QStringList, numbers);
        QFETCH(int, withoutNumber);
        const PastedNumbers pasted = readPastedNumbers(text, kSpanish);
        QCOMPARE(pasted.numbers, numbers);
        QCOMPARE(pasted.linesWithoutNumber, withoutNumber);
    }

    void pastedLinesAndFields() {
        const PastedNumbers pasted = readPastedNumbers(
            QStringLiteral("Fecha\tConcepto\tImporte\r\n1/3\tLuz\t-45,20\r\n\r\nTotal\r\n3;4,5\n7\rnada\n"),
            kSpanish);
        QCOMPARE(pasted.numbers, QStringList({"-45.20", "3", "4.5", "7"}));
        QCOMPARE(pasted.linesWithoutNumber, 3);
    }

    void copiedResultIsAPlainLocaleNumber() {
        QCOMPARE(plainNumber(QStringLiteral("1234.63"), kSpanish), QStringLiteral("1234,63"));
        QCOMPARE(plainNumber(QStringLiteral("-1234.63"), kEnglish), QStringLiteral("-1234.63"));
    }
};

QTEST_GUILESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
