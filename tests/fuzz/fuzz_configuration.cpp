// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/calculatorfolder.h"
#include "calculator/core/configuration.h"
#include "common/textfile.h"
#include "fuzzcheck.h"

#include <QDir>
#include <QTemporaryDir>

using namespace tallimo;

// The input is the three configuration files separated by a 0xFF byte. Whatever they hold, every key
// gets a one-line name and help text and the currency is one character or none.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir programFolder;
    const CalculatorFolder folder(programFolder.path());
    static const bool created = folder.createMissingFolders().ok();
    FUZZ_CHECK(created);

    const QList<QByteArray> parts = fuzz::bytesOf(data, size).split('\xff');
    const QString files[] = {folder.startFile(), folder.helpFile(), folder.currencyFile()};
    for (int i = 0; i < 3; ++i) {
        if (i < parts.size())
            FUZZ_CHECK(common::writeBytes(files[i], parts[i]));
        else
            QFile::remove(files[i]);
    }

    const CalculatorConfiguration configuration = readConfiguration(folder);
    FUZZ_CHECK(configuration.operationNames.size() == kOperationCount + 1);
    FUZZ_CHECK(configuration.operationNames.last().isEmpty());
    FUZZ_CHECK(configuration.helpTexts.size() == kOperationCount);
    FUZZ_CHECK(configuration.helpTexts.last() == configuration.lastHelpText);
    for (const QStringList& texts : {configuration.operationNames, configuration.helpTexts}) {
        for (const QString& text : texts)
            FUZZ_CHECK(!text.contains(u'\n') && !text.contains(u'\r'));
    }
    const QString& symbol = configuration.currencySymbol;
    FUZZ_CHECK(symbol.size() <= 2);
    if (!symbol.isEmpty())
        FUZZ_CHECK(symbol.front().category() != QChar::Other_Control);
    if (symbol.size() == 2)
        FUZZ_CHECK(symbol.front().isHighSurrogate());
    return 0;
}
