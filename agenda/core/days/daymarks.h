// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "common/folderindex.h"

#include <QString>

namespace quindara {

// Colours as 0x00BBGGRR values.
namespace colours {
inline constexpr quint32 weekday = 0x00FFFFFF;         // white
inline constexpr quint32 weekend = 0x0000FF00;         // green
inline constexpr quint32 holiday = 0x0000FFFF;         // yellow
inline constexpr quint32 yearlyReminder = 0x00F597FD;  // pink
inline constexpr quint32 oneYearReminder = 0x00E4FA27; // turquoise
inline constexpr quint32 selected = 255;               // red
// Lighter hues of the day page's boxes.
inline constexpr quint32 holidayBox = 0x00C0FFFF;
inline constexpr quint32 yearlyReminderBox = 0x00FFC0FF;
inline constexpr quint32 oneYearReminderBox = 0x00FFFF80;
inline constexpr quint32 saintsBox = 0x008080FF;
} // namespace colours

enum class Mark { None, Holiday, YearlyReminder, OneYearReminder };

// Every mark a day carries, as a screen reader tells them; the colour shows the strongest.
struct DayMarkSet {
    bool holiday = false;
    bool yearlyReminder = false;
    bool oneYearReminder = false;

    Mark strongest() const;
};

// Decides which mark a day carries from the three marking folders, each looked at (one stat, a listing
// when it changed) at most once per drawing, and only when a lookup needs it.
class DayMarks {
public:
    explicit DayMarks(const DataFolder& data);

    // Call once before a drawing: each folder is looked at again on its next lookup.
    void refresh();
    // Call after the program itself wrote or deleted a marking file.
    void forceRefresh();

    bool hasHoliday(const QString& annualKey) const;
    bool hasYearlyReminder(const QString& annualKey) const;
    bool hasOneYearReminder(const QString& datedKey) const;

    // The strongest mark of a day: one-year reminder over yearly reminder over holiday.
    Mark markOf(const QString& day, const QString& month, const QString& year) const;
    // Every mark of a day; this looks at all three folders, where markOf may stop at the first.
    DayMarkSet marksOf(const QString& day, const QString& month, const QString& year) const;
    // The text of a day's holiday on one line, read from its file; empty when there is none.
    QString holidayName(const QString& annualKey) const;
    // Back colour of a day button in `column` carrying `mark` (weekend columns are green).
    static quint32 colourOf(Mark mark, int column);

    const common::FolderIndex& holidays() const { return holidays_.current(); }
    const common::FolderIndex& yearlyReminders() const { return yearlyReminders_.current(); }
    const common::FolderIndex& oneYearReminders() const { return oneYearReminders_.current(); }

private:
    struct LazyIndex {
        const common::FolderIndex& current() const;

        mutable common::FolderIndex index;
        mutable bool looked = false;
    };

    LazyIndex holidays_;
    LazyIndex yearlyReminders_;
    LazyIndex oneYearReminders_;
};

} // namespace quindara
