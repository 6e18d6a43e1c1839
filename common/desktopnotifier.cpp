// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/desktopnotifier.h"

#include "common/logging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace common {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
const QString kOpenAction = QStringLiteral("abrir");

// A service that reads markup in the body would take "<" and "&" of a text for markup.
QString bodyFor(const QString& text, bool markup) {
    return markup ? text.toHtmlEscaped() : text;
}

} // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // The bus names a slot by its signature: no member-function pointer form exists for bus signals.
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActivationToken"), this,
                SLOT(onActivationToken(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(onClosed(uint, uint)));
}

bool DesktopNotifier::available() const {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    // A service that is not running yet but can be started by the bus counts too.
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(kService);
    if (registered.isValid() && registered.value())
        return true;
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(kService);
}

bool DesktopNotifier::notify(const DesktopNotice& notice) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        lastError_ = bus.lastError().message();
        qCWarning(lcNotices) << "no session bus:" << lastError_;
        return false;
    }
    if (!available()) {
        lastError_ = QStringLiteral("no notification service on the session bus");
        qCWarning(lcNotices) << lastError_;
        return false;
    }
    QDBusMessage capabilities =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    const QDBusReply<QStringList> offered = bus.call(capabilities, QDBus::Block, 5000);
    if (!offered.isValid()) {
        lastError_ = offered.error().message();
        qCWarning(lcNotices) << "no notification service:" << lastError_;
        return false;
    }
    const bool markup = offered.value().contains(QStringLiteral("body-markup"));
    QStringList actions;
    if (!notice.actionLabel.isEmpty())
        actions = {kDefaultAction, notice.actionLabel, kOpenAction, notice.actionLabel};
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.example.quindara.quindara"));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("Quindara") << uint(0) << QStringLiteral("org.example.quindara.quindara")
         << notice.title << bodyFor(notice.body, markup) << actions << hints << int(-1);
    const QDBusReply<uint> id = bus.call(call, QDBus::Block, 5000);
    if (!id.isValid()) {
        lastError_ = id.error().message();
        qCWarning(lcNotices) << "notice not shown:" << lastError_;
        return false;
    }
    shown_ = id.value();
    activationToken_.clear();
    return true;
}

void DesktopNotifier::onActivationToken(uint id, const QString& token) {
    if (id == shown_)
        activationToken_ = token;
}

void DesktopNotifier::onActionInvoked(uint id, const QString& action) {
    if (id == shown_ && (action == kDefaultAction || action == kOpenAction))
        emit actionInvoked(activationToken_);
}

void DesktopNotifier::onClosed(uint id, uint /*reason*/) {
    if (id == shown_)
        emit closed();
}

} // namespace common
