// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace common {

// A notice shown by the desktop's notification service (org.freedesktop.Notifications on the session
// bus), with one action the user may pick: "default", a click on the notice, with the same label.
struct DesktopNotice {
    QString title;
    QString body;        // plain text, one line a text
    QString actionLabel; // empty: no action
};

// The session bus's notification service, talked to directly: no other library needed.
class DesktopNotifier final : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifier(QObject* parent = nullptr);

    // Whether a notification service answers on the session bus.
    bool available() const;
    // Shows the notice; false when no service took it (the reason is in lastError()).
    bool notify(const DesktopNotice& notice);
    QString lastError() const { return lastError_; }

signals:
    // The user picked the action of the last notice shown. `activationToken` is what the desktop gave for
    // the window that opens next (empty when it gave none).
    void actionInvoked(const QString& activationToken);
    // The last notice shown went away (expired, dismissed or answered).
    void closed();

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onActivationToken(uint id, const QString& token);
    void onClosed(uint id, uint reason);

private:
    uint shown_ = 0;
    QString activationToken_;
    QString lastError_;
};

} // namespace common
