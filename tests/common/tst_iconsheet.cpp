// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/datafolder.h"
#include "agenda/ui/agendawindow.h"
#include "agenda/ui/decorativestrip.h"
#include "agenda/ui/yearoverviewwindow.h"
#include "calculator/ui/calculatorwindow.h"
#include "calculator/ui/savedlogswindow.h"
#include "common/clock.h"
#include "common/ui/colourbutton.h"
#include "tests/support/recordingdesktopservices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// The colour a picture is seen against: a button's own back colour, or what is behind a picture box.
QColor backgroundOf(const QWidget* widget) {
    if (const auto* coloured = qobject_cast<const common::ColourButton*>(widget))
        return coloured->backColour();
    if (qobject_cast<const QAbstractButton*>(widget))
        return widget->palette().color(QPalette::Button);
    return widget->palette().color(widget->backgroundRole());
}

// Where the picture is painted: a button's icon, centred; a picture box edge to edge.
QRect pictureArea(const QWidget* widget) {
    const QRect face = widget->rect();
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    if (!button)
        return face;
    QRect area(QPoint(0, 0), button->iconSize().boundedTo(face.size()));
    area.moveCenter(face.center());
    return area;
}

} // namespace

// Every picture the two programs show, looked at on their real windows: each picture button and each
// decorative strip is painted as the window paints it, and its picture must be readable on its colour.
class IconSheetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        agenda_ = std::make_unique<quindara::AgendaWindow>(folder_.path(), clock_, desktop_);
        agenda_->show();
        overview_ =
            std::make_unique<quindara::YearOverviewWindow>(quindara::DataFolder(folder_.path()), 2026);
        overview_->show();
        const QString calculatorFolder = QDir(folder_.path()).filePath(QStringLiteral("tallimo"));
        calculator_ = std::make_unique<tallimo::CalculatorWindow>(calculatorFolder, clock_, desktop_);
        calculator_->show();
        logs_ = std::make_unique<tallimo::SavedLogsWindow>(calculatorFolder, clock_, desktop_);
        logs_->show();
        for (QWidget* window :
             {static_cast<QWidget*>(agenda_.get()), static_cast<QWidget*>(overview_.get()),
              static_cast<QWidget*>(calculator_.get()), static_cast<QWidget*>(logs_.get())}) {
            for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
                // Our controls are named; a toolkit's own inner button is not one of our pictures.
                if (!button->icon().isNull() && button->isEnabled() && !button->objectName().isEmpty())
                    pictures_.append({window->metaObject()->className(), button});
            }
            for (QWidget* strip : window->findChildren<quindara::DecorativeStrip*>())
                pictures_.append({window->metaObject()->className(), strip});
        }
        // The pictures of the month grid's tool row, the year overview, the calculator's keys and palette
        // and the saved logs: far more than a handful.
        QVERIFY2(pictures_.size() >= 40, qPrintable(QString::number(pictures_.size())));
    }

    // A picture is readable when a fair part of it stands out from its button's colour and some of it
    // (outlines, strokes) contrasts strongly.
    void pictureStandsOutFromItsButton_data() {
        QTest::addColumn<int>("index");
        for (int index = 0; index < pictures_.size(); ++index)
            QTest::newRow(qPrintable(
                QStringLiteral("%1 %2").arg(pictures_[index].window, pictures_[index].widget->objectName())))
                << index;
    }
    void pictureStandsOutFromItsButton() {
        QFETCH(int, index);
        QWidget* widget = pictures_.at(index).widget;
        QVERIFY(widget);
        const QImage image =
            widget->grab().toImage().scaled(widget->size()).convertToFormat(QImage::Format_RGB32);
        const QRgb background = backgroundOf(widget).rgb();
        const QRect area = pictureArea(widget);
        int differing = 0;
        int contrasting = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                const int channelDistance = std::max({std::abs(qRed(pixel) - qRed(background)),
                                                      std::abs(qGreen(pixel) - qGreen(background)),
                                                      std::abs(qBlue(pixel) - qBlue(background))});
                if (channelDistance > 40)
                    ++differing;
                if (std::abs(qGray(pixel) - qGray(background)) >= 90)
                    ++contrasting;
            }
        }
        const double pixelsInArea = double(area.width()) * area.height();
        QVERIFY2(differing / pixelsInArea >= 0.06, qPrintable(QString::number(differing / pixelsInArea)));
        QVERIFY2(contrasting / pixelsInArea >= 0.03, qPrintable(QString::number(contrasting / pixelsInArea)));
    }

private:
    struct Picture {
        QString window;
        QPointer<QWidget> widget;
    };

    QTemporaryDir folder_;
    const common::FixedClock clock_{QDateTime(QDate(2026, 12, 7), QTime(10, 0))};
    common::RecordingDesktopServices desktop_;
    std::unique_ptr<quindara::AgendaWindow> agenda_;
    std::unique_ptr<quindara::YearOverviewWindow> overview_;
    std::unique_ptr<tallimo::CalculatorWindow> calculator_;
    std::unique_ptr<tallimo::SavedLogsWindow> logs_;
    QList<Picture> pictures_;
};

QTEST_MAIN(IconSheetTest)
#include "tst_iconsheet.moc"
