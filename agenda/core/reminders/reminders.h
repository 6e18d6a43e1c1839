// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "common/result.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace quindara {

// The desktop notice of one day: its title ("Hoy, lunes 8 de diciembre") and one line a text: the
// holiday, the yearly and one-year reminders, the lines of the day note that begin with a time
// ("10:00 dentista"), and, when asked, "Mañana: ..." for tomorrow's holiday and reminders.
struct DayNotice {
    QDate day;
    QString title;
    QStringList lines;

    bool isEmpty() const { return lines.isEmpty(); }
    QString body() const { return lines.join(u'\n'); }
};

// "Hoy, lunes 8 de diciembre".
QString noticeTitle(const QDate& today);
// The lines of a day note that begin with a time of day ("10:00 ...", "9:30 ..."), in their order.
QStringList timedLines(const QString& note);

// Reads only the day's own files (and tomorrow's holiday and reminders), found without regard to case;
// regular files inside the data folder only. Never writes.
DayNotice dueNotice(const DataFolder& data, const QDate& today, bool withTomorrow);

// The data folder's own settings: ".quindara-ajustes" in the folder, "clave=valor" lines, so they travel
// with the folder. A missing file or key keeps the default.
struct AgendaSettings {
    bool remindTomorrow = true; // avisar-manana=si|no
};
inline const QString kSettingsFile = QStringLiteral(".quindara-ajustes");
AgendaSettings readAgendaSettings(const DataFolder& data);

// What this machine has already told of a data folder today: a small file in the user's state folder
// ($XDG_STATE_HOME/quindara, ~/.local/state/quindara by default), one per folder, never in the folder
// itself, since the folder may be shared with other machines.
class NoticeRecord {
public:
    // `stateFolder` empty: the user's state folder.
    NoticeRecord(const QString& dataFolder, const QString& stateFolder = QString());

    static QString userStateFolder();
    const QString& path() const { return path_; }

    // The notice without the lines already told on the notice's day (all of them when `again`).
    DayNotice unseen(const DayNotice& notice, bool again) const;
    // Records the notice's lines as told on its day, beside those told earlier that day.
    common::Status remember(const DayNotice& notice) const;

private:
    QStringList toldOn(const QDate& day) const;

    QString path_;
};

} // namespace quindara
