// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/storedtext.h"
#include "agenda/core/days/week.h"
#include "common/desktopservices.h"

#include <QDate>
#include <QFrame>

#include <array>
#include <optional>

class QLabel;
class QPlainTextEdit;

namespace quindara {

class DayNotes;

// The week page (Frame1(1)): one heading and one note box per day, Monday first. The heading's caption is
// the key under which its box's note is stored; a box is stored when the user leaves it.
class WeekPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WeekPage)

public:
    WeekPage(DayNotes& notes, common::DesktopServices& desktop, QWidget* parent);

    // Loads the notes of the week that holds `day`.
    void ShowWeekPage(const QDate& day);
    // Shows again every note changed elsewhere whose box the user is not editing.
    void showOutsideChanges();
    // Only a box the user changed is stored; an emptied one stores the empty note, as on the day page.
    // Returns the failure to tell; the text is then on the clipboard too.
    common::Status SaveWeekDayNote(int Index);
    QStringList captions() const;
    QStringList texts() const;
    // For a closing window: the focus leaving a box then stores nothing.
    void stopSavingOnLeave();

    std::array<QLabel*, kDaysInWeek> Label3{};
    std::array<QPlainTextEdit*, kDaysInWeek> Text2{};
    // "Semana 1": the ISO week of the days shown.
    QLabel* weekNumber = nullptr;

signals:
    void noteSaveFailed(const QString& message);
    void noteSaved();
    void unreadableFilesShown(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Text2_LostFocus(int Index);
    void showNote(int Index, const StoredText& note);

    DayNotes& notes_;
    common::DesktopServices& desktop_;
    // True once the page holds the keys of a real week, so its boxes can be saved.
    bool weekShown_ = false;
    // The day keys of the shown week, which its captions show and its files are named by.
    QStringList keys_;
    bool saveOnLeave_ = true;
    // Days of the shown week outside 1901-2100: shown locked, never stored.
    std::array<bool, kDaysInWeek> outside_{};
    // What each box's file held when the box was filled or stored.
    std::array<common::FileVersion, kDaysInWeek> versions_{};
};

} // namespace quindara
