// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/weekpage.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daynotes.h"

#include "agenda/core/calendar/weeknumber.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/outsidechangeprompt.h"
#include "common/ui/longtext.h"
#include "common/units.h"

#include <QFocusEvent>
#include <QLabel>
#include <QPlainTextEdit>

namespace quindara {

namespace {

const char* const kDesignCaptions[kDaysInWeek] = {"Lunes",   "Martes", "Miércoles", "Jueves",
                                                  "Viernes", "Sábado", "Domingo"};
// A text colour of its own for each day, so neighbouring notes are told apart at a glance.
constexpr quint32 kNoteColours[kDaysInWeek] = {0x00800000, 0x00006400, 0x000000A0, 0x00800080,
                                               0x00606000, 0x00004080, 0x004000C0};

} // namespace

WeekPage::WeekPage(DayNotes& notes, common::DesktopServices& desktop, QWidget* parent)
    : QFrame(parent), notes_(notes), desktop_(desktop) {
    setObjectName(QStringLiteral("Frame1_1"));
    for (int k = 0; k < kDaysInWeek; ++k) {
        const int top = 480 + 1080 * k;
        Label3[k] = makeLabel(this, elementName("Label3", k), QRect(120, top, 5775, 375),
                              QString::fromUtf8(kDesignCaptions[k]));
        Label3[k]->setFont(arialFont(12, true));
        Text2[k] = new QPlainTextEdit(this);
        Text2[k]->setObjectName(elementName("Text2", k));
        Text2[k]->setGeometry(common::twipsRect(120, top + 375, 8655, 660));
        Text2[k]->setFont(arialFont(12));
        Text2[k]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        Text2[k]->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Text2[k]->setTabChangesFocus(true);
        setForeColour(Text2[k], kNoteColours[k]);
        Text2[k]->installEventFilter(this);
        // The heading above shows the date; the box's name says whose note it is until a week is shown.
        Text2[k]->setAccessibleName(QStringLiteral("Nota del ") +
                                    QString::fromUtf8(kDesignCaptions[k]).toLower());
    }
    // Right-aligned above the note boxes' right end, clear of the first heading.
    weekNumber = makeLabel(this, QStringLiteral("weekNumber"), QRect(6015, 90, 2760, 375), QString());
    weekNumber->setFont(arialFont(12, true));
    weekNumber->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void WeekPage::ShowWeekPage(const QDate& day) {
    if (!day.isValid())
        return;
    keys_ = weekDayNoteKeys(day);
    const std::array<QDate, kDaysInWeek> days = weekOf(day);
    QStringList unreadable;
    for (int k = 0; k < kDaysInWeek; ++k) {
        // The first and last weeks reach into 1900 and 2101, which the agenda does not keep.
        outside_[k] = days[k].year() < kFirstYear || days[k].year() > kLastYear;
        const StoredText note = notes_.load(keys_.value(k));
        Label3[k]->setText(keys_.value(k));
        Text2[k]->setAccessibleName(QStringLiteral("Nota del ") + spokenDay(days[k]));
        showNote(k, note);
        unreadable.append(note.unreadablePath);
    }
    emit unreadableFilesShown(unreadable);
    weekNumber->setText(weekCaption(day));
    weekShown_ = true;
}

void WeekPage::showNote(int Index, const StoredText& note) {
    const bool whole = common::showTextWholeOrCut(Text2[Index], note.text);
    // A note that cannot be read shows as empty and locked, so nothing replaces it; so does one shown cut,
    // and a day outside the agenda's years.
    Text2[Index]->setReadOnly(!note.readable() || !whole || outside_[Index]);
    Text2[Index]->setEnabled(!outside_[Index]);
    versions_[Index] = note.version;
}

void WeekPage::showOutsideChanges() {
    if (!weekShown_)
        return;
    for (int k = 0; k < kDaysInWeek; ++k) {
        if (Text2[k]->document()->isModified())
            continue;
        if (const auto other = notes_.changedSince(keys_.value(k), versions_[k]))
            showNote(k, *other);
    }
}

common::Status WeekPage::SaveWeekDayNote(int Index) {
    QPlainTextEdit* box = Text2[Index];
    if (!weekShown_ || outside_[Index] || !box->document()->isModified())
        return {};
    bool keptOther = false;
    common::Status saved = saveEditedDayNote(notes_, desktop_, keys_.value(Index), box, versions_[Index],
                                             [this, Index, &keptOther](const StoredText& other) {
                                                 keptOther = true;
                                                 showNote(Index, other);
                                             });
    if (saved && !keptOther)
        emit noteSaved();
    return saved;
}

QStringList WeekPage::captions() const {
    return weekShown_ ? keys_ : QStringList(kDaysInWeek, QString());
}

QStringList WeekPage::texts() const {
    QStringList found;
    for (const QPlainTextEdit* box : Text2)
        found.append(common::boxText(box));
    return found;
}

bool WeekPage::eventFilter(QObject* watched, QEvent* event) {
    // A context menu taking the focus is not the user leaving the box.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        for (int k = 0; k < kDaysInWeek; ++k) {
            if (watched == Text2[k])
                Text2_LostFocus(k);
        }
    }
    return QFrame::eventFilter(watched, event);
}

void WeekPage::stopSavingOnLeave() {
    saveOnLeave_ = false;
}

void WeekPage::Text2_LostFocus(int Index) {
    if (!saveOnLeave_)
        return;
    if (const common::Status saved = SaveWeekDayNote(Index); !saved)
        emit noteSaveFailed(saved.error());
}

} // namespace quindara
