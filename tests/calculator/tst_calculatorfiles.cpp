// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/calculatorfolder.h"
#include "calculator/core/configuration.h"
#include "calculator/core/displayformat.h"
#include "calculator/core/operationlog.h"
#include "calculator/core/operations.h"
#include "calculator/core/tape.h"
#include "common/textfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tallimo;

namespace {

const QStringList kNames{"NAME0", "NAME1", "NAME2", "NAME3",  "NAME4",  "NAME5", "NAME6",
                         "NAME7", "NAME8", "NAME9", "NAME10", "NAME11", ""};

QString blanks(int count) {
    return QString(count, u' ');
}

// The log as lines, the writer's final line end left out.
QStringList logLines(const Tape& tape, LogMode mode, const QString& total) {
    return operationLogText(tape, mode, total, kNames).split(u'\n');
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QVERIFY(common::writeBytes(path, bytes));
}

} // namespace

class CalculatorFilesTest : public QObject {
    Q_OBJECT

private slots:
    void logOfTheExampleTapeByteForByte() {
        Tape tape;
        tape.setText(0, QStringLiteral("12.5"));
        tape.setText(tape.addRow(operation::Add), QStringLiteral("3"));
        tape.setText(tape.addRow(operation::Multiply), QStringLiteral("2"));
        tape.includeAllRows();
        const QString total = tape.recalculate();
        QCOMPARE(total, QStringLiteral("31"));

        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("operacion.txt"));
        QVERIFY(common::writeText(path, operationLogText(tape, LogMode::Entry, total, kNames),
                                  common::Ending::Line));
        QCOMPARE(*common::readBytes(path),
                 *common::readBytes(QStringLiteral(QUINDARA_TEST_DATA "/calculator/operacion-ejemplo.txt")));
    }

    void logOfOneRow() {
        Tape tape;
        tape.setText(0, QStringLiteral("7"));
        QCOMPARE(logLines(tape, LogMode::Entry, QStringLiteral("7")),
                 QStringList({"", " 1 )" + blanks(21) + "7", "", QString(30, u'-'), blanks(25) + "7"}));
    }

    void logValueColumns_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("22 characters fit after the row number")
            << QString(20, u'1') + ".5" << QStringList{" 1 )" + QString(20, u'1') + ".5"};
        QTest::newRow("23 characters go to the next line")
            << QString(21, u'2') + ".5" << QStringList{" 1 )", blanks(3) + QString(21, u'2') + ".5"};
        QTest::newRow("decimals end where whole numbers end")
            << "12.50" << QStringList{" 1 )" + blanks(17) + "12.50"};
        QTest::newRow("30 digits start in column 1")
            << QString(30, u'3') << QStringList{" 1 )", QString(30, u'3')};
        QTest::newRow("empty row pads to column 27") << QString() << QStringList{" 1 )" + blanks(22)};
    }
    void logValueColumns() {
        QFETCH(QString, value);
        QFETCH(QStringList, lines);
        Tape tape;
        tape.setText(0, value);
        const QStringList log = logLines(tape, LogMode::Entry, QStringLiteral("0"));
        QCOMPARE(log.mid(1, lines.size()), lines);
        QCOMPARE(log.at(lines.size() + 1), QString());
    }

    void logRowNumbersOfThreeDigits() {
        Tape tape;
        for (int i = 1; i < 100; ++i)
            tape.setText(tape.addRow(operation::Subtract), QStringLiteral("1"));
        tape.setText(tape.addRow(operation::Add), QStringLiteral("2.25"));
        const QStringList log = logLines(tape, LogMode::Entry, QStringLiteral("1"));
        QCOMPARE(log.at(99), " 99 )NAME1" + blanks(15) + "1");
        QCOMPARE(log.at(100), QStringLiteral(" 100 )"));
        QCOMPARE(log.at(101), blanks(5) + "NAME1" + blanks(15) + "1");
        QCOMPARE(log.at(102), QStringLiteral(" 101 )"));
        QCOMPARE(log.at(103), blanks(5) + "NAME0" + blanks(12) + "2.25");
    }

    void logTotals_data() {
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("line");
        QTest::newRow("ERROR ends in column 26") << "ERROR" << blanks(21) + "ERROR";
        QTest::newRow("decimal total ends in column 26")
            << "0.333333333333333" << blanks(9) + "0.333333333333333";
        QTest::newRow("a comma total ends in column 26 too") << "12,5" << blanks(22) + "12,5";
    }
    void logTotals() {
        QFETCH(QString, total);
        QFETCH(QString, line);
        QCOMPARE(logLines(Tape(), LogMode::Entry, total).constLast(), line);
    }

    void logInFormattedMode() {
        const Separators spanish{QStringLiteral(","), QStringLiteral(".")};
        Tape tape;
        tape.setText(0, QStringLiteral("1234.5"));
        tape.setText(tape.addRow(operation::Add), QStringLiteral("0.125"));
        tape.includeAllRows();
        const QString result = tape.recalculate();
        for (int i = 0; i <= tape.currentRow(); ++i)
            tape.setFormatted(i, formatText(tape.text(i), NumberFormat::TwoDecimalsCurrency, spanish, "€"));
        const QString total = formatText(result, NumberFormat::TwoDecimalsCurrency, spanish, "€");
        QCOMPARE(logLines(tape, LogMode::Formatted, total),
                 QStringList({"", " 1 )" + blanks(12) + "1.234,50 €", " 2 ) NAME0" + blanks(10) + "0,13 €",
                              "", QString(30, u'-'), blanks(16) + "1.234,63 €"}));
    }

    void configurationFiles() {
        QTemporaryDir folder;
        const CalculatorFolder paths(folder.path());
        QByteArray names;
        for (int k = 0; k < 14; ++k)
            names += "nombre " + QByteArray::number(k) + "\r\n";
        writeFile(paths.startFile(), names);
        writeFile(paths.helpFile(), "uno\rdos\rtres\rcuatro\rquinto\r");
        writeFile(paths.currencyFile(), "EUR\r\n");

        const CalculatorConfiguration configuration = readConfiguration(paths);
        QCOMPARE(configuration.operationNames.size(), 13);
        QCOMPARE(configuration.operationNames.at(11), QStringLiteral("nombre 11"));
        QCOMPARE(configuration.operationNames.at(12), QString());
        QCOMPARE(configuration.helpTexts.mid(3),
                 QStringList({"cuatro", "quinto", "quinto", "quinto", "quinto", "quinto", "quinto", "quinto",
                              "quinto"}));
        QCOMPARE(configuration.lastHelpText, QStringLiteral("quinto"));
        QCOMPARE(configuration.currencySymbol, QStringLiteral("E"));
    }

    void foldersFoundInAnyCase() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("CONFIGURACION")));
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("Operaciones")));
        writeFile(folder.filePath(QStringLiteral("CONFIGURACION/Moneda.txt")), "$\r\n");
        const CalculatorFolder paths(folder.path());
        QVERIFY(paths.createMissingFolders());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({QStringLiteral("CONFIGURACION"), QStringLiteral("Operaciones")}));
        QCOMPARE(readConfiguration(paths).currencySymbol, QStringLiteral("$"));
        QCOMPARE(paths.savedLog(QStringLiteral("x")), folder.filePath(QStringLiteral("Operaciones/x")));
    }

    void missingConfigurationLeavesEmptyTexts() {
        QTemporaryDir folder;
        const CalculatorConfiguration configuration = readConfiguration(CalculatorFolder(folder.path()));
        QCOMPARE(configuration.operationNames, QStringList(13, QString()));
        QCOMPARE(configuration.helpTexts, QStringList(12, QString()));
        QCOMPARE(configuration.currencySymbol, QString());
    }

    void currencySymbol_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("UTF-8 euro") << QByteArray("\xe2\x82\xac") << "€";
        QTest::newRow("Windows-1252 euro") << QByteArray("\x80 euros") << "€";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("line break first") << QByteArray("\r\n$") << "";
        QTest::newRow("outside the basic plane") << QByteArray("\xf0\x9f\x92\xb0") << "\U0001F4B0";
    }
    void currencySymbol() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, symbol);
        QTemporaryDir folder;
        const CalculatorFolder paths(folder.path());
        writeFile(paths.currencyFile(), bytes);
        QCOMPARE(readConfiguration(paths).currencySymbol, symbol);
    }
};

QTEST_GUILESS_MAIN(CalculatorFilesTest)
#include "tst_calculatorfiles.moc"
