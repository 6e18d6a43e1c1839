// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calculator/core/calculatorfolder.h"
#include "common/result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace tallimo {

// A log as the viewer shows it ("\n" between lines) together with the bytes it was read from, so that
// an unchanged text goes back to disk byte for byte even when the file had lone line feeds or came
// from an older 8-bit install.
class LogText {
public:
    LogText() = default;
    explicit LogText(QByteArray bytes);

    const QString& text() const { return text_; }
    // The bytes to store for what the viewer shows now: the original bytes while the text is
    // unchanged, otherwise UTF-8 with CR LF between lines and nothing added at the end (after the
    // byte-order mark the original bytes began with, if any).
    QByteArray bytesFor(const QString& shown) const;

private:
    QByteArray bytes_;
    QString text_;
};

// A saved log as the browser last wrote or opened it.
struct SavedLog {
    QString name;
    QByteArray bytes;
};

// The moment a saved log's name stands for ("2026-12-6--9-5", or "2026-12-6--9-5-2" for a second log
// of that minute), or nothing for any other name.
std::optional<QDateTime> timeStampOf(const QString& name);

// Newest time stamp first (names sort wrongly as text: "--10-" before "--9-"), the logs of one minute
// in the order they were saved, then other names alphabetically without regard to case. A conflict copy
// a sync tool left of a log follows that log.
QStringList orderedLogNames(QStringList names);

// How the list shows a saved log: its name, or for a conflict copy (a log of its own, since two tapes do
// not merge into one) the name of the log it is a copy of, marked as such with the tool and time (the year
// only when it is not the year of `today`).
QString savedLogLabel(const QString& name, const QDate& today);

// The viewer's font size after one click of the size button: 12, 14, 16, 18 and round again.
int nextViewerFontSize(int size);

// The folder of saved logs. Names come from the listing or from the clock; anything that could
// reach outside the folder is refused.
class SavedLogs {
public:
    explicit SavedLogs(const CalculatorFolder& folder) : folder_(folder) {}

    QString folderPath() const { return folder_.savedLogsFolder(); }
    // The folder of saved logs is made again, one level only, when just it has gone; a program folder that
    // has gone is told, never made again (it was moved, and making it would nest it when it comes back).
    common::Status ensureFolder() const;
    // Plain files of the folder in the order above; empty when the folder is missing.
    QStringList names() const;
    std::optional<QByteArray> read(const QString& name) const;
    // Writes the bytes under the time-stamp name of `moment`. A copy of that minute is replaced only
    // when it is the log being edited (`editing`, still holding the bytes the window saved or opened);
    // another log keeps its file and the save takes the next free name ("2026-12-6--9-5-2").
    // Returns the name written.
    common::Result<QString> save(const QByteArray& bytes, const QDateTime& moment,
                                 const std::optional<SavedLog>& editing = std::nullopt) const;
    common::Status remove(const QString& name) const;

private:
    CalculatorFolder folder_;
};

} // namespace tallimo
