// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "common/textfile.h"

#include <QString>
#include <QStringList>

namespace quindara {

// What the text pad writes into "texto.txt" for the page shown.
struct TextPadContent {
    QString text;
    common::Ending ending = common::Ending::Zoned;
};

// One page's text, written whole with its zoned ending.
TextPadContent textPadOfText(const QString& text);
// The week page: for each day its caption as one line, then its text as one line.
TextPadContent textPadOfWeek(const QStringList& captions, const QStringList& texts);
// A page with nothing to export leaves the file empty.
TextPadContent emptyTextPad();

common::Status writeTextPad(const DataFolder& data, const TextPadContent& content);

} // namespace quindara
