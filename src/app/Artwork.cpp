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

// Shared by the editor's icons: a pixmap per size and mode, made once and kept in the
// pixmap cache, with the style's look for the disabled and selected modes.
class ArtIconEngine : public QIconEngine
{
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        if (side <= 0)
            return {};
        const QString key = QStringLiteral("%1-%2-%3").arg(cacheName()).arg(side).arg(int(mode));
        QPixmap result;
        if (QPixmapCache::find(key, &result))
            return result;
        result = draw(side);
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

protected:
    // The picture `side` pixels square, in the normal mode.
    virtual QPixmap draw(int side) const = 0;
    // Names the picture in the pixmap cache.
    virtual QString cacheName() const = 0;
};

// The kite at the size asked for: the smallest drawing at least that large, scaled down to
// it (or the largest, for a larger size). Nothing is read until an icon is drawn, which on
// some desktops and offscreen is never.
class KiteIconEngine final : public ArtIconEngine
{
public:
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

protected:
    QPixmap draw(int side) const override
    {
        const int wanted = std::min(side, iconSides.back());
        const int source = *std::lower_bound(iconSides.begin(), iconSides.end(), wanted);
        QPixmap result = readPng(QStringLiteral(":/icons/tarvex-kite-%1.png").arg(source));
        if (wanted < source)
            result = result.scaled(wanted, wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return result;
    }
    QString cacheName() const override { return QStringLiteral("kite-icon"); }
};

// A folder, open or closed, and a drive, drawn as filled cells of a 16 x 16 grid scaled
// to the size shown, so they stay sharp on screens of any density. Plain rectangles keep
// drawing them nearly free.
class BrowserIconEngine final : public ArtIconEngine
{
public:
    explicit BrowserIconEngine(BrowserPicture picture) : m_picture(picture) { }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return side > 0 ? QSize(side, side) : QSize();
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {QSize(16, 16)}; }
    QString key() const override { return QStringLiteral("BrowserIconEngine"); }
    QIconEngine* clone() const override { return new BrowserIconEngine(m_picture); }

protected:
    QPixmap draw(int side) const override
    {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.scale(side / 16.0, side / 16.0);
        for (const Cells& cells : pictureCells(m_picture))
            painter.fillRect(QRectF(cells.x, cells.y, cells.width, cells.height), cells.colour);
        painter.end();
        return QPixmap::fromImage(std::move(image));
    }

    QString cacheName() const override
    {
        return QStringLiteral("browser-icon-%1").arg(int(m_picture));
    }

private:
    struct Cells
    {
        qreal x, y, width, height;
        QColor colour;
    };

    // Painted in order, each over the ones before.
    static QList<Cells> pictureCells(BrowserPicture picture)
    {
        const QColor outline(140, 100, 25);
        const QColor back(214, 166, 58);
        const QColor body(240, 200, 92);
        const QColor light(252, 228, 150);
        switch (picture) {
        case BrowserPicture::ClosedFolder:
            return {{1, 3, 6, 3, outline}, {2, 4, 4, 2, back},            // the tab
                    {1, 5, 14, 9, outline}, {2, 6, 12, 7, body},          // the folder
                    {2, 6, 12, 1, light}};                                // its top edge
        case BrowserPicture::OpenFolder:
            return {{1, 3, 6, 3, outline}, {2, 4, 4, 2, back},            // the tab
                    {1, 5, 14, 9, outline}, {2, 6, 12, 7, back},          // the back
                    {3, 6, 10, 3, QColor(252, 252, 246)},                 // a sheet inside
                    // the front, swung down towards the viewer: each row a little further
                    // left, as far as the back's bottom edge
                    {3, 8, 13, 1, outline},
                    {3, 9, 1, 1, outline}, {4, 9, 11, 1, light}, {15, 9, 1, 1, outline},
                    {2, 10, 1, 2, outline}, {3, 10, 11, 2, body}, {14, 10, 1, 2, outline},
                    {1, 12, 1, 1, outline}, {2, 12, 11, 1, body}, {13, 12, 1, 1, outline},
                    {1, 13, 14, 1, outline}};
        case BrowserPicture::Drive:
            return {{1, 5, 14, 8, QColor(85, 85, 92)},                   // the case
                    {2, 6, 12, 3, QColor(226, 226, 232)},                 // its cover
                    {2, 9, 12, 3, QColor(178, 178, 186)},                 // its base
                    {11, 10, 2, 1, QColor(40, 190, 60)}};                 // the activity light
        }
        return {};
    }

    BrowserPicture m_picture;
};

} // namespace

QIcon kiteIcon()
{
    return QIcon(new KiteIconEngine);
}

QIcon browserIcon(BrowserPicture picture)
{
    return QIcon(new BrowserIconEngine(picture));
}

QPixmap attributeBackground()
{
    return readPng(QStringLiteral(":/icons/attributes-background.png"));
}

} // namespace artwork
