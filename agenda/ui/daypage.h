// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/dayreader.h"
#include "common/desktopservices.h"

#include <QDate>
#include <QFrame>

#include <array>
#include <optional>

class QPlainTextEdit;
class QPushButton;

namespace quindara {

class DayNotes;
class DecorativeStrip;

// The day page (Frame1(0)): the selected day's note, holiday, reminders and saints. It loads a day when the
// main window shows one, stores the note when the user leaves the box, and stores the holiday and reminders
// with the "G" buttons.
class DayPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DayPage)

public:
    DayPage(const DataFolder& data, DayNotes& notes, common::DesktopServices& desktop, QWidget* parent);

    // Shows a day's note and texts and lets them be edited.
    void showDay(const QDate& date, const DayTexts& texts);
    // While no day is selected: the note and the three yearly texts are emptied and nothing can be edited.
    void clearDay();
    // Loads the shown day's note again, unless the user's edit of it could not be stored yet.
    void reloadNote();
    // Another machine or program may have changed the day's files: every box the user is not editing
    // whose file changed shows the file's text now. A box being edited keeps its text; its save asks.
    void showOutsideChanges(const DayTexts& texts);

    // Any edit by the user counts, by mouse or by keyboard; loading a note is not an edit.
    bool DayNoteEdited() const;
    // Stores an edited note under the day it was loaded for. Returns the failure to tell, or nothing when
    // the note was stored or had no changes; after a failure the text is on the clipboard too.
    common::Status SaveDayNote();

    QString noteText() const;
    // For a closing window whose notes were saved, or which the user chose to quit without saving: the
    // focus leaving a box then stores nothing.
    void stopSavingOnLeave();

    // The day's notes.
    QPlainTextEdit* Text1 = nullptr;
    // 0 holiday, 1 yearly reminder, 2 saints, 3 reminder for this year only.
    std::array<QPlainTextEdit*, 4> Text9{};
    // The "G" save buttons: 0 saves Text9(0), 1 saves Text9(1), 2 saves Text9(3).
    std::array<QPushButton*, 3> Command11{};
    DecorativeStrip* Picture1 = nullptr;

signals:
    // A note could not be stored when the user left its box.
    void noteSaveFailed(const QString& message);
    // An edited note was stored.
    void noteSaved();
    // A holiday or reminder file was written or removed: the day's mark may have changed.
    void dayTextStored();
    // The day's files that are there but cannot be read (empty paths are none): their boxes are locked.
    void unreadableFilesShown(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Text1_LostFocus();
    void Command11_Click(int Index);
    void loadNote();
    void showDayText(int box, const DayTexts& texts);

    const DataFolder& data_;
    DayNotes& notes_;
    common::DesktopServices& desktop_;
    // The day shown, or an invalid date while none is.
    QDate shownDate_;
    // The key the note in Text1 was loaded for: an edit is stored for that day, whatever happens after.
    QString shownNoteKey_;
    bool saveOnLeave_ = true;
    // What the note's file and the day texts' files held when their boxes were filled or stored.
    common::FileVersion noteVersion_;
    std::array<common::FileVersion, 4> textVersions_{};
};

} // namespace quindara
