#include "agenda/core/calendar.h"

#include <QDate>

namespace quindara {

int MonthLayout::dayOnButton(int index) const {
    const int day = index - firstIndex + 1;
    return day >= 1 && day <= daysInMonth ? day : 0;
}

MonthLayout monthLayout(int year, int month) {
    const QDate first(year, month, 1);
    if (!first.isValid())
        return {};
    return {year, month, first.dayOfWeek() - 1, first.daysInMonth()};
}

int janFirstWeekday(int year) {
    return QDate(year, 1, 1).dayOfWeek() - 1;
}

bool isWeekendColumn(int column) {
    return column % kGridColumns >= 5;
}

bool isListedYear(int year) {
    return year >= kFirstYear && year <= kLastYear;
}

} // namespace quindara
