#include "common/ui/qtdesktopservices.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class QtDesktopServicesTest : public QObject {
    Q_OBJECT

private slots:
    void writesPdfOrSaysItDidNot() {
        QTemporaryDir dir;
        common::QtDesktopServices desktop;
        const QFont font(QStringLiteral("Courier New"), 12);
        const QString pdf = dir.filePath(QStringLiteral("cuenta.pdf"));
        QVERIFY(desktop.printTextToPdf(QStringLiteral("\n 1 )   7\n"), font, pdf));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        const QString nowhere = dir.filePath(QStringLiteral("no/existe/cuenta.pdf"));
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        QVERIFY(!desktop.printTextToPdf(QStringLiteral("7"), font, nowhere));
        QVERIFY(!QFileInfo::exists(nowhere));
    }
};

QTEST_MAIN(QtDesktopServicesTest)
#include "tst_qtdesktopservices.moc"
