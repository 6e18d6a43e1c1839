// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/calendar/agendastate.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/dayconflicts.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/dayreader.h"
#include "agenda/ui/agendapages.h"
#include "agenda/ui/outsidechangeprompt.h"
#include "common/desktopservices.h"

#include <QObject>
#include <QSet>
#include <QStringList>

namespace common {
class FolderWatcher;
}

class QWidget;

namespace quindara {

// Shows in the agenda window the changes other programs make to its files (a sync tool, another
// machine), as they happen, and the conflict copies sync tools leave: a sign on their days, and an
// offer to merge them when the day is shown. Each page reads again only what lives in a folder that
// changed; a box the user is editing keeps its text, and its save asks what to keep.
class AgendaWatch : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AgendaWatch)

public:
    AgendaWatch(const DataFolder& data, const AgendaState& state, DayMarks& marks, DayReader& reader,
                DayNotes& notes, const AgendaPages& pages, common::DesktopServices& desktop,
                const common::Clock& clock, QWidget* window);

    // Starts watching the data folders; before, only the conflict signs are drawn.
    void start();
    // The shown day or page changed: its files are watched, and the day's conflict copies offered.
    void watchShownFiles();
    void dayShown();
    void showConflictSigns();
    // A server sync wrote into the folders: every page shows it as it shows an outside change.
    void showServerChanges();
    // The conflict copies found, shared with the year overview so that nothing is listed twice.
    DayConflicts& conflicts() { return conflicts_; }

signals:
    // The holidays, reminders or day notes changed: what else shows their marks and conflict signs (the
    // year overview) draws again.
    void marksChanged();

private:
    QStringList watchedFolders() const;
    void showOutsideChanges(const QStringList& folders);
    void offerConflictMerges();

    const DataFolder& data_;
    const AgendaState& state_;
    DayMarks& marks_;
    DayReader& reader_;
    DayConflicts conflicts_;
    const AgendaPages& pages_;
    common::DesktopServices& desktop_;
    QWidget* window_;
    common::FolderWatcher* watcher_ = nullptr;
    ConflictCopyOffer copyOffer_;
};

} // namespace quindara
