#pragma once

#include "common/desktopservices.h"

#include <QObject>
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
    // Drops these texts if they are still waiting: the caller shows them itself.
    void withdraw(const QStringList& texts);
    // Shows what is waiting at once; for the end of the program, when no event loop follows.
    void showNow();

private:
    void showWhenMouseIsFree();

    common::DesktopServices& desktop_;
    QStringList pending_;
    bool scheduled_ = false;
};

} // namespace quindara
