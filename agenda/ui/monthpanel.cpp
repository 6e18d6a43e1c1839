#include "agenda/ui/monthpanel.h"

#include "agenda/core/daykeys.h"
#include "common/units.h"

#include <QLabel>
#include <QPushButton>

namespace quindara {

namespace {

constexpr int kButtonSize = 375;
constexpr int kButtonPitch = 360;             // neighbours overlap by one pixel
constexpr quint32 kTitleColour = 16711680;    // blue
constexpr quint32 kWeekendInitial = 16711935; // magenta

QFont arial(qreal points, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel* transparentLabel(QWidget& window, const QString& name, const QString& text, const QRect& place,
                         const QFont& font) {
    auto* label = new QLabel(text, &window);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void setTextColour(QLabel& label, quint32 colour) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, common::bgrColor(colour));
    label.setPalette(palette);
}

} // namespace

QString MonthPanel::title(int month) {
    const QString name = monthName(month);
    return name.left(1) + name.mid(1).toLower();
}

MonthPanel::MonthPanel(QWidget& window, int month, std::function<void(int)> dayClicked) : month_(month) {
    const int left = gridLeft(month);
    const int top = gridTop(month);

    // Label2(0..11): the month titles.
    QLabel* title =
        transparentLabel(window, QStringLiteral("Label2_%1").arg(month - 1), MonthPanel::title(month),
                         common::twipsRect(left + 120, top - 840, 2295, 375), arial(18));
    setTextColour(*title, kTitleColour);

    // Label1(0..83): seven weekday initials per panel.
    static const QStringList initials = {QStringLiteral("L"), QStringLiteral("M"), QStringLiteral("Mi"),
                                         QStringLiteral("J"), QStringLiteral("V"), QStringLiteral("S"),
                                         QStringLiteral("D")};
    for (int column = 0; column < kGridColumns; ++column) {
        QLabel* initial = transparentLabel(
            window, QStringLiteral("Label1_%1").arg((month - 1) * kGridColumns + column), initials.at(column),
            common::twipsRect(left + kButtonPitch * column, top - 360, kButtonSize, 255), arial(12, true));
        if (isWeekendColumn(column))
            setTextColour(*initial, kWeekendInitial);
    }

    // Command2 .. Command13: the day buttons of January .. December.
    const QFont dayFont = arial(8.25);
    for (int index = 0; index < kGridButtons; ++index) {
        auto* button = new QPushButton(&window);
        button->setObjectName(QStringLiteral("Command%1_%2").arg(month + 1).arg(index));
        button->setGeometry(common::twipsRect(left + kButtonPitch * (index % kGridColumns),
                                              top + kButtonPitch * (index / kGridColumns), kButtonSize,
                                              kButtonSize));
        button->setFont(dayFont);
        QObject::connect(button, &QPushButton::clicked, button, [dayClicked, index] { dayClicked(index); });
        buttons_.at(index) = button;
    }
}

void MonthPanel::showDay(int index, int day, quint32 colour) {
    QPushButton* button = buttons_.at(index);
    button->setText(QString::number(day));
    const QColor back = common::bgrColor(colour);
    // A palette change repaints the button, so only real changes are made.
    if (button->palette().color(QPalette::Button) != back) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, back);
        button->setPalette(palette);
    }
    button->setVisible(true);
}

void MonthPanel::hideCell(int index) {
    QPushButton* button = buttons_.at(index);
    button->setVisible(false);
    // A hidden cell keeps no day, so a search by caption only meets the month's own days.
    button->setText(QString());
}

} // namespace quindara
