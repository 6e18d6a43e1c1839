#pragma once

#include "common/ui/colourbutton.h"

#include <QColor>
#include <QRect>
#include <QString>

class QAbstractButton;
class QFont;
class QLabel;
class QWidget;

namespace quindara {

// The exact-colour button both programs share.
using common::ColourButton;

// A ColourButton that keeps its back colour in a field of its own instead of the palette: the year
// overview recolours hundreds of day buttons per redraw, and a palette change per button costs several
// times the rest of the drawing. setBackColor and backColor handle it like any other control.
class DayButton : public ColourButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DayButton)

public:
    using ColourButton::ColourButton;

    const QColor& backColour() const { return backColour_; }
    void setBackColour(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor backColour_ = Qt::white;
};

// Object name of one element of a control array: "Command1_5".
QString arrayName(const char* name, int index);

QFont arialFont(double points, bool bold = false);

// Back colours as 0x00BBGGRR, on the palette role each kind of control paints its face with.
void setBackColor(QWidget* control, quint32 colour);
quint32 backColor(const QWidget* control);
void setForeColor(QWidget* control, quint32 colour);

// A ColourButton at a place given in twips.
QPushButton* makeButton(QWidget* parent, const QString& name, const QRect& twipsPlace,
                        const QString& caption = QString());
// A label with a transparent background at a place given in twips.
QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& twipsPlace, const QString& caption);

// What a picture button shows.
enum class Picture {
    Calculator,
    Clipboard,
    People,
    SpiralNotepad,
    Minimize,
    Exit,
    YearCalendar,
    ArrowUp,
    ArrowDown,
    AttachThisYear,
    AttachEveryYear,
    OverviewUp,
    OverviewDown,
    OverviewClose,
    Magnifier,
    Exchange,
};

// Every button picture of the agenda goes through here: the shared drawing, and a tooltip and an accessible
// name saying what the button is for.
void setPicture(QAbstractButton* button, Picture picture);

} // namespace quindara
