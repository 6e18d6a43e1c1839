#include "agenda/core/exchangecommand.h"

#include "agenda/core/exchange.h"

namespace quindara {

int runExchangeCommand(const common::CommandLineOptions& options, const QString& programFolder,
                       QTextStream& out) {
    const DataFolder data(programFolder);
    const QString& file = options.exchangeFile;
    ExchangeResult result;
    switch (options.exchange) {
    case common::ExchangeKind::ExportIcs:
        result = exportIcs(data, file, options.withNotes);
        break;
    case common::ExchangeKind::ImportIcs: {
        IcsReadOptions read;
        read.asHolidays = options.asHolidays;
        result = importIcs(data, file, read);
        break;
    }
    case common::ExchangeKind::ExportVcf:
        result = exportVcf(data, file, options.category.isEmpty() ? folders::allContacts : options.category);
        break;
    case common::ExchangeKind::ImportVcf:
        result = importVcf(data, file, options.category.isEmpty() ? kImportedCategory : options.category);
        break;
    }
    out << result.summary();
    if (!result.summary().endsWith(u'\n'))
        out << '\n';
    out.flush();
    return result.exitCode();
}

} // namespace quindara
