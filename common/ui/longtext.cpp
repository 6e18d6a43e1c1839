// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/longtext.h"

#include <QPlainTextEdit>
#include <QVariant>

#include <optional>

namespace common {

namespace {

constexpr char kFullText[] = "fullText";

// The text with every line longer than kLongestShownLine cut, or nothing when no line is.
std::optional<QString> cutLongLines(const QString& text) {
    std::optional<QString> cut;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        if (end - start > kLongestShownLine) {
            if (!cut)
                cut = text.left(start);
            cut->append(QStringView(text).sliced(start, kLongestShownLine));
            cut->append(u'…');
        } else if (cut) {
            cut->append(QStringView(text).sliced(start, end - start));
        }
        if (end < text.size() && cut)
            cut->append(u'\n');
        start = end + 1;
    }
    return cut;
}

} // namespace

bool showTextWholeOrCut(QPlainTextEdit* box, const QString& text) {
    const std::optional<QString> cut = cutLongLines(text);
    box->setPlainText(cut.value_or(text));
    box->document()->setModified(false);
    box->setProperty(kFullText, cut ? QVariant(text) : QVariant());
    box->setToolTip(
        cut ? QStringLiteral("Una línea de este texto es demasiado larga para mostrarla entera: se "
                             "muestra cortada y no se puede cambiar aquí. El archivo la conserva "
                             "completa.")
            : QString());
    if (cut)
        box->setReadOnly(true);
    return !cut;
}

QString boxText(const QPlainTextEdit* box) {
    const QVariant full = box->property(kFullText);
    return full.isValid() ? full.toString() : box->toPlainText();
}

} // namespace common
