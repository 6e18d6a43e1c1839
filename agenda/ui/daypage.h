#pragma once

#include "agenda/core/dayreader.h"

#include <QFrame>

#include <array>

class QPlainTextEdit;
class QPushButton;

namespace quindara {

class DecorativeStrip;

// The day page (Frame1(0)): the selected day's note, holiday, reminders and saints. The main window fills
// it when a day is selected; the day-editing handlers work on its controls directly.
class DayPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DayPage)

public:
    explicit DayPage(QWidget* parent);

    void showNote(const QString& note);
    // Text9(0..3); the attachment lists are the attachment panel's.
    void showTexts(const DayTexts& texts);
    // While no day is selected: the note and the three yearly texts are emptied.
    void clearYearlyTextsAndNote();

    // The day's notes.
    QPlainTextEdit* Text1 = nullptr;
    // 0 holiday, 1 yearly reminder, 2 saints, 3 reminder for this year only.
    std::array<QPlainTextEdit*, 4> Text9{};
    // The "G" save buttons: 0 saves Text9(0), 1 saves Text9(1), 2 saves Text9(3).
    std::array<QPushButton*, 3> Command11{};
    DecorativeStrip* Picture1 = nullptr;
};

} // namespace quindara
