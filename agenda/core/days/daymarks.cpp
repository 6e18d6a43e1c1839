// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/daymarks.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/storedtext.h"

namespace quindara {

DayMarks::DayMarks(const DataFolder& data)
    : holidays_{common::FolderIndex(data.folder(folders::holidays))},
      yearlyReminders_{common::FolderIndex(data.folder(folders::yearlyReminders))},
      oneYearReminders_{common::FolderIndex(data.folder(folders::oneYearReminders))} {}

void DayMarks::refresh() {
    for (LazyIndex* folder : {&holidays_, &yearlyReminders_, &oneYearReminders_})
        folder->looked = false;
}

void DayMarks::forceRefresh() {
    for (LazyIndex* folder : {&holidays_, &yearlyReminders_, &oneYearReminders_}) {
        folder->index.refresh();
        folder->looked = true;
    }
}

const common::FolderIndex& DayMarks::LazyIndex::current() const {
    // A folder is looked at on its first lookup after refresh(): a month whose days all stop at a
    // one-year reminder never lists the other two folders.
    if (!looked) {
        index.refreshIfChanged();
        looked = true;
    }
    return index;
}

bool DayMarks::hasHoliday(const QString& annualKey) const {
    return holidays_.current().contains(annualKey + kTxt);
}

bool DayMarks::hasYearlyReminder(const QString& annualKey) const {
    return yearlyReminders_.current().contains(annualKey + kTxt);
}

bool DayMarks::hasOneYearReminder(const QString& datedKey) const {
    return oneYearReminders_.current().contains(datedKey + kTxt);
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

Mark DayMarkSet::strongest() const {
    if (oneYearReminder)
        return Mark::OneYearReminder;
    if (yearlyReminder)
        return Mark::YearlyReminder;
    return holiday ? Mark::Holiday : Mark::None;
}

DayMarkSet DayMarks::marksOf(const QString& day, const QString& month, const QString& year) const {
    const QString annual = annualKey(day, month);
    return {hasHoliday(annual), hasYearlyReminder(annual), hasOneYearReminder(datedKey(day, month, year))};
}

QString DayMarks::holidayName(const QString& annualKey) const {
    return readIndexedText(holidays(), annualKey + kTxt, common::Ending::Line).text.simplified();
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
