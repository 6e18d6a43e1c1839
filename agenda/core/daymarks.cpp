#include "agenda/core/daymarks.h"

#include "agenda/core/calendar.h"
#include "agenda/core/daykeys.h"

namespace quindara {

DayMarks::DayMarks(const DataFolder& data)
    : holidays_(data.folder(folders::holidays)), yearlyReminders_(data.folder(folders::yearlyReminders)),
      oneYearReminders_(data.folder(folders::oneYearReminders)) {}

void DayMarks::refresh() {
    holidays_.refreshIfChanged();
    yearlyReminders_.refreshIfChanged();
    oneYearReminders_.refreshIfChanged();
}

void DayMarks::forceRefresh() {
    holidays_.refresh();
    yearlyReminders_.refresh();
    oneYearReminders_.refresh();
}

bool DayMarks::hasHoliday(const QString& annualKey) const {
    return holidays_.contains(annualKey + kTxt);
}

bool DayMarks::hasYearlyReminder(const QString& annualKey) const {
    return yearlyReminders_.contains(annualKey + kTxt);
}

bool DayMarks::hasOneYearReminder(const QString& datedKey) const {
    return oneYearReminders_.contains(datedKey + kTxt);
}

Mark DayMarks::markOf(const QString& day, const QString& month, const QString& year) const {
    if (hasOneYearReminder(datedKey(day, month, year)))
        return Mark::OneYearReminder;
    const QString annual = annualKey(day, month);
    if (hasYearlyReminder(annual))
        return Mark::YearlyReminder;
    if (hasHoliday(annual))
        return Mark::Holiday;
    return Mark::None;
}

quint32 DayMarks::colourOf(Mark mark, int column) {
    switch (mark) {
    case Mark::Holiday:
        return colours::holiday;
    case Mark::YearlyReminder:
        return colours::yearlyReminder;
    case Mark::OneYearReminder:
        return colours::oneYearReminder;
    case Mark::None:
        break;
    }
    return isWeekendColumn(column) ? colours::weekend : colours::weekday;
}

} // namespace quindara
