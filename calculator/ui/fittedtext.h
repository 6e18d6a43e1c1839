// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QLabel>
#include <QString>

class QLineEdit;

namespace tallimo {

// A value shown in a fixed width never loses its sign or its leading digits to that width: its font
// shrinks (down to 6 points) until the text fits.

// A label of such values, aligned right. A text that does not fit even in the smallest font is shown
// elided in the middle ("-1.234.5…789,00 €"), its start and end in sight, the whole text in the tooltip.
class FittedLabel : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FittedLabel)

public:
    FittedLabel(QWidget* parent, const QString& name, const QRect& twipsPlace, const QFont& font);

    // The whole value, which text() shows as far as it fits.
    const QString& valueText() const { return value_; }
    void setValueText(const QString& text);

private:
    QFont font_;
    QString value_;
};

// Keeps every text given to `edit` fitted in its width: shrunk in the font, and when that is not enough,
// shown from its start. For the result, whose text never outgrows the smallest font.
void keepValueFitted(QLineEdit* edit);

// Shows `value` in `edit` as a FittedLabel does: in the largest font from `base` down that fits, elided
// in the middle when even the smallest font is too wide, the whole value then in the tooltip. For a
// typed row, which may hold any number of digits.
void showFittedValue(QLineEdit* edit, const QString& value, const QFont& base);

} // namespace tallimo
