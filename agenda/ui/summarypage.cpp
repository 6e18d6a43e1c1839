// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/summarypage.h"

#include "agenda/ui/controls.h"
#include "agenda/ui/decorativestrip.h"
#include "common/ui/longtext.h"
#include "common/units.h"

#include <QPlainTextEdit>

namespace quindara {

SummaryPage::SummaryPage(Span span, DayNotes& notes, QWidget* parent) : QFrame(parent), notes_(notes) {
    const bool month = span == Span::Month;
    setObjectName(month ? QStringLiteral("Frame1_2") : QStringLiteral("Frame1_3"));
    resize(common::twipsSize(8895, 8295));
    strip_ = new DecorativeStrip(month ? QStringLiteral("Picture3") : QStringLiteral("Picture2"), 735, this);

    summaryBox_ = new QPlainTextEdit(this);
    summaryBox_->setObjectName(month ? QStringLiteral("Text3") : QStringLiteral("Text5"));
    summaryBox_->setGeometry(common::twipsRect(960, 240, 7815, 7935));
    summaryBox_->setFont(arialFont(12));
    summaryBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The summary is made, not typed: Tab goes on to the next control.
    summaryBox_->setTabChangesFocus(true);
    summaryBox_->setAccessibleName(month ? QStringLiteral("Resumen del mes")
                                         : QStringLiteral("Resumen del año"));
}

void SummaryPage::BuildMonthSummary(int year, int month) {
    summaryBox_->setReadOnly(!common::showTextWholeOrCut(summaryBox_, notes_.monthSummary(year, month)));
}

void SummaryPage::BuildYearSummary(int year) {
    summaryBox_->setReadOnly(!common::showTextWholeOrCut(summaryBox_, notes_.yearSummary(year)));
}

QString SummaryPage::text() const {
    return common::boxText(summaryBox_);
}

} // namespace quindara
