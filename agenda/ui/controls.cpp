// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/controls.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daymarks.h"
#include "common/ui/icons.h"

#include <QAbstractButton>
#include <QDate>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>

#include <array>

namespace quindara {

QLabel* makeWeekdayInitial(QWidget* parent, const QString& name, const QRect& twipsPlace, int column) {
    static const char* const kInitials[kGridColumns] = {"L", "M", "Mi", "J", "V", "S", "D"};
    QLabel* label = makeLabel(parent, name, twipsPlace, QString::fromLatin1(kInitials[column]));
    label->setFont(arialFont(12, true));
    label->setAlignment(Qt::AlignCenter);
    if (isWeekendColumn(column))
        setForeColour(label, kMagenta);
    return label;
}

QString spokenDay(const QDate& date) {
    // The year overview names 365 buttons at every step of the year: the words are made once.
    static const std::array<QString, 7> weekdays = [] {
        std::array<QString, 7> words;
        for (int k = 0; k < 7; ++k)
            words[k] = weekdayName(k).chopped(2).toLower() + u' '; // without ", "
        return words;
    }();
    static const std::array<QString, 13> months = [] {
        std::array<QString, 13> words;
        for (int month = 1; month <= 12; ++month)
            words[month] = QStringLiteral(" de ") + monthName(month).toLower();
        return words;
    }();
    return weekdays[mondayBasedWeekday(date)] + QString::number(date.day()) + months[date.month()];
}

QString dayButtonName(const QDate& date, const DayMarkSet& marks, const QString& holidayName, bool conflict) {
    // A very long holiday is cut, so that the rest of the marks is still heard.
    constexpr int kLongestHolidayName = 120;
    QString name = spokenDay(date);
    if (marks.holiday) {
        name += QStringLiteral(", festivo");
        if (!holidayName.isEmpty())
            name += QStringLiteral(": ") + holidayName.left(kLongestHolidayName);
    }
    if (marks.yearlyReminder)
        name += QStringLiteral(", recordatorio de todos los años");
    if (marks.oneYearReminder)
        name += QStringLiteral(", recordatorio de este año");
    if (conflict)
        name += QStringLiteral(", copia en conflicto por resolver");
    return name;
}

namespace {

struct PictureUse {
    const char16_t* drawing;
    const char* tooltip;
};

PictureUse pictureUse(Picture picture) {
    switch (picture) {
    case Picture::Calculator:
        return {u"calculator", "Calculadora"};
    case Picture::Clipboard:
        return {u"clipboard", "Bloc de notas"};
    case Picture::People:
        return {u"people", "Direcciones"};
    case Picture::SpiralNotepad:
        return {u"notepad", "Abrir en el editor de textos"};
    case Picture::Minimize:
        return {u"down-arrow-green", "Minimizar"};
    case Picture::Exit:
        return {u"close-red-square", "Guardar y salir"};
    case Picture::YearCalendar:
        return {u"year-calendar", "Ver el año completo"};
    case Picture::ArrowUp:
        return {u"year-up", "Año siguiente"};
    case Picture::ArrowDown:
        return {u"year-down", "Año anterior"};
    case Picture::AttachThisYear:
        return {u"paper-clip", "Adjuntar un archivo solo a este año"};
    case Picture::AttachEveryYear:
        return {u"paper-clip", "Adjuntar un archivo a este día de todos los años"};
    case Picture::OverviewUp:
        return {u"overview-up", "Año siguiente"};
    case Picture::OverviewDown:
        return {u"overview-down", "Año anterior"};
    case Picture::OverviewClose:
        return {u"overview-close", "Cerrar"};
    case Picture::Magnifier:
        return {u"magnifier", "Buscar (Ctrl+F)"};
    case Picture::Exchange:
        return {u"exchange", "Importar / Exportar"};
    case Picture::SyncDone:
        return {u"sync-done", "Sincronizado con el servidor"};
    case Picture::SyncRunning:
        return {u"sync-running", "Sincronizando con el servidor"};
    case Picture::SyncOffline:
        return {u"sync-offline", "Sin conexión con el servidor"};
    case Picture::SyncAttention:
        return {u"sync-attention", "La sincronización necesita atención"};
    }
    return {u"calculator", ""};
}

} // namespace

QString drawingName(Picture picture) {
    return QString::fromUtf16(pictureUse(picture).drawing);
}

void setPicture(QAbstractButton* button, Picture picture) {
    const PictureUse use = pictureUse(picture);
    common::setPicture(button, common::iconFor(QString::fromUtf16(use.drawing)));
    button->setToolTip(QString::fromUtf8(use.tooltip));
    // Screen readers have no caption to read on a picture-only button.
    if (button->text().isEmpty())
        button->setAccessibleName(QString::fromUtf8(use.tooltip).remove(QStringLiteral(" (Ctrl+F)")));
}

void showConflictSign(QAbstractButton* dayButton, bool shown) {
    auto* sign = dayButton->findChild<QLabel*>(QStringLiteral("conflictSign"), Qt::FindDirectChildrenOnly);
    if (!sign && !shown)
        return;
    if (!sign) {
        // A small dark triangle with a white edge, tucked into the top right corner: it shows on every day
        // colour, the selected day's red included, and keeps clear of the day's number.
        constexpr int corner = 7;
        constexpr int margin = 1;
        QPixmap picture(corner, corner);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setPen(Qt::white);
        painter.setBrush(QColor(0x60, 0, 0));
        painter.drawPolygon(QPolygon({QPoint(0, 0), QPoint(corner - 1, 0), QPoint(corner - 1, corner - 1)}));
        painter.end();
        sign = new QLabel(dayButton);
        sign->setObjectName(QStringLiteral("conflictSign"));
        sign->setPixmap(picture);
        sign->setAttribute(Qt::WA_TransparentForMouseEvents);
        sign->setGeometry(dayButton->width() - corner - margin, margin, corner, corner);
    }
    sign->setVisible(shown);
}

} // namespace quindara
