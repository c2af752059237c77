#include "app/Artwork.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>

#include <array>

// The pictures live in the app library's resources; a static library's resources are only
// linked in when something refers to them.
static void initArtworkResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace artwork {

namespace {

constexpr std::array<int, 7> iconSides{16, 24, 32, 48, 64, 128, 256};

// Named as PNG, so the reader asks no image plugin whether it knows the file better.
QPixmap readPng(const QString& resource)
{
    initArtworkResources();
    QImageReader reader(resource, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// The kite at the size asked for: the smallest drawing at least that large, scaled down to
// it (or the largest, for a larger size). Nothing is read until an icon is drawn, which on
// some desktops and offscreen is never.
class KiteIconEngine final : public QIconEngine
{
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        if (side <= 0)
            return {};
        const auto drawn = std::lower_bound(iconSides.begin(), iconSides.end(), side);
        const int source = drawn == iconSides.end() ? iconSides.back() : *drawn;
        const QString key = QStringLiteral("kite-icon-%1-%2-%3")
                                .arg(source)
                                .arg(std::min(side, source))
                                .arg(int(mode));
        QPixmap result;
        if (QPixmapCache::find(key, &result))
            return result;
        result = readPng(QStringLiteral(":/icons/tarvex-kite-%1.png").arg(source));
        if (side < source)
            result = result.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (mode == QIcon::Disabled || mode == QIcon::Selected) {
            QStyleOption option;
            option.palette = QApplication::palette();
            result = QApplication::style()->generatedIconPixmap(mode, result, &option);
        }
        QPixmapCache::insert(key, result);
        return result;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap shown = pixmap(rect.size() * ratio, mode, state);
        shown.setDevicePixelRatio(ratio);
        QRect target(QPoint(), shown.deviceIndependentSize().toSize());
        target.moveCenter(rect.center());
        painter->drawPixmap(target, shown);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min({size.width(), size.height(), iconSides.back()});
        return side > 0 ? QSize(side, side) : QSize();
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const int side : iconSides)
            sizes.append(QSize(side, side));
        return sizes;
    }

    QString key() const override { return QStringLiteral("KiteIconEngine"); }
    QIconEngine* clone() const override { return new KiteIconEngine; }
};

} // namespace

QIcon kiteIcon()
{
    return QIcon(new KiteIconEngine);
}

QPixmap attributeBackground()
{
    return readPng(QStringLiteral(":/icons/attributes-background.png"));
}

} // namespace artwork
