// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/calendar/agendaabout.h"
#include "agenda/ui/controls.h"
#include "calculator/core/calculatorabout.h"
#include "calculator/ui/calculatorpictures.h"
#include "common/about.h"
#include "common/datafolderchoice.h"
#include "common/ui/icons.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTest>

namespace {

const QDir kData(QStringLiteral(QUINDARA_SOURCE_DIR "/data"));

QStringList annualKeysOfALeapYear() {
    static const char* const months[] = {"ENERO",      "FEBRERO", "MARZO",     "ABRIL",
                                         "MAYO",       "JUNIO",   "JULIO",     "AGOSTO",
                                         "SEPTIEMBRE", "OCTUBRE", "NOVIEMBRE", "DICIEMBRE"};
    static const int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    QStringList keys;
    for (int month = 0; month < 12; ++month)
        for (int day = 1; day <= lengths[month]; ++day)
            keys.append(QStringLiteral("%1 de %2").arg(day).arg(QLatin1StringView(months[month])));
    return keys;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Shipped text files: UTF-8 without a byte-order mark, every line ended by CR LF.
void checkShippedText(const QByteArray& bytes) {
    QVERIFY(!bytes.isEmpty());
    QVERIFY2(!bytes.startsWith("\xEF\xBB\xBF"), "byte-order mark");
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    QVERIFY2(!decoder.hasError(), "not valid UTF-8");
    QVERIFY2(bytes.endsWith("\r\n"), "last line without CR LF");
    QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
}

QStringList shippedLines(const QString& relativePath) {
    QString text = QString::fromUtf8(fileBytes(kData.filePath(relativePath)));
    text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

bool hasVisiblePixel(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

} // namespace

class ShippedTreeTest : public QObject {
    Q_OBJECT

private slots:
    void saintsFolderHoldsExactlyOneFilePerDayOfALeapYear() {
        QStringList expected;
        for (const QString& key : annualKeysOfALeapYear())
            expected.append(key + QStringLiteral(".txt"));
        QStringList present = QDir(kData.filePath(QStringLiteral("santoral")))
                                  .entryList({QStringLiteral("*.txt")}, QDir::Files);
        expected.sort();
        present.sort();
        QCOMPARE(present.size(), 366);
        QCOMPARE(present, expected);
    }

    void saintsFileIsOneLineOfNames_data() {
        QTest::addColumn<QString>("key");
        for (const QString& key : annualKeysOfALeapYear())
            QTest::newRow(qPrintable(key)) << key;
    }
    void saintsFileIsOneLineOfNames() {
        QFETCH(QString, key);
        const QByteArray bytes =
            fileBytes(kData.filePath(QStringLiteral("santoral/") + key + QStringLiteral(".txt")));
        checkShippedText(bytes);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(bytes.count("\r\n"), 1);
        QVERIFY(QString::fromUtf8(bytes).trimmed().size() > 5);
    }

    void configurationFileHasItsLines_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::newRow("operation names") << QStringLiteral("inicio.txt") << 12 << 12;
        QTest::newRow("help texts") << QStringLiteral("ayuda.txt") << 12 << 12;
        QTest::newRow("currency") << QStringLiteral("moneda.txt") << 1 << 1000;
    }
    void configurationFileHasItsLines() {
        QFETCH(QString, file);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        const QString path = QStringLiteral("tallimo/configuracion/") + file;
        checkShippedText(fileBytes(kData.filePath(path)));
        if (QTest::currentTestFailed())
            return;
        const QStringList lines = shippedLines(path);
        QVERIFY(lines.size() >= minimum);
        QVERIFY(lines.size() <= maximum);
        for (const QString& line : lines)
            QVERIFY(!line.trimmed().isEmpty());
    }

    // The log writes a name from column 6 and ends the value in column 26: a name of at most 15
    // characters keeps a value of six characters (999999, 1234.5) on the same line.
    void operationNamesLeaveRoomForTheValueInTheLog() {
        for (const QString& name : shippedLines(QStringLiteral("tallimo/configuracion/inicio.txt")))
            QVERIFY2(name.size() <= 15, qPrintable(name));
    }

    // Both files are read by position: a help text in the wrong line would describe another key.
    void helpTextOfEachKeyNamesItsOperation() {
        const QStringList names = shippedLines(QStringLiteral("tallimo/configuracion/inicio.txt"));
        const QStringList help = shippedLines(QStringLiteral("tallimo/configuracion/ayuda.txt"));
        QCOMPARE(help.size(), names.size());
        for (int k = 0; k < names.size(); ++k)
            QVERIFY2(help[k].startsWith(names[k] + u':'), qPrintable(help[k]));
    }

    void currencyIsTheEuroSign() {
        QCOMPARE(shippedLines(QStringLiteral("tallimo/configuracion/moneda.txt")).constFirst().left(1),
                 QStringLiteral("€"));
    }

    void backgroundPictureLoadsAtTheOverviewSize() {
        QImageReader reader(kData.filePath(QStringLiteral("fondo.jpg")));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage picture = reader.read();
        QVERIFY2(!picture.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(picture.size(), QSize(764, 697));
    }

    void iconRendersVisiblyAt32Pixels_data() {
        QTest::addColumn<QString>("drawing");
        for (const QString& drawing : common::allDrawingNames())
            QTest::newRow(qPrintable(drawing)) << drawing;
    }
    void iconRendersVisiblyAt32Pixels() {
        QFETCH(QString, drawing);
        const QPixmap pixmap = common::iconPixmap(drawing, QSize(32, 32));
        QCOMPARE(pixmap.size(), QSize(32, 32));
        QVERIFY(hasVisiblePixel(pixmap.toImage()));
        QVERIFY(!common::iconFor(drawing).pixmap(QSize(32, 32)).isNull());
    }

    // Each program names its drawings in a list of its own: a misspelt name would show an empty button.
    void everyPictureOfBothProgramsHasItsDrawing() {
        QSet<QString> used;
        for (int picture = 0; picture < quindara::kPictureCount; ++picture)
            used.insert(quindara::drawingName(quindara::Picture(picture)));
        used.insert(QStringLiteral("decorative-strip"));
        for (tallimo::Picture picture : tallimo::allPictures())
            used.insert(tallimo::drawingName(picture));
        const QStringList drawings = common::allDrawingNames();
        QCOMPARE(used, QSet<QString>(drawings.begin(), drawings.end()));
    }

    void iconPixmapHonoursTheDevicePixelRatio() {
        const QPixmap pixmap = common::iconPixmap(QStringLiteral("calculator"), QSize(25, 25), 2.0);
        QCOMPARE(pixmap.size(), QSize(50, 50));
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(25, 25));
    }

    // Label5(0) is Arial 27.75 pt bold, the other four Arial 12 pt; all 4095 twips (273 px) wide.
    void calculatorAboutCaptionsFitTheirLabels() {
        const QStringList lines = tallimo::aboutLines();
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("TALLIMO"));
        // F1 adds the calculator's own version, the title's, once.
        const QString version = common::programVersion(common::Program::Calculator);
        const QString shown = common::aboutText(lines, version, QStringLiteral("/datos"));
        QCOMPARE(shown.count(QRegularExpression(QStringLiteral("(?<![\\w.-])\\d+\\.\\d+"))), 1);
        QVERIFY2(shown.contains(QStringLiteral("Versión ") + version), qPrintable(shown));
        for (int k = 0; k < lines.size(); ++k) {
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(k == 0 ? 37 : 16);
            font.setBold(k == 0);
            QVERIFY2(QFontMetrics(font).horizontalAdvance(lines[k]) <= 273, qPrintable(lines[k]));
        }
    }

    void agendaAboutNamesProgramProjectAndLicence() {
        const QString text = quindara::aboutLines().join(QLatin1Char('\n'));
        QVERIFY(text.startsWith(QStringLiteral("QUINDARA")));
        QVERIFY(text.contains(common::projectWebAddress()));
        QVERIFY(text.contains(QStringLiteral("GPL-3.0")));
        QVERIFY(text.contains(QStringLiteral("2026")));
        // F1 shows the version, from the project's version, with the folder in use.
        const QString shown =
            common::aboutText(quindara::aboutLines(), common::programVersion(common::Program::Agenda),
                              QStringLiteral("/datos"));
        QVERIFY2(shown.contains(QStringLiteral("Versión ") + common::projectVersion()), qPrintable(shown));
        QVERIFY(!common::projectVersion().isEmpty());
        QVERIFY(shown.endsWith(QStringLiteral("Carpeta de datos: /datos")));
    }
};

QTEST_MAIN(ShippedTreeTest)
#include "tst_shippedtree.moc"
