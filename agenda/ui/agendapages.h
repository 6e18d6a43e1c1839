// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The pages of the agenda window, as the window and its helpers reach them. The window owns them.

#include "agenda/core/calendar/agendastate.h"
#include "agenda/core/days/textpad.h"

namespace quindara {

class AddressBookPage;
class AttachmentPanel;
class CalendarPanel;
class DayPage;
class ExchangePage;
class NotesPadPage;
class SearchPage;
class SummaryPage;
class SyncPage;
class WeekPage;

struct AgendaPages {
    CalendarPanel* calendar = nullptr;
    DayPage* day = nullptr;
    WeekPage* week = nullptr;
    SummaryPage* monthSummary = nullptr;
    SummaryPage* yearSummary = nullptr;
    NotesPadPage* notesPad = nullptr;
    AddressBookPage* addressBook = nullptr;
    SearchPage* search = nullptr;
    ExchangePage* exchange = nullptr;
    SyncPage* sync = nullptr;
    AttachmentPanel* attachments = nullptr;

    // What the text pad receives from the page in front: its text, the week's captions and texts, or
    // nothing from a page without one.
    TextPadContent textPadOf(AgendaPage page) const;
};

} // namespace quindara
