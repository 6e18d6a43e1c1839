// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/colourbutton.h"

#include <QImage>
#include <QTest>

#include <functional>

namespace {

using Change = std::function<void(common::ColourButton&)>;

QImage shot(common::ColourButton& button) {
    return button.grab().toImage();
}

} // namespace

// A button's picture is kept and reused by look: every change of look must show at once, and the kept
// picture must be the one a new button in the same state paints.
class TestColourButton : public QObject {
    Q_OBJECT

private slots:
    void everyChangeOfLookShows_data() {
        QTest::addColumn<Change>("change");
        QTest::newRow("back colour") << Change([](auto& b) { b.setBackColour(QColor(0, 255, 0)); });
        QTest::newRow("text") << Change([](auto& b) { b.setText(QStringLiteral("18")); });
        QTest::newRow("pressed") << Change([](auto& b) { b.setDown(true); });
        QTest::newRow("disabled") << Change([](auto& b) { b.setEnabled(false); });
        QTest::newRow("bold") << Change([](auto& b) {
            QFont font = b.font();
            font.setBold(true);
            b.setFont(font);
        });
        QTest::newRow("text colour") << Change([](auto& b) {
            QPalette colours = b.palette();
            colours.setColor(QPalette::ButtonText, Qt::red);
            b.setPalette(colours);
        });
    }
    void everyChangeOfLookShows() {
        QFETCH(Change, change);
        const auto make = [] {
            auto button = std::make_unique<common::ColourButton>(QStringLiteral("17"));
            button->resize(33, 24);
            button->setBackColour(QColor(255, 255, 0));
            return button;
        };
        auto button = make();
        const QImage before = shot(*button);
        change(*button);
        const QImage after = shot(*button);
        QVERIFY(after != before);

        auto fresh = make();
        change(*fresh);
        QCOMPARE(shot(*fresh), after);
    }
};

QTEST_MAIN(TestColourButton)
#include "tst_colourbutton.moc"
