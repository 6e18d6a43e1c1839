// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/textpad.h"

namespace quindara {

TextPadContent textPadOfText(const QString& text) {
    return {text, common::Ending::Zoned};
}

TextPadContent textPadOfWeek(const QStringList& captions, const QStringList& texts) {
    QStringList lines;
    for (qsizetype i = 0; i < captions.size(); ++i) {
        lines.append(captions.at(i));
        lines.append(texts.value(i));
    }
    // Every line, the last one too, ends in CR LF: the Line ending after the joined text.
    return {lines.join(u'\n'), common::Ending::Line};
}

TextPadContent emptyTextPad() {
    return {QString(), common::Ending::Bare};
}

common::Status writeTextPad(const DataFolder& data, const TextPadContent& content) {
    return common::writeText(data.textPadFile(), content.text, content.ending);
}

} // namespace quindara
