// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The saves the crash-safety test interrupts: one day note, one holiday, one contact card and one
// notes-pad note, each written through the agenda's own store with a content that tells its version
// and changes length from one version to the next, so a cut-off file cannot pass for a whole one.

#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/days/notespad.h"
#include "common/clock.h"
#include "common/timestamp.h"

#include <QDate>
#include <QDir>
#include <QStringList>

namespace crashwrites {

inline const QDate kDay(2026, 12, 7);
inline const QString kCategory = QStringLiteral("Todos");
inline const QString kSurname = QStringLiteral("PÉREZ");

inline QString versionText(int version) {
    QString text = QStringLiteral("versión %1\n").arg(version);
    for (int line = 0; line < version % 23; ++line)
        text += QStringLiteral("línea %1 de la versión %2\n").arg(line).arg(version);
    return text + QStringLiteral("fin %1").arg(version);
}

// The files the saves below write, relative to the program folder.
inline QStringList savedFiles(const quindara::DataFolder& data) {
    const QDir root(data.programFolder());
    const common::FixedClock clock(QDateTime(kDay, QTime(10, 0)));
    return {root.relativeFilePath(data.dayNoteFile(quindara::dayNoteKey(kDay))),
            root.relativeFilePath(data.holidayFile(quindara::annualKey(kDay))),
            root.relativeFilePath(data.contactFile(kCategory, kSurname)),
            root.relativeFilePath(data.noteFile(common::timeStampName(clock.now())))};
}

inline bool saveVersion(const quindara::DataFolder& data, int version) {
    const QString text = versionText(version);
    const QString day = QString::number(kDay.day());
    const QString month = quindara::monthName(kDay.month());
    const QString year = QString::number(kDay.year());
    const common::FixedClock clock(QDateTime(kDay, QTime(10, 0)));
    quindara::DayNotes notes(data);
    bool ok = notes.save(quindara::dayNoteKey(kDay), text).ok();
    const auto holiday = quindara::storeDayText(data, quindara::DayTextKind::Holiday, day, month, year,
                                                QStringLiteral("Fiesta %1").arg(version));
    ok = holiday && *holiday == quindara::DayTextChange::Written && ok;
    QStringList fields = {kSurname,
                          QStringLiteral("Ana %1").arg(version),
                          QStringLiteral("Calle Mayor 1"),
                          QStringLiteral("Madrid"),
                          QStringLiteral("600 000 000"),
                          QStringLiteral("ana@example.com"),
                          text};
    ok = quindara::writeContactCard(data.contactFile(kCategory, kSurname), fields).ok() && ok;
    // The same pad note saved again, as the pad does while the user edits it.
    const quindara::NotesPad pad(data, clock);
    std::optional<quindara::PadNote> editing;
    const QStringList names = pad.noteNames();
    if (!names.isEmpty()) {
        if (const auto stored = pad.read(names.first()))
            editing = quindara::PadNote{names.first(), *stored};
    }
    ok = pad.save(text, editing).ok() && ok;
    return ok;
}

} // namespace crashwrites
