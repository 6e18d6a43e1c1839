// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/desktopservices.h"
#include "common/result.h"

#include <QObject>
#include <QSet>
#include <QStringList>

namespace quindara {

// Failure messages raised while the focus moves. A modal box shown there would swallow the click that
// moved the focus, so they are shown once that click is over.
class DeferredMessages : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DeferredMessages)

public:
    explicit DeferredMessages(common::DesktopServices& desktop, QObject* parent = nullptr);

    void post(const QString& text);
    // A note that keeps failing is told once, not at every leave, until a save works again.
    void postSaveFailure(const common::Status& saved);
    void forgetSaveFailure() { toldSaveFailure_.clear(); }
    // Files that are there but cannot be read, each told once in the session; empty paths are skipped.
    void postUnreadable(const QStringList& paths);
    // Drops these texts if they are still waiting: the caller shows them itself.
    void withdraw(const QStringList& texts);
    // Shows what is waiting at once; for the end of the program, when no event loop follows.
    void showNow();

private:
    void showWhenMouseIsFree();

    common::DesktopServices& desktop_;
    QStringList pending_;
    QString toldSaveFailure_;
    QSet<QString> toldUnreadable_;
    bool scheduled_ = false;
};

} // namespace quindara
