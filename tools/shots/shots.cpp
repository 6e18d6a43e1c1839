// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures to look at, not tests: every drawing on a sheet, the address-book page with a contact shown, the
// calculator with a short tape and its saved-logs window, each written as a PNG into the folder given. The
// address book and the calculator are the screenshots of the AppStream data (packaging/screenshots). Built on
// demand
// (`cmake --build build --target shots`) and run on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen build/tools/shots/shots /tmp/shots
#include "agenda/ui/agendawindow.h"
#include "calculator/ui/calculatorwindow.h"
#include "calculator/ui/savedlogswindow.h"
#include "common/clock.h"
#include "common/textfile.h"
#include "common/ui/icons.h"
#include "tests/support/recordingdesktopservices.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// Every drawing at 64 pixels with its name under it, eight to a row.
QImage drawingSheet() {
    const QStringList drawings = common::allDrawingNames();
    const int cell = 120;
    const int columns = 8;
    QImage sheet(columns * cell, int((drawings.size() + columns - 1) / columns) * cell, QImage::Format_RGB32);
    sheet.fill(QColor(0xC8, 0xC8, 0xC8));
    QPainter painter(&sheet);
    for (int index = 0; index < drawings.size(); ++index) {
        const QPoint corner((index % columns) * cell, (index / columns) * cell);
        painter.drawPixmap(corner + QPoint(28, 12), common::iconPixmap(drawings[index], QSize(64, 64)));
        painter.drawText(QRect(corner + QPoint(0, 84), QSize(cell, 20)), Qt::AlignCenter, drawings[index]);
    }
    return sheet;
}

bool write(const QString& path, const QByteArray& bytes) {
    return QDir().mkpath(QFileInfo(path).path()) && common::writeBytes(path, bytes);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: shots CARPETA\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));
    QTemporaryDir program;
    const QString data = program.path();
    write(data + QStringLiteral("/direcciones/Familia/García López"),
          "García López\r\nAna\r\nCalle Mayor 1, 3º B\r\nLeón\r\n987 000 000\r\nana@correo.es\r\nPrima de "
          "Luis\r\ncumpleaños en mayo\r\n");
    write(data + QStringLiteral("/direcciones/Familia/Pérez"), "Pérez\r\n");
    write(program.filePath(QStringLiteral("tallimo/operaciones/2026-12-5--18-30")), "ayer\r\n");
    write(program.filePath(QStringLiteral("tallimo/operaciones/2026-12-1--8-0")), "antes\r\n");

    bool saved = drawingSheet().save(out.filePath(QStringLiteral("dibujos.png")));

    const common::FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
    common::RecordingDesktopServices desktop;
    {
        quindara::AgendaWindow agenda(program.path(), clock, desktop);
        agenda.show();
        if (auto* tab = agenda.findChild<QAbstractButton*>(QStringLiteral("Command6_5")))
            tab->click();
        QApplication::processEvents();
        saved = agenda.grab().save(out.filePath(QStringLiteral("direcciones.png"))) && saved;
    }
    {
        tallimo::CalculatorWindow calculator(program.filePath(QStringLiteral("tallimo")), clock, desktop);
        calculator.show();
        for (const char* key : {"1", "2", "5", "0", "+", "3", "7", "5", "+", "1", "0", "0", "\r"})
            QTest::keyClick(&calculator, key[0]);
        QApplication::processEvents();
        saved = calculator.grab().save(out.filePath(QStringLiteral("calculadora.png"))) && saved;
    }
    {
        tallimo::SavedLogsWindow logs(program.filePath(QStringLiteral("tallimo")), clock, desktop);
        logs.show();
        QApplication::processEvents();
        saved = logs.grab().save(out.filePath(QStringLiteral("operaciones.png"))) && saved;
    }
    return saved ? 0 : 1;
}
