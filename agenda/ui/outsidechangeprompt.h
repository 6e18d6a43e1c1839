// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/storedtext.h"
#include "common/clock.h"
#include "common/desktopservices.h"
#include "common/outsidechange.h"

#include "common/result.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class QPlainTextEdit;

namespace quindara {

// True while a question about an outside change or a conflict copy waits for its answer: nothing else
// may change the files it is about meanwhile (an automatic server sync waits).
bool outsideQuestionOpen();

// Asks the user which version of `what` to keep: "Conservar ambos" (the default), "Usar el mío" or "Usar
// el otro". A click that brought the question up takes effect after the answer.
common::OutsideChoice askOutsideChoice(common::DesktopServices& desktop, const QString& what,
                                       const QDateTime& otherTime);
// Asks the user what to do with an edit of `what` ("el día 5 de ENERO de 2011") whose file `other` was
// changed elsewhere since it was loaded. Returns the text to store, or nothing when the other version is
// kept as it is; both texts kept are joined as `shape` says.
std::optional<QString> askAboutOutsideChange(common::DesktopServices& desktop, const QString& what,
                                             const QString& mine, const StoredText& other,
                                             common::TextShape shape = common::TextShape::Lines);

// Stores the edited day note in `box` under `key`. When another machine stored the day since `version`
// was loaded, the user chooses first; keeping the other version shows it through `showOther` and stores
// nothing. After a failed save the clipboard keeps the text, since moving on replaces the box; the
// failure is the whole message to tell.
common::Status saveEditedDayNote(DayNotes& notes, common::DesktopServices& desktop, const QString& key,
                                 QPlainTextEdit* box, common::FileVersion& version,
                                 const std::function<void(const StoredText&)>& showOther);

// Offers to merge the conflict copies a sync tool left beside an entry, each copy once in a session: a
// copy the user chose to keep apart is not offered again until the program starts anew.
class ConflictCopyOffer {
public:
    // What the question says: "<subject> tiene una copia en conflicto ... ¿Unir la copia <into>? Se
    // conservan <kept>, y después se borra la copia."
    struct Wording {
        QString subject;
        QString into;
        QString kept;
    };

    using Tell = std::function<void(const QString&)>;
    ConflictCopyOffer(common::DesktopServices& desktop, const common::Clock& clock, Tell tell);

    // Asks about the copy at `copyPath` and merges it on a yes; a failure is told. True when merged.
    bool offer(const Wording& wording, const QString& copyPath, const std::function<common::Status()>& merge);

private:
    common::DesktopServices& desktop_;
    const common::Clock& clock_;
    Tell tell_;
    QSet<QString> declined_;
};

} // namespace quindara
