// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/outsidechangeprompt.h"

#include "common/conflictcopy.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPlainTextEdit>
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

// Questions about outside changes open right now. They are modal, so there is one program-wide count.
int openQuestions = 0;

struct OpenQuestion {
    OpenQuestion() { ++openQuestions; }
    ~OpenQuestion() { --openQuestions; }
    OpenQuestion(const OpenQuestion&) = delete;
    OpenQuestion& operator=(const OpenQuestion&) = delete;
};

} // namespace

bool outsideQuestionOpen() {
    return openQuestions > 0;
}

common::OutsideChoice askOutsideChoice(common::DesktopServices& desktop, const QString& what,
                                       const QDateTime& otherTime) {
    // The widget taking the focus from the box being saved, if that is what brought the question up.
    QWidget* focused = QApplication::focusWidget();
    const OpenQuestion open;
    const int answer =
        desktop.askChoice(common::outsideChangeQuestion(what, otherTime),
                          QStringLiteral("Cambiado en otro equipo"), common::outsideChoiceCaptions(), 0);
    finishClickAfterQuestion(focused);
    return answer == 1   ? common::OutsideChoice::UseMine
           : answer == 2 ? common::OutsideChoice::UseOther
                         : common::OutsideChoice::KeepBoth;
}

std::optional<QString> askAboutOutsideChange(common::DesktopServices& desktop, const QString& what,
                                             const QString& mine, const StoredText& other,
                                             common::TextShape shape) {
    const QDateTime otherTime = other.version.modified();
    return common::resolveOutsideChange(askOutsideChoice(desktop, what, otherTime), mine, other.text,
                                        otherTime, shape);
}

common::Status saveEditedDayNote(DayNotes& notes, common::DesktopServices& desktop, const QString& key,
                                 QPlainTextEdit* box, common::FileVersion& version,
                                 const std::function<void(const StoredText&)>& showOther) {
    QString text = box->toPlainText();
    if (const auto other = notes.changedSince(key, version); other && other->readable()) {
        const auto resolved = askAboutOutsideChange(desktop, QStringLiteral("el día ") + key, text, *other);
        if (!resolved) {
            showOther(*other);
            return {};
        }
        text = *resolved;
    }
    if (const common::Status written = notes.save(key, text); !written) {
        desktop.setClipboardText(text);
        return common::Status::failure(noteSaveFailureMessage(key, written.error()));
    }
    if (text != box->toPlainText())
        box->setPlainText(text);
    version = notes.version(key);
    box->document()->setModified(false);
    return {};
}

ConflictCopyOffer::ConflictCopyOffer(common::DesktopServices& desktop, const common::Clock& clock, Tell tell)
    : desktop_(desktop), clock_(clock), tell_(std::move(tell)) {}

bool ConflictCopyOffer::offer(const Wording& wording, const QString& copyPath,
                              const std::function<common::Status()>& merge) {
    if (declined_.contains(copyPath))
        return false;
    const QString copyName = QFileInfo(copyPath).fileName();
    const common::ConflictCopy copy =
        common::parseConflictCopyName(copyName).value_or(common::ConflictCopy{});
    // The subject opens the sentence: "La fiesta (...)", not "la fiesta".
    QString subject = wording.subject;
    if (!subject.isEmpty())
        subject[0] = subject[0].toUpper();
    const QString question =
        QStringLiteral("%1 tiene una copia en conflicto, hecha por %2 el %3:\n%4\n\n"
                       "¿Unir la copia %5? Se conservan %6, y después se borra la copia.")
            .arg(subject, copy.tool, common::readableWhen(copy, clock_.today()), copyName, wording.into,
                 wording.kept);
    const bool join = [&] {
        const OpenQuestion open;
        return desktop_.askYesNo(question, QStringLiteral("Copia en conflicto"), common::DefaultAnswer::Yes);
    }();
    if (!join) {
        declined_.insert(copyPath);
        return false;
    }
    if (const common::Status joined = merge(); !joined) {
        tell_(QStringLiteral("No se ha podido unir la copia %1.\nERROR: %2").arg(copyName, joined.error()));
        return false;
    }
    return true;
}

} // namespace quindara
