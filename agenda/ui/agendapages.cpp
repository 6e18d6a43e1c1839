// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/agendapages.h"

#include "agenda/ui/daypage.h"
#include "agenda/ui/notespadpage.h"
#include "agenda/ui/summarypage.h"
#include "agenda/ui/weekpage.h"

namespace quindara {

TextPadContent AgendaPages::textPadOf(AgendaPage page) const {
    switch (page) {
    case AgendaPage::Day:
        return textPadOfText(day->noteText());
    case AgendaPage::Week:
        return textPadOfWeek(week->captions(), week->texts());
    case AgendaPage::MonthSummary:
        return textPadOfText(monthSummary->text());
    case AgendaPage::YearSummary:
        return textPadOfText(yearSummary->text());
    case AgendaPage::NotesPad:
        return textPadOfText(notesPad->text());
    case AgendaPage::AddressBook:
    case AgendaPage::Search:
    case AgendaPage::Exchange:
    case AgendaPage::Sync:
        break;
    }
    return emptyTextPad();
}

} // namespace quindara
