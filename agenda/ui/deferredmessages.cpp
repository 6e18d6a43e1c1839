// SPDX-License-Identifier: GPL-3.0-or-later
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

void DeferredMessages::postSaveFailure(const common::Status& saved) {
    if (saved)
        return;
    if (saved.error() != toldSaveFailure_)
        post(saved.error());
    toldSaveFailure_ = saved.error();
}

// The box of such a file is shown empty and locked every time; the file is told once.
void DeferredMessages::postUnreadable(const QStringList& paths) {
    for (const QString& path : paths) {
        if (path.isEmpty() || toldUnreadable_.contains(path))
            continue;
        toldUnreadable_.insert(path);
        post(QStringLiteral(
                 "No se puede leer el archivo %1.\nSe muestra vacío y no se puede modificar, para no "
                 "perder lo que guarda.")
                 .arg(path));
    }
}

} // namespace quindara
