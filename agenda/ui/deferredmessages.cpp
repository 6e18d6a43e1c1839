#include "agenda/ui/deferredmessages.h"

#include <QGuiApplication>
#include <QTimer>

namespace quindara {

namespace {
constexpr int kRetryMilliseconds = 50;
}

DeferredMessages::DeferredMessages(common::DesktopServices& desktop, QObject* parent)
    : QObject(parent), desktop_(desktop) {}

void DeferredMessages::post(const QString& text) {
    if (!pending_.contains(text))
        pending_.append(text);
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, this, &DeferredMessages::showWhenMouseIsFree);
}

void DeferredMessages::withdraw(const QStringList& texts) {
    for (const QString& text : texts)
        pending_.removeAll(text);
}

void DeferredMessages::showWhenMouseIsFree() {
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        QTimer::singleShot(kRetryMilliseconds, this, &DeferredMessages::showWhenMouseIsFree);
        return;
    }
    showNow();
}

void DeferredMessages::showNow() {
    scheduled_ = false;
    if (pending_.isEmpty())
        return;
    const QString text = pending_.join(u'\n');
    pending_.clear();
    desktop_.showMessage(text);
}

} // namespace quindara
