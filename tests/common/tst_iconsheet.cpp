#include "calculator/core/operations.h"
#include "calculator/ui/calculatorpictures.h"
#include "common/ui/icons.h"
#include "common/units.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {

// A button with no back colour of its own shows the toolkit's face colour.
constexpr quint32 kButtonFace = 0xF0F0F0;

struct Button {
    const char* name;
    QString drawing;
    int widthTwips;
    int heightTwips;
    quint32 colour;  // 0x00BBGGRR
    bool pictureBox; // picture boxes show the drawing edge to edge, buttons inside a margin
};

// Every place a picture is shown, with its control's size and back colour.
QList<Button> buttons() {
    QList<Button> list{
        {"Command15", QStringLiteral("calculator"), 495, 495, 16777215, false},
        {"Command6_4", QStringLiteral("clipboard"), 495, 495, 12648447, false},
        {"Command6_5", QStringLiteral("people"), 495, 495, 16761087, false},
        {"Command9", QStringLiteral("notepad"), 495, 495, kButtonFace, false},
        {"Command12", QStringLiteral("down-arrow-green"), 495, 495, kButtonFace, false},
        {"Command10", QStringLiteral("close-red-square"), 495, 495, kButtonFace, false},
        {"exchangeButton", QStringLiteral("exchange"), 495, 495, 0x00C0E0FF, false},
        {"Command14", QStringLiteral("year-calendar"), 1815, 1455, 16777215, false},
        {"Command3_0", QStringLiteral("year-up"), 480, 240, kButtonFace, false},
        {"Command3_1", QStringLiteral("year-down"), 480, 240, kButtonFace, false},
        {"Command16_0", QStringLiteral("paper-clip"), 1935, 495, kButtonFace, false},
        {"Picture1", QStringLiteral("decorative-strip"), 615, 7935, 16777215, true},
        {"Picture3", QStringLiteral("decorative-strip"), 735, 7935, 16761087, true},
        {"Picture2", QStringLiteral("decorative-strip"), 735, 7935, 16777152, true},
        {"overview Command14_0", QStringLiteral("overview-up"), 735, 735, 16777215, false},
        {"overview Command14_1", QStringLiteral("overview-down"), 735, 735, kButtonFace, false},
        {"overview Command1", QStringLiteral("overview-close"), 855, 855, 16777215, false},
        {"calculator Command9", QStringLiteral("undo"), 735, 735, 0x008080FF, false},
        {"calculator Command8_1", QStringLiteral("written-sum"), 735, 735, 0x00C0FFFF, false},
        {"calculator Command11", QStringLiteral("log-camera"), 1575, 735, kButtonFace, false},
        {"calculator Command12", QStringLiteral("eraser"), 855, 495, kButtonFace, false},
        {"calculator Command6_0", QStringLiteral("blue-up"), 495, 2175, 65280, false},
        {"calculator Command6_1", QStringLiteral("blue-down"), 495, 2295, 65535, false},
        {"logs Command1_0", QStringLiteral("camera"), 735, 735, 12648384, false},
        {"logs Command1_2", QStringLiteral("printer"), 735, 735, 16777152, false},
        {"logs Command1_3", QStringLiteral("notepad"), 735, 735, 16761087, false},
        {"logs Command1_1", QStringLiteral("clipboard"), 735, 735, 12640511, false},
        {"logs Command1_4", QStringLiteral("text-size"), 735, 735, 12648447, false},
        {"logs Command2", QStringLiteral("eraser"), 2055, 615, kButtonFace, false},
    };
    static const QList<QByteArray> keyNames = [] {
        QList<QByteArray> names;
        for (int code = 0; code < tallimo::kOperationCount; ++code)
            names.append("calculator Command3_" + QByteArray::number(code));
        for (int code = 0; code < tallimo::kOperationCount; ++code)
            names.append("calculator Command14_" + QByteArray::number(code));
        return names;
    }();
    // The operation keys, and the same pictures on the small row buttons and palette.
    for (int code = 0; code < tallimo::kOperationCount; ++code) {
        const QString icon = tallimo::drawingName(tallimo::operationPicture(code));
        list.append({keyNames[code].constData(), icon, 735, 735, kButtonFace, false});
        list.append(
            {keyNames[tallimo::kOperationCount + code].constData(), icon, 375, 375, kButtonFace, false});
    }
    return list;
}

QSize pixels(const Button& button) {
    return common::twipsSize(button.widthTwips, button.heightTwips);
}

QRect pictureArea(const Button& button) {
    const QRect face(QPoint(0, 0), pixels(button));
    if (button.pictureBox)
        return face;
    const int margin = std::max(2, std::min(face.width(), face.height()) / 8);
    return face.adjusted(margin, margin, -margin, -margin);
}

QImage renderButton(const Button& button) {
    QImage image(pixels(button), QImage::Format_RGB32);
    image.fill(common::bgrColor(button.colour));
    QPainter painter(&image);
    const QRect area = pictureArea(button);
    painter.drawPixmap(
        area.topLeft(),
        common::iconPixmap(button.drawing, area.size(), 1.0,
                           button.pictureBox ? common::IconFit::FillSize : common::IconFit::KeepProportions));
    return image;
}

int luminance(QRgb colour) {
    return qGray(colour);
}

} // namespace

class IconSheetTest : public QObject {
    Q_OBJECT

private slots:
    // A picture is readable when a fair part of it stands out from its button's colour and some of it
    // (outlines, strokes) contrasts strongly.
    void pictureStandsOutFromItsButton_data() {
        QTest::addColumn<int>("index");
        const QList<Button> all = buttons();
        for (int index = 0; index < all.size(); ++index)
            QTest::newRow(all[index].name) << index;
    }
    void pictureStandsOutFromItsButton() {
        QFETCH(int, index);
        const Button button = buttons().at(index);
        const QImage image = renderButton(button);
        const QRgb background = common::bgrColor(button.colour).rgb();
        const QRect area = pictureArea(button);
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
                if (std::abs(luminance(pixel) - luminance(background)) >= 90)
                    ++contrasting;
            }
        }
        const double pixelsInArea = double(area.width()) * area.height();
        QVERIFY2(differing / pixelsInArea >= 0.06, qPrintable(QString::number(differing / pixelsInArea)));
        QVERIFY2(contrasting / pixelsInArea >= 0.03, qPrintable(QString::number(contrasting / pixelsInArea)));
    }
};

QTEST_MAIN(IconSheetTest)
#include "tst_iconsheet.moc"
