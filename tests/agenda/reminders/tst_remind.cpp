// SPDX-License-Identifier: GPL-3.0-or-later
// The day's notice: what is due, told once a day, through a real notification daemon (Debian's dunst on a
// private X display and session bus), and by the open window when a text for today is saved.
#include "agenda/core/reminders/remindcommand.h"
#include "agenda/core/reminders/reminders.h"
#include "common/instancelock.h"
#include "tests/agenda/ui/agendafixture.h"
#include "tests/support/filetree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace quindara;

namespace {

const QDate kToday(2026, 12, 8); // a Tuesday
constexpr int kProgramMs = 15000;

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The agenda files of one day, and tomorrow's reminder, as a user's folder would hold them.
void writeDueDay(const QString& folder) {
    writeFile(folder + QStringLiteral("/fiestas/8 de diciembre.txt"), "Inmaculada Concepción\r\n");
    writeFile(folder + QStringLiteral("/recordatorionoanual/8 de DICIEMBRE de 2026.txt"),
              "Revisión del coche");
    writeFile(folder + QStringLiteral("/dias/MARTES, 8 de DICIEMBRE de 2026.txt"),
              "Día tranquilo\r\n10:00 Dentista en Logroño\r\n9:30 Llamar a Begoña   ");
    writeFile(folder + QStringLiteral("/recordatorio/9 de DICIEMBRE.txt"), "Cumpleaños de Íñigo\r\n");
}

const QStringList kDueLines = {QStringLiteral("Inmaculada Concepción"), QStringLiteral("Revisión del coche"),
                               QStringLiteral("10:00 Dentista en Logroño"),
                               QStringLiteral("9:30 Llamar a Begoña"),
                               QStringLiteral("Mañana: Cumpleaños de Íñigo")};

// A private X display and session bus with dunst listening on them; the programs of the test run there.
class NotificationDesktop {
public:
    ~NotificationDesktop() {
        for (QProcess* process : {&dunst_, &bus_, &display_}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    // Empty when it runs, else why not.
    QString start(const QString& scratch) {
        for (const char* program : {"Xvfb", "dbus-daemon", "dunst", "dunstctl"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
                return QStringLiteral("%1 is missing: scripts/install-deps installs it").arg(program);
        const QString display = firstLine(display_, QStringLiteral("Xvfb"),
                                          {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        const QString bus = firstLine(
            bus_, QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (display.isEmpty() || bus.isEmpty())
            return QStringLiteral("Xvfb or dbus-daemon did not start");
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), u':' + display);
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        environment.insert(QStringLiteral("XDG_STATE_HOME"), scratch + QStringLiteral("/state"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        const QString config = scratch + QStringLiteral("/dunstrc");
        writeFile(config, "");
        dunst_.setProcessEnvironment(environment);
        dunst_.start(QStringLiteral("dunst"), {QStringLiteral("-config"), config});
        QDeadlineTimer deadline(10000);
        while (ctl({QStringLiteral("is-paused")}).trimmed() != u"false")
            if (deadline.hasExpired())
                return QStringLiteral("dunst did not come on the bus");
            else
                QTest::qWait(100);
        return QString();
    }

    QString ctl(const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral("dunstctl"), arguments);
        if (!process.waitForFinished(5000))
            process.kill();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    int displayed() const { return ctl({QStringLiteral("count"), QStringLiteral("displayed")}).toInt(); }

    // What dunst received and has closed: (summary, body) pairs, oldest first.
    QList<QPair<QString, QString>> history() const {
        QList<QPair<QString, QString>> received;
        const QJsonArray data = QJsonDocument::fromJson(ctl({QStringLiteral("history")}).toUtf8())
                                    .object()
                                    .value(QStringLiteral("data"))
                                    .toArray()
                                    .first()
                                    .toArray();
        for (const QJsonValue& notice : data)
            received.prepend({notice[QStringLiteral("summary")][QStringLiteral("data")].toString(),
                              notice[QStringLiteral("body")][QStringLiteral("data")].toString()});
        return received;
    }

    QProcessEnvironment environment;

private:
    static QString firstLine(QProcess& process, const QString& program, const QStringList& arguments) {
        process.start(program, arguments);
        QDeadlineTimer deadline(10000);
        while (!process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(100);
        return QString::fromUtf8(process.readLine()).trimmed();
    }

    QProcess display_;
    QProcess bus_;
    QProcess dunst_;
};

struct Run {
    int exitCode = -1;
    QString err;
};

} // namespace

class TestRemind : public QObject {
    Q_OBJECT

private slots:
    void dueNotice_data();
    void dueNotice();
    void toldOnceADay();
    void remindThroughDunst();
    void openWindowTellsATextSavedForToday();
};

void TestRemind::dueNotice_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("linkOut");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("holiday, reminders, timed lines and tomorrow") << QByteArray() << false << kDueLines;
    QTest::newRow("tomorrow turned off in the folder's settings")
        << QByteArray("avisar-manana=no\r\n") << false << kDueLines.mid(0, 4);
    // A yearly reminder of today that is a link to a file outside the folder is not read.
    QTest::newRow("a link out of the folder") << QByteArray() << true << kDueLines;
}

void TestRemind::dueNotice() {
    QFETCH(QByteArray, settings);
    QFETCH(bool, linkOut);
    QFETCH(QStringList, lines);
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("Quindara"));
    common::setDataFolderRoot(folder);
    writeDueDay(folder);
    if (!settings.isEmpty())
        writeFile(folder + u'/' + kSettingsFile, settings);
    if (linkOut) {
        writeFile(scratch.filePath(QStringLiteral("secreto.txt")), "Secreto\r\n");
        QVERIFY(QFile::link(scratch.filePath(QStringLiteral("secreto.txt")),
                            folder + QStringLiteral("/recordatorio/8 de DICIEMBRE.txt")));
    }
    const DayNotice notice = quindara::dueNotice(DataFolder(folder), kToday,
                                                 readAgendaSettings(DataFolder(folder)).remindTomorrow);
    QCOMPARE(notice.title, QStringLiteral("Hoy, martes 8 de diciembre"));
    QCOMPARE(notice.lines, lines);
    QVERIFY(quindara::dueNotice(DataFolder(folder), kToday.addDays(2), true).isEmpty());
    QCOMPARE(noticeTitle(QDate(2027, 1, 6)), QStringLiteral("Hoy, miércoles 6 de enero"));
}

// What was told today is not told again, a new text is, and a new day starts afresh.
void TestRemind::toldOnceADay() {
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("Quindara"));
    writeDueDay(folder);
    const DataFolder data(folder);
    const NoticeRecord record(folder, scratch.filePath(QStringLiteral("state")));
    QVERIFY(!record.path().startsWith(folder));
    const DayNotice first = noticeToTell(data, kToday, record, false);
    QCOMPARE(first.lines, kDueLines);
    QVERIFY(record.remember(first));
    QVERIFY(noticeToTell(data, kToday, record, false).isEmpty());
    QCOMPARE(noticeToTell(data, kToday, record, true).lines, kDueLines);
    writeFile(folder + QStringLiteral("/recordatorio/8 de DICIEMBRE.txt"), "Llamar a Rosa\r\n");
    QCOMPARE(noticeToTell(data, kToday, record, false).lines, QStringList{QStringLiteral("Llamar a Rosa")});
    // Another folder has its own record.
    QVERIFY(NoticeRecord(scratch.path(), scratch.filePath(QStringLiteral("state"))).path() != record.path());
    // The day before is another day: tomorrow's texts are told then.
    QCOMPARE(
        noticeToTell(data, kToday.addDays(-1), record, false).lines,
        (QStringList{QStringLiteral("Mañana: Inmaculada Concepción"), QStringLiteral("Mañana: Llamar a Rosa"),
                     QStringLiteral("Mañana: Revisión del coche")}));
}

void TestRemind::remindThroughDunst() {
    QTemporaryDir scratch;
    NotificationDesktop desktop;
    const QString failure = desktop.start(scratch.path());
    if (!failure.isEmpty())
        QFAIL(qPrintable(failure));
    const QString folder = scratch.filePath(QStringLiteral("Quindara"));
    writeDueDay(folder);
    const QStringList before = filesUnder(folder);
    const auto remind = [&](const QString& dataFolder, const QStringList& more = {}) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(desktop.environment);
        process->start(QStringLiteral(QUINDARA_PROGRAM),
                       QStringList{QStringLiteral("--folder"), dataFolder, QStringLiteral("--remind"),
                                   QStringLiteral("--today"), kToday.toString(Qt::ISODate)} +
                           more);
        return process;
    };
    const auto finished = [](QProcess& process) {
        if (!process.waitForFinished(kProgramMs))
            process.kill();
        return Run{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   QString::fromUtf8(process.readAllStandardError())};
    };

    // The agenda open on the folder: "Abrir la agenda" hands it the day.
    common::InstanceLock window(common::Program::Agenda, folder);
    QCOMPARE(window.listen(), common::InstanceLock::Listening::Yes);
    QStringList handed;
    window.serve([&handed](const common::WriterJob& job) {
        handed = job.arguments.mid(1);
        return common::WriterJobResult{};
    });

    const std::unique_ptr<QProcess> first = remind(folder);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.displayed(), 1, kProgramMs);
    desktop.ctl({QStringLiteral("action"), QStringLiteral("0")});
    QTRY_VERIFY_WITH_TIMEOUT(!handed.isEmpty(), kProgramMs);
    QCOMPARE(handed, (QStringList{QStringLiteral("--folder"), QDir(folder).absolutePath(),
                                  QStringLiteral("--day"), QStringLiteral("2026-12-08")}));
    QCOMPARE(finished(*first).exitCode, int(kRemindDone));
    desktop.ctl({QStringLiteral("close-all")});
    const QList<QPair<QString, QString>> told = {
        {QStringLiteral("Hoy, martes 8 de diciembre"), kDueLines.join(u'\n')}};
    QTRY_COMPARE_WITH_TIMEOUT(desktop.history(), told, 5000);

    // The same day again, and a folder with nothing due: nothing shown, and the process ends at once.
    const std::unique_ptr<QProcess> second = remind(folder);
    QCOMPARE(finished(*second).exitCode, 0);
    const QString empty = scratch.filePath(QStringLiteral("Vacía"));
    QVERIFY(QDir().mkpath(empty + QStringLiteral("/fiestas")));
    const std::unique_ptr<QProcess> nothing = remind(empty);
    QCOMPARE(finished(*nothing).exitCode, 0);
    QCOMPARE(desktop.displayed(), 0);
    QCOMPARE(desktop.history(), told);

    // --again tells it once more.
    const std::unique_ptr<QProcess> again = remind(folder, {QStringLiteral("--again")});
    QTRY_COMPARE_WITH_TIMEOUT(desktop.displayed(), 1, kProgramMs);
    desktop.ctl({QStringLiteral("close-all")});
    QCOMPARE(finished(*again).exitCode, 0);
    QCOMPARE(desktop.history().size(), 2);

    // No notification service: said in Spanish, and no failure for a login script.
    desktop.environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                               QStringLiteral("unix:path=") + scratch.filePath(QStringLiteral("no-bus")));
    const std::unique_ptr<QProcess> noService = remind(folder, {QStringLiteral("--again")});
    const Run quiet = finished(*noService);
    QCOMPARE(quiet.exitCode, 0);
    QVERIFY2(quiet.err.contains(QStringLiteral("No hay servicio de notificaciones")), qPrintable(quiet.err));

    QCOMPARE(filesUnder(folder), before);
}

// The window tells today's texts at start, and a reminder saved for today at once, without repeating; its
// action shows the day.
void TestRemind::openWindowTellsATextSavedForToday() {
    AgendaFixture fx(kToday);
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    fx.writeFile(QStringLiteral("fiestas/8 de DICIEMBRE.txt"), "Inmaculada Concepción\r\n");
    fx.desktop.noticeAnswer = true;
    fx.open();
    QTRY_COMPARE(fx.desktop.notices.size(), 1);
    QCOMPARE(fx.desktop.notices[0].notice.title, QStringLiteral("Hoy, martes 8 de diciembre"));
    QCOMPARE(fx.desktop.notices[0].notice.body, QStringLiteral("Inmaculada Concepción"));
    QCOMPARE(fx.desktop.notices[0].notice.actionLabel, QStringLiteral("Abrir la agenda"));
    fx.find<QPlainTextEdit>(QStringLiteral("Text9_1"))->setPlainText(QStringLiteral("Llamar a Rosa"));
    QVERIFY(fx.click(QStringLiteral("Command11_1")));
    QTRY_COMPARE(fx.desktop.notices.size(), 2);
    QCOMPARE(fx.desktop.notices[1].notice.body, QStringLiteral("Llamar a Rosa"));
    // --day handed over by a later start (as "Abrir la agenda" of --remind does) moves the window; the
    // window's own notice brings it back to the notice's day.
    const common::WriterJob day{
        {QStringLiteral("quindara"), QStringLiteral("--day"), QStringLiteral("2026-12-20")},
        QDir::currentPath(),
        {},
        {}};
    QCOMPARE(fx.window->runHandedJob(day).exitCode, 0);
    QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("DOMINGO, 20 de DICIEMBRE de 2026"));
    fx.desktop.notices[0].onAction(QString());
    QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("MARTES, 8 de DICIEMBRE de 2026"));
    qunsetenv("XDG_STATE_HOME");
}

QTEST_MAIN(TestRemind)
#include "tst_remind.moc"
