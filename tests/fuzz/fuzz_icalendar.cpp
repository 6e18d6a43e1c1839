// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/formats/icalendar.h"
#include "fuzzcheck.h"

using namespace quindara;

// Any bytes read as days up to 2100, dated ones from 1901 on, or as a refusal with no days; as holidays
// too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const bool asHolidays : {false, true}) {
        IcsReadOptions options;
        options.asHolidays = asHolidays;
        options.zone = QTimeZone::utc();
        options.today = QDate(2026, 12, 8);
        const IcsReading reading = readIcs(bytes, options);
        FUZZ_CHECK(reading.refusal.isEmpty() || reading.items.isEmpty());
        for (const CalendarItem& item : reading.items) {
            FUZZ_CHECK(item.date.isValid());
            // Every year's days may have begun before 1901; the others fall within the years.
            const bool everyYear =
                item.kind == CalendarKind::Holiday || item.kind == CalendarKind::YearlyReminder;
            FUZZ_CHECK((everyYear || item.date.year() >= 1901) && item.date.year() <= 2100);
        }
    }
    return 0;
}
