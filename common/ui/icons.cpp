// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/icons.h"

#include <QDir>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

// The icons are compiled into the static library `common`; without this call a static link may drop them.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace common {

namespace {

void ensureResources() {
    static const bool initialised = [] {
        initIconResources();
        return true;
    }();
    Q_UNUSED(initialised);
}

// Disabled buttons show their picture in grey and faded, as toolkits do for their own icons.
QPixmap disabledLook(const QPixmap& pixmap) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(pixmap.devicePixelRatio());
    return result;
}

// A drawing rendered once per size, scale and look: buttons repaint often, and parsing the SVG again at
// every paint costs far more than the paint itself.
QPixmap cachedPixmap(const QString& name, QSize size, qreal ratio, QIcon::Mode mode) {
    const QString key = QStringLiteral("quindara-icon-%1-%2x%3@%4-%5")
                            .arg(name)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(ratio)
                            .arg(mode == QIcon::Disabled ? 1 : 0);
    QPixmap picture;
    if (QPixmapCache::find(key, &picture))
        return picture;
    picture = iconPixmap(name, size, ratio);
    if (mode == QIcon::Disabled)
        picture = disabledLook(picture);
    QPixmapCache::insert(key, picture);
    return picture;
}

class SvgIconEngine final : public QIconEngine {
public:
    explicit SvgIconEngine(const QString& name) : name_(name) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        Q_UNUSED(state);
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, cachedPixmap(name_, rect.size(), ratio, mode));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        Q_UNUSED(state);
        return cachedPixmap(name_, size, 1.0, mode);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        Q_UNUSED(state);
        return cachedPixmap(name_, size / scale, scale, mode);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    QIconEngine* clone() const override { return new SvgIconEngine(name_); }

    QString key() const override { return QStringLiteral("quindara-svg"); }

private:
    QString name_;
};

} // namespace

QString iconResource(const QString& name) {
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

QStringList allDrawingNames() {
    ensureResources();
    QStringList names = QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")}, QDir::Files);
    for (QString& name : names)
        name.chop(4);
    return names;
}

QPixmap iconPixmap(const QString& name, QSize size, qreal devicePixelRatio, IconFit fit) {
    ensureResources();
    if (size.isEmpty())
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    QSvgRenderer renderer(iconResource(name));
    if (!renderer.isValid())
        return pixmap;
    renderer.setAspectRatioMode(fit == IconFit::FillSize ? Qt::IgnoreAspectRatio : Qt::KeepAspectRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon iconFor(const QString& name) {
    return QIcon(new SvgIconEngine(name));
}

} // namespace common
