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

// What the wiring of a page (its tool button, what it opens elsewhere) asks of the window around it.
class AgendaPageHost {
public:
    // Saves the edits of the day and week pages, brings `page` to the front and loads what it shows.
    virtual void openPage(AgendaPage page) = 0;
    // Brings `page` to the front as it stands.
    virtual void showPage(AgendaPage page) = 0;
    // Saves the edits of the day and week pages and shows `day` on the day page.
    virtual void openDay(const QDate& day) = 0;
    // Draws the shown month again, with the marks of days that came in from elsewhere.
    virtual void DrawMonth() = 0;

protected:
    AgendaPageHost() = default;
    ~AgendaPageHost() = default;
    Q_DISABLE_COPY_MOVE(AgendaPageHost)
};

} // namespace quindara
