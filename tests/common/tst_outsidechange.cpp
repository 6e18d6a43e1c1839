// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/outsidechange.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

const QDateTime kOtherTime(QDate(2026, 12, 7), QTime(10, 15));

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Puts back the time stamp a file had, as a coarse clock or a sync tool restoring times would.
void setModified(const QString& path, qint64 modifiedNs) {
    const timespec times[2] = {{0, UTIME_OMIT},
                               {time_t(modifiedNs / 1'000'000'000), long(modifiedNs % 1'000'000'000)}};
    if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) != 0)
        qFatal("cannot set the time of %s", qPrintable(path));
}

} // namespace

class OutsideChangeTest : public QObject {
    Q_OBJECT

private slots:
    // "{separator}" stands for the line between the two texts.
    void answerLeavesTheRightText_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("mine");
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("oneLine");
        QTest::addColumn<QString>("stored"); // "-": nothing written, the other stays
        QTest::newRow("keep both: the other first")
            << 0 << "mío"
            << "suyo\nlínea" << false << "suyo\nlínea\n{separator}\nmío";
        QTest::newRow("keep both, other removed") << 0 << "mío"
                                                  << "" << false << "mío";
        QTest::newRow("keep both, mine emptied") << 0 << ""
                                                 << "suyo" << false << "suyo";
        QTest::newRow("keep both, same text") << 0 << "igual"
                                              << "igual" << false << "igual";
        QTest::newRow("keep both, the other's lines already kept")
            << 0 << "suyo\n{separator}\nmío"
            << "suyo" << false << "suyo\n{separator}\nmío";
        QTest::newRow("keep both, a part of a line is no line")
            << 0 << "suyo y más"
            << "suyo" << false << "suyo\n{separator}\nsuyo y más";
        QTest::newRow("keep both on one line") << 0 << "mío"
                                               << "suyo" << true << "suyo / mío";
        QTest::newRow("keep both on one line, equal value once")
            << 0 << "600111222 / 987000000"
            << "600111222 " << true << "600111222 / 987000000";
        QTest::newRow("keep both on one line, a shared part once") << 0 << "B / C"
                                                                   << "A / B" << true << "A / B / C";
        QTest::newRow("use mine") << 1 << "mío"
                                  << "suyo" << false << "mío";
        QTest::newRow("use the other") << 2 << "mío"
                                       << "suyo" << false << "-";
    }
    void answerLeavesTheRightText() {
        QFETCH(int, choice);
        QFETCH(QString, mine);
        QFETCH(QString, other);
        QFETCH(bool, oneLine);
        QFETCH(QString, stored);
        const QString separator = common::keptBothSeparator(kOtherTime);
        mine.replace(QStringLiteral("{separator}"), separator);
        const auto result =
            common::resolveOutsideChange(static_cast<common::OutsideChoice>(choice), mine, other, kOtherTime,
                                         oneLine ? common::TextShape::OneLine : common::TextShape::Lines);
        QCOMPARE(result.value_or(QStringLiteral("-")),
                 stored.replace(QStringLiteral("{separator}"), separator));
        QVERIFY(common::keptBothSeparator(kOtherTime).contains(QStringLiteral("07/12/2026 10:15")));
        // A conflict copy may be either machine's version: its line claims neither is this machine's.
        QVERIFY(common::conflictCopySeparator(kOtherTime).contains(QStringLiteral("07/12/2026 10:15")));
        QVERIFY(!common::conflictCopySeparator(kOtherTime).contains(QStringLiteral("equipo")));
    }

    // The question agrees with what changed: "lo" for "el día", "la" for "la fiesta".
    void questionAgreesWithWhatChanged_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("starts");
        QTest::newRow("day note") << "el día MIÉRCOLES, 5 de ENERO de 2011"
                                  << "Mientras lo editaba, el día MIÉRCOLES";
        QTest::newRow("holiday") << "la fiesta del 5 de ENERO de 2011"
                                 << "Mientras la editaba, la fiesta del 5";
        QTest::newRow("contact") << "el contacto García"
                                 << "Mientras lo editaba, el contacto García";
    }
    void questionAgreesWithWhatChanged() {
        QFETCH(QString, what);
        QFETCH(QString, starts);
        const QString question = common::outsideChangeQuestion(what, kOtherTime);
        QVERIFY2(question.startsWith(starts), qPrintable(question));
    }

    // A same-size rewrite under the old time stamp is still a change; a touch that keeps the bytes is not.
    void changeIsTheBytesNotTheTime() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("5 de ENERO.txt"));
        QVERIFY(!common::changedSince(common::FileVersion::at(path), QFile::encodeName(path)));
        writeFile(path, "uno");
        const common::FileVersion loaded = common::FileVersion::at(path);
        QVERIFY(loaded.exists);
        QVERIFY(!common::changedSince(loaded, QFile::encodeName(path)));

        writeFile(path, "dos");
        setModified(path, loaded.modifiedNs);
        QVERIFY(common::changedSince(loaded, QFile::encodeName(path)));

        writeFile(path, "uno");
        setModified(path, loaded.modifiedNs + 5'000'000'000LL);
        QVERIFY(!common::changedSince(loaded, QFile::encodeName(path)));

        QVERIFY(QFile::remove(path));
        QVERIFY(common::changedSince(loaded, QFile::encodeName(path)));
    }
};

QTEST_GUILESS_MAIN(OutsideChangeTest)
#include "tst_outsidechange.moc"
