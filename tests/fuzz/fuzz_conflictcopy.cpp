// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/conflictcopy.h"
#include "fuzzcheck.h"

// The input is one file name. A name taken for a sync tool's conflict copy names a known tool, stands for
// a shorter original in the same folder, and says "conflict" somewhere (the folder index finds the copies
// by that word alone); reading the same name twice gives the same answer.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1024)
        return 0;
    const QString name = QString::fromUtf8(fuzz::bytesOf(data, size));
    const std::optional<common::ConflictCopy> copy = common::parseConflictCopyName(name);
    const std::optional<common::ConflictCopy> again = common::parseConflictCopyName(name);
    FUZZ_CHECK(copy.has_value() == again.has_value());
    if (!copy)
        return 0;
    FUZZ_CHECK(copy->originalName == again->originalName && copy->tool == again->tool &&
               copy->when == again->when);
    FUZZ_CHECK(copy->tool == QLatin1String("Syncthing") || copy->tool == QLatin1String("Nextcloud") ||
               copy->tool == QLatin1String("Dropbox"));
    FUZZ_CHECK(!copy->originalName.isEmpty());
    FUZZ_CHECK(copy->originalName.size() < name.size());
    FUZZ_CHECK(name.contains(QLatin1String("conflict"), Qt::CaseInsensitive));
    FUZZ_CHECK(name.contains(u'/') || !copy->originalName.contains(u'/'));
    return 0;
}
