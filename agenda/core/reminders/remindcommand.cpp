// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/reminders/remindcommand.h"

#include "agenda/core/reminders/logging.h"
#include "common/desktopnotifier.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

namespace quindara {

DayNotice noticeToTell(const DataFolder& data, const QDate& today, const NoticeRecord& record, bool again) {
    const AgendaSettings settings = readAgendaSettings(data);
    return record.unseen(dueNotice(data, today, settings.remindTomorrow), again);
}

int runRemindCommand(const QString& dataFolder, const RemindOptions& options, QTextStream& err) {
    // A folder that is not there has nothing due.
    if (!QFileInfo(dataFolder).isDir())
        return kRemindDone;
    const DataFolder data(dataFolder);
    const NoticeRecord record(dataFolder, options.stateFolder);
    const DayNotice notice = noticeToTell(data, options.today, record, options.again);
    if (notice.isEmpty())
        return kRemindDone;

    common::DesktopNotifier notifier;
    if (!notifier.available()) {
        err << QStringLiteral("No hay servicio de notificaciones del escritorio: los avisos de hoy no se "
                              "pueden mostrar.")
            << Qt::endl;
        return kRemindDone;
    }
    if (!notifier.notify({notice.title, notice.body(), kOpenAgendaAction})) {
        err << QStringLiteral("El servicio de notificaciones no ha mostrado los avisos de hoy: %1")
                   .arg(notifier.lastError())
            << Qt::endl;
        return kRemindRefused;
    }
    if (const common::Status kept = record.remember(notice); !kept)
        err << QStringLiteral("No se ha podido guardar que los avisos de hoy ya se han mostrado (%1): "
                              "se mostrarán otra vez.")
                   .arg(kept.error())
            << Qt::endl;

    QEventLoop loop;
    QObject::connect(&notifier, &common::DesktopNotifier::closed, &loop, &QEventLoop::quit);
    QObject::connect(
        &notifier, &common::DesktopNotifier::actionInvoked, &loop, [&](const QString& activationToken) {
            QProcess agenda;
            agenda.setProgram(options.agendaProgram);
            agenda.setArguments({QStringLiteral("--folder"), QDir(dataFolder).absolutePath(),
                                 QStringLiteral("--day"), notice.day.toString(Qt::ISODate)});
            // The desktop's token lets the agenda's window take the focus.
            if (!activationToken.isEmpty()) {
                QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), activationToken);
                agenda.setProcessEnvironment(environment);
            }
            if (!agenda.startDetached())
                err << QStringLiteral("No se ha podido abrir la agenda: %1").arg(agenda.errorString())
                    << Qt::endl;
            loop.quit();
        });
    QTimer::singleShot(options.waitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return kRemindDone;
}

} // namespace quindara
