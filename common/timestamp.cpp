// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/timestamp.h"

#include <QLocale>

namespace common {

QString timeStampName(const QDateTime& moment) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    return QStringLiteral("%1-%2-%3--%4-%5")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(time.hour())
        .arg(time.minute());
}

QString freeTimeStampName(const QDateTime& moment, const std::function<bool(const QString&)>& mayWrite) {
    const QString first = timeStampName(moment);
    QString name = first;
    for (int counter = 2; !mayWrite(name); ++counter)
        name = first + u'-' + QString::number(counter);
    return name;
}

QString readableDate(const QDate& date, const QDate& today) {
    return QLocale(QLocale::Spanish)
        .toString(date, date.year() == today.year() ? QStringLiteral("d 'de' MMMM")
                                                    : QStringLiteral("d 'de' MMMM 'de' yyyy"));
}

QString readableMoment(const QDateTime& moment, const QDate& today) {
    return readableDate(moment.date(), today) + QStringLiteral(", ") +
           moment.time().toString(QStringLiteral("HH:mm"));
}

} // namespace common
