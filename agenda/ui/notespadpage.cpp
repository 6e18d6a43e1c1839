#include "agenda/ui/notespadpage.h"

#include "agenda/ui/deferredmessages.h"
#include "common/units.h"

#include <QFocusEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace quindara {

NotesPadPage::NotesPadPage(const DataFolder& data, const common::Clock& clock,
                           common::DesktopServices& desktop, QWidget* parent)
    : QFrame(parent), pad_(data, clock), messages_(new DeferredMessages(desktop, this)) {
    setObjectName(QStringLiteral("Frame1_4"));
    setAutoFillBackground(true);
    resize(common::twipsSize(8895, 8295));

    Text6 = new QPlainTextEdit(this);
    Text6->setObjectName(QStringLiteral("Text6"));
    Text6->setGeometry(common::twipsRect(120, 240, 6135, 7935));
    QFont padFont(QStringLiteral("Arial"));
    padFont.setPointSizeF(14.25);
    Text6->setFont(padFont);
    Text6->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text6->setStyleSheet(QStringLiteral("QPlainTextEdit { background-color: %1; color: %2; }")
                             .arg(common::bgrColor(0x0080FFFF).name(), common::bgrColor(0x00C00000).name()));
    Text6->installEventFilter(this);

    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(common::twipsRect(6360, 240, 2415, 7095));
    QFont listFont(QStringLiteral("Arial"));
    listFont.setPointSizeF(9.75);
    File1->setFont(listFont);

    Command13 = new QPushButton(QStringLiteral("ELIMINAR"), this);
    Command13->setObjectName(QStringLiteral("Command13"));
    Command13->setGeometry(common::twipsRect(6360, 7440, 2415, 615));
    Command13->setFont(QFont(QStringLiteral("Arial"), 12, QFont::Bold));
    Command13->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; }").arg(common::bgrColor(0x000000FF).name()));

    connect(Text6, &QPlainTextEdit::textChanged, this, &NotesPadPage::Text6_Change);
    connect(File1, &QListWidget::itemClicked, this, &NotesPadPage::File1_Click);
    // Moving through the list with the keyboard opens notes too.
    connect(File1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && File1->hasFocus())
            File1_Click();
    });
    connect(Command13, &QPushButton::clicked, this, &NotesPadPage::Command13_Click);

    refreshFile1();
}

QString NotesPadPage::text() const {
    return Text6->toPlainText();
}

bool NotesPadPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text6 && event->type() == QEvent::FocusOut) {
        // Another window or a menu taking the focus is not the user leaving the pad.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Text6_LostFocus();
    }
    return QFrame::eventFilter(watched, event);
}

void NotesPadPage::Text6_Change() {
    if (!reopening_)
        NotesPadEdited = true;
}

void NotesPadPage::Text6_LostFocus() {
    saveIfEdited(Telling::AfterTheClick);
}

void NotesPadPage::savePendingNote() {
    saveIfEdited(Telling::Now);
}

void NotesPadPage::saveIfEdited(Telling telling) {
    if (!NotesPadEdited)
        return;
    // An emptied pad stores nothing and deletes nothing.
    if (!Text6->toPlainText().isEmpty()) {
        QString error;
        if (!pad_.save(Text6->toPlainText(), &error)) {
            // Still edited: the text stays in the pad and the next leave tries again.
            tell(QStringLiteral("No se ha podido guardar la nota del bloc de notas.\nERROR: ") + error,
                 telling);
            return;
        }
    }
    NotesPadEdited = false;
    if (telling == Telling::Now) {
        refreshFile1();
        return;
    }
    // The click that took the focus may be choosing a note: let it land before the list changes.
    QTimer::singleShot(0, this, &NotesPadPage::refreshFile1);
}

void NotesPadPage::tell(const QString& text, Telling telling) {
    messages_->post(text);
    if (telling == Telling::Now)
        messages_->showNow();
}

QString NotesPadPage::chosenNote() const {
    const QListWidgetItem* item = File1->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void NotesPadPage::refreshFile1() {
    const QString chosen = chosenNote();
    const QSignalBlocker blocker(File1);
    File1->clear();
    File1->addItems(pad_.noteNames());
    const QList<QListWidgetItem*> found = File1->findItems(chosen, Qt::MatchExactly);
    if (!chosen.isEmpty() && !found.isEmpty())
        File1->setCurrentItem(found.first());
    else
        File1->setCurrentRow(-1);
}

void NotesPadPage::File1_Click() {
    const QString name = chosenNote();
    if (name.isEmpty())
        return;
    const auto note = pad_.read(name);
    if (!note) {
        tell(QStringLiteral("No se ha podido abrir la nota %1.").arg(name), Telling::Now);
        refreshFile1();
        return;
    }
    reopening_ = true;
    Text6->setPlainText(*note);
    reopening_ = false;
}

void NotesPadPage::Command13_Click() {
    const QString name = chosenNote();
    if (name.isEmpty())
        return;
    QString error;
    if (!pad_.remove(name, &error))
        tell(QStringLiteral("No se ha podido eliminar la nota %1.\nERROR: %2").arg(name, error),
             Telling::Now);
    refreshFile1();
}

} // namespace quindara
