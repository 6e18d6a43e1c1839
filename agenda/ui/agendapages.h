#pragma once

// The pages of the agenda window, as the window and its helpers reach them. The window owns them.

namespace quindara {

class AddressBookPage;
class AttachmentPanel;
class CalendarPanel;
class DayPage;
class ExchangePage;
class NotesPadPage;
class SearchPage;
class SummaryPage;
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
    AttachmentPanel* attachments = nullptr;
};

} // namespace quindara
