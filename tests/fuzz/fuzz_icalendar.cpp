#include "agenda/core/icalendar.h"
#include "fuzzcheck.h"

using namespace quindara;

// Any bytes read as days within the listed years 1901-2100 with a one-line text, or as a refusal with
// no days; as holidays too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const bool asHolidays : {false, true}) {
        IcsReadOptions options;
        options.asHolidays = asHolidays;
        options.zone = QTimeZone::utc();
        const IcsReading reading = readIcs(bytes, options);
        FUZZ_CHECK(reading.refusal.isEmpty() || reading.items.isEmpty());
        for (const CalendarItem& item : reading.items) {
            FUZZ_CHECK(item.date.isValid());
            FUZZ_CHECK(item.date.year() >= 1901 && item.date.year() <= 2100);
        }
    }
    return 0;
}
