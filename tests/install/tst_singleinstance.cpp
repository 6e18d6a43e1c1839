// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/instancelock.h"
#include "tests/support/timing.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QHash>
#include <QLibraryInfo>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <linux/input.h>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using common::HolderAnswer;
using common::InstanceLock;
using common::Program;
using common::WriterJob;

namespace {

std::unique_ptr<QProcess> startProgram(const QString& program, const QStringList& arguments,
                                       const QString& workingFolder = {}) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!workingFolder.isEmpty())
        process->setWorkingDirectory(workingFolder);
    process->start(program, arguments);
    process->waitForStarted(30000);
    return process;
}

// The real calculator: it takes the same lock and start-up path as the agenda and starts faster.
std::unique_ptr<QProcess> startCalculator(const QString& dataFolder) {
    return startProgram(QStringLiteral(QUINDARA_TALLIMO), {QStringLiteral("--folder"), dataFolder});
}

QString calculatorFolder(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("tallimo"));
}

qint64 lockHolder(const QString& dataFolder) {
    QLockFile lock(
        QDir(calculatorFolder(dataFolder)).filePath(InstanceLock::lockFileName(Program::Calculator)));
    qint64 pid = 0;
    QString host;
    QString application;
    return lock.getLockInfo(&pid, &host, &application) ? pid : 0;
}

// True once the process answers on the folder's local server as its writer.
bool isServing(const QProcess& process, Program program, const QString& programFolder) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000 && process.state() == QProcess::Running) {
        const HolderAnswer answer = InstanceLock::askHolderToRaise(program, programFolder, 2000);
        if (answer.kind == HolderAnswer::Kind::Done && answer.process == process.processId())
            return true;
        QTest::qWait(100);
    }
    return false;
}

void stop(QProcess& process) {
    process.kill();
    process.waitForFinished(10000);
}

// Unmounts the small file system when the test ends, pass or fail.
struct Mounted {
    QString path;
    ~Mounted() {
        if (!path.isEmpty())
            ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
    }
};

// Writes until the file system has no room left.
void fill(const QString& folder) {
    QFile filler(QDir(folder).filePath(QStringLiteral("relleno")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(1024, 'x');
    while (filler.write(block) == block.size()) {
    }
}

// One dated event a day from 1 January 2030, each named "<name> <number>".
QByteArray calendarOf(const QString& name, int days) {
    QByteArray ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//prueba//ES\r\n";
    for (int k = 0; k < days; ++k) {
        const QDate day = QDate(2030, 1, 1).addDays(k);
        ics += "BEGIN:VEVENT\r\nUID:" + name.toUtf8() + QByteArray::number(k) +
               "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:" + day.toString(u"yyyyMMdd").toUtf8() +
               "\r\nSUMMARY:" + name.toUtf8() + ' ' + QByteArray::number(k) + "\r\nEND:VEVENT\r\n";
    }
    return ics + "END:VCALENDAR\r\n";
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// How many different "<name> <number>" texts the folder's files hold.
int textsOf(const QString& folder, const QString& name) {
    const QRegularExpression text(QRegularExpression::escape(name) + QStringLiteral(" \\d+"));
    QSet<QString> found;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString content = QString::fromUtf8(file.readAll());
        for (auto match = text.globalMatch(content); match.hasNext();)
            found.insert(match.next().captured());
    }
    return int(found.size());
}

// An agenda folder that needs nothing copied at the first start.
void makeAgendaFolder(const QString& folder) {
    for (const char* sub : {"santoral", "dias"})
        QVERIFY(QDir().mkpath(QDir(folder).filePath(QString::fromLatin1(sub))));
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    // The local server alone keeps one window per folder: it needs no disk space, so a folder whose lock
    // file cannot be written (full, read-only) still gets one window.
    void secondStartOnTheSameFolderLeavesTheFirstAsOnlyWriter_data() {
        QTest::addColumn<QString>("medium");
        QTest::newRow("writable folder") << "writable";
        QTest::newRow("full disk") << "full";
        QTest::newRow("read-only folder") << "read-only";
    }
    void secondStartOnTheSameFolderLeavesTheFirstAsOnlyWriter() {
        QFETCH(QString, medium);
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        QVERIFY(QDir().mkpath(folder));
        Mounted mounted;
        if (medium == u"full") {
            if (::geteuid() != 0)
                QSKIP("mounting a small file system needs root");
            if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
                QSKIP("cannot mount a tmpfs");
            mounted.path = folder;
        }
        if (medium == u"read-only" && ::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        if (medium != u"writable") {
            // The first start fills the folder; then the lock file can no longer be written.
            const auto filling = startCalculator(folder);
            QVERIFY(isServing(*filling, Program::Calculator, calculatorFolder(folder)));
            stop(*filling);
            QVERIFY(QFile::remove(
                QDir(calculatorFolder(folder)).filePath(InstanceLock::lockFileName(Program::Calculator))));
            if (medium == u"full")
                fill(folder);
            else
                QVERIFY(QFile::setPermissions(calculatorFolder(folder), QFile::ReadOwner | QFile::ExeOwner));
        }

        const auto first = startCalculator(folder);
        QVERIFY(isServing(*first, Program::Calculator, calculatorFolder(folder)));
        QCOMPARE(lockHolder(folder), medium == u"writable" ? first->processId() : 0);

        const auto second = startCalculator(folder);
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(lockHolder(folder), medium == u"writable" ? first->processId() : 0);

        // Another folder runs side by side.
        const QString other = scratch.filePath(QStringLiteral("otra"));
        const auto third = startCalculator(other);
        QVERIFY(isServing(*third, Program::Calculator, calculatorFolder(other)));
        QCOMPARE(first->state(), QProcess::Running);

        stop(*third);
        stop(*first);
        QFile::setPermissions(calculatorFolder(folder),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Nobody else can keep the folder from opening: the socket lives in a folder only this user can make
    // sockets in. Another user listening first under the name earlier versions used, a socket file left by
    // a crash, or a folder of another user's where the private one would be, do not stop it.
    void nobodyElseKeepsTheFolderFromOpening_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("another user listens under the earlier name") << "listener";
        QTest::newRow("a socket left by a crash") << "stale";
        QTest::newRow("another user's folder in the temporary folder") << "folder";
    }
    void nobodyElseKeepsTheFolderFromOpening() {
        QFETCH(QString, obstacle);
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        QVERIFY(QDir().mkpath(calculatorFolder(folder)));
        const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray tmpBefore = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] {
            runtimeBefore.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", runtimeBefore);
            tmpBefore.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmpBefore);
        });
        const QString runtime = scratch.filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(runtime));
        QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        // Another user, when the test may be one.
        QStringList asAnother;
        if (::geteuid() == 0)
            asAnother = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                         QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
        QProcess listener;
        const auto python = [&](const QStringList& prefix, const QString& address, bool stay) {
            const QStringList command =
                prefix + QStringList{QStringLiteral("/usr/bin/python3"), QStringLiteral("-c"),
                                     QStringLiteral("import socket, sys, time\n"
                                                    "s = socket.socket(socket.AF_UNIX)\n"
                                                    "s.bind(sys.argv[1].replace('@', '\\0', 1))\n"
                                                    "s.listen()\nprint('ready', flush=True)\n"
                                                    "time.sleep(600 if sys.argv[2] == '1' else 0)\n"),
                                     address, stay ? QStringLiteral("1") : QStringLiteral("0")};
            listener.start(command.first(), command.mid(1));
            return listener.waitForReadyRead(10000) && listener.readAll().contains("ready");
        };
        if (obstacle == u"listener") {
            QVERIFY(python(
                asAnother,
                u'@' + InstanceLock::earlierServerName(Program::Calculator, calculatorFolder(folder)), true));
        } else if (obstacle == u"stale") {
            QVERIFY(
                python({}, InstanceLock::serverName(Program::Calculator, calculatorFolder(folder)), false));
            QVERIFY(listener.waitForFinished(10000));
        } else {
            qunsetenv("XDG_RUNTIME_DIR");
            const QString temporary = scratch.filePath(QStringLiteral("tmp"));
            const QString theirs = temporary + QStringLiteral("/quindara-") + QString::number(::getuid());
            QVERIFY(QDir().mkpath(theirs));
            QVERIFY(QFile::setPermissions(theirs, QFileDevice::Permissions(0x7777)));
            if (::geteuid() == 0)
                QCOMPARE(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
            qputenv("TMPDIR", temporary.toUtf8());
            QCOMPARE(InstanceLock::serverName(Program::Calculator, calculatorFolder(folder)), QString());
        }

        const auto first = startCalculator(folder);
        QTRY_COMPARE_WITH_TIMEOUT(lockHolder(folder), first->processId(), 30000);
        if (obstacle != u"folder")
            QVERIFY(isServing(*first, Program::Calculator, calculatorFolder(folder)));
        QCOMPARE(first->state(), QProcess::Running);
        stop(*first);
        listener.kill();
        listener.waitForFinished();
    }

    // Told to end (a logout, a shutdown, a kill, the terminal closed), the agenda saves what was typed in
    // the day's note and not yet saved, removes its lock and ends. The keys come from a keyboard device of
    // Qt's own (a pipe read as one) and reach the running program as typed keys do.
    void typedTextIsSavedWhenToldToEnd_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void typedTextIsSavedWhenToldToEnd() {
        QFETCH(int, signalNumber);
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        makeAgendaFolder(folder);
        // Qt's keyboard devices are taken only under /dev.
        const QByteArray keyboard =
            "/dev/shm/quindara-teclado-" + QByteArray::number(QCoreApplication::applicationPid());
        if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                               QStringLiteral("/generic/libqevdevkeyboardplugin.so")))
            QSKIP("Qt's evdev keyboard plugin is not installed");
        ::unlink(keyboard.constData());
        if (::mkfifo(keyboard.constData(), 0600) != 0)
            QSKIP("no /dev/shm to make the keyboard pipe in");
        const auto removeKeyboard = qScopeGuard([&keyboard] { ::unlink(keyboard.constData()); });
        // Kept open for writing, so that the program never reads the end of it.
        const int keys = ::open(keyboard.constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(keys >= 0);
        const auto closeKeys = qScopeGuard([keys] { ::close(keys); });
        QProcess agenda;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"),
                           QStringLiteral("evdevkeyboard:") + QString::fromLatin1(keyboard));
        agenda.setProcessEnvironment(environment);
        agenda.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        agenda.start(QStringLiteral(QUINDARA_AGENDA), {QStringLiteral("--folder"), folder});
        QVERIFY(agenda.waitForStarted(30000));
        // Once it holds the folder, a second start waits until its window is up and brings it forward.
        const QString lockFile = QDir(folder).filePath(InstanceLock::lockFileName(Program::Agenda));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(lockFile), 30000);
        const auto second =
            startProgram(QStringLiteral(QUINDARA_AGENDA), {QStringLiteral("--folder"), folder});
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(agenda.state(), QProcess::Running);

        const auto press = [keys](int code, int value) {
            const input_event events[2] = {{{}, EV_KEY, quint16(code), value}, {{}, EV_SYN, SYN_REPORT, 0}};
            return ::write(keys, events, sizeof events) == qint64(sizeof events);
        };
        // The window takes keys once it is shown and active; a loaded machine (or a sanitized build) is
        // given time for that.
        QTest::qWait(scaledMs(1000));
        // From the first page tab, which has the focus at start, backwards in screen order past the attached
        // files and the day's other boxes and buttons to its note.
        for (int k = 0; k < 11; ++k)
            QVERIFY(press(KEY_LEFTSHIFT, 1) && press(KEY_TAB, 1) && press(KEY_TAB, 0) &&
                    press(KEY_LEFTSHIFT, 0));
        const QString typed = QStringLiteral("texto sin guardar 42");
        static const QHash<QChar, int> codes = {
            {u't', KEY_T}, {u'e', KEY_E}, {u'x', KEY_X}, {u'o', KEY_O}, {u' ', KEY_SPACE},
            {u's', KEY_S}, {u'i', KEY_I}, {u'n', KEY_N}, {u'g', KEY_G}, {u'u', KEY_U},
            {u'a', KEY_A}, {u'r', KEY_R}, {u'd', KEY_D}, {u'4', KEY_4}, {u'2', KEY_2}};
        for (const QChar c : typed)
            QVERIFY(press(codes.value(c), 1) && press(codes.value(c), 0));
        QTest::qWait(scaledMs(2000));

        QCOMPARE(::kill(pid_t(agenda.processId()), signalNumber), 0);
        QVERIFY(agenda.waitForFinished(30000));
        QCOMPARE(textsOf(QDir(folder).filePath(QStringLiteral("dias")), QStringLiteral("texto sin guardar")),
                 1);
        QCOMPARE(agenda.exitStatus(), QProcess::NormalExit);
        QCOMPARE(agenda.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(lockFile));
    }

    // A start from the menu hands its launcher's token to the window it brings forward, whose platform
    // uses it to give the window the focus and end the launcher's busy feedback.
    void launchTokenGoesToTheOpenWindow_data() {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("kind");
        QTest::newRow("X11") << "DESKTOP_STARTUP_ID"
                             << "startup id";
        QTest::newRow("Wayland") << "XDG_ACTIVATION_TOKEN"
                                 << "activation token";
    }
    void launchTokenGoesToTheOpenWindow() {
        QFETCH(QString, variable);
        QFETCH(QString, kind);
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        QVERIFY(QDir().mkpath(folder));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DESKTOP_STARTUP_ID"));
        environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                           QStringLiteral("quindara.common.start.debug=true"));
        QProcess first;
        first.setProcessEnvironment(environment);
        first.start(QStringLiteral(QUINDARA_TALLIMO), {QStringLiteral("--folder"), folder});
        QVERIFY(first.waitForStarted(30000));
        QVERIFY(isServing(first, Program::Calculator, calculatorFolder(folder)));

        const QString token = QStringLiteral("menu-42_TIME1234");
        environment.insert(variable, token);
        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(QUINDARA_TALLIMO), {QStringLiteral("--folder"), folder});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        const QString expected =
            QStringLiteral("brought forward with the launcher's %1 \"%2\"").arg(kind, token);
        QString log;
        QTRY_VERIFY2_WITH_TIMEOUT((log += QString::fromUtf8(first.readAllStandardError())).contains(expected),
                                  qPrintable(log), 10000);
        stop(first);
    }

    void lockLeftByAKilledProcessIsTakenOver() {
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        const auto crashed = startCalculator(folder);
        QVERIFY(isServing(*crashed, Program::Calculator, calculatorFolder(folder)));
        const qint64 deadProcess = crashed->processId();
        stop(*crashed); // SIGKILL: the lock file stays behind
        QCOMPARE(lockHolder(folder), deadProcess);

        const auto next = startCalculator(folder);
        QVERIFY(isServing(*next, Program::Calculator, calculatorFolder(folder)));
        QCOMPARE(lockHolder(folder), next->processId());
        stop(*next);
    }

    // A lock names its machine. Another machine's lock on a local disk is a copy a sync tool brought
    // (that machine has its own): no reason to ask. On a network file system it is the other machine's
    // own, whose holder cannot be checked: it is reported. An earlier version's single lock counts only
    // while a process of this machine holds it. Nobody else's lock is ever removed.
    void aLockOfAnotherMachine_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("network");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("holder");
        const QByteArray other = "4242\nquindara\notro-equipo\n";
        const QByteArray here = QByteArray::number(QCoreApplication::applicationPid()) + "\nquindara\n" +
                                QSysInfo::machineHostName().toUtf8() + '\n';
        const QByteArray ended = "999999999\nquindara\n" + QSysInfo::machineHostName().toUtf8() + '\n';
        QTest::newRow("another machine's, brought by a sync tool")
            << ".quindara-otro-equipo-a1b2c3.lock" << other << false << int(InstanceLock::State::Acquired)
            << QString();
        QTest::newRow("another machine's, on a network share")
            << ".quindara-otro-equipo-a1b2c3.lock" << other << true << int(InstanceLock::State::HeldElsewhere)
            << "otro-equipo";
        QTest::newRow("a conflict copy of another machine's, on a network share")
            << ".quindara-otro-equipo-a1b2c3.sync-conflict-20261207-101500-ABCDEFG.lock" << other << true
            << int(InstanceLock::State::Acquired) << QString();
        QTest::newRow("an earlier version's, of another machine")
            << ".quindara.lock" << other << true << int(InstanceLock::State::Acquired) << QString();
        QTest::newRow("an earlier version's, of a process here that ended")
            << ".quindara.lock" << ended << false << int(InstanceLock::State::Acquired) << QString();
        QTest::newRow("an earlier version's, held here")
            << ".quindara.lock" << here << false << int(InstanceLock::State::HeldHere)
            << QSysInfo::machineHostName();
    }
    void aLockOfAnotherMachine() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(bool, network);
        QFETCH(int, state);
        QFETCH(QString, holder);
        QTemporaryDir scratch;
        const QString foreign = scratch.filePath(fileName);
        writeFile(foreign, content);
        const QString own = scratch.filePath(InstanceLock::lockFileName(Program::Agenda));
        QVERIFY(own != foreign && InstanceLock::lockFileName(Program::Agenda).startsWith(u".quindara-"));
        {
            InstanceLock lock(Program::Agenda, scratch.path(),
                              network ? InstanceLock::Medium::Network : InstanceLock::Medium::Local);
            QCOMPARE(int(lock.acquire()), state);
            if (!holder.isEmpty()) {
                QCOMPARE(lock.holderHost(), holder);
                QVERIFY(lock.heldSince().isValid());
            }
            if (state == int(InstanceLock::State::HeldElsewhere))
                QVERIFY(lock.takeOver());
            QCOMPARE(QFileInfo::exists(own), state != int(InstanceLock::State::HeldHere));
            if (state != int(InstanceLock::State::HeldHere))
                QCOMPARE(InstanceLock(Program::Agenda, scratch.path(), InstanceLock::Medium::Local).acquire(),
                         InstanceLock::State::HeldHere);
        }
        // Only its own lock goes with the program.
        QVERIFY(!QFileInfo::exists(own));
        QFile left(foreign);
        QVERIFY(left.open(QIODevice::ReadOnly));
        QCOMPARE(left.readAll(), content);
    }

    // Two imports started together into one folder take turns: each keeps all its lines, each day holds
    // both texts. The unfinished saves a killed run left are swept first, as a window's start does, and
    // nothing else.
    void twoImportsTogetherKeepAllTheirLines() {
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        makeAgendaFolder(folder);
        const QStringList leftovers = {QStringLiteral("dias/.5-1-2030.txt.quindara-AbC123.tmp"),
                                       QStringLiteral(".quindara-sync/.a1b2c3.status.quindara-XyZ789.tmp"),
                                       QStringLiteral(".agenda.txt.quindara-QwE456.tmp")};
        const QStringList usersOwn = {QStringLiteral("dias/.informe.quindara-AbC123.txt"),
                                      QStringLiteral("dias/copia.quindara-AbC123.tmp.bak")};
        for (const QString& name : leftovers + usersOwn) {
            QVERIFY(QDir().mkpath(QFileInfo(QDir(folder).filePath(name)).path()));
            writeFile(QDir(folder).filePath(name), "a medias");
        }
        constexpr int kDays = 1000;
        const QStringList names = {QStringLiteral("Primera"), QStringLiteral("Segunda")};
        std::vector<std::unique_ptr<QProcess>> imports;
        for (const QString& name : names) {
            writeFile(scratch.filePath(name + QStringLiteral(".ics")), calendarOf(name, kDays));
            imports.push_back(
                startProgram(QStringLiteral(QUINDARA_AGENDA),
                             {QStringLiteral("--folder"), folder, QStringLiteral("--import-ics"),
                              scratch.filePath(name + QStringLiteral(".ics"))}));
        }
        for (const auto& import : imports) {
            QVERIFY(import->waitForFinished(120000));
            QCOMPARE(import->exitCode(), 0);
            QVERIFY(import->readAllStandardOutput().contains("1000 añadidos"));
        }
        for (const QString& name : names)
            QCOMPARE(textsOf(QDir(folder).filePath(QStringLiteral("recordatorionoanual")), name), kDays);
        for (const QString& name : leftovers)
            QVERIFY2(!QFileInfo::exists(QDir(folder).filePath(name)), qPrintable(name));
        for (const QString& name : usersOwn)
            QVERIFY2(QFileInfo::exists(QDir(folder).filePath(name)), qPrintable(name));
    }

    // With the agenda open on the folder, an import typed on the command line is handed to the window,
    // which runs it and sends its summary and exit code back.
    void anImportIsHandedToTheOpenWindow() {
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        makeAgendaFolder(folder);
        const auto window =
            startProgram(QStringLiteral(QUINDARA_AGENDA), {QStringLiteral("--folder"), folder});
        QVERIFY(isServing(*window, Program::Agenda, folder));
        writeFile(scratch.filePath(QStringLiteral("fiestas.ics")), calendarOf(QStringLiteral("Fiesta"), 3));

        // The file is named from where the command is typed.
        const auto import = startProgram(QStringLiteral(QUINDARA_AGENDA),
                                         {QStringLiteral("--folder"), folder, QStringLiteral("--import-ics"),
                                          QStringLiteral("fiestas.ics")},
                                         scratch.path());
        QVERIFY(import->waitForFinished(60000));
        const QString said = QString::fromUtf8(import->readAllStandardOutput());
        QVERIFY2(
            said.contains(QStringLiteral("3 añadidos")) &&
                said.contains(QStringLiteral("Lo ha hecho la agenda abierta con esta carpeta (proceso %1)")
                                  .arg(window->processId())),
            qPrintable(said));
        QCOMPARE(import->exitCode(), 0);
        QCOMPARE(
            textsOf(QDir(folder).filePath(QStringLiteral("recordatorionoanual")), QStringLiteral("Fiesta")),
            3);

        const auto refused = startProgram(QStringLiteral(QUINDARA_AGENDA),
                                          {QStringLiteral("--folder"), folder, QStringLiteral("--import-vcf"),
                                           scratch.filePath(QStringLiteral("fiestas.ics"))});
        QVERIFY(refused->waitForFinished(60000));
        QCOMPARE(refused->exitCode(), 1);
        QCOMPARE(window->state(), QProcess::Running);

        // A file that brought the reader down took the window with it: the command reads and checks it in
        // its own process first, and a refused file never reaches the window.
        const QByteArray event = "BEGIN:VEVENT\r\nDTSTART:20240101\r\nSUMMARY:x\r\nEND:VEVENT\r\n";
        writeFile(scratch.filePath(QStringLiteral("anidado.ics")),
                  "BEGIN:VCALENDAR\r\n" + event + QByteArray("BEGIN:X-A\r\n").repeated(300000) +
                      QByteArray("END:X-A\r\n").repeated(300000) + "END:VCALENDAR\r\n");
        QProcess nested;
        nested.start(QStringLiteral(QUINDARA_AGENDA),
                     {QStringLiteral("--folder"), folder, QStringLiteral("--import-ics"),
                      scratch.filePath(QStringLiteral("anidado.ics"))});
        QVERIFY(nested.waitForFinished(60000));
        const QString told = QString::fromUtf8(nested.readAllStandardError());
        QCOMPARE(nested.exitCode(), 1);
        QVERIFY2(told.contains(QStringLiteral("anidados")) &&
                     !told.contains(QStringLiteral("agenda abierta")),
                 qPrintable(told));
        QCOMPARE(window->state(), QProcess::Running);
        // A job that was not checked so is not run.
        const HolderAnswer unchecked = InstanceLock::handJobToHolder(
            Program::Agenda, folder,
            WriterJob{{QStringLiteral(QUINDARA_AGENDA), QStringLiteral("--import-ics"),
                       scratch.filePath(QStringLiteral("fiestas.ics"))},
                      scratch.path(),
                      {},
                      {}},
            30000);
        QCOMPARE(unchecked.kind, HolderAnswer::Kind::Done);
        QCOMPARE(unchecked.result.exitCode, 1);
        QVERIFY2(unchecked.result.output.contains(QStringLiteral("no lo ha comprobado")),
                 qPrintable(unchecked.result.output));
        QCOMPARE(window->state(), QProcess::Running);
        stop(*window);
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
