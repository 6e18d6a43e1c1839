#include "agenda/ui/summarypage.h"

#include "common/icons.h"
#include "common/units.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace quindara {

namespace {

// Every picture of the page goes through here, so the artwork is wired in one place.
void setPicture(QLabel* label, common::Icon icon) {
    label->setPixmap(common::iconPixmap(icon, label->size()));
}

} // namespace

SummaryPage::SummaryPage(Span span, DayNotes& notes, QWidget* parent) : QFrame(parent), notes_(notes) {
    const bool month = span == Span::Month;
    setObjectName(month ? QStringLiteral("Frame1_2") : QStringLiteral("Frame1_3"));
    setAutoFillBackground(true);
    resize(common::twipsSize(8895, 8295));

    strip_ = new QLabel(this);
    strip_->setObjectName(month ? QStringLiteral("Picture3") : QStringLiteral("Picture2"));
    strip_->setGeometry(common::twipsRect(120, 240, 735, 7935));
    setPicture(strip_, common::Icon::DecorativeStrip);

    summaryBox_ = new QPlainTextEdit(this);
    summaryBox_->setObjectName(month ? QStringLiteral("Text3") : QStringLiteral("Text5"));
    summaryBox_->setGeometry(common::twipsRect(960, 240, 7815, 7935));
    summaryBox_->setFont(QFont(QStringLiteral("Arial"), 12));
    summaryBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void SummaryPage::BuildMonthSummary(int year, int month) {
    summaryBox_->setPlainText(notes_.monthSummary(year, month));
}

void SummaryPage::BuildYearSummary(int year) {
    summaryBox_->setPlainText(notes_.yearSummary(year));
}

QString SummaryPage::text() const {
    return summaryBox_->toPlainText();
}

} // namespace quindara
