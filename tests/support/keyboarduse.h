// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Checks of a window used without a mouse, as a user sees it: where Tab goes, and whether the focused
// control can be told from the others.

#include "common/ui/keyboardfocus.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <array>

namespace keyboarduse {

// Pixels whose tops differ by no more than this are on one line for a reader.
inline constexpr int kLine = 8;

inline QRect placeIn(const QWidget& window, const QWidget* control) {
    return {control->mapTo(&window, QPoint(0, 0)), control->size()};
}

// The controls of a window a user could reach with Tab and see: shown, enabled and with a size.
inline QList<QWidget*> visibleStops(QWidget& window) {
    QList<QWidget*> stops;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->window() != &window || !(control->focusPolicy() & Qt::TabFocus) ||
            control->focusProxy() || !control->isVisible() || !control->isEnabled() ||
            control->size().isEmpty())
            continue;
        bool inner = false;
        for (QWidget* above = control->parentWidget(); above && above != &window;
             above = above->parentWidget())
            inner = inner || (above->focusPolicy() & Qt::TabFocus);
        if (!inner)
            stops.append(control);
    }
    return stops;
}

inline QString describe(const QWidget& window, const QWidget* control) {
    const QRect place = placeIn(window, control);
    return QStringLiteral("%1(%2,%3)").arg(control->objectName()).arg(place.x()).arg(place.y());
}

// Whether a reader comes to `to` after `from`: compared where their branches part (the two children of
// their nearest common parent that hold them: two controls, or a page and the month grid), `to` lies on a
// later line, or on the same line further right.
inline bool readsAfter(const QWidget* from, const QWidget* to) {
    QList<const QWidget*> fromBranch;
    for (const QWidget* w = from; w; w = w->parentWidget())
        fromBranch.prepend(w);
    QList<const QWidget*> toBranch;
    for (const QWidget* w = to; w; w = w->parentWidget())
        toBranch.prepend(w);
    qsizetype k = 0;
    while (k < fromBranch.size() && k < toBranch.size() && fromBranch[k] == toBranch[k])
        ++k;
    if (k == fromBranch.size() || k == toBranch.size())
        return false;
    const QRect a = fromBranch[k]->geometry();
    const QRect b = toBranch[k]->geometry();
    return std::abs(b.top() - a.top()) <= kLine ? b.left() > a.left() : b.top() > a.top();
}

// The control a reader meets first.
inline QWidget* firstOnScreen(QWidget& window) {
    QWidget* first = nullptr;
    for (QWidget* control : visibleStops(window))
        if (!first || readsAfter(control, first))
            first = control;
    return first;
}

// Presses Tab from the first control on the screen until the focus comes back to it. Empty when the focus
// went through every control the user sees exactly once, each one shown, in reading order; otherwise what
// went wrong.
inline QString tabOrderProblem(QWidget& window) {
    QWidget* first = firstOnScreen(window);
    if (!first)
        return QStringLiteral("no control");
    first->setFocus(Qt::TabFocusReason);
    if (QApplication::focusWidget() != first)
        return QStringLiteral("%1 takes no focus").arg(first->objectName());
    const QList<QWidget*> expected = visibleStops(window);
    QList<QWidget*> visited{first};
    QStringList path{describe(window, first)};
    for (int k = 0; k <= expected.size(); ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (!focused)
            return QStringLiteral("the focus left: ") + path.join(u' ');
        if (focused == first)
            break;
        path.append(describe(window, focused));
        if (!focused->isVisible() || focused->size().isEmpty() || focused->visibleRegion().isEmpty())
            return QStringLiteral("the focus went where nothing shows: ") + path.join(u' ');
        if (visited.contains(focused))
            return QStringLiteral("reached twice: ") + path.join(u' ');
        if (!readsAfter(visited.constLast(), focused))
            return QStringLiteral("not in reading order: ") + path.join(u' ');
        visited.append(focused);
    }
    if (QApplication::focusWidget() != first)
        return QStringLiteral("the focus never came back: ") + path.join(u' ');
    QStringList missed;
    for (QWidget* control : expected)
        if (!visited.contains(control))
            missed.append(describe(window, control));
    if (!missed.isEmpty())
        return QStringLiteral("never reached %1: %2").arg(missed.join(u' '), path.join(u' '));
    return {};
}

// Focuses `control` and compares the window around it before and after, as one would by eye. Empty when a
// frame at least two pixels thick runs all round the control, within its outer eight pixels, whose
// pixels differ from the unfocused look by a contrast of at least 3:1; otherwise what is missing.
inline QString focusFrameProblem(QWidget* control) {
    QWidget* area = control->parentWidget();
    const QRect place = control->geometry();
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus();
    QCoreApplication::processEvents();
    const QImage before = area->grab(place).toImage();
    control->setFocus(Qt::TabFocusReason);
    if (!control->hasFocus())
        return QStringLiteral("%1 takes no focus").arg(control->objectName());
    QCoreApplication::processEvents();
    const QImage after = area->grab(place).toImage();
    const auto changed = [&](int x, int y) {
        return common::contrastRatio(before.pixelColor(x, y), after.pixelColor(x, y)) >= 3;
    };
    constexpr int kDepth = 8;
    constexpr int kCorner = 8;
    const int w = before.width();
    const int h = before.height();
    for (int side = 0; side < 4; ++side) {
        const bool horizontal = side < 2;
        const int length = horizontal ? w : h;
        for (int along = kCorner; along < length - kCorner; ++along) {
            int count = 0;
            for (int depth = 0; depth < kDepth; ++depth) {
                const std::array<QPoint, 4> at{QPoint(along, depth), QPoint(along, h - 1 - depth),
                                               QPoint(depth, along), QPoint(w - 1 - depth, along)};
                const QPoint p = at[std::size_t(side)];
                count += changed(p.x(), p.y()) ? 1 : 0;
            }
            if (count < 2)
                return QStringLiteral("%1: no frame at side %2, %3 pixels along")
                    .arg(control->objectName())
                    .arg(side)
                    .arg(along);
        }
    }
    return {};
}

} // namespace keyboarduse
