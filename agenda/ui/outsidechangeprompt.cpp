#include "agenda/ui/outsidechangeprompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

namespace quindara {

namespace {

// The question comes up while the box being saved loses the focus, which a click on a button does as the
// button is pressed. The question's box then takes the release, and the button gets its press only after
// the answer: it would stay down and its click would be lost. Once the answer is in, that click is
// finished as the user meant it.
void finishClickAfterQuestion(QWidget* focused) {
    const QPointer<QAbstractButton> button = qobject_cast<QAbstractButton*>(focused);
    if (!button)
        return;
    QTimer::singleShot(0, button, [button] {
        if (!button || !button->isDown() || (QGuiApplication::mouseButtons() & Qt::LeftButton))
            return;
        const QPointF centre = QRectF(button->rect()).center();
        QMouseEvent release(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &release);
    });
}

} // namespace

std::optional<QString> askAboutOutsideChange(common::DesktopServices& desktop, const QString& what,
                                             const QString& mine, const StoredText& other) {
    // The widget taking the focus from the box being saved, if that is what brought the question up.
    QWidget* focused = QApplication::focusWidget();
    const QDateTime otherTime = other.version.modified();
    const int answer =
        desktop.askChoice(common::outsideChangeQuestion(what, otherTime),
                          QStringLiteral("Cambiado en otro equipo"), common::outsideChoiceCaptions(), 0);
    finishClickAfterQuestion(focused);
    const auto choice = answer == 1   ? common::OutsideChoice::UseMine
                        : answer == 2 ? common::OutsideChoice::UseOther
                                      : common::OutsideChoice::KeepBoth;
    return common::resolveOutsideChange(choice, mine, other.text, otherTime);
}

} // namespace quindara
