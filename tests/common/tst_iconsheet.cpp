#include "common/icons.h"
#include "common/units.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cstdlib>

using common::Icon;

Q_DECLARE_METATYPE(common::Icon)

namespace {

// A button with no back colour of its own shows the toolkit's face colour.
constexpr quint32 kButtonFace = 0xF0F0F0;

struct Button {
    const char* name;
    Icon icon;
    int widthTwips;
    int heightTwips;
    quint32 colour;  // 0x00BBGGRR
    bool pictureBox; // picture boxes show the drawing edge to edge, buttons inside a margin
};

// Every place a picture is shown, with its control's size and back colour.
QList<Button> buttons() {
    QList<Button> list{
        {"Command15", Icon::Calculator, 495, 495, 16777215, false},
        {"Command6_4", Icon::Clipboard, 495, 495, 12648447, false},
        {"Command6_5", Icon::People, 495, 495, 16761087, false},
        {"Command9", Icon::Notepad, 495, 495, kButtonFace, false},
        {"Command12", Icon::DownArrowGreen, 495, 495, kButtonFace, false},
        {"Command10", Icon::CloseRedSquare, 495, 495, kButtonFace, false},
        {"exchangeButton", Icon::Exchange, 495, 495, 0x00C0E0FF, false},
        {"Command14", Icon::YearCalendar, 1815, 1455, 16777215, false},
        {"Command3_0", Icon::YearUp, 480, 240, kButtonFace, false},
        {"Command3_1", Icon::YearDown, 480, 240, kButtonFace, false},
        {"Command16_0", Icon::PaperClip, 1935, 495, kButtonFace, false},
        {"Picture1", Icon::DecorativeStrip, 615, 7935, 16777215, true},
        {"Picture3", Icon::DecorativeStrip, 735, 7935, 16761087, true},
        {"Picture2", Icon::DecorativeStrip, 735, 7935, 16777152, true},
        {"overview Command14_0", Icon::OverviewUp, 735, 735, 16777215, false},
        {"overview Command14_1", Icon::OverviewDown, 735, 735, kButtonFace, false},
        {"overview Command1", Icon::OverviewClose, 855, 855, 16777215, false},
        {"calculator Command9", Icon::Undo, 735, 735, 0x008080FF, false},
        {"calculator Command8_1", Icon::WrittenSum, 735, 735, 0x00C0FFFF, false},
        {"calculator Command11", Icon::LogCamera, 1575, 735, kButtonFace, false},
        {"calculator Command12", Icon::Eraser, 855, 495, kButtonFace, false},
        {"calculator Command6_0", Icon::BlueUp, 495, 2175, 65280, false},
        {"calculator Command6_1", Icon::BlueDown, 495, 2295, 65535, false},
        {"logs Command1_0", Icon::Camera, 735, 735, 12648384, false},
        {"logs Command1_2", Icon::Printer, 735, 735, 16777152, false},
        {"logs Command1_3", Icon::Notepad, 735, 735, 16761087, false},
        {"logs Command1_1", Icon::Clipboard, 735, 735, 12640511, false},
        {"logs Command1_4", Icon::TextSize, 735, 735, 12648447, false},
        {"logs Command2", Icon::Eraser, 2055, 615, kButtonFace, false},
    };
    static const QList<QByteArray> keyNames = [] {
        QList<QByteArray> names;
        for (int code = 0; code < common::kOperationCount; ++code)
            names.append("calculator Command3_" + QByteArray::number(code));
        for (int code = 0; code < common::kOperationCount; ++code)
            names.append("calculator Command14_" + QByteArray::number(code));
        return names;
    }();
    // The operation keys, and the same pictures on the small row buttons and palette.
    for (int code = 0; code < common::kOperationCount; ++code) {
        const Icon icon = *common::operationIcon(code);
        list.append({keyNames[code].constData(), icon, 735, 735, kButtonFace, false});
        list.append(
            {keyNames[common::kOperationCount + code].constData(), icon, 375, 375, kButtonFace, false});
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
    painter.drawPixmap(area.topLeft(), common::iconPixmap(button.icon, area.size()));
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

    // Set QUINDARA_ICON_SHEET to a PNG path to get every picture on its button, to look at.
    void writeContactSheet() {
        const QByteArray path = qgetenv("QUINDARA_ICON_SHEET");
        if (path.isEmpty())
            QSKIP("QUINDARA_ICON_SHEET not set");
        const int sheetWidth = 1200;
        const int gap = 14;
        const int labelHeight = 14;
        QList<QRect> places;
        int x = gap;
        int y = gap;
        int rowHeight = 0;
        for (const Button& button : buttons()) {
            const QSize size = pixels(button);
            const int cellWidth = std::max(size.width(), 120);
            if (x + cellWidth > sheetWidth) {
                x = gap;
                y += rowHeight + labelHeight + gap;
                rowHeight = 0;
            }
            places.append(QRect(QPoint(x, y), size));
            x += cellWidth + gap;
            rowHeight = std::max(rowHeight, size.height());
        }
        QImage sheet(sheetWidth, y + rowHeight + labelHeight + gap, QImage::Format_RGB32);
        sheet.fill(QColor(0xC8, 0xC8, 0xC8));
        QPainter painter(&sheet);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(11);
        painter.setFont(font);
        const QList<Button> all = buttons();
        for (int index = 0; index < all.size(); ++index) {
            const QRect place = places[index];
            painter.drawImage(place.topLeft(), renderButton(all[index]));
            painter.setPen(QColor(0x60, 0x60, 0x60));
            painter.drawRect(place.adjusted(-1, -1, 0, 0));
            painter.setPen(Qt::black);
            painter.drawText(QRect(place.left(), place.bottom() + 2, 160, labelHeight), Qt::AlignLeft,
                             QString::fromLatin1(all[index].name));
        }
        painter.end();
        QVERIFY(sheet.save(QString::fromLocal8Bit(path)));
    }
};

QTEST_MAIN(IconSheetTest)
#include "tst_iconsheet.moc"
