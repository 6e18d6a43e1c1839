// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/daypage.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/decorativestrip.h"
#include "agenda/ui/outsidechangeprompt.h"
#include "common/ui/longtext.h"
#include "common/units.h"

#include <QAbstractTextDocumentLayout>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>

namespace quindara {

namespace {

// The holiday is one line: Enter does not break it, and line breaks pasted or dropped into it become
// blanks. The reminders may take several lines.
class OneLineTextBox : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (!source->hasText())
            return;
        QString text = source->text();
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(u'\r', u' ');
        text.replace(u'\n', u' ');
        insertPlainText(text);
    }
};

QPlainTextEdit* placeTextBox(QPlainTextEdit* box, const QString& name, int left, int top, int width,
                             int height) {
    box->setObjectName(name);
    box->setGeometry(common::twipsRect(left, top, width, height));
    // Tab goes on to the next control, as in every box of the window, and on to the month grid.
    box->setTabChangesFocus(true);
    return box;
}

// A box as tall as a few lines shows them without a scroll bar, their margins a little cut; a text of more
// lines (a file edited elsewhere, two versions kept) gets one, so no line of it is hidden.
void scrollWhenLonger(QPlainTextEdit* box) {
    QObject::connect(box->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged,
                     box, [box](const QSizeF& size) {
                         // The plain text layout counts the document's height in lines.
                         const int shown = std::max(1, box->height() / box->fontMetrics().lineSpacing());
                         box->setVerticalScrollBarPolicy(size.height() > shown ? Qt::ScrollBarAlwaysOn
                                                                               : Qt::ScrollBarAlwaysOff);
                     });
}

// Holiday, reminder and saints boxes: centred bold text, like a caption that can be edited.
QPlainTextEdit* makeDayText(QWidget* page, int index, int top, int width, int height, quint32 colour) {
    auto* kind = index == 0 ? new OneLineTextBox(page) : new QPlainTextEdit(page);
    QPlainTextEdit* box = placeTextBox(kind, elementName("Text9", index), 840, top, width, height);
    box->setFont(arialFont(12, true));
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollWhenLonger(box);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->document()->setDocumentMargin(1);
    QTextOption centred = box->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    box->document()->setDefaultTextOption(centred);
    setBackColour(box, colour);
    return box;
}

// What each box holds, and when it is saved: the accessible name and the tooltip say it in the same words.
struct BoxUse {
    const char* name;
    const char* saved;
};
constexpr BoxUse kNoteUse = {"Nota del día", "Se guarda al salir del cuadro, al cambiar de día y al salir."};
// Text9(0..3).
constexpr BoxUse kTextUses[4] = {
    {"Festivo", "Se guarda para este día de todos los años con el botón G de su derecha."},
    {"Recordatorio de todos los años",
     "Se guarda para este día de todos los años con el botón G de su derecha."},
    {"Santoral", "Viene con el programa: lo que se escriba aquí no se guarda."},
    {"Recordatorio de este año", "Se guarda solo para este día de este año con el botón G de su derecha."},
};
// Command11(0..2), which save Text9(0), Text9(1) and Text9(3).
constexpr BoxUse kSaveUses[3] = {
    {"Guardar el festivo", "Guarda el festivo en este día de todos los años al pulsarlo."},
    {"Guardar el recordatorio de todos los años",
     "Guarda el recordatorio en este día de todos los años al pulsarlo."},
    {"Guardar el recordatorio de este año",
     "Guarda el recordatorio solo en este día de este año al pulsarlo."},
};

// The name as the accessible name, and the name with when it is saved as tooltip and description.
void describe(QWidget* control, const BoxUse& use) {
    const QString name = QString::fromUtf8(use.name);
    const QString saved = QString::fromUtf8(use.saved);
    control->setAccessibleName(name);
    control->setAccessibleDescription(saved);
    control->setToolTip(name + QStringLiteral(". ") + saved);
}

} // namespace

DayPage::DayPage(const DataFolder& data, DayNotes& notes, common::DesktopServices& desktop, QWidget* parent)
    : QFrame(parent), data_(data), notes_(notes), desktop_(desktop) {
    setObjectName(QStringLiteral("Frame1_0"));
    Picture1 = new DecorativeStrip(QStringLiteral("Picture1"), 615, this);

    Text9[0] = makeDayText(this, 0, 240, 7575, 330, colours::holidayBox);
    Text9[3] = makeDayText(this, 3, 600, 7575, 810, colours::oneYearReminderBox);
    Text1 = placeTextBox(new QPlainTextEdit(this), QStringLiteral("Text1"), 840, 1440, 7815, 5415);
    Text1->setFont(arialFont(18));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text9[1] = makeDayText(this, 1, 6840, 7575, 570, colours::yearlyReminderBox);
    Text9[2] = makeDayText(this, 2, 7440, 7815, 570, colours::saintsBox);
    describe(Text1, kNoteUse);
    for (int k = 0; k < 4; ++k)
        describe(Text9[k], kTextUses[k]);

    // Each "G" sits right of its box, as tall as the box.
    const std::array<QPlainTextEdit*, 3> savedBoxes = {Text9[0], Text9[1], Text9[3]};
    for (int k = 0; k < 3; ++k) {
        const QRect box = savedBoxes[k]->geometry();
        Command11[k] = new ColourButton(QStringLiteral("G"), this);
        Command11[k]->setObjectName(elementName("Command11", k));
        Command11[k]->setGeometry(box.right() + 1, box.top(), common::twips(240), box.height());
        Command11[k]->setFont(arialFont(9.75, true));
        setBackColour(Command11[k], 0x0000FF00); // green
        describe(Command11[k], kSaveUses[k]);
        connect(Command11[k], &QPushButton::clicked, this, [this, k] { Command11_Click(k); });
    }
    Text1->installEventFilter(this);
    setEnabled(false);
}

void DayPage::showDay(const QDate& date, const DayTexts& texts) {
    shownDate_ = date;
    loadNote();
    for (int box = 0; box < 4; ++box)
        showDayText(box, texts);
    emit unreadableFilesShown({texts.unreadable.begin(), texts.unreadable.end()});
    setEnabled(true);
}

void DayPage::showDayText(int box, const DayTexts& texts) {
    const std::array<const QString*, 4> shown = {&texts.holiday, &texts.yearlyReminder, &texts.saints,
                                                 &texts.oneYearReminder};
    const bool whole = common::showTextWholeOrCut(Text9[box], *shown[box]);
    textVersions_[box] = texts.versions[box];
    // A file that cannot be read shows as empty, and one shown cut is not all there: nothing typed or
    // saved here may replace it.
    static constexpr int kButtonOfBox[4] = {0, 1, -1, 2};
    const bool editable = texts.unreadable.at(box).isEmpty() && whole;
    if (kButtonOfBox[box] >= 0) {
        Text9[box]->setReadOnly(!editable);
        Command11[kButtonOfBox[box]]->setEnabled(editable);
    }
}

void DayPage::showOutsideChanges(const DayTexts& texts) {
    if (!shownDate_.isValid())
        return;
    if (!DayNoteEdited() && notes_.changedSince(shownNoteKey_, noteVersion_))
        loadNote();
    for (int box = 0; box < 4; ++box) {
        if (!Text9[box]->document()->isModified() && !texts.versions[box].sameContentAs(textVersions_[box]))
            showDayText(box, texts);
    }
}

void DayPage::clearDay() {
    shownDate_ = QDate();
    shownNoteKey_.clear();
    // Emptying an empty box costs a new document each time the month is redrawn; its undo steps go too.
    const QTextDocument* box = Text1->document();
    if (!box->isEmpty() || box->isUndoAvailable() || box->isRedoAvailable())
        common::showTextWholeOrCut(Text1, QString());
    Text1->document()->setModified(false);
    for (int k = 0; k < 3; ++k)
        Text9[k]->clear();
    setEnabled(false);
}

void DayPage::reloadNote() {
    // A note that could not be stored stays in its box rather than being replaced by the stored one.
    if (!DayNoteEdited())
        loadNote();
}

void DayPage::loadNote() {
    shownNoteKey_ = shownDate_.isValid() ? dayNoteKey(shownDate_) : QString();
    const StoredText note = shownNoteKey_.isEmpty() ? StoredText{} : notes_.load(shownNoteKey_);
    noteVersion_ = note.version;
    // Only the user's own edits count as edits.
    const bool whole = common::showTextWholeOrCut(Text1, note.text);
    Text1->setReadOnly(!note.readable() || !whole);
    emit unreadableFilesShown({note.unreadablePath});
}

void DayPage::stopSavingOnLeave() {
    saveOnLeave_ = false;
}

QString DayPage::noteText() const {
    return common::boxText(Text1);
}

bool DayPage::eventFilter(QObject* watched, QEvent* event) {
    // A context menu taking the focus is not the user leaving the box.
    if (watched == Text1 && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        Text1_LostFocus();
    return QFrame::eventFilter(watched, event);
}

// The box keeps showing the note just stored: an export of the page right after holds it.
void DayPage::Text1_LostFocus() {
    if (!saveOnLeave_)
        return;
    if (const common::Status saved = SaveDayNote(); !saved)
        emit noteSaveFailed(saved.error());
}

bool DayPage::DayNoteEdited() const {
    return Text1->document()->isModified();
}

common::Status DayPage::SaveDayNote() {
    if (!DayNoteEdited() || shownNoteKey_.isEmpty())
        return {};
    bool keptOther = false;
    common::Status saved = saveEditedDayNote(notes_, desktop_, shownNoteKey_, Text1, noteVersion_,
                                             [this, &keptOther](const StoredText&) {
                                                 keptOther = true;
                                                 loadNote();
                                             });
    if (saved && !keptOther)
        emit noteSaved();
    return saved;
}

// Command11(2) saves Text9(3), the reminder for this year only; Text9(2) holds the saints.
void DayPage::Command11_Click(int Index) {
    if (!shownDate_.isValid())
        return;
    static constexpr DayTextKind kKinds[3] = {DayTextKind::Holiday, DayTextKind::YearlyReminder,
                                              DayTextKind::OneYearReminder};
    static constexpr int kBoxes[3] = {0, 1, 3};
    const QString day = QString::number(shownDate_.day());
    const QString month = monthName(shownDate_.month());
    const QString year = QString::number(shownDate_.year());
    QPlainTextEdit* box = Text9[kBoxes[Index]];
    QString text = box->toPlainText();
    const StoredText stored = readDayText(data_, kKinds[Index], day, month, year);
    if (stored.readable() && !stored.version.sameContentAs(textVersions_[kBoxes[Index]])) {
        static const char* const kWhat[3] = {"la fiesta del %1", "el recordatorio anual del %1",
                                             "el recordatorio del %1"};
        // The holiday's box shows one line: both holidays kept stay on it.
        const auto resolved = askAboutOutsideChange(
            desktop_, QString::fromUtf8(kWhat[Index]).arg(datedKey(day, month, year)), text, stored,
            Index == 0 ? common::TextShape::OneLine : common::TextShape::Lines);
        if (!resolved) {
            box->setPlainText(stored.text);
            box->document()->setModified(false);
            textVersions_[kBoxes[Index]] = stored.version;
            emit dayTextStored();
            return;
        }
        text = *resolved;
        if (text != box->toPlainText())
            box->setPlainText(text);
    }
    const common::Result<DayTextChange> change = storeDayText(data_, kKinds[Index], day, month, year, text);
    if (!change) {
        desktop_.showMessage(QStringLiteral("No se ha podido guardar el texto del %1.\nERROR: %2")
                                 .arg(datedKey(day, month, year), change.error()));
        return;
    }
    textVersions_[kBoxes[Index]] = readDayText(data_, kKinds[Index], day, month, year).version;
    box->document()->setModified(false);
    emit dayTextStored();
}

} // namespace quindara
