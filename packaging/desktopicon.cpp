// SPDX-License-Identifier: GPL-3.0-or-later
// Makes a program's desktop icon from its drawing: the drawing centred in a square, as an SVG and as PNG
// pictures of the sizes asked, laid out as the hicolor theme wants them:
//   desktopicon DRAWING.svg OUTPUT-FOLDER NAME SIZE...
// writes OUTPUT-FOLDER/scalable/apps/NAME.svg and OUTPUT-FOLDER/<SIZE>x<SIZE>/apps/NAME.png.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

namespace {

// The drawing's text with its view box widened to a square around the same centre.
QByteArray squared(QByteArray svg) {
    static const QRegularExpression viewBox(
        QStringLiteral(R"(viewBox="\s*([-\d.]+)[\s,]+([-\d.]+)[\s,]+([\d.]+)[\s,]+([\d.]+)\s*")"));
    const QString text = QString::fromUtf8(svg);
    const QRegularExpressionMatch match = viewBox.match(text);
    if (!match.hasMatch())
        return svg;
    double x = match.captured(1).toDouble();
    double y = match.captured(2).toDouble();
    const double width = match.captured(3).toDouble();
    const double height = match.captured(4).toDouble();
    const double side = qMax(width, height);
    x -= (side - width) / 2;
    y -= (side - height) / 2;
    const QString box = QStringLiteral(R"(viewBox="%1 %2 %3 %3")")
                            .arg(QString::number(x), QString::number(y), QString::number(side));
    return QString(text).replace(match.capturedStart(), match.capturedLength(), box).toUtf8();
}

bool save(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
           file.commit();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "uso: desktopicon DIBUJO.svg CARPETA NOMBRE TAMAÑO...\n");
        return 2;
    }
    QFile drawing(QString::fromLocal8Bit(argv[1]));
    if (!drawing.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "desktopicon: no se puede leer %s\n", argv[1]);
        return 1;
    }
    const QByteArray svg = squared(drawing.readAll());
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const QString name = QString::fromLocal8Bit(argv[3]);
    if (!save(out.filePath(QStringLiteral("scalable/apps/%1.svg").arg(name)), svg))
        return 1;
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return 1;
    for (int k = 4; k < argc; ++k) {
        const int size = QByteArray(argv[k]).toInt();
        QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        {
            QPainter painter(&picture);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
        }
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG") ||
            !save(out.filePath(QStringLiteral("%1x%1/apps/%2.png").arg(size).arg(name)), png))
            return 1;
    }
    return 0;
}
