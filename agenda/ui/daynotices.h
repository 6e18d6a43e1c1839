// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/reminders/reminders.h"
#include "common/clock.h"
#include "common/desktopservices.h"

#include <QDate>
#include <QObject>
#include <QTimer>

#include <functional>

namespace quindara {

// The day's notice while the window is open: at start, when the date changes with the window left open,
// and when a text of today (or tomorrow) is saved. It shares --remind's once-a-day record, so what one
// told the other does not tell again.
class DayNotices final : public QObject {
    Q_OBJECT
public:
    // `openDay` runs when the user picks "Abrir la agenda" on a notice, with the notice's day and the
    // desktop's activation token.
    DayNotices(const DataFolder& data, const common::Clock& clock, common::DesktopServices& desktop,
               std::function<void(const QDate&, const QString&)> openDay, QObject* parent = nullptr);

    // Looks once now, and then every minute for a new day.
    void start();
    // Tells what is due today and has not been told yet.
    void tellNew();

private:
    void checkDate();

    const DataFolder& data_;
    const common::Clock& clock_;
    common::DesktopServices& desktop_;
    std::function<void(const QDate&, const QString&)> openDay_;
    NoticeRecord record_;
    QTimer timer_;
    QDate lastDay_;
};

} // namespace quindara
