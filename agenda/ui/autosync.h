#pragma once

#include "agenda/core/datafolder.h"
#include "agenda/core/passwordstore.h"
#include "agenda/core/syncschedule.h"
#include "common/clock.h"

#include <QObject>

class QTimer;

namespace quindara {

// Syncs the agenda with its server account while the window is open: when the schedule says a run is
// due, with the password from the keyring. The tool row's indicator and the "Sincronizar" page show its
// state.
class AutoSync : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AutoSync)

public:
    AutoSync(const DataFolder& data, const common::Clock& clock, QObject* parent = nullptr);

    const SyncSchedule& schedule() const { return schedule_; }
    PasswordStore& passwords() { return passwords_; }
    // A day or contact was saved in the window: a run follows a few seconds after the last save.
    void saved();
    // Starts a run when one is due; the timer calls it, and tests do after moving the clock on.
    void tick();
    // The indicator's tooltip: the state and when the last run was.
    QString toolTip() const;

signals:
    void stateChanged();

private:
    void planTick();

    DataFolder data_;
    const common::Clock& clock_;
    SyncSchedule schedule_;
    PasswordStore passwords_;
    QTimer* timer_;
};

} // namespace quindara
