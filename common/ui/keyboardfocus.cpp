// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/keyboardfocus.h"

#include "common/ui/colourbutton.h"
#include "common/ui/controls.h"
#include "common/units.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace common {

namespace {

constexpr int kFrameWidth = 2;
// A ColourButton's dark outline and its two bevels.
constexpr int kButtonEdge = 3;
QString frameName() {
    return QStringLiteral("focusFrame");
}
// Controls whose tops differ by no more than this many pixels are read as one row.
constexpr int kRowTolerance = 8;

double relativeLuminance(const QColor& colour) {
    const auto linear = [](int channel) {
        const double value = channel / 255.0;
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.red()) + 0.7152 * linear(rgb.green()) + 0.0722 * linear(rgb.blue());
}

// The colour behind a control: that of the nearest ancestor that paints its background.
QColor surroundingColour(const QWidget& control) {
    const QWidget* behind = control.parentWidget();
    while (behind && !behind->isWindow() && !behind->autoFillBackground())
        behind = behind->parentWidget();
    if (!behind)
        return control.palette().color(QPalette::Window);
    return behind->palette().color(behind->backgroundRole());
}

// A ColourButton wears the frame just inside its bevels, on its own face, unless its drawing comes that close
// to the edge: then on the bevels, inside the outline. Every other control wears it on its outermost pixels,
// over its border, next to the window around it.
int frameInset(const QWidget& control) {
    const auto* button = qobject_cast<const ColourButton*>(&control);
    if (!button)
        return 0;
    if (!button->icon().isNull() && button->pictureMargin() <= kButtonEdge + kFrameWidth)
        return 1;
    return kButtonEdge;
}

// Black or white, whichever stands out more from all the colours next to the frame and under it.
QColor frameColour(const QWidget& control) {
    std::vector<QColor> neighbours;
    const bool transparentFace =
        qobject_cast<const QCheckBox*>(&control) || qobject_cast<const QRadioButton*>(&control);
    if (!transparentFace)
        neighbours.push_back(bgrColour(backColour(&control)));
    switch (frameInset(control)) {
    case 0:
        neighbours.push_back(surroundingColour(control));
        break;
    case 1:
        for (const QPalette::ColorRole bevel : {QPalette::Light, QPalette::Button, QPalette::Dark})
            neighbours.push_back(control.palette().color(bevel));
        break;
    default:
        break;
    }
    const auto leastContrast = [&neighbours](const QColor& frame) {
        double least = 21;
        for (const QColor& neighbour : neighbours)
            least = std::min(least, contrastRatio(frame, neighbour));
        return least;
    };
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return leastContrast(black) >= leastContrast(white) ? black : white;
}

// The part of a compound control that takes the focus stands for the whole control.
QWidget* shownControl(QWidget* focused) {
    QWidget* control = focused;
    while (control && control->parentWidget() && !control->isWindow() &&
           control->parentWidget()->focusProxy() == control && !control->parentWidget()->isWindow())
        control = control->parentWidget();
    return control;
}

// Draws a frame around the focused control of one window. It lies above the control, as a sibling, so that
// no control needs code of its own for it, and it lets the mouse through.
class FocusFrame final : public QWidget {
public:
    explicit FocusFrame(QWidget& window) : QWidget(&window), window_(window) {
        setObjectName(frameName());
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { follow(now); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == control_) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::ParentChange:
            case QEvent::ZOrderChange:
                place();
                break;
            default:
                break;
            }
        }
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent*) override {
        if (!control_)
            return;
        QPainter painter(this);
        const QColor colour = frameColour(*control_);
        const int inset = frameInset(*control_);
        const QRect outer = rect().adjusted(inset, inset, -inset, -inset);
        const int w = kFrameWidth;
        painter.fillRect(outer.left(), outer.top(), outer.width(), w, colour);
        painter.fillRect(outer.left(), outer.bottom() - w + 1, outer.width(), w, colour);
        painter.fillRect(outer.left(), outer.top() + w, w, outer.height() - 2 * w, colour);
        painter.fillRect(outer.right() - w + 1, outer.top() + w, w, outer.height() - 2 * w, colour);
    }

private:
    void follow(QWidget* focused) {
        QWidget* control =
            focused && focused != &window_ && focused->window() == &window_ ? shownControl(focused) : nullptr;
        if (control != control_) {
            if (control_)
                control_->removeEventFilter(this);
            control_ = control;
            if (control_)
                control_->installEventFilter(this);
        }
        place();
    }

    void place() {
        if (!control_ || !control_->isVisible() || control_->size().isEmpty()) {
            hide();
            return;
        }
        QWidget* parent = control_->parentWidget();
        if (parentWidget() != parent)
            setParent(parent);
        setGeometry(control_->geometry());
        raise();
        show();
        update();
    }

    QWidget& window_;
    QPointer<QWidget> control_;
};

bool isTabStop(const QWidget& control) {
    return (control.focusPolicy() & Qt::TabFocus) && !control.focusProxy();
}

bool holdsTabStop(const QWidget& container) {
    const QList<QWidget*> inside = container.findChildren<QWidget*>();
    return std::any_of(inside.cbegin(), inside.cend(),
                       [](const QWidget* control) { return !control->isWindow() && isTabStop(*control); });
}

// Appends the Tab stops inside `parent` in reading order: its children by rows from the top, each row from
// the left, and inside a child that groups controls (a page, a month of the year) its own controls in the
// same order before the next child. The parts of a control that takes the focus (a list's scroll bars)
// are the control's business.
void appendTabStops(const QWidget& parent, std::vector<QWidget*>& stops) {
    struct Item {
        QWidget* widget;
        QRect place;
    };
    std::vector<Item> items;
    for (QObject* child : parent.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        if (isTabStop(*widget) && widget->size().isEmpty()) {
            // Nothing would show where the focus is.
            widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() & ~Qt::TabFocus));
            continue;
        }
        if (isTabStop(*widget) || holdsTabStop(*widget))
            items.push_back({widget, widget->geometry()});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.place.top() < b.place.top(); });
    for (auto row = items.begin(); row != items.end();) {
        const int rowTop = row->place.top();
        const auto rowEnd = std::find_if(row, items.end(), [rowTop](const Item& item) {
            return item.place.top() > rowTop + kRowTolerance;
        });
        std::stable_sort(row, rowEnd,
                         [](const Item& a, const Item& b) { return a.place.left() < b.place.left(); });
        row = rowEnd;
    }
    for (const Item& item : items) {
        if (isTabStop(*item.widget))
            stops.push_back(item.widget);
        else
            appendTabStops(*item.widget, stops);
    }
}

} // namespace

double contrastRatio(const QColor& first, const QColor& second) {
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

void useFromKeyboard(QWidget& window) {
    if (!window.findChild<QWidget*>(frameName()))
        new FocusFrame(window);
    // A window that takes the keys itself keeps them when clicked or given the focus, but is no Tab stop:
    // nothing would show that Tab had reached it.
    window.setFocusPolicy(Qt::FocusPolicy(window.focusPolicy() & ~Qt::TabFocus));
    orderTabStops(window);
}

void orderTabStops(QWidget& window) {
    std::vector<QWidget*> stops;
    appendTabStops(window, stops);
    for (std::size_t k = 1; k < stops.size(); ++k)
        QWidget::setTabOrder(stops[k - 1], stops[k]);
}

} // namespace common
