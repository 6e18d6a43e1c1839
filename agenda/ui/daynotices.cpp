// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/daynotices.h"

#include "agenda/core/reminders/remindcommand.h"
#include "agenda/ui/logging.h"

namespace quindara {

namespace {
constexpr int kDateCheckMs = 60 * 1000;
}

DayNotices::DayNotices(const DataFolder& data, const common::Clock& clock, common::DesktopServices& desktop,
                       std::function<void(const QDate&, const QString&)> openDay, QObject* parent)
    : QObject(parent), data_(data), clock_(clock), desktop_(desktop), openDay_(std::move(openDay)),
      record_(data.programFolder()) {
    timer_.setInterval(kDateCheckMs);
    connect(&timer_, &QTimer::timeout, this, &DayNotices::checkDate);
}

void DayNotices::start() {
    lastDay_ = clock_.today();
    tellNew();
    timer_.start();
}

void DayNotices::checkDate() {
    if (clock_.today() == lastDay_)
        return;
    lastDay_ = clock_.today();
    tellNew();
}

void DayNotices::tellNew() {
    const QDate today = clock_.today();
    const DayNotice notice = noticeToTell(data_, today, record_, false);
    if (notice.isEmpty())
        return;
    const bool shown = desktop_.notify({notice.title, notice.body(), kOpenAgendaAction},
                                       [this, today](const QString& token) { openDay_(today, token); });
    if (!shown)
        return;
    if (const common::Status kept = record_.remember(notice); !kept)
        qCWarning(lcAgendaWindow) << "the day's notice is not recorded:" << kept.error();
}

} // namespace quindara
