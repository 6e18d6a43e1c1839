// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/daykeys.h"

namespace quindara {

const QStringList& monthNames() {
    static const QStringList names = {
        QStringLiteral("ENERO"),   QStringLiteral("FEBRERO"),   QStringLiteral("MARZO"),
        QStringLiteral("ABRIL"),   QStringLiteral("MAYO"),      QStringLiteral("JUNIO"),
        QStringLiteral("JULIO"),   QStringLiteral("AGOSTO"),    QStringLiteral("SEPTIEMBRE"),
        QStringLiteral("OCTUBRE"), QStringLiteral("NOVIEMBRE"), QStringLiteral("DICIEMBRE")};
    return names;
}

QString monthName(int month) {
    return month >= 1 && month <= 12 ? monthNames().at(month - 1) : QString();
}

int monthNumber(const QString& name) {
    const QString upper = name.trimmed().toUpper();
    return static_cast<int>(monthNames().indexOf(upper)) + 1;
}

const QStringList& weekdayNames() {
    static const QStringList names = {QStringLiteral("LUNES, "),     QStringLiteral("MARTES, "),
                                      QStringLiteral("MIÉRCOLES, "), QStringLiteral("JUEVES, "),
                                      QStringLiteral("VIERNES, "),   QStringLiteral("SÁBADO, "),
                                      QStringLiteral("DOMINGO, ")};
    return names;
}

QString weekdayName(int mondayBasedIndex) {
    return mondayBasedIndex >= 0 && mondayBasedIndex <= 6 ? weekdayNames().at(mondayBasedIndex) : QString();
}

int mondayBasedWeekday(const QDate& date) {
    return date.dayOfWeek() - 1;
}

QString annualKey(const QString& day, const QString& month) {
    return day + QStringLiteral(" de ") + month;
}

QString datedKey(const QString& day, const QString& month, const QString& year) {
    return annualKey(day, month) + QStringLiteral(" de ") + year;
}

QString dayNoteKey(int mondayBasedWeekday, const QString& day, const QString& month, const QString& year) {
    return weekdayName(mondayBasedWeekday) + datedKey(day, month, year);
}

QString annualKey(const QDate& date) {
    return annualKey(QString::number(date.day()), monthName(date.month()));
}

QString datedKey(const QDate& date) {
    return datedKey(QString::number(date.day()), monthName(date.month()), QString::number(date.year()));
}

QString dayNoteKey(const QDate& date) {
    return dayNoteKey(mondayBasedWeekday(date), QString::number(date.day()), monthName(date.month()),
                      QString::number(date.year()));
}

} // namespace quindara
