// SPDX-License-Identifier: GPL-3.0-or-later
#include "agendafixture.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/week.h"
#include "common/textfile.h"
#include "tests/support/timing.h"

#include <QClipboard>
#include <QGuiApplication>

#include <unistd.h>

using namespace quindara;

namespace {

QByteArray zoned(const QString& text) {
    return common::encodeText(text, common::Ending::Zoned);
}

QString note(const QString& key) {
    return QStringLiteral("dias/") + key + QStringLiteral(".txt");
}

// The main window shown and active, so the focus moves as it does for a user.
struct EditingFixture : AgendaFixture {
    using AgendaFixture::AgendaFixture;

    // Opens the window over the files written so far.
    void start() {
        open();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the agenda window did not become active");
    }

    QPlainTextEdit* box(const QString& name) const { return find<QPlainTextEdit>(name); }
    // Clicks into a text box and types, as a user does.
    void typeInto(const QString& name, const QString& typed) const {
        QPlainTextEdit* target = box(name);
        QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        target->moveCursor(QTextCursor::End);
        QTest::keyClicks(target, typed);
    }
    void emptyBox(const QString& name) const {
        QPlainTextEdit* target = box(name);
        QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        target->selectAll();
        QTest::keyClick(target, Qt::Key_Delete);
    }
    [[nodiscard]] bool chooseEntry(const QString& list, int row) const {
        auto* widget = find<QListView>(list);
        if (row >= widget->model()->rowCount())
            return false;
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {},
                          widget->visualRect(widget->model()->index(row, 0)).center());
        return true;
    }
    QString path(const QString& relative) const { return QDir(programFolder).filePath(relative); }
    QByteArray exported() const { return readFile(QStringLiteral("texto.txt")); }
    // A folder of the data tree turned into a plain file, so every write into it fails.
    void blockFolder(const QString& relative) const {
        QDir(path(relative)).removeRecursively();
        writeFile(relative, "no soy una carpeta");
    }
};

const QString kWednesday5 = QStringLiteral("MIÉRCOLES, 5 de ENERO de 2011");
const QString kFriday7 = QStringLiteral("VIERNES, 7 de ENERO de 2011");

} // namespace

class DayEditingTest : public QObject {
    Q_OBJECT

private slots:
    void noteTravelsBetweenDayAndWeekPages() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        fx.typeInto(QStringLiteral("Text1"), QStringLiteral("Dentista"));
        QVERIFY(fx.click(QStringLiteral("Command6_1")));
        QCOMPARE(fx.readFile(note(kWednesday5)), zoned(QStringLiteral("Dentista")));
        QCOMPARE(fx.text(QStringLiteral("Label3_2")), kWednesday5);
        QCOMPARE(fx.text(QStringLiteral("Text2_2")), QStringLiteral("Dentista"));

        fx.typeInto(QStringLiteral("Text2_4"), QStringLiteral("Cena"));
        QVERIFY(fx.clickDay(7));
        QCOMPARE(fx.readFile(note(kFriday7)), zoned(QStringLiteral("Cena")));
        QCOMPARE(fx.text(QStringLiteral("Text1")), QStringLiteral("Cena"));
        QVERIFY(fx.desktop.messages.isEmpty());
    }

    // The first and last weeks reach days outside 1901-2100: shown locked, and nothing is written there.
    void daysOutsideTheYearsAreLocked_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("outside");
        QTest::newRow("Monday 31 December 1900") << QDate(1901, 1, 1) << 0;
        QTest::newRow("Sunday 2 January 2101") << QDate(2100, 12, 31) << 6;
    }
    void daysOutsideTheYearsAreLocked() {
        QFETCH(QDate, today);
        QFETCH(int, outside);
        EditingFixture fx(today);
        fx.start();
        QVERIFY(fx.click(QStringLiteral("Command6_1")));
        const QString box = QStringLiteral("Text2_%1").arg(outside);
        QCOMPARE(fx.text(QStringLiteral("Label3_%1").arg(outside)), dayNoteKey(weekOf(today)[outside]));
        QVERIFY(!fx.box(box)->isEnabled());
        fx.typeInto(box, QStringLiteral("fuera"));
        fx.box(box)->setPlainText(QStringLiteral("fuera"));
        fx.box(box)->document()->setModified(true);
        QVERIFY(fx.click(QStringLiteral("Command6_0")));
        QCOMPARE(QDir(fx.path(QStringLiteral("dias"))).entryList(QDir::Files), QStringList());
        QVERIFY(fx.desktop.messages.isEmpty());
    }

    void keyboardTypedNoteIsSavedAndStaysShown() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        QPlainTextEdit* text1 = fx.box(QStringLiteral("Text1"));
        text1->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(text1, QStringLiteral("sin raton"));
        QVERIFY(fx.click(QStringLiteral("Command6_2")));
        QCOMPARE(fx.readFile(note(kWednesday5)), zoned(QStringLiteral("sin raton")));
        // Leaving the box did not empty it: the day page still shows the note.
        QCOMPARE(fx.text(QStringLiteral("Text1")), QStringLiteral("sin raton"));
    }

    void visitingWithoutEditingWritesNothing() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(note(kFriday7), "sin relleno");
        fx.start();
        QVERIFY(fx.clickDay(7));
        fx.box(QStringLiteral("Text1"))->setFocus(Qt::MouseFocusReason);
        QVERIFY(fx.click(QStringLiteral("Command6_1")));
        fx.box(QStringLiteral("Text2_4"))->setFocus(Qt::MouseFocusReason);
        fx.box(QStringLiteral("Text2_0"))->setFocus(Qt::MouseFocusReason);
        QVERIFY(fx.click(QStringLiteral("Command6_0")));
        QCOMPARE(fx.readFile(note(kFriday7)), QByteArray("sin relleno"));
        QCOMPARE(QDir(fx.path(QStringLiteral("dias"))).entryList(QDir::Files).size(), 1);
    }

    void emptiedNoteStoresTheEmptyNoteOnEitherPage_data() {
        QTest::addColumn<bool>("onWeekPage");
        QTest::newRow("day page") << false;
        QTest::newRow("week page") << true;
    }
    void emptiedNoteStoresTheEmptyNoteOnEitherPage() {
        QFETCH(bool, onWeekPage);
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(note(kWednesday5), zoned(QStringLiteral("borrar")));
        fx.start();
        QVERIFY(fx.click(QStringLiteral("Command6_") + (onWeekPage ? u'1' : u'0')));
        fx.emptyBox(onWeekPage ? QStringLiteral("Text2_2") : QStringLiteral("Text1"));
        QVERIFY(fx.click(QStringLiteral("Command6_2")));
        QCOMPARE(fx.readFile(note(kWednesday5)), QByteArray(14, ' '));
        QCOMPARE(fx.text(QStringLiteral("Text3")), kWednesday5 + QStringLiteral(" \n \n \n"));
    }

    void summariesOfAMonthStartingOnSundayAndOfTheYear() {
        EditingFixture fx(QDate(2010, 8, 10));
        fx.writeFile(note(QStringLiteral("DOMINGO, 1 de AGOSTO de 2010")), zoned(QStringLiteral("Playa")));
        fx.writeFile(note(QStringLiteral("LUNES, 2 de AGOSTO de 2010")), "uno\r\ndos");
        fx.writeFile(note(QStringLiteral("VIERNES, 1 de ENERO de 2010")), zoned(QStringLiteral("Año nuevo")));
        fx.writeFile(note(QStringLiteral("SÁBADO, 1 de ENERO de 2011")), zoned(QStringLiteral("otro año")));
        fx.start();
        const QString august = QStringLiteral("DOMINGO, 1 de AGOSTO de 2010 \nPlaya \n \n"
                                              "LUNES, 2 de AGOSTO de 2010 \nuno\ndos \n \n");
        QVERIFY(fx.click(QStringLiteral("Command6_2")));
        QCOMPARE(fx.text(QStringLiteral("Text3")), august);
        QVERIFY(fx.click(QStringLiteral("Command6_3")));
        QCOMPARE(fx.text(QStringLiteral("Text5")),
                 QStringLiteral("VIERNES, 1 de ENERO de 2010 \nAño nuevo \n \n") + august);
        QVERIFY(fx.click(QStringLiteral("Command4_8")));
        QVERIFY(fx.click(QStringLiteral("Command6_2")));
        QCOMPARE(fx.text(QStringLiteral("Text3")), QString());
    }

    void saveButtonStoresBlanksAndMarksTheDay() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        QVERIFY(fx.clickDay(6));
        fx.typeInto(QStringLiteral("Text9_0"), QStringLiteral("   "));
        QVERIFY(fx.click(QStringLiteral("Command11_0")));
        QCOMPARE(fx.readFile(QStringLiteral("fiestas/6 de ENERO.txt")), QByteArray("   \r\n"));
        QCOMPARE(fx.dayColour(6), colours::selected);
        QVERIFY(fx.clickDay(10));
        QCOMPARE(fx.dayColour(6), colours::holiday);
    }

    // Command11(2) saves the reminder for this year only, Text9(3), never the saints of Text9(2).
    void oneYearReminderOfLeapDayOnlyInItsYear() {
        EditingFixture fx(QDate(2012, 2, 29));
        fx.writeFile(QStringLiteral("santoral/29 de FEBRERO.txt"), "San Osvaldo\r\n");
        fx.start();
        QVERIFY(fx.clickDay(29));
        fx.typeInto(QStringLiteral("Text9_3"), QStringLiteral("Bisiesto"));
        QVERIFY(fx.click(QStringLiteral("Command11_2")));
        QCOMPARE(fx.readFile(QStringLiteral("recordatorionoanual/29 de FEBRERO de 2012.txt")),
                 QByteArray("Bisiesto"));
        QCOMPARE(fx.readFile(QStringLiteral("santoral/29 de FEBRERO.txt")), QByteArray("San Osvaldo\r\n"));
        QVERIFY(fx.clickDay(28));
        QCOMPARE(fx.dayColour(29), colours::oneYearReminder);
        QVERIFY(fx.choose(QStringLiteral("Combo2"), QStringLiteral("2016")));
        QCOMPARE(fx.dayColour(29), colours::weekday);
        QVERIFY(fx.clickDay(29));
        QCOMPARE(fx.text(QStringLiteral("Text9_3")), QString());
    }

    void saveButtonOnAnEmptyBoxDeletesAndTheDayGetsItsTrueColourBack_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("button");
        QTest::addColumn<quint32>("colourAfter");
        QTest::addColumn<QString>("nameAfter");
        // 1 January 2011 is a Saturday, with a yearly reminder over its holiday.
        QTest::newRow("holiday") << QStringLiteral("fiestas/1 de enero.txt") << QStringLiteral("Text9_0")
                                 << QStringLiteral("Command11_0") << colours::yearlyReminder
                                 << QStringLiteral("sábado 1 de enero, recordatorio de todos los años");
        QTest::newRow("yearly reminder")
            << QStringLiteral("recordatorio/1 de ENERO.txt") << QStringLiteral("Text9_1")
            << QStringLiteral("Command11_1") << colours::holiday
            << QStringLiteral("sábado 1 de enero, festivo: Año nuevo");
    }
    void saveButtonOnAnEmptyBoxDeletesAndTheDayGetsItsTrueColourBack() {
        QFETCH(QString, file);
        QFETCH(QString, box);
        QFETCH(QString, button);
        QFETCH(quint32, colourAfter);
        QFETCH(QString, nameAfter);
        EditingFixture fx(QDate(2011, 1, 12));
        fx.writeFile(QStringLiteral("fiestas/1 de enero.txt"), "Año nuevo\r\n");
        fx.writeFile(QStringLiteral("recordatorio/1 de ENERO.txt"), "Felicitar\r\n");
        fx.start();
        QCOMPARE(fx.dayName(1),
                 QStringLiteral("sábado 1 de enero, festivo: Año nuevo, recordatorio de todos los años"));
        QVERIFY(fx.clickDay(1));
        fx.emptyBox(box);
        QVERIFY(fx.click(button));
        QVERIFY(!QFile::exists(fx.path(file)));
        QCOMPARE(fx.dayColour(1), colours::selected);
        // The selected day keeps its red, but a screen reader hears its new marks at once.
        QCOMPARE(fx.dayName(1), nameAfter);
        QVERIFY(fx.clickDay(3));
        QCOMPARE(fx.dayColour(1), colourAfter);
        // Without any file left the Saturday is green again, not white.
        QVERIFY(fx.clickDay(1));
        fx.emptyBox(QStringLiteral("Text9_0"));
        QVERIFY(fx.click(QStringLiteral("Command11_0")));
        fx.emptyBox(QStringLiteral("Text9_1"));
        QVERIFY(fx.click(QStringLiteral("Command11_1")));
        QVERIFY(fx.clickDay(3));
        QCOMPARE(fx.dayColour(1), colours::weekend);
        QCOMPARE(fx.dayName(1), QStringLiteral("sábado 1 de enero"));
        QCOMPARE(QDir(fx.path(QStringLiteral("fiestas"))).entryList(QDir::Files), QStringList());
    }

    void attachingAFile() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("fuera/informe.doc"), "primero");
        fx.start();
        const QString chosen = QDir(fx.programFolder).filePath(QStringLiteral("fuera/informe.doc"));
        fx.desktop.openFileAnswer = QString();
        QVERIFY(fx.click(QStringLiteral("Command16_0")));
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askOpenFile")),
                 QStringList{QStringLiteral("Selecciona un archivo")});
        QCOMPARE(fx.items(QStringLiteral("List1_0")), QStringList());
        QCOMPARE(QDir(fx.path(QStringLiteral("Archivos"))).entryList(QDir::Files), QStringList());

        fx.desktop.openFileAnswer = chosen;
        QVERIFY(fx.click(QStringLiteral("Command16_0")));
        QVERIFY(fx.click(QStringLiteral("Command16_1")));
        QVERIFY(fx.click(QStringLiteral("Command16_1")));
        // The same name in another case is the same copy in "Archivos".
        fx.writeFile(QStringLiteral("fuera/INFORME.doc"), "primero");
        fx.desktop.openFileAnswer = QDir(fx.programFolder).filePath(QStringLiteral("fuera/INFORME.doc"));
        QVERIFY(fx.click(QStringLiteral("Command16_1")));
        QCOMPARE(fx.readFile(QStringLiteral("Archivos/informe.doc")), QByteArray("primero"));
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("openDocument")), QStringList(3, chosen)
                                                                         << fx.desktop.openFileAnswer);
        QCOMPARE(fx.items(QStringLiteral("List1_0")), QStringList{QStringLiteral("informe.doc")});
        QCOMPARE(fx.readFile(QStringLiteral("listaarchivos/5 de ENERO de 2011.txt")),
                 QByteArray("informe.doc\r\n"));
        // The same file attached again keeps one entry.
        QCOMPARE(fx.readFile(QStringLiteral("listaarchivos/5 de ENERO.txt")), QByteArray("informe.doc\r\n"));
        QCOMPARE(fx.items(QStringLiteral("List1_1")), QStringList{QStringLiteral("informe.doc")});
        QVERIFY(fx.desktop.messages.isEmpty());

        // An entry opens the copy in "Archivos", not the chosen file.
        fx.desktop.clear();
        QVERIFY(fx.chooseEntry(QStringLiteral("List1_1"), 0));
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("openDocument")),
                 QStringList{fx.path(QStringLiteral("Archivos/informe.doc"))});
        QVERIFY(fx.click(QStringLiteral("Command18")));
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("openFolder")),
                 QStringList{fx.path(QStringLiteral("Archivos"))});

        // A file the desktop cannot open is attached all the same, and the user is told.
        fx.desktop.clear();
        fx.desktop.succeed = false;
        fx.writeFile(QStringLiteral("fuera/acta.xyz"), "acta");
        fx.desktop.openFileAnswer = QDir(fx.programFolder).filePath(QStringLiteral("fuera/acta.xyz"));
        QVERIFY(fx.click(QStringLiteral("Command16_0")));
        QCOMPARE(fx.desktop.messages,
                 QStringList{QStringLiteral("No se ha podido abrir %1.").arg(fx.desktop.openFileAnswer)});
        QVERIFY(fx.items(QStringLiteral("List1_0")).contains(QStringLiteral("acta.xyz")));
    }

    // A different file with the name of one attached already: both kept (the new one numbered), the
    // new one in place of the old, or nothing attached.
    void twoFilesOfTheSameName_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("attached");
        QTest::addColumn<QByteArray>("stored"); // Archivos/foto.jpg afterwards
        QTest::newRow("both kept") << 0 << "foto (2).jpg" << QByteArray("primera");
        QTest::newRow("replaced") << 1 << "foto.jpg" << QByteArray("segunda");
        QTest::newRow("cancelled") << 2 << QString() << QByteArray("primera");
    }
    void twoFilesOfTheSameName() {
        QFETCH(int, choice);
        QFETCH(QString, attached);
        QFETCH(QByteArray, stored);
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("uno/foto.jpg"), "primera");
        fx.writeFile(QStringLiteral("dos/foto.jpg"), "segunda");
        fx.start();
        fx.desktop.openFileAnswer = fx.path(QStringLiteral("uno/foto.jpg"));
        QVERIFY(fx.click(QStringLiteral("Command16_0")));
        QVERIFY(fx.clickDay(6));
        fx.desktop.choiceAnswer = choice;
        fx.desktop.openFileAnswer = fx.path(QStringLiteral("dos/foto.jpg"));
        QVERIFY(fx.click(QStringLiteral("Command16_0")));
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askChoice")).size(), 1);
        QCOMPARE(fx.readFile(QStringLiteral("Archivos/foto.jpg")), stored);
        if (choice == 0)
            QCOMPARE(fx.readFile(QStringLiteral("Archivos/foto (2).jpg")), QByteArray("segunda"));
        QCOMPARE(fx.items(QStringLiteral("List1_0")),
                 attached.isEmpty() ? QStringList() : QStringList{attached});
        QCOMPARE(QFile::exists(fx.path(QStringLiteral("listaarchivos/6 de ENERO de 2011.txt"))), choice != 2);
    }

    void eliminarRemovesOnlyTheChosenEntry() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("Archivos/b.txt"), "b");
        fx.start();
        // An empty list: nothing to remove, nothing written.
        QVERIFY(fx.click(QStringLiteral("Command17_0")));
        QVERIFY(!QFile::exists(fx.path(QStringLiteral("listaarchivos/5 de ENERO de 2011.txt"))));
        fx.writeFile(QStringLiteral("listaarchivos/5 de ENERO de 2011.txt"), "a.txt\r\nb.txt\r\nc.txt\r\n");
        QVERIFY(fx.clickDay(5));
        // Nothing chosen: nothing removed.
        QVERIFY(fx.click(QStringLiteral("Command17_0")));
        QCOMPARE(fx.items(QStringLiteral("List1_0")).size(), 3);
        QVERIFY(fx.chooseEntry(QStringLiteral("List1_0"), 1));
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("openDocument")),
                 QStringList{fx.path(QStringLiteral("Archivos/b.txt"))});
        QVERIFY(fx.click(QStringLiteral("Command17_0")));
        QCOMPARE(fx.items(QStringLiteral("List1_0")),
                 (QStringList{QStringLiteral("a.txt"), QStringLiteral("c.txt")}));
        QCOMPARE(fx.readFile(QStringLiteral("listaarchivos/5 de ENERO de 2011.txt")),
                 QByteArray("a.txt\r\nc.txt\r\n"));
        // The copy in "Archivos" stays; a missing copy is told, not opened.
        QVERIFY(QFile::exists(fx.path(QStringLiteral("Archivos/b.txt"))));
        QVERIFY(fx.desktop.messages.isEmpty());
        QVERIFY(fx.chooseEntry(QStringLiteral("List1_0"), 1));
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("openDocument")).size(), 1);
        QCOMPARE(fx.desktop.messages.size(), 1);
    }

    // Another machine's entry reaches the list file before the panel shows it: attaching or removing here
    // changes the list as the file holds it then, so the other entry stays.
    void entriesStoredMeanwhileStay_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("stored");
        const QByteArray meanwhile("a.txt\r\notro.txt\r\n");
        QTest::newRow("attached this year") << "List1_0"
                                            << "Command16_0" << meanwhile + "informe.doc\r\n";
        QTest::newRow("attached every year") << "List1_1"
                                             << "Command16_1" << meanwhile + "informe.doc\r\n";
        QTest::newRow("removed") << "List1_0"
                                 << "Command17_0" << QByteArray("otro.txt\r\n");
    }
    void entriesStoredMeanwhileStay() {
        QFETCH(QString, list);
        QFETCH(QString, button);
        QFETCH(QByteArray, stored);
        const QString file = list == QLatin1String("List1_0")
                                 ? QStringLiteral("listaarchivos/5 de ENERO de 2011.txt")
                                 : QStringLiteral("listaarchivos/5 de ENERO.txt");
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("fuera/informe.doc"), "informe");
        fx.writeFile(file, "a.txt\r\n");
        fx.start();
        QVERIFY(fx.chooseEntry(list, 0));
        fx.writeFile(file, "a.txt\r\notro.txt\r\n");
        fx.desktop.openFileAnswer = fx.path(QStringLiteral("fuera/informe.doc"));
        QVERIFY(fx.click(button));
        QCOMPARE(fx.readFile(file), stored);
        QCOMPARE(fx.items(list).join(u'|'),
                 QString::fromUtf8(stored).trimmed().replace(QStringLiteral("\r\n"), QStringLiteral("|")));
    }

    // After a removal nothing is chosen, so a second "Eliminar" has nothing to remove.
    void aSecondEliminarRemovesNothing_data() {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("eliminar");
        QTest::newRow("attached this year") << QString() << "List1_0"
                                            << "Command17_0";
        QTest::newRow("attached every year") << QString() << "List1_1"
                                             << "Command17_1";
        QTest::newRow("notes pad") << "Command6_4"
                                   << "File1"
                                   << "Command13";
        QTest::newRow("address book") << "Command6_5"
                                      << "File2"
                                      << "Command7_2";
    }
    void aSecondEliminarRemovesNothing() {
        QFETCH(QString, tab);
        QFETCH(QString, list);
        QFETCH(QString, eliminar);
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("listaarchivos/5 de ENERO de 2011.txt"), "a\r\nb\r\n");
        fx.writeFile(QStringLiteral("listaarchivos/5 de ENERO.txt"), "a\r\nb\r\n");
        for (const char* name : {"a", "b"}) {
            fx.writeFile(QStringLiteral("notas/") + QLatin1String(name), "nota");
            fx.writeFile(QStringLiteral("direcciones/Todos/") + QLatin1String(name), "contacto\r\n");
        }
        fx.start();
        fx.desktop.yesNoAnswer = true; // the notes pad and the address book ask before deleting
        if (!tab.isEmpty())
            QVERIFY(fx.click(tab));
        const QStringList both = {QStringLiteral("a"), QStringLiteral("b")};
        QCOMPARE(fx.items(list), both);
        QVERIFY(fx.chooseEntry(list, 0));
        QVERIFY(fx.click(eliminar));
        QCOMPARE(fx.items(list), QStringList{QStringLiteral("b")});
        QVERIFY(fx.find<QListView>(list)->selectionModel()->selectedIndexes().isEmpty());
        QVERIFY(fx.click(eliminar));
        QCOMPARE(fx.items(list), QStringList{QStringLiteral("b")});
    }

    // The holiday is one line, typed or pasted; the reminders keep their line breaks.
    void holidayBoxIsOneLine_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("save");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QByteArray>("stored");
        const QString holiday = QStringLiteral("fiestas/5 de ENERO.txt");
        QTest::newRow("holiday, Enter") << "Text9_0"
                                        << "Command11_0" << holiday << false << QByteArray("ReyesMagos\r\n");
        QTest::newRow("holiday, pasted") << "Text9_0"
                                         << "Command11_0" << holiday << true << QByteArray("Reyes Magos\r\n");
        QTest::newRow("yearly reminder, Enter")
            << "Text9_1"
            << "Command11_1"
            << "recordatorio/5 de ENERO.txt" << false << QByteArray("Reyes\r\nMagos\r\n");
    }
    void holidayBoxIsOneLine() {
        QFETCH(QString, box);
        QFETCH(QString, save);
        QFETCH(QString, file);
        QFETCH(bool, pasted);
        QFETCH(QByteArray, stored);
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        if (pasted) {
            QGuiApplication::clipboard()->setText(QStringLiteral("Reyes\nMagos"));
            fx.typeInto(box, QString());
            QTest::keyClick(fx.box(box), Qt::Key_V, Qt::ControlModifier);
        } else {
            fx.typeInto(box, QStringLiteral("Reyes"));
            QTest::keyClick(fx.box(box), Qt::Key_Return);
            QTest::keyClicks(fx.box(box), QStringLiteral("Magos"));
        }
        QVERIFY(fx.click(save));
        QCOMPARE(fx.readFile(file), stored);
    }

    // A file that is there but cannot be read is told, its box is locked and it is never replaced. A
    // folder of the file's name stands for an unreadable file where permissions do not stop the tests.
    void unreadableFilesAreToldAndNeverReplaced_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("save");
        QTest::addColumn<int>("permissions"); // -1: a folder instead of the file
        const QString dayNote = note(kWednesday5);
        const QString holiday = QStringLiteral("fiestas/5 de ENERO.txt");
        const int folder = -1;
        const int none = 0;
        const int writeOnly = int(QFile::WriteOwner);
        QTest::newRow("day note, folder") << dayNote << 0 << "Text1" << QString() << folder;
        QTest::newRow("day note, write only") << dayNote << 0 << "Text1" << QString() << writeOnly;
        const QString thursday = note(QStringLiteral("JUEVES, 6 de ENERO de 2011"));
        QTest::newRow("week note, folder") << thursday << 1 << "Text2_3" << QString() << folder;
        QTest::newRow("week note, no permissions") << thursday << 1 << "Text2_3" << QString() << none;
        QTest::newRow("holiday, folder") << holiday << 0 << "Text9_0"
                                         << "Command11_0" << folder;
        QTest::newRow("holiday, write only") << holiday << 0 << "Text9_0"
                                             << "Command11_0" << writeOnly;
        QTest::newRow("yearly reminder, folder") << "recordatorio/5 de ENERO.txt" << 0 << "Text9_1"
                                                 << "Command11_1" << folder;
        QTest::newRow("one-year reminder, no permissions")
            << "recordatorionoanual/5 de ENERO de 2011.txt" << 0 << "Text9_3"
            << "Command11_2" << none;
    }
    void unreadableFilesAreToldAndNeverReplaced() {
        QFETCH(QString, file);
        QFETCH(int, tab);
        QFETCH(QString, box);
        QFETCH(QString, save);
        QFETCH(int, permissions);
        if (permissions >= 0 && geteuid() == 0)
            QSKIP("permissions do not stop root");
        EditingFixture fx(QDate(2011, 1, 5));
        if (permissions < 0) {
            QVERIFY(QDir().mkpath(fx.path(file)));
        } else {
            fx.writeFile(file, "guardado");
            QVERIFY(QFile::setPermissions(fx.path(file), QFile::Permissions(permissions)));
        }
        fx.start();
        QVERIFY(fx.click(elementName("Command6", tab)));
        QTRY_COMPARE(fx.desktop.messages.size(), 1);
        QVERIFY2(fx.desktop.messages.first().contains(fx.path(file)),
                 qPrintable(fx.desktop.messages.first()));
        QVERIFY(fx.box(box)->isReadOnly());
        fx.typeInto(box, QStringLiteral("nuevo"));
        QCOMPARE(fx.text(box), QString());
        if (!save.isEmpty())
            QVERIFY(!fx.click(save));
        // Told once; the box stays locked when its day is shown again.
        QVERIFY(fx.click(QStringLiteral("Command6_3")));
        QVERIFY(fx.click(elementName("Command6", tab)));
        QVERIFY(fx.box(box)->isReadOnly());
        QCoreApplication::processEvents();
        QCOMPARE(fx.desktop.messages.size(), 1);
        QVERIFY(fx.click(QStringLiteral("Command10")));
        if (permissions < 0) {
            QVERIFY(QFileInfo(fx.path(file)).isDir());
        } else {
            QVERIFY(QFile::setPermissions(fx.path(file), QFile::ReadOwner | QFile::WriteOwner));
            QCOMPARE(fx.readFile(file), QByteArray("guardado"));
        }
    }

    // A line too long to lay out at once is shown cut and its box locked; the file keeps every byte, the
    // text pad gets the whole text, and saving a contact keeps its whole reference.
    void longLineIsShownCutAndKeptWhole_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("list"); // whose first entry is opened
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("save");
        QTest::addColumn<bool>("saveWorks");
        const QByteArray text = "antes\r\n" + QByteArray(20000, 'x') + " \r\n\tdespu\xc3\xa9s\r\n";
        QTest::newRow("day note") << note(kWednesday5) << text << 0 << QString() << "Text1" << QString()
                                  << false;
        QTest::newRow("week note") << note(kWednesday5) << text << 1 << QString() << "Text2_2" << QString()
                                   << false;
        QTest::newRow("holiday") << QStringLiteral("fiestas/5 de ENERO.txt") << text << 0 << QString()
                                 << "Text9_0"
                                 << "Command11_0" << false;
        QTest::newRow("notes pad") << QStringLiteral("notas/larga") << text << 4 << "File1"
                                   << "Text6" << QString() << false;
        QTest::newRow("address book reference")
            << QStringLiteral("direcciones/Todos/Largo")
            << "Largo\r\nAna\r\n\r\n\r\n\r\n\r\nantes" + QByteArray(20000, 'x') + "\r\n"
            << 5 << "File2"
            << "Text7_6"
            << "Command7_0" << true;
    }
    void longLineIsShownCutAndKeptWhole() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, tab);
        QFETCH(QString, list);
        QFETCH(QString, box);
        QFETCH(QString, save);
        QFETCH(bool, saveWorks);
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(file, bytes);
        fx.start();
        QVERIFY(fx.click(elementName("Command6", tab)));
        if (!list.isEmpty())
            QVERIFY(fx.chooseEntry(list, 0));
        QVERIFY(fx.box(box)->isReadOnly());
        QVERIFY(fx.text(box).size() < 12000);
        QVERIFY(fx.text(box).startsWith(QStringLiteral("antes")));
        QVERIFY(fx.text(box).contains(QStringLiteral("xxx…")));
        fx.typeInto(box, QStringLiteral("nuevo"));
        QVERIFY(!fx.text(box).contains(QStringLiteral("nuevo")));
        if (!save.isEmpty())
            QCOMPARE(fx.click(save), saveWorks);
        if (save.isEmpty()) {
            QVERIFY(fx.click(QStringLiteral("Command9")));
            QVERIFY(fx.exported().contains(bytes.sliced(0, bytes.size() - 2)));
        }
        QVERIFY(fx.click(QStringLiteral("Command10")));
        QCOMPARE(fx.readFile(file), bytes);
    }

    void attachingWaitsForAChosenDay() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("listaarchivos/5 de ENERO de 2011.txt"), "a.txt\r\n");
        fx.start();
        QVERIFY(fx.clickDay(5));
        QVERIFY(fx.click(QStringLiteral("Command4_1")));
        // The lists still show the 5th of January; nothing may rewrite another day's list with them.
        QCOMPARE(fx.items(QStringLiteral("List1_0")), QStringList{QStringLiteral("a.txt")});
        for (const char* name : {"Command16_0", "Command16_1", "Command17_0", "Command17_1"})
            QVERIFY(!fx.click(QString::fromLatin1(name)));
        QVERIFY(fx.clickDay(5));
        QVERIFY(fx.click(QStringLiteral("Command16_0")));
    }

    void failedListWriteIsToldAndKeepsTheEntries() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("fuera/a.txt"), "a");
        fx.start();
        fx.blockFolder(QStringLiteral("listaarchivos"));
        fx.desktop.openFileAnswer = fx.path(QStringLiteral("fuera/a.txt"));
        QVERIFY(fx.click(QStringLiteral("Command16_0")));
        QCOMPARE(fx.items(QStringLiteral("List1_0")), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(fx.desktop.messages.size(), 1);
        QVERIFY(fx.chooseEntry(QStringLiteral("List1_0"), 0));
        QVERIFY(fx.click(QStringLiteral("Command17_0")));
        QCOMPARE(fx.items(QStringLiteral("List1_0")), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(fx.desktop.messages.size(), 2);
    }

    void failedNoteSaveIsToldOnceAndKeepsTheText() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        fx.blockFolder(QStringLiteral("dias"));
        fx.typeInto(QStringLiteral("Text1"), QStringLiteral("importante"));
        QVERIFY(fx.click(QStringLiteral("Command6_1")));
        QTRY_COMPARE(fx.desktop.messages.size(), 1);
        QVERIFY(fx.desktop.messages.first().contains(kWednesday5));
        QVERIFY(fx.desktop.messages.first().contains(QStringLiteral("portapapeles")));
        QCOMPARE(fx.desktop.clipboard, QStringLiteral("importante"));
        QVERIFY(fx.click(QStringLiteral("Command6_0")));
        QCOMPARE(fx.text(QStringLiteral("Text1")), QStringLiteral("importante"));
        QVERIFY(fx.click(QStringLiteral("Command6_2")));
        QCoreApplication::processEvents();
        QCOMPARE(fx.desktop.messages.size(), 1);
        // Once the folder can be written again, the next leave stores the note.
        QVERIFY(QFile::remove(fx.path(QStringLiteral("dias"))));
        QVERIFY(QDir().mkpath(fx.path(QStringLiteral("dias"))));
        QVERIFY(fx.click(QStringLiteral("Command6_0")));
        fx.box(QStringLiteral("Text1"))->setFocus(Qt::MouseFocusReason);
        QVERIFY(fx.click(QStringLiteral("Command6_1")));
        QCOMPARE(fx.readFile(note(kWednesday5)), zoned(QStringLiteral("importante")));
    }

    void noteThatCannotBeStoredSurvivesAChangeOfDay() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        fx.blockFolder(QStringLiteral("dias"));
        fx.typeInto(QStringLiteral("Text1"), QStringLiteral("primera"));
        QVERIFY(fx.clickDay(7));
        QTRY_COMPARE(fx.desktop.messages.size(), 1);
        QCOMPARE(fx.desktop.clipboard, QStringLiteral("primera"));
        // Told once; a later failing note still reaches the clipboard before its day is left.
        fx.typeInto(QStringLiteral("Text1"), QStringLiteral("segunda"));
        QVERIFY(fx.clickDay(5));
        QCOMPARE(fx.desktop.clipboard, QStringLiteral("segunda"));
    }

    void notesPadNamesAndTextPad() {
        EditingFixture fx(QDate(2004, 12, 1), QTime(10, 30));
        fx.start();
        QVERIFY(fx.click(QStringLiteral("Command6_4")));
        fx.typeInto(QStringLiteral("Text6"), QStringLiteral("Comprar pan"));
        QVERIFY(fx.click(QStringLiteral("Command9")));
        QCOMPARE(fx.readFile(QStringLiteral("notas/2004-12-1--10-30")), zoned(QStringLiteral("Comprar pan")));
        QCOMPARE(fx.exported(), zoned(QStringLiteral("Comprar pan")));
        QTRY_COMPARE(fx.items(QStringLiteral("File1")), QStringList{QStringLiteral("2004-12-1--10-30")});
        fx.clock.set(QDateTime(QDate(2005, 1, 2), QTime(0, 0)));
        fx.typeInto(QStringLiteral("Text6"), QStringLiteral("!"));
        QVERIFY(fx.click(QStringLiteral("Command9")));
        QTRY_COMPARE(fx.items(QStringLiteral("File1")),
                     (QStringList{QStringLiteral("2004-12-1--10-30"), QStringLiteral("2005-1-2--0-0")}));
    }

    void textPadExportsThePageShown_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QByteArray>("bytes");
        QByteArray week;
        for (int day = 3; day <= 9; ++day) {
            const QDate date(2011, 1, day);
            week += dayNoteKey(date).toUtf8() + "\r\n";
            week += day == 5 ? QByteArray("uno\r\ndos\r\n") : QByteArray("\r\n");
        }
        QTest::newRow("day page") << 0 << zoned(QStringLiteral("uno\ndos"));
        QTest::newRow("week page") << 1 << week;
        QTest::newRow("month summary") << 2 << zoned(kWednesday5 + QStringLiteral(" \nuno\ndos \n \n"));
        QTest::newRow("year summary") << 3 << zoned(kWednesday5 + QStringLiteral(" \nuno\ndos \n \n"));
        QTest::newRow("notes pad") << 4 << zoned(QString());
        QTest::newRow("address book") << 5 << QByteArray();
    }
    void textPadExportsThePageShown() {
        QFETCH(int, tab);
        QFETCH(QByteArray, bytes);
        EditingFixture fx(QDate(2011, 1, 5));
        fx.writeFile(note(kWednesday5), zoned(QStringLiteral("uno\ndos")));
        fx.start();
        QVERIFY(fx.clickDay(5));
        QVERIFY(fx.click(elementName("Command6", tab)));
        QVERIFY(fx.click(QStringLiteral("Command9")));
        QCOMPARE(fx.exported(), bytes);
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("openInTextEditor")),
                 QStringList{fx.path(QStringLiteral("texto.txt"))});
    }

    void dayPageExportHoldsTheNoteBeingTyped() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        fx.typeInto(QStringLiteral("Text1"), QStringLiteral("recien escrito"));
        QVERIFY(fx.click(QStringLiteral("Command9")));
        QCOMPARE(fx.exported(), zoned(QStringLiteral("recien escrito")));
        QCOMPARE(fx.readFile(note(kWednesday5)), zoned(QStringLiteral("recien escrito")));
    }

    // The calculator started is the one installed with the running agenda, never a copy in the data folder
    // (anyone who can write to a shared folder could leave a program there), unless the agenda runs from
    // that folder itself (the portable layout).
    void calculatorButton_data() {
        QTest::addColumn<bool>("portable");
        QTest::addColumn<QString>("installed"); // the calculator beside the agenda, relative to its folder
        QTest::addColumn<bool>("inDataFolder"); // a copy in the data folder's "tallimo" sub-folder
        QTest::addColumn<bool>("starts");
        QTest::addColumn<int>("messages");
        const QString beside = QStringLiteral("tallimo");
        const QString portable = QStringLiteral("tallimo/tallimo");
        QTest::newRow("installed") << false << beside << false << true << 0;
        QTest::newRow("installed, a copy in the data folder") << false << beside << true << true << 0;
        QTest::newRow("only in the data folder") << false << QString() << true << true << 1;
        QTest::newRow("portable") << true << portable << true << true << 0;
        QTest::newRow("missing") << false << QString() << false << true << 1;
        QTest::newRow("cannot start") << false << beside << false << false << 1;
    }
    void calculatorButton() {
        QFETCH(bool, portable);
        QFETCH(QString, installed);
        QFETCH(bool, inDataFolder);
        QFETCH(bool, starts);
        QFETCH(int, messages);
        EditingFixture fx(QDate(2011, 1, 5));
        QTemporaryDir bin;
        fx.desktop.programFolder = portable ? fx.programFolder : bin.path();
        const auto placeProgram = [](const QString& path) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
            file.close();
            QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
        };
        if (inDataFolder)
            placeProgram(fx.path(QStringLiteral("tallimo/tallimo")));
        const QString program =
            installed.isEmpty() ? QString() : QDir(fx.desktop.programFolder).filePath(installed);
        if (!program.isEmpty())
            placeProgram(program);
        fx.start();
        fx.desktop.succeed = starts;
        QVERIFY(fx.click(QStringLiteral("Command15")));
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("startProgram")),
                 program.isEmpty() ? QStringList() : QStringList{program});
        QCOMPARE(fx.desktop.messages.size(), messages);
        QVERIFY(fx.window->isVisible());
    }

    void minimizeButton() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        QVERIFY(fx.click(QStringLiteral("Command12")));
        QVERIFY(fx.window->windowState() & Qt::WindowMinimized);
    }

    void exitAndCloseSaveThePendingEdits_data() {
        QTest::addColumn<bool>("byExitButton");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("file");
        const QString dayNote = note(kWednesday5);
        const QString padNote = QStringLiteral("notas/2011-1-5--10-0");
        QTest::newRow("exit button, day note") << true << 0 << QStringLiteral("Text1") << dayNote;
        QTest::newRow("title bar, day note") << false << 0 << QStringLiteral("Text1") << dayNote;
        QTest::newRow("exit button, notes pad") << true << 4 << QStringLiteral("Text6") << padNote;
        QTest::newRow("title bar, notes pad") << false << 4 << QStringLiteral("Text6") << padNote;
        QTest::newRow("title bar, week page") << false << 1 << QStringLiteral("Text2_2") << dayNote;
    }
    void exitAndCloseSaveThePendingEdits() {
        QFETCH(bool, byExitButton);
        QFETCH(int, tab);
        QFETCH(QString, box);
        QFETCH(QString, file);
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        QVERIFY(fx.click(elementName("Command6", tab)));
        fx.typeInto(box, QStringLiteral("pendiente"));
        if (byExitButton)
            QVERIFY(fx.click(QStringLiteral("Command10")));
        else
            QVERIFY(fx.window->close());
        QVERIFY(!fx.window->isVisible());
        QCOMPARE(fx.readFile(file), zoned(QStringLiteral("pendiente")));
        QVERIFY(fx.desktop.messages.isEmpty());
    }

    // Enter on "¿Salir sin guardar?" keeps the program open, and the failure is told once, in the question.
    void quittingAfterAFailedSaveDefaultsToStaying_data() {
        QTest::addColumn<bool>("byExitButton");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("folder");
        QTest::newRow("exit button, day note") << true << 0 << "Text1"
                                               << "dias";
        QTest::newRow("exit button, notes pad") << true << 4 << "Text6"
                                                << "notas";
        QTest::newRow("title bar, day note") << false << 0 << "Text1"
                                             << "dias";
    }
    void quittingAfterAFailedSaveDefaultsToStaying() {
        QFETCH(bool, byExitButton);
        QFETCH(int, tab);
        QFETCH(QString, box);
        QFETCH(QString, folder);
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        QVERIFY(fx.click(elementName("Command6", tab)));
        fx.blockFolder(folder);
        fx.typeInto(box, QStringLiteral("pendiente"));
        fx.desktop.yesNoAnswer = false;
        if (byExitButton)
            QVERIFY(fx.click(QStringLiteral("Command10")));
        else
            QVERIFY(!fx.window->close());
        QTest::qWait(scaledMs(100));
        QVERIFY(fx.window->isVisible());
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askYesNo")).size(), 1);
        for (const auto& call : fx.desktop.calls) {
            if (call.what == QStringLiteral("askYesNo"))
                QCOMPARE(call.extra.value(1), QStringLiteral("No"));
        }
        QVERIFY2(fx.desktop.messages.isEmpty(), qPrintable(fx.desktop.messages.join(u'|')));
    }

    void closingAfterAFailedSaveAsksFirst() {
        EditingFixture fx(QDate(2011, 1, 5));
        fx.start();
        QVERIFY(fx.click(QStringLiteral("Command6_4")));
        fx.typeInto(QStringLiteral("Text6"), QStringLiteral("bloc"));
        fx.blockFolder(QStringLiteral("notas"));
        fx.desktop.yesNoAnswer = false;
        QVERIFY(!fx.window->close());
        QVERIFY(fx.window->isVisible());
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askYesNo")).size(), 1);
        fx.desktop.yesNoAnswer = true;
        QVERIFY(fx.window->close());
    }
};

QTEST_MAIN(DayEditingTest)
#include "tst_dayediting.moc"
