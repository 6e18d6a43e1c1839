// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/notespadpage.h"

#include "agenda/ui/controls.h"
#include "agenda/ui/deferredmessages.h"
#include "common/ui/longtext.h"
#include "common/units.h"

#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>

#include <utility>

namespace quindara {

NotesPadPage::NotesPadPage(const DataFolder& data, const common::Clock& clock,
                           common::DesktopServices& desktop, QWidget* parent)
    : QFrame(parent), pad_(data, clock), desktop_(desktop), messages_(new DeferredMessages(desktop, this)),
      copyOffer_(desktop, clock, [this](const QString& text) { tell(text); }) {
    setObjectName(QStringLiteral("Frame1_4"));
    resize(common::twipsSize(8895, 8295));

    Text6 = new QPlainTextEdit(this);
    Text6->setObjectName(QStringLiteral("Text6"));
    Text6->setGeometry(common::twipsRect(120, 240, 6135, 7935));
    Text6->setFont(arialFont(14.25));
    Text6->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text6->setTabChangesFocus(true);
    setBackColour(Text6, 0x0080FFFF); // pale yellow
    setForeColour(Text6, 0x00C00000); // dark blue
    Text6->installEventFilter(this);
    Text6->setAccessibleName(QStringLiteral("Nota del bloc"));

    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(common::twipsRect(6360, 240, 2415, 7095));
    File1->setFont(arialFont(9.75));
    File1->viewport()->installEventFilter(this);
    File1->setAccessibleName(QStringLiteral("Notas guardadas"));

    Command13 = makeButton(this, QStringLiteral("Command13"), QRect(6360, 7440, 2415, 615),
                           QStringLiteral("ELIMINAR"));
    Command13->setFont(arialFont(12, true));
    setBackColour(Command13, 0x000000FF); // red
    Command13->setAccessibleDescription(QStringLiteral("Elimina la nota abierta"));

    connect(Text6, &QPlainTextEdit::textChanged, this, &NotesPadPage::Text6_Change);
    connect(Text6->document(), &QTextDocument::contentsChange, this, &NotesPadPage::forgetNoteWhenAllRemoved);
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
    return common::boxText(Text6);
}

bool NotesPadPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == File1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            listPressed_ = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            listPressed_ = false;
            // After the list has taken the release, and with it the click.
            if (std::exchange(refreshAfterRelease_, false))
                QTimer::singleShot(0, this, &NotesPadPage::refreshFile1);
        }
    }
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

void NotesPadPage::forgetNoteWhenAllRemoved(int position, int removed, int added) {
    // The document counts one more character than the text: its closing paragraph separator.
    const int lengthBefore = Text6->document()->characterCount() - added + removed;
    if (!reopening_ && position == 0 && lengthBefore > 1 && removed >= lengthBefore - 1)
        editedNote_.reset();
}

void NotesPadPage::Text6_LostFocus() {
    if (const common::Status saved = saveIfEdited(); !saved) {
        // Told once, not at every leave, until a save works again.
        if (saved.error() != toldFailure_)
            messages_->post(saved.error());
        toldFailure_ = saved.error();
        return;
    }
    // The click that took the focus may be choosing a note: let it land before the list changes.
    QTimer::singleShot(0, this, &NotesPadPage::refreshFile1AfterClick);
}

void NotesPadPage::refreshFile1AfterClick() {
    if (listPressed_)
        refreshAfterRelease_ = true;
    else
        refreshFile1();
}

common::Status NotesPadPage::savePendingNote() {
    common::Status saved = saveIfEdited();
    // The caller tells this failure; an earlier telling still waiting would show it twice.
    if (!saved)
        messages_->withdraw({saved.error()});
    refreshFile1();
    return saved;
}

common::Status NotesPadPage::saveIfEdited() {
    if (!NotesPadEdited)
        return {};
    // An emptied pad stores nothing and deletes nothing.
    if (!Text6->toPlainText().isEmpty()) {
        const QString text = Text6->toPlainText();
        const common::Result<QString> name = pad_.save(text, editedNote_);
        // Still edited after a failure: the text stays in the pad and the next leave tries again.
        if (!name)
            return common::Status::failure(
                QStringLiteral("No se ha podido guardar la nota del bloc de notas.\nERROR: ") + name.error());
        editedNote_ = PadNote{*name, text};
    }
    NotesPadEdited = false;
    toldFailure_.clear();
    return {};
}

void NotesPadPage::tell(const QString& text) {
    messages_->post(text);
    messages_->showNow();
}

QString NotesPadPage::chosenNote() const {
    const QListWidgetItem* item = File1->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toString() : QString();
}

QListWidgetItem* NotesPadPage::itemOf(const QString& name) const {
    for (int row = 0; !name.isEmpty() && row < File1->count(); ++row) {
        if (File1->item(row)->data(Qt::UserRole).toString() == name)
            return File1->item(row);
    }
    return nullptr;
}

void NotesPadPage::refreshFile1() {
    const QString chosen = chosenNote();
    const QSignalBlocker blocker(File1);
    File1->clear();
    listed_ = pad_.listing();
    // A note with a conflict copy says so; the copy itself is no note of its own.
    for (const QString& name : std::as_const(listed_.names)) {
        auto* item = new QListWidgetItem(
            listed_.copiesOf(name).isEmpty() ? name : common::conflictCopyLabel(name), File1);
        item->setData(Qt::UserRole, name);
    }
    if (QListWidgetItem* found = itemOf(chosen))
        File1->setCurrentItem(found);
    else
        File1->setCurrentRow(-1);
}

void NotesPadPage::showOutsideChanges() {
    if (!NotesPadEdited && editedNote_) {
        const auto stored = pad_.read(editedNote_->name);
        if (stored && *stored != editedNote_->text) {
            showNote(*stored);
            editedNote_->text = *stored;
        }
    }
    refreshFile1AfterClick();
}

void NotesPadPage::File1_Click() {
    const QString name = chosenNote();
    if (name.isEmpty())
        return;
    offerCopyMerges(name);
    const auto note = pad_.read(name);
    if (!note) {
        tell(QStringLiteral("No se ha podido abrir la nota %1.").arg(name));
        refreshFile1();
        return;
    }
    showNote(*note);
    editedNote_ = PadNote{name, *note};
}

void NotesPadPage::showNote(const QString& text) {
    reopening_ = true;
    // A note shown cut cannot be changed here, so no save replaces it with the cut text.
    Text6->setReadOnly(!common::showTextWholeOrCut(Text6, text));
    reopening_ = false;
}

void NotesPadPage::openNote(const QString& name) {
    Text6_LostFocus();
    refreshFile1();
    // A conflict copy (a search hit) opens the note it belongs to, where it can be merged.
    const auto copy = common::parseConflictCopyName(name);
    QListWidgetItem* found = copy ? itemOf(copy->originalName) : nullptr;
    if (!found)
        found = itemOf(name);
    if (!found) {
        tell(QStringLiteral("No se ha podido abrir la nota %1.").arg(name));
        return;
    }
    File1->setCurrentItem(found);
    File1_Click();
}

void NotesPadPage::offerCopyMerges(const QString& name) {
    bool merged = false;
    const ConflictCopyOffer::Wording wording{QStringLiteral("La nota ") + name, QStringLiteral("a la nota"),
                                             QStringLiteral("los dos textos, primero el de la copia")};
    for (const QString& copyName : listed_.copiesOf(name)) {
        const QString copyPath = QDir(pad_.folder()).filePath(copyName);
        // Merged already by a click a moment ago, or removed elsewhere.
        if (QFileInfo::exists(copyPath))
            merged =
                copyOffer_.offer(wording, copyPath, [&] { return pad_.mergeCopy(name, copyName); }) || merged;
    }
    // The list loses the sign once the click that opened the note is over.
    if (merged)
        QTimer::singleShot(0, this, &NotesPadPage::refreshFile1);
}

void NotesPadPage::Command13_Click() {
    const QString name = chosenNote();
    if (name.isEmpty())
        return;
    if (!desktop_.askYesNo(QStringLiteral("¿Eliminar la nota %1? No se puede deshacer.").arg(name),
                           QStringLiteral("Eliminar nota"), common::DefaultAnswer::No))
        return;
    if (const common::Status removed = pad_.remove(name); !removed)
        tell(QStringLiteral("No se ha podido eliminar la nota %1.\nERROR: %2").arg(name, removed.error()));
    refreshFile1();
}

} // namespace quindara
