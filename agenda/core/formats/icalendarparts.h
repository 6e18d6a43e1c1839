// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the iCalendar check, reader and writer share; no other file includes it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quindara {

// The longest event read, in days; a longer one is left out.
inline constexpr int kMaxEventDays = 366;

// libical drops blanks and tabs at both ends of a value; a text's own ones must come back. The texts are
// handed to it between two noncharacters (never part of a text exchanged between programs), which
// plainText takes off again.
inline constexpr char16_t kTextEdge = 0xFDD0;

inline QString firstLine(const QString& text) {
    const qsizetype end = text.indexOf(u'\n');
    return end < 0 ? text : text.left(end);
}

// Where one component in the calendar begins and ends in `unfolded`.
struct ComponentSpan {
    qsizetype from = 0;
    qsizetype to = 0;
    bool zone = false;  // a VTIMEZONE, which every event naming it needs beside it
    QString uid;        // an event's or journal's
    bool moved = false; // it moves an occurrence of its UID (RECURRENCE-ID): read with that UID's others
};

struct CheckedText {
    QString refusal;
    QByteArray unfolded; // logical lines, CR LF ended, for libical
    QList<ComponentSpan> components;
    // Events and journals left out before libical sees them, with their reason.
    QStringList skipped;
};

// The line-level check made before libical sees anything: the file's structure, the values libical
// would misread, and the lines the reader never looks at left out.
CheckedText checkLines(const QByteArray& bytes);

} // namespace quindara
