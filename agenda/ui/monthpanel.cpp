#include "agenda/ui/monthpanel.h"

#include "agenda/core/daykeys.h"
#include "common/units.h"

#include <QLabel>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace quindara {

namespace {

constexpr int kButtonSize = 375;
constexpr int kButtonPitch = 360; // neighbours overlap by one pixel
// The title stands this far above the grid; the panel's own coordinates start there.
constexpr int kTitleHeight = 840;
constexpr int kInitialsTop = kTitleHeight - 360;
constexpr quint32 kTitleColour = 16711680;    // blue
constexpr quint32 kWeekendInitial = 16711935; // magenta

QFont arial(qreal points, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel* centredLabel(QWidget& panel, const QString& name, const QString& text, const QRect& place,
                     const QFont& font) {
    auto* label = new QLabel(text, &panel);
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

void DayButton::setBackColour(const QColor& colour) {
    if (colour == backColour_)
        return;
    backColour_ = colour;
    update();
}

void DayButton::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.palette.setColor(QPalette::Button, backColour_);
    painter.drawControl(QStyle::CE_PushButton, option);
}

QString MonthPanel::title(int month) {
    const QString name = monthName(month);
    return name.left(1) + name.mid(1).toLower();
}

MonthPanel::MonthPanel(int month, QWidget* window) : QWidget(window), month_(month) {
    setObjectName(QStringLiteral("monthPanel%1").arg(month));
    setGeometry(common::twipsRect(gridLeft(month), gridTop(month) - kTitleHeight,
                                  kButtonPitch * (kGridColumns - 1) + kButtonSize,
                                  kTitleHeight + kButtonPitch * 5 + kButtonSize));

    // Label2(0..11): the month titles.
    QLabel* title = centredLabel(*this, QStringLiteral("Label2_%1").arg(month - 1), MonthPanel::title(month),
                                 common::twipsRect(120, 0, 2295, 375), arial(18));
    setTextColour(*title, kTitleColour);

    // Label1(0..83): seven weekday initials per panel.
    static const QStringList initials = {QStringLiteral("L"), QStringLiteral("M"), QStringLiteral("Mi"),
                                         QStringLiteral("J"), QStringLiteral("V"), QStringLiteral("S"),
                                         QStringLiteral("D")};
    for (int column = 0; column < kGridColumns; ++column) {
        QLabel* initial = centredLabel(
            *this, QStringLiteral("Label1_%1").arg((month - 1) * kGridColumns + column), initials.at(column),
            common::twipsRect(kButtonPitch * column, kInitialsTop, kButtonSize, 255), arial(12, true));
        if (isWeekendColumn(column))
            setTextColour(*initial, kWeekendInitial);
    }

    // Command2 .. Command13: the day buttons of January .. December.
    const QFont dayFont = arial(8.25);
    for (int index = 0; index < kGridButtons; ++index) {
        auto* button = new DayButton(this);
        button->setObjectName(QStringLiteral("Command%1_%2").arg(month + 1).arg(index));
        button->setGeometry(common::twipsRect(kButtonPitch * (index % kGridColumns),
                                              kTitleHeight + kButtonPitch * (index / kGridColumns),
                                              kButtonSize, kButtonSize));
        button->setFont(dayFont);
        connect(button, &QPushButton::clicked, this, [this, index] { emit dayClicked(index); });
        buttons_.at(index) = button;
    }
}

void MonthPanel::showDay(int index, int day, quint32 colour) {
    DayButton* button = buttons_.at(index);
    button->setText(QString::number(day));
    button->setBackColour(common::bgrColor(colour));
    button->setVisible(true);
}

void MonthPanel::hideCell(int index) {
    DayButton* button = buttons_.at(index);
    button->setVisible(false);
    // A hidden cell keeps no day, so a search by caption only meets the month's own days.
    button->setText(QString());
}

} // namespace quindara
