// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/calculatorfolder.h"
#include "calculator/core/savedlogs.h"
#include "common/conflictcopy.h"
#include "common/programfolder.h"
#include "common/timestamp.h"
#include "fuzzcheck.h"

#include <QDir>
#include <QFileInfo>

using namespace tallimo;

// The input is names of a saved-logs folder separated by line feeds. A name that stands for a moment
// is written back as a name for the same moment; time-stamp names are safe and stay in the folder;
// the order puts every time-stamp name first, newest first (a sync tool's conflict copy of one with it), and
// keeps every name.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 2048)
        return 0;
    const CalculatorFolder folder(QStringLiteral("/programa"));
    const QDir logs(folder.savedLogsFolder());
    const QStringList names = QString::fromUtf8(fuzz::bytesOf(data, size)).split(u'\n');
    for (const QString& name : names) {
        if (common::isSafeFileName(name))
            FUZZ_CHECK(QFileInfo(folder.savedLog(name)).absolutePath() == logs.absolutePath());
        const auto moment = timeStampOf(name);
        if (!moment)
            continue;
        const QString written = common::timeStampName(*moment);
        FUZZ_CHECK(common::isSafeFileName(written));
        FUZZ_CHECK(timeStampOf(written) == moment);
        FUZZ_CHECK(QFileInfo(folder.savedLog(written)).absolutePath() == logs.absolutePath());
    }

    const QStringList ordered = orderedLogNames(names);
    FUZZ_CHECK(ordered.size() == names.size());
    QStringList sortedIn = names;
    QStringList sortedOut = ordered;
    sortedIn.sort();
    sortedOut.sort();
    FUZZ_CHECK(sortedIn == sortedOut);
    bool plainSeen = false;
    std::optional<QDateTime> previous;
    for (const QString& name : ordered) {
        const auto copy = common::parseConflictCopyName(name);
        const auto moment = timeStampOf(copy ? copy->originalName : name);
        if (!moment) {
            plainSeen = true;
            continue;
        }
        FUZZ_CHECK(!plainSeen);
        if (previous)
            FUZZ_CHECK(*moment <= *previous);
        previous = moment;
    }
    return 0;
}
