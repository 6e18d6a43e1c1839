// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/configuration.h"

#include "calculator/core/calculatorfolder.h"
#include "common/textfile.h"

namespace tallimo {

namespace {
constexpr int kNameSlots = kOperationCount + 1;
} // namespace

QString currencySymbolOf(const QString& text) {
    if (text.isEmpty() || text.front().category() == QChar::Other_Control)
        return {};
    // A character outside the basic plane is two UTF-16 units; keep both.
    return text.left(text.front().isHighSurrogate() ? 2 : 1);
}

CalculatorConfiguration readConfiguration(const CalculatorFolder& folder) {
    CalculatorConfiguration configuration;

    const QStringList names = common::readLines(folder.startFile());
    for (int k = 0; k < kNameSlots; ++k)
        configuration.operationNames.append(k < kOperationCount ? names.value(k) : QString());

    const QStringList help = common::readLines(folder.helpFile());
    for (int k = 0; k < kOperationCount; ++k) {
        if (k < help.size())
            configuration.lastHelpText = help[k];
        configuration.helpTexts.append(configuration.lastHelpText);
    }

    configuration.currencySymbol =
        currencySymbolOf(common::readTextOrEmpty(folder.currencyFile(), common::Ending::Bare));
    return configuration;
}

} // namespace tallimo
