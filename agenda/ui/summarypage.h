// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/daynotes.h"

#include <QFrame>

class QPlainTextEdit;

namespace quindara {

class DecorativeStrip;

// The month summary (Frame1(2), Text3) or the year summary (Frame1(3), Text5) of the main window:
// every day note of the month or year shown, gathered into one text that is never stored.
class SummaryPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SummaryPage)

public:
    enum class Span { Month, Year };

    SummaryPage(Span span, DayNotes& notes, QWidget* parent = nullptr);

    void BuildMonthSummary(int year, int month);
    void BuildYearSummary(int year);

    QString text() const;
    QPlainTextEdit* summaryBox() const { return summaryBox_; }

private:
    DayNotes& notes_;
    // Picture3 or Picture2: the decorative strip at the left edge.
    DecorativeStrip* strip_;
    // Text3 or Text5.
    QPlainTextEdit* summaryBox_;
};

} // namespace quindara
