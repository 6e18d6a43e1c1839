#include "common/icons.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <array>

// The icons are compiled into the static library `common`; without this call a static link may drop them.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace common {

namespace {

struct IconFile {
    Icon icon;
    const char16_t* name;
};

// Same order as the enum, which allIcons() relies on.
constexpr std::array kIconFiles{
    IconFile{Icon::Calculator, u"calculator"},
    IconFile{Icon::Clipboard, u"clipboard"},
    IconFile{Icon::People, u"people"},
    IconFile{Icon::Notepad, u"notepad"},
    IconFile{Icon::DownArrowGreen, u"down-arrow-green"},
    IconFile{Icon::CloseRedSquare, u"close-red-square"},
    IconFile{Icon::YearCalendar, u"year-calendar"},
    IconFile{Icon::DecorativeStrip, u"decorative-strip"},
    IconFile{Icon::YearUp, u"year-up"},
    IconFile{Icon::YearDown, u"year-down"},
    IconFile{Icon::PaperClip, u"paper-clip"},
    IconFile{Icon::OverviewUp, u"overview-up"},
    IconFile{Icon::OverviewDown, u"overview-down"},
    IconFile{Icon::OverviewClose, u"overview-close"},
    IconFile{Icon::OpAdd, u"op-add"},
    IconFile{Icon::OpSubtract, u"op-subtract"},
    IconFile{Icon::OpMultiply, u"op-multiply"},
    IconFile{Icon::OpDivide, u"op-divide"},
    IconFile{Icon::OpPower, u"op-power"},
    IconFile{Icon::OpPercent, u"op-percent"},
    IconFile{Icon::OpSquareRoot, u"op-square-root"},
    IconFile{Icon::OpReciprocal, u"op-reciprocal"},
    IconFile{Icon::OpRoot, u"op-root"},
    IconFile{Icon::OpRemainder, u"op-remainder"},
    IconFile{Icon::OpQuotient, u"op-quotient"},
    IconFile{Icon::OpFactorial, u"op-factorial"},
    IconFile{Icon::Undo, u"undo"},
    IconFile{Icon::WrittenSum, u"written-sum"},
    IconFile{Icon::LogCamera, u"log-camera"},
    IconFile{Icon::Eraser, u"eraser"},
    IconFile{Icon::BlueUp, u"blue-up"},
    IconFile{Icon::BlueDown, u"blue-down"},
    IconFile{Icon::Camera, u"camera"},
    IconFile{Icon::Printer, u"printer"},
    IconFile{Icon::TextSize, u"text-size"},
    IconFile{Icon::Magnifier, u"magnifier"},
    IconFile{Icon::Exchange, u"exchange"},
};

static_assert(kIconFiles.size() == std::size_t(Icon::Exchange) + 1, "every icon needs its file");

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
QPixmap cachedPixmap(Icon icon, QSize size, qreal ratio, QIcon::Mode mode) {
    const QString key = QStringLiteral("quindara-icon-%1-%2x%3@%4-%5")
                            .arg(int(icon))
                            .arg(size.width())
                            .arg(size.height())
                            .arg(ratio)
                            .arg(mode == QIcon::Disabled ? 1 : 0);
    QPixmap picture;
    if (QPixmapCache::find(key, &picture))
        return picture;
    picture = iconPixmap(icon, size, ratio);
    if (mode == QIcon::Disabled)
        picture = disabledLook(picture);
    QPixmapCache::insert(key, picture);
    return picture;
}

class SvgIconEngine final : public QIconEngine {
public:
    explicit SvgIconEngine(Icon icon) : m_icon(icon) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        Q_UNUSED(state);
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, cachedPixmap(m_icon, rect.size(), ratio, mode));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        Q_UNUSED(state);
        return cachedPixmap(m_icon, size, 1.0, mode);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        Q_UNUSED(state);
        return cachedPixmap(m_icon, size / scale, scale, mode);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    QIconEngine* clone() const override { return new SvgIconEngine(m_icon); }

    QString key() const override { return QStringLiteral("quindara-svg"); }

private:
    Icon m_icon;
};

} // namespace

QList<Icon> allIcons() {
    QList<Icon> icons;
    icons.reserve(qsizetype(kIconFiles.size()));
    for (const IconFile& file : kIconFiles)
        icons.append(file.icon);
    return icons;
}

QString iconResource(Icon icon) {
    const auto index = std::size_t(icon);
    if (index >= kIconFiles.size())
        return {};
    return QStringLiteral(":/icons/") + QString::fromUtf16(kIconFiles[index].name) + QStringLiteral(".svg");
}

std::optional<Icon> operationIcon(int code) {
    if (code < 0 || code >= kOperationCount)
        return std::nullopt;
    return Icon(int(Icon::OpAdd) + code);
}

QPixmap iconPixmap(Icon icon, QSize size, qreal devicePixelRatio) {
    ensureResources();
    if (size.isEmpty())
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    QSvgRenderer renderer(iconResource(icon));
    if (!renderer.isValid())
        return pixmap;
    // The strip is a band meant to run the full height of its page, whatever its width.
    renderer.setAspectRatioMode(icon == Icon::DecorativeStrip ? Qt::IgnoreAspectRatio : Qt::KeepAspectRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon iconFor(Icon icon) {
    return QIcon(new SvgIconEngine(icon));
}

} // namespace common
