// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

namespace common {

// SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, a kill, the terminal closed) arrive as received() in the
// event loop, so that the program saves its pending edits and ends cleanly instead of dying on the spot. The
// handler only writes the signal's number into a pipe, which is all a signal handler may safely do; one
// object at a time.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    Q_DISABLE_COPY_MOVE(TerminationSignals)

signals:
    void received(int signalNumber);

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace common
