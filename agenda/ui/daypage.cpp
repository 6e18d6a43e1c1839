#include "agenda/ui/daypage.h"

#include "agenda/core/daymarks.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/decorativestrip.h"
#include "common/units.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextOption>

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
    return box;
}

// Holiday, reminder and saints boxes: centred bold text, no scroll bars, like a caption that can be edited.
QPlainTextEdit* makeDayText(QWidget* page, int index, int top, int width, int height, quint32 colour) {
    auto* kind = index == 0 ? new OneLineTextBox(page) : new QPlainTextEdit(page);
    QPlainTextEdit* box = placeTextBox(kind, arrayName("Text9", index), 840, top, width, height);
    box->setFont(arialFont(12, true));
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->document()->setDocumentMargin(1);
    QTextOption centred = box->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    box->document()->setDefaultTextOption(centred);
    setBackColor(box, colour);
    return box;
}

} // namespace

DayPage::DayPage(QWidget* parent) : QFrame(parent) {
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

    // Each "G" sits right of its box, as tall as the box.
    const std::array<QPlainTextEdit*, 3> savedBoxes = {Text9[0], Text9[1], Text9[3]};
    for (int k = 0; k < 3; ++k) {
        const QRect box = savedBoxes[k]->geometry();
        Command11[k] = new ColourButton(QStringLiteral("G"), this);
        Command11[k]->setObjectName(arrayName("Command11", k));
        Command11[k]->setGeometry(box.right() + 1, box.top(), common::twips(240), box.height());
        Command11[k]->setFont(arialFont(9.75, true));
        setBackColor(Command11[k], 0x0000FF00); // green
    }
}

void DayPage::showNote(const QString& note) {
    Text1->setPlainText(note);
}

void DayPage::showTexts(const DayTexts& texts) {
    Text9[0]->setPlainText(texts.holiday);
    Text9[1]->setPlainText(texts.yearlyReminder);
    Text9[2]->setPlainText(texts.saints);
    Text9[3]->setPlainText(texts.oneYearReminder);
    // A file that cannot be read shows as empty: nothing typed or saved here may replace it.
    static constexpr int kSavedBoxes[3] = {0, 1, 3};
    for (int k = 0; k < 3; ++k) {
        const bool readable = texts.unreadable.at(kSavedBoxes[k]).isEmpty();
        Text9[kSavedBoxes[k]]->setReadOnly(!readable);
        Command11[k]->setEnabled(readable);
    }
}

void DayPage::clearYearlyTextsAndNote() {
    Text1->clear();
    for (int k = 0; k < 3; ++k)
        Text9[k]->clear();
}

} // namespace quindara
