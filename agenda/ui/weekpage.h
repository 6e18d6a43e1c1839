#pragma once

#include "agenda/core/week.h"

#include <QFrame>

#include <array>

class QLabel;
class QPlainTextEdit;

namespace quindara {

// The week page (Frame1(1)): one heading and one note box per day, Monday first. The heading's caption is
// the key under which its box's note is stored.
class WeekPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WeekPage)

public:
    explicit WeekPage(QWidget* parent);

    void showWeek(const QStringList& dayNoteKeys, const QStringList& notes);

    std::array<QLabel*, kDaysInWeek> Label3{};
    std::array<QPlainTextEdit*, kDaysInWeek> Text2{};
    // "Semana 1": the ISO week of the days shown, taken from the Monday's key.
    QLabel* weekNumber = nullptr;
};

} // namespace quindara
