// SPDX-License-Identifier: GPL-3.0-or-later
#include "agendafixture.h"

#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/daymarks.h"
#include "common/conflictcopy.h"
#include "common/folderwatcher.h"
#include "common/outsidechange.h"
#include "common/textfile.h"
#include "common/units.h"
#include "tests/support/timing.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWindow>

using namespace quindara;

namespace {

const QString kWednesday5 = QStringLiteral("MIÉRCOLES, 5 de ENERO de 2011");

QString note(const QString& key) {
    return QStringLiteral("dias/") + key + QStringLiteral(".txt");
}

// The agenda on a folder that another machine changes through a sync tool.
struct SyncedFixture : AgendaFixture {
    SyncedFixture() : AgendaFixture(QDate(2011, 1, 5)) {}

    void start() {
        open();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the agenda window did not become active");
    }
    QString path(const QString& relative) const { return QDir(programFolder).filePath(relative); }

    // Another program writes in place (as an editor does) or removes a file.
    void writeElsewhere(const QString& relative, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QProcess writer;
        writer.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("printf %s \"$1\" > \"$2\""),
                                            QStringLiteral("sh"), QString::fromUtf8(bytes), path(relative)});
        if (!writer.waitForFinished() || writer.exitCode() != 0)
            qFatal("cannot write %s", qPrintable(relative));
    }
    void removeElsewhere(const QString& relative) const {
        if (QProcess::execute(QStringLiteral("rm"), {path(relative)}) != 0)
            qFatal("cannot remove %s", qPrintable(relative));
    }

    void typeInto(const QString& name, const QString& typed) const {
        auto* target = find<QPlainTextEdit>(name);
        QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        target->moveCursor(QTextCursor::End);
        QTest::keyClicks(target, typed);
    }
    // What the check names: "colour:<day>" a day button's colour, "overview:<button>" the colour of a day of
    // the year overview, "text:<control>", "items:<list>".
    QString shown(const QString& check) const {
        const QString what = check.section(u':', 0, 0);
        const QString name = check.section(u':', 1);
        if (what == QLatin1String("colour"))
            return QString::number(dayColour(name.toInt()));
        if (what == QLatin1String("overview"))
            return QString::number(backColour(name));
        if (what == QLatin1String("items"))
            return items(name).join(u'|');
        return text(name);
    }
};

} // namespace

class SyncedFolderTest : public QObject {
    Q_OBJECT

private slots:
    // Within a second, with no click: the grid, the day page and the lists follow another machine's changes.
    void outsideChangesShowAtOnce_data() {
        QTest::addColumn<QString>("before"); // file there at start ("" none)
        QTest::addColumn<QString>("file");   // file written or, with empty bytes, removed
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("expected");
        const QString holiday = QStringLiteral("fiestas/6 de ENERO.txt");
        QTest::newRow("holiday created")
            << "" << holiday << QByteArray("Reyes\r\n") << "colour:6" << QString::number(colours::holiday);
        // 6 January 2011 in the January panel, which starts on a Saturday.
        QTest::newRow("holiday, year overview")
            << "" << holiday << QByteArray("Reyes\r\n") << "overview:Command2_10"
            << QString::number(colours::holiday);
        QTest::newRow("holiday removed")
            << holiday << holiday << QByteArray() << "colour:6" << QString::number(colours::weekday);
        QTest::newRow("note created") << "" << note(kWednesday5) << QByteArray("Dentista") << "text:Text1"
                                      << "Dentista";
        QTest::newRow("note changed in place")
            << note(kWednesday5) << note(kWednesday5) << QByteArray("otra cosa") << "text:Text1"
            << "otra cosa";
        QTest::newRow("reminder of the shown day")
            << "" << QStringLiteral("recordatorionoanual/5 de ENERO de 2011.txt") << QByteArray("Cita")
            << "text:Text9_3"
            << "Cita";
        QTest::newRow("pad note") << "" << QStringLiteral("notas/2011-1-4--9-30") << QByteArray("pan")
                                  << "items:File1"
                                  << "2011-1-4--9-30";
        QTest::newRow("contact") << "" << QStringLiteral("direcciones/Todos/García")
                                 << QByteArray("García\r\n") << "items:File2"
                                 << "García";
    }
    void outsideChangesShowAtOnce() {
        QFETCH(QString, before);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, check);
        QFETCH(QString, expected);
        SyncedFixture fx;
        if (!before.isEmpty())
            fx.writeFile(before, "antes");
        fx.start();
        if (check.startsWith(QLatin1String("overview")))
            QVERIFY(fx.click(QStringLiteral("Command14")));
        QVERIFY(fx.shown(check) != expected);
        if (bytes.isEmpty())
            fx.removeElsewhere(file);
        else
            fx.writeElsewhere(file, bytes);
        QTRY_COMPARE_WITH_TIMEOUT(fx.shown(check), expected, scaledMs(1000));
    }

    // The note was being edited here when another machine stored the same day: the user's answer decides,
    // and each answer leaves exactly its bytes.
    void editedNoteChangedElsewhereAsks_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("answer");     // -1: Enter, the default
        QTest::addColumn<QString>("stored"); // "{other}", "{separator}" stand for the other text and line
        QTest::addColumn<QString>("shown");
        QTest::newRow("day note, Enter keeps both") << "Text1" << -1 << "{other}\n{separator}\nantes nuevo"
                                                    << "{other}\n{separator}\nantes nuevo";
        QTest::newRow("day note, mine") << "Text1" << 1 << "antes nuevo"
                                        << "antes nuevo";
        QTest::newRow("day note, the other") << "Text1" << 2 << "{other}"
                                             << "{other}";
        QTest::newRow("week note, keeps both") << "Text2_2" << 0 << "{other}\n{separator}\nantes nuevo"
                                               << "{other}\n{separator}\nantes nuevo";
        QTest::newRow("one-year reminder, the other") << "Text9_3" << 2 << "{other}"
                                                      << "{other}";
        QTest::newRow("one-year reminder, keeps both")
            << "Text9_3" << 0 << "{other}\n{separator}\nantes nuevo"
            << "{other}\n{separator}\nantes nuevo";
        // The holiday's box shows one line: both texts stay on it, as a contact's fields do.
        QTest::newRow("holiday, keeps both on one line") << "Text9_0" << 0 << "{other} / antes nuevo"
                                                         << "{other} / antes nuevo";
    }
    void editedNoteChangedElsewhereAsks() {
        QFETCH(QString, box);
        QFETCH(int, answer);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        const bool holiday = box == QLatin1String("Text9_0");
        const bool reminder = box.startsWith(QLatin1String("Text9"));
        const QString file = holiday    ? QStringLiteral("fiestas/5 de ENERO.txt")
                             : reminder ? QStringLiteral("recordatorionoanual/5 de ENERO de 2011.txt")
                                        : note(kWednesday5);
        const common::Ending ending = holiday    ? common::Ending::Line
                                      : reminder ? common::Ending::Bare
                                                 : common::Ending::Zoned;
        SyncedFixture fx;
        fx.writeFile(file, common::encodeText(QStringLiteral("antes"), ending));
        fx.start();
        if (box.startsWith(QLatin1String("Text2")))
            QVERIFY(fx.click(QStringLiteral("Command6_1")));
        fx.desktop.choiceAnswer = answer;
        fx.typeInto(box, QStringLiteral(" nuevo"));
        const QString other = QStringLiteral("del portátil");
        fx.writeElsewhere(file, common::encodeText(other, ending));
        // The box being edited is not replaced, whatever the watcher sees meanwhile.
        QTRY_COMPARE_WITH_TIMEOUT(fx.text(box), QStringLiteral("antes nuevo"), scaledMs(1000));
        QTest::qWait(scaledMs(common::FolderWatcher::kQuietMilliseconds * 2));
        QCOMPARE(fx.text(box), QStringLiteral("antes nuevo"));
        const QString separator = common::keptBothSeparator(QFileInfo(fx.path(file)).lastModified());

        if (reminder)
            QVERIFY(fx.click(holiday ? QStringLiteral("Command11_0") : QStringLiteral("Command11_2")));
        else // the user leaves the box
            fx.find(box == QLatin1String("Text1") ? QStringLiteral("Text9_2") : QStringLiteral("Text2_0"))
                ->setFocus(Qt::MouseFocusReason);
        const auto expand = [&](QString text) {
            return text.replace(QStringLiteral("{other}"), other)
                .replace(QStringLiteral("{separator}"), separator);
        };
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askChoice")).size(), 1);
        QCOMPARE(fx.desktop.calls.last().extra.mid(1),
                 QStringList({"Conservar ambos", "Conservar ambos", "Usar el mío", "Usar el otro"}));
        QCOMPARE(fx.readFile(file), common::encodeText(expand(stored), ending));
        QCOMPARE(fx.text(box), expand(shown));
    }

    // The same for a contact: the fields of both versions are kept, the other machine's first.
    void editedContactChangedElsewhereKeepsBoth() {
        SyncedFixture fx;
        const QString cardFile = QStringLiteral("direcciones/Todos/García");
        fx.writeFile(cardFile, "García\r\nAna\r\n\r\n\r\n987 000 000\r\n\r\namiga\r\n");
        fx.start();
        QVERIFY(fx.click(QStringLiteral("Command6_5")));
        auto* list = fx.find<QListView>(QStringLiteral("File2"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 0)).center());
        QCOMPARE(fx.text(QStringLiteral("Text7_4")), QStringLiteral("987 000 000"));
        auto* phone = fx.find<QLineEdit>(QStringLiteral("Text7_4"));
        phone->end(false);
        QTest::keyClicks(phone, QStringLiteral(" casa"));
        fx.writeElsewhere(cardFile, "García\r\nAna\r\n\r\n\r\n600 111 222\r\n\r\nvecina\r\n");
        const QDateTime otherTime = QFileInfo(fx.path(cardFile)).lastModified();

        QVERIFY(fx.click(QStringLiteral("Command7_0")));
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askChoice")).size(), 1);
        const QStringList stored = readContactCard(fx.path(cardFile)).value_or(QStringList());
        QCOMPARE(stored.value(4), QStringLiteral("600 111 222 / 987 000 000 casa"));
        QCOMPARE(stored.value(6), "vecina\n" + common::keptBothSeparator(otherTime) + "\namiga");
        QCOMPARE(fx.text(QStringLiteral("Text7_6")), stored.value(6));
    }

    // A card shown and not edited follows its file, written in place or put in place as a sync tool does;
    // GUARDAR then stores it as shown, without a question.
    void shownContactFollowsItsFile_data() {
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("written in place") << true;
        QTest::newRow("replaced by the sync tool") << false;
    }
    void shownContactFollowsItsFile() {
        QFETCH(bool, inPlace);
        SyncedFixture fx;
        const QString cardFile = QStringLiteral("direcciones/Todos/García");
        fx.writeFile(cardFile, "García\r\nTeresa\r\n\r\n\r\n600111222\r\n");
        fx.start();
        QVERIFY(fx.click(QStringLiteral("Command6_5")));
        auto* list = fx.find<QListView>(QStringLiteral("File2"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 0)).center());
        QCOMPARE(fx.text(QStringLiteral("Text7_1")), QStringLiteral("Teresa"));
        const QByteArray changed("García\r\nTeresa (cambiado fuera)\r\n\r\n\r\n600111222\r\n");
        if (inPlace) {
            fx.writeElsewhere(cardFile, changed);
        } else {
            const QString temporary = QStringLiteral("direcciones/Todos/.syncthing.García.tmp");
            fx.writeElsewhere(temporary, changed);
            QCOMPARE(QProcess::execute(QStringLiteral("mv"), {fx.path(temporary), fx.path(cardFile)}), 0);
        }
        QTRY_COMPARE_WITH_TIMEOUT(fx.text(QStringLiteral("Text7_1")),
                                  QStringLiteral("Teresa (cambiado fuera)"), scaledMs(1000));
        QVERIFY(fx.click(QStringLiteral("Command7_0")));
        QVERIFY(fx.desktop.callsOf(QStringLiteral("askChoice")).isEmpty());
        const QStringList stored = readContactCard(fx.path(cardFile)).value_or(QStringList());
        QCOMPARE(stored.value(1), QStringLiteral("Teresa (cambiado fuera)"));
        QCOMPARE(stored.value(4), QStringLiteral("600111222"));
    }

    // Copies the three sync tools leave: a sign on their day (the colour stays), never a file of another
    // day, and merged into the day's file (the copy's text first) when the user accepts. The separator
    // does not say which text was this machine's: either may have become the copy. Whatever the file holds
    // is seen: a holiday stays on its one line, a reminder longer than its box gets a scroll bar. A file
    // that already holds the copy (a merge cut short before the copy went) only loses the copy.
    void conflictCopiesAreMerged_data() {
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QString>("before"); // "{old separator}": the line an earlier merge wrote
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("merged"); // "{separator}" stands for the line between the texts
        QTest::addColumn<bool>("scrollBar");
        const QString dayNotes = QStringLiteral("dias/");
        const QString both = QStringLiteral("del portátil\n{separator}\nde aquí");
        QTest::newRow("Syncthing, note")
            << dayNotes + kWednesday5 + ".sync-conflict-20261207-101500-ABCDEFG.txt"
            << "de aquí" << true << both << true;
        QTest::newRow("Nextcloud, note")
            << dayNotes + kWednesday5 + " (conflicted copy 2026-12-07 101500).txt"
            << "de aquí" << true << both << true;
        QTest::newRow("Dropbox, note")
            << dayNotes + kWednesday5 + " (Equipo's conflicted copy 2026-12-07).txt"
            << "de aquí" << true << both << true;
        QTest::newRow("Dropbox, note, declined")
            << dayNotes + kWednesday5 + " (Equipo's conflicted copy 2026-12-07).txt"
            << "de aquí" << false << "de aquí" << true;
        QTest::newRow("Syncthing, holiday") << "fiestas/5 de ENERO.sync-conflict-20261207-101500-ABCDEFG.txt"
                                            << "de aquí" << true << "del portátil / de aquí" << false;
        QTest::newRow("Syncthing, yearly reminder")
            << "recordatorio/5 de ENERO.sync-conflict-20261207-101500-ABCDEFG.txt"
            << "de aquí" << true << both << true;
        const QString mergedBefore = QStringLiteral("del portátil\n{old separator}\nde aquí");
        QTest::newRow("note merged before")
            << dayNotes + kWednesday5 + ".sync-conflict-20261207-101500-ABCDEFG.txt" << mergedBefore << true
            << mergedBefore << true;
        QTest::newRow("holiday merged before")
            << "fiestas/5 de ENERO (conflicted copy 2026-12-07 101500).txt"
            << "del portátil / de aquí" << true << "del portátil / de aquí" << false;
    }
    void conflictCopiesAreMerged() {
        QFETCH(QString, copy);
        QFETCH(QString, before);
        QFETCH(bool, accept);
        QFETCH(QString, merged);
        QFETCH(bool, scrollBar);
        const QString folder = copy.section(u'/', 0, 0);
        const QString original =
            folder == QLatin1String("dias") ? note(kWednesday5) : folder + QStringLiteral("/5 de ENERO.txt");
        const common::Ending ending =
            folder == QLatin1String("dias") ? common::Ending::Zoned : common::Ending::Line;
        const QString box = folder == QLatin1String("dias")      ? QStringLiteral("Text1")
                            : folder == QLatin1String("fiestas") ? QStringLiteral("Text9_0")
                                                                 : QStringLiteral("Text9_1");
        SyncedFixture fx;
        fx.writeFile(copy, common::encodeText(QStringLiteral("del portátil"), ending));
        const QDateTime copyTime = QFileInfo(fx.path(copy)).lastModified();
        const auto expand = [&](QString text) {
            return text.replace(QStringLiteral("{old separator}"), common::keptBothSeparator(copyTime))
                .replace(QStringLiteral("{separator}"), common::conflictCopySeparator(copyTime));
        };
        fx.writeFile(original, common::encodeText(expand(before), ending));
        // Another day's copy: a sign on the 6th, which is neither a holiday nor a day with a note.
        fx.writeFile(QStringLiteral("fiestas/6 de ENERO (conflicted copy 2026-12-07 101500).txt"),
                     "Reyes\r\n");
        fx.desktop.yesNoAnswer = accept;
        fx.start(); // today, the 5th, is shown at once
        const auto sign = [&](int day) {
            auto* found = fx.find(fx.dayButton(day))->findChild<QLabel*>(QStringLiteral("conflictSign"));
            return found && found->isVisible();
        };
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askYesNo")).size(), 1);
        // The copy's time reads as a date, with its year (the agenda's today is in 2011).
        const QString question = fx.desktop.callsOf(QStringLiteral("askYesNo")).constFirst();
        QVERIFY2(question.contains(QStringLiteral(" el 7 de diciembre de 2026")), qPrintable(question));
        QVERIFY2(question.at(0).isUpper(), qPrintable(question));
        QVERIFY(sign(6));
        QCOMPARE(fx.dayColour(6), colours::weekday);
        QCOMPARE(fx.text(box), expand(merged));
        QTRY_COMPARE_WITH_TIMEOUT(fx.find<QPlainTextEdit>(box)->verticalScrollBar()->isVisible(), scrollBar,
                                  scaledMs(1000));
        QCOMPARE(fx.readFile(original), common::encodeText(expand(merged), ending));
        QCOMPARE(QFileInfo::exists(fx.path(copy)), !accept);
        QCOMPARE(sign(5), !accept);
        // The year overview shows the same signs; January 2011 starts on a Saturday, so the 5th and the
        // 6th are its buttons 9 and 10.
        QVERIFY(fx.click(QStringLiteral("Command14")));
        const auto overviewSign = [&](int index) {
            auto* found = fx.find(QStringLiteral("Command2_%1").arg(index))
                              ->findChild<QLabel*>(QStringLiteral("conflictSign"));
            return found && found->isVisible();
        };
        QVERIFY(overviewSign(10));
        QCOMPARE(overviewSign(9), !accept);
        QCOMPARE(fx.backColour(QStringLiteral("Command2_10")), colours::weekday);
    }

    // The conflict sign shows on every day colour, the selected day's red included, and keeps clear of the
    // day's number, one digit or two.
    void conflictSignShowsOnAnyDayClearOfItsNumber() {
        SyncedFixture fx;
        for (int day : {5, 28}) {
            fx.writeFile(QStringLiteral("fiestas/%1 de ENERO.txt").arg(day), "Fiesta\r\n");
            fx.writeFile(
                QStringLiteral("fiestas/%1 de ENERO.sync-conflict-20261207-101500-ABCDEFG.txt").arg(day),
                "Otra\r\n");
        }
        fx.start(); // the offer for the 5th is declined: its sign stays
        QCOMPARE(fx.dayColour(5), colours::selected);
        for (int day : {5, 28}) {
            auto* button = fx.find(fx.dayButton(day));
            auto* sign = button->findChild<QLabel*>(QStringLiteral("conflictSign"));
            QVERIFY(sign && sign->isVisible());
            const QImage with = button->grab().toImage();
            sign->hide();
            const QImage without = button->grab().toImage();
            sign->show();
            const auto dark = [&](int x, int y) {
                const QColor c = without.pixelColor(x, y);
                return c.red() < 100 && c.green() < 100 && c.blue() < 100;
            };
            // The sign's pixels: some stand out from the day's colour; none is on or near the number.
            const QColor back = common::bgrColour(fx.backColour(fx.dayButton(day)));
            int contrasting = 0;
            for (int y = 0; y < with.height(); ++y) {
                for (int x = 0; x < with.width(); ++x) {
                    const QColor a = with.pixelColor(x, y);
                    if (a == without.pixelColor(x, y))
                        continue;
                    if (std::abs(a.red() - back.red()) + std::abs(a.green() - back.green()) +
                            std::abs(a.blue() - back.blue()) >=
                        300)
                        ++contrasting;
                    for (int dy = -2; dy <= 2; ++dy) {
                        for (int dx = -2; dx <= 2; ++dx) {
                            const int nx = x + dx;
                            const int ny = y + dy;
                            if (nx >= 3 && ny >= 3 && nx < with.width() - 3 && ny < with.height() - 3)
                                QVERIFY2(!dark(nx, ny),
                                         qPrintable(QStringLiteral("day %1: sign at %2,%3 by the number")
                                                        .arg(day)
                                                        .arg(x)
                                                        .arg(y)));
                        }
                    }
                }
            }
            QVERIFY2(contrasting >= 4, qPrintable(QStringLiteral("day %1: %2").arg(day).arg(contrasting)));
        }
    }

    // An attachment list's copy is merged entry by entry: the list keeps its order and gains the copy's
    // missing entries (in any letter case only once), shown at once in the panel.
    void attachmentListCopiesAreMerged_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QString>("box");
        QTest::newRow("this year, Syncthing")
            << "listaarchivos/5 de ENERO de 2011.txt"
            << "listaarchivos/5 de ENERO de 2011.sync-conflict-20261207-101500-ABCDEFG.txt"
            << "List1_0";
        QTest::newRow("every year, Dropbox")
            << "listaarchivos/5 de ENERO.txt"
            << "listaarchivos/5 de ENERO (Equipo's conflicted copy 2026-12-07).txt"
            << "List1_1";
    }
    void attachmentListCopiesAreMerged() {
        QFETCH(QString, list);
        QFETCH(QString, copy);
        QFETCH(QString, box);
        SyncedFixture fx;
        fx.writeFile(list, "a.txt\r\nb.txt\r\n");
        fx.writeFile(copy, "a.txt\r\nc.txt\r\nB.TXT\r\n");
        fx.desktop.yesNoAnswer = true;
        fx.start();
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askYesNo")).size(), 1);
        QCOMPARE(fx.readFile(list), QByteArray("a.txt\r\nb.txt\r\nc.txt\r\n"));
        QVERIFY(!QFileInfo::exists(fx.path(copy)));
        QCOMPARE(fx.items(box), QStringList({"a.txt", "b.txt", "c.txt"}));
        // A copy arriving later for another day marks that day, whose colour stays.
        fx.writeElsewhere(QStringLiteral("listaarchivos/6 de ENERO (conflicted copy 2026-12-07 101500).txt"),
                          "d.txt\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                auto* sign = fx.find(fx.dayButton(6))->findChild<QLabel*>(QStringLiteral("conflictSign"));
                return sign && sign->isVisible();
            }(),
            scaledMs(1000));
        QCOMPARE(fx.dayColour(6), colours::weekday);
    }

    // A contact's or a pad note's conflict copy is no entry of its own: its entry is marked, and opening it
    // offers to merge the copy (the copy's text first), which then goes. An entry that already holds the
    // copy (a merge cut short) only loses the copy. A contact filed in a category has its card in "Todos"
    // too, with a copy of its own: one answer merges both, and the two cards stay the same.
    void conflictCopiesOfListedEntries_data() {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QString>("box"); // shows the text of the opened entry
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("before"); // "{old separator}": the line an earlier merge wrote
        QTest::addColumn<QString>("after");  // "{separator}": the line between the two texts
        QTest::addColumn<QString>("twin");   // the contact's card in "Todos", with a copy of its own
        const QString both = QStringLiteral("del portátil\n{separator}\nde aquí");
        const QString contact = QStringLiteral("direcciones/Todos/García");
        QTest::newRow("contact") << "Command6_5"
                                 << "File2" << contact << contact + " (conflicted copy 2026-12-07 101500)"
                                 << "Text7_6" << true << "de aquí" << both << "";
        QTest::newRow("contact, declined")
            << "Command6_5"
            << "File2" << contact << contact + " (Equipo's conflicted copy 2026-12-07)"
            << "Text7_6" << false << "de aquí"
            << "de aquí"
            << "";
        const QString mergedBefore = QStringLiteral("del portátil\n{old separator}\nde aquí");
        QTest::newRow("contact merged before")
            << "Command6_5"
            << "File2" << contact << contact + " (conflicted copy 2026-12-07 101500)"
            << "Text7_6" << true << mergedBefore << mergedBefore << "";
        const QString filed = QStringLiteral("direcciones/Amigos/García");
        QTest::newRow("contact in a category")
            << "Command6_5"
            << "File2" << filed << filed + ".sync-conflict-20261207-101500-ABCDEFG"
            << "Text7_6" << true << "de aquí" << both << contact;
        const QString padNote = QStringLiteral("notas/2011-1-4--9-30");
        QTest::newRow("pad note") << "Command6_4"
                                  << "File1" << padNote << padNote + ".sync-conflict-20261207-101500-ABCDEFG"
                                  << "Text6" << true << "de aquí" << both << "";
        QTest::newRow("pad note merged before")
            << "Command6_4"
            << "File1" << padNote << padNote + ".sync-conflict-20261207-101500-ABCDEFG"
            << "Text6" << true << mergedBefore << mergedBefore << "";
    }
    void conflictCopiesOfListedEntries() {
        QFETCH(QString, tab);
        QFETCH(QString, list);
        QFETCH(QString, original);
        QFETCH(QString, copy);
        QFETCH(QString, box);
        QFETCH(bool, accept);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, twin);
        const auto stored = [&](QString text) {
            return list == QLatin1String("File2")
                       ? "García\r\nAna\r\n\r\n\r\n600111222\r\n\r\n" +
                             text.replace(u'\n', QStringLiteral("\r\n")).toUtf8() + "\r\n"
                       : common::encodeText(text, common::Ending::Zoned);
        };
        SyncedFixture fx;
        fx.writeFile(copy, stored(QStringLiteral("del portátil")));
        const QDateTime copyTime = QFileInfo(fx.path(copy)).lastModified();
        const auto expand = [&](QString text) {
            return text.replace(QStringLiteral("{old separator}"), common::keptBothSeparator(copyTime))
                .replace(QStringLiteral("{separator}"), common::conflictCopySeparator(copyTime));
        };
        fx.writeFile(original, stored(expand(before)));
        const QString twinCopy = twin + copy.mid(original.size());
        if (!twin.isEmpty()) {
            fx.writeFile(twin, stored(expand(before)));
            fx.writeFile(twinCopy, stored(QStringLiteral("del portátil")));
        }
        fx.desktop.yesNoAnswer = accept;
        fx.start();
        QVERIFY(fx.click(tab));
        const QString name = QFileInfo(original).fileName();
        QCOMPARE(fx.items(list), QStringList{common::conflictCopyLabel(name)});

        auto* view = fx.find<QListView>(list);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(0, 0)).center());
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askYesNo")).size(), 1);
        QCOMPARE(fx.text(box), expand(after));
        QCOMPARE(fx.readFile(original), stored(expand(after)));
        QCOMPARE(QFileInfo::exists(fx.path(copy)), !accept);
        if (!twin.isEmpty()) {
            QVERIFY(!QFileInfo::exists(fx.path(twinCopy)));
            QCOMPARE(fx.readFile(twin), fx.readFile(original));
        }
        QTRY_COMPARE_WITH_TIMEOUT(
            fx.items(list), QStringList{accept ? name : common::conflictCopyLabel(name)}, scaledMs(1000));
    }

    // Leaving an edited note by pressing a button brings up the question when another machine changed the
    // note; the question's box takes the mouse, and the button's click still takes effect after the answer.
    void clickThatBringsUpTheQuestionTakesEffect_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("shown"); // a control that shows the click's effect
        QTest::addColumn<QString>("expected");
        QTest::newRow("another day") << "day 6"
                                     << "Label2"
                                     << "JUEVES, 6 de ENERO de 2011";
        QTest::newRow("the week page") << "Command6_1"
                                       << "Label3_0"
                                       << "LUNES, 3 de ENERO de 2011";
    }
    void clickThatBringsUpTheQuestionTakesEffect() {
        QFETCH(QString, button);
        QFETCH(QString, shown);
        QFETCH(QString, expected);
        SyncedFixture fx;
        fx.writeFile(note(kWednesday5), common::encodeText(QStringLiteral("antes"), common::Ending::Zoned));
        fx.start();
        fx.typeInto(QStringLiteral("Text1"), QStringLiteral(" nuevo"));
        fx.writeElsewhere(note(kWednesday5),
                          common::encodeText(QStringLiteral("del portátil"), common::Ending::Zoned));
        auto* target = fx.find<QAbstractButton>(button == QLatin1String("day 6") ? fx.dayButton(6) : button);
        QWindow* screenWindow = fx.window->windowHandle();
        const QPoint at = target->mapTo(fx.window.get(), target->rect().center());
        fx.desktop.whileAsking = [&] { QTest::mouseRelease(screenWindow, Qt::LeftButton, {}, at); };
        QTest::mousePress(screenWindow, Qt::LeftButton, {}, at);
        QCOMPARE(fx.desktop.callsOf(QStringLiteral("askChoice")).size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(fx.text(shown), expected, scaledMs(1000));
        QVERIFY(!target->isDown());
        QVERIFY(fx.readFile(note(kWednesday5)).startsWith("del portátil"));
    }

    // A sync bringing 5,000 files is one refresh of the window, not 5,000.
    void burstIsOneRefresh() {
        SyncedFixture fx;
        fx.start();
        auto* watcher = fx.window->findChild<common::FolderWatcher*>(QStringLiteral("folderWatcher"));
        QVERIFY(watcher);
        // A test machine busy with other builds can stall the writer for longer than the usual quiet time,
        // or make its 5,000 files take longer than the longest wait, which would split the burst: here
        // both times are longer than any such stall.
        constexpr int kQuiet = 1000;
        constexpr int kLongestWait = 30000;
        watcher->setTimes(kQuiet, kLongestWait);
        QSignalSpy refreshes(watcher, &common::FolderWatcher::changed);
        QProcess sync;
        sync.setWorkingDirectory(fx.path(QStringLiteral("dias")));
        sync.start(QStringLiteral("sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("i=0; while [ $i -lt 5000 ]; do : > \"sync-$i.txt\"; i=$((i+1)); done")});
        // The window's event loop runs while the files arrive.
        QTRY_VERIFY_WITH_TIMEOUT(sync.state() == QProcess::NotRunning, 20000);
        QCOMPARE(sync.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(refreshes.size(), 1, scaledMs(2 * kQuiet));
        QTest::qWait(scaledMs(2 * kQuiet));
        QCOMPARE(refreshes.size(), 1);
        QCOMPARE(refreshes.first().first().toStringList(),
                 QStringList{QFileInfo(fx.path("dias")).absoluteFilePath()});
    }
};

QTEST_MAIN(SyncedFolderTest)
#include "tst_syncedfolder.moc"
