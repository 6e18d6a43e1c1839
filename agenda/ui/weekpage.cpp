#include "agenda/ui/weekpage.h"

#include "agenda/core/daykeyparsing.h"
#include "agenda/core/weeknumber.h"
#include "agenda/ui/controls.h"
#include "common/units.h"

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

WeekPage::WeekPage(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Frame1_1"));
    for (int k = 0; k < kDaysInWeek; ++k) {
        const int top = 480 + 1080 * k;
        Label3[k] = makeLabel(this, arrayName("Label3", k), QRect(120, top, 5775, 375),
                              QString::fromUtf8(kDesignCaptions[k]));
        Label3[k]->setFont(arialFont(12, true));
        Text2[k] = new QPlainTextEdit(this);
        Text2[k]->setObjectName(arrayName("Text2", k));
        Text2[k]->setGeometry(common::twipsRect(120, top + 375, 8655, 660));
        Text2[k]->setFont(arialFont(12));
        Text2[k]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        Text2[k]->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setForeColor(Text2[k], kNoteColours[k]);
    }
    // Right-aligned above the note boxes' right end, clear of the first heading.
    weekNumber = makeLabel(this, QStringLiteral("weekNumber"), QRect(6015, 90, 2760, 375), QString());
    weekNumber->setFont(arialFont(12, true));
    weekNumber->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void WeekPage::showWeek(const QStringList& dayNoteKeys, const QStringList& notes) {
    for (int k = 0; k < kDaysInWeek; ++k) {
        Label3[k]->setText(dayNoteKeys.value(k));
        Text2[k]->setPlainText(notes.value(k));
    }
    const auto monday = parseDayKey(dayNoteKeys.value(0));
    weekNumber->setText(monday ? weekCaption(monday->date()) : QString());
}

} // namespace quindara
