// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/application.h"
#include "common/ui/qtdesktopservices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class QtDesktopServicesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(config_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
    }

    // The file dialog's history does not outlive the program: nothing lands in the user's configuration.
    void fileDialogLeavesNoSettingsBehind() {
        {
            common::QtDesktopServices desktop;
            QTimer cancel;
            cancel.setInterval(10);
            connect(&cancel, &QTimer::timeout, this, [&cancel] {
                if (QWidget* dialog = QApplication::activeModalWidget()) {
                    cancel.stop();
                    QTest::keyClick(dialog, Qt::Key_Escape);
                }
            });
            cancel.start();
            QCOMPARE(desktop.askOpenFile(QStringLiteral("Abrir"), config_.path(), QString()), QString());
        }
        QCOMPARE(QDir(config_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

    // Enter gives the answer the caller chose as the safe one.
    void enterGivesTheDefaultAnswer_data() {
        QTest::addColumn<bool>("defaultNo");
        QTest::newRow("default no") << true;
        QTest::newRow("default yes") << false;
    }
    void enterGivesTheDefaultAnswer() {
        QFETCH(bool, defaultNo);
        common::QtDesktopServices desktop;
        QTimer enter;
        enter.setInterval(10);
        connect(&enter, &QTimer::timeout, this, [&enter] {
            if (QWidget* question = QApplication::activeModalWidget()) {
                enter.stop();
                QTest::keyClick(question, Qt::Key_Return);
            }
        });
        enter.start();
        const bool yes = desktop.askYesNo(QStringLiteral("¿Salir sin guardar?"), QString(),
                                          defaultNo ? common::DefaultAnswer::No : common::DefaultAnswer::Yes);
        QCOMPARE(yes, !defaultNo);
    }

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

    // What the desktop's opener answers is what the caller hears: a folder nothing can open is told.
    void openerAnswerReachesTheCaller_data() {
        QTest::addColumn<QString>("opener");
        QTest::newRow("a program took it") << QStringLiteral("true");
        QTest::newRow("nothing can open it") << QStringLiteral("false");
    }
    void openerAnswerReachesTheCaller() {
        QFETCH(QString, opener);
        QTemporaryDir bin;
        QVERIFY(
            QFile::link(QStandardPaths::findExecutable(opener), bin.filePath(QStringLiteral("xdg-open"))));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        const bool opened = opener == QLatin1String("true");
        for (int call = 0; call < 2 && !opened; ++call)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not open")));
        common::QtDesktopServices desktop;
        const bool folderOpened = desktop.openFolder(bin.path());
        const bool linkOpened = desktop.openUrl(QUrl(QStringLiteral("mailto:ana@example.com")));
        qputenv("PATH", path);
        QCOMPARE(folderOpened, opened);
        QCOMPARE(linkOpened, opened);
    }

    // Qt's own dialogs speak Spanish whatever the system's language, with the programs' words and dates.
    void standardDialogsSpeakSpanish() {
        const std::unique_ptr<QTranslator> translator =
            common::installSpanishTranslation(*QCoreApplication::instance());
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancelar"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?"),
                 QStringLiteral("El archivo %1 ya existe.\n¿Desea reemplazarlo?"));
        QCOMPARE(QLocale().toString(QDate(2026, 12, 9), QStringLiteral("d 'de' MMMM")),
                 QStringLiteral("9 de diciembre"));
        QLocale::setDefault(QLocale::c());
    }

private:
    QTemporaryDir config_;
};

QTEST_MAIN(QtDesktopServicesTest)
#include "tst_qtdesktopservices.moc"
