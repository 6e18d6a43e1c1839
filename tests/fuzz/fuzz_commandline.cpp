// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/commandline.h"
#include "fuzzcheck.h"

#include <QStringList>

// The input is a command line, one argument per line, read by both programs. Every reading ends in one
// action; a refusal always says why, and nothing else does; a folder is only ever what followed --folder;
// only the agenda searches, exchanges or syncs with a server.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 2048)
        return 0;
    const QStringList given = QString::fromUtf8(fuzz::bytesOf(data, size)).split(u'\n');
    for (const common::Program program : {common::Program::Agenda, common::Program::Calculator}) {
        const common::CommandLineOptions options =
            common::CommandLine(program).read(QStringList{QStringLiteral("programa")} + given);
        FUZZ_CHECK((options.action == common::CommandLineAction::Refuse) == !options.error.isEmpty());
        if (!options.folder.isEmpty())
            FUZZ_CHECK(QStringList(given).join(u'\n').contains(options.folder));
        if (program == common::Program::Calculator)
            FUZZ_CHECK(options.action != common::CommandLineAction::Search &&
                       options.action != common::CommandLineAction::Exchange &&
                       options.action != common::CommandLineAction::Sync &&
                       options.action != common::CommandLineAction::SyncSetup);
        if (options.action == common::CommandLineAction::SyncSetup)
            FUZZ_CHECK(!options.syncServer.isEmpty() && !options.syncUser.isEmpty());
        if (options.action == common::CommandLineAction::Search)
            FUZZ_CHECK(!options.searchText.trimmed().isEmpty());
    }
    return 0;
}
