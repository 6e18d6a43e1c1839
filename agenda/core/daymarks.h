#pragma once

#include "agenda/core/datafolder.h"
#include "common/folderindex.h"

#include <QString>

namespace quindara {

// Colours as 0x00BBGGRR values.
namespace colours {
inline constexpr quint32 weekday = 16777215;         // white
inline constexpr quint32 weekend = 65280;            // green
inline constexpr quint32 holiday = 65535;            // yellow
inline constexpr quint32 yearlyReminder = 16095229;  // pink
inline constexpr quint32 oneYearReminder = 15006247; // turquoise
inline constexpr quint32 selected = 255;             // red
// Lighter hues of the day page's boxes.
inline constexpr quint32 holidayBox = 12648447;
inline constexpr quint32 yearlyReminderBox = 16761087;
inline constexpr quint32 oneYearReminderBox = 16777088;
inline constexpr quint32 saintsBox = 8421631;
} // namespace colours

enum class Mark { None, Holiday, YearlyReminder, OneYearReminder };

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
