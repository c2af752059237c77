#include "app/Artwork.h"

#include <QPainter>
#include <QSvgRenderer>

// The pictures live in the app library's resources; a static library's resources are only
// linked in when something refers to them.
static void initArtworkResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace artwork {

namespace {

QPixmap render(const QString& resource, QSize size)
{
    initArtworkResources();
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

QIcon kiteIcon()
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(render(QStringLiteral(":/icons/tarvex-kite.svg"), QSize(side, side)));
    return icon;
}

QPixmap attributeBackground()
{
    return render(QStringLiteral(":/icons/attributes-background.svg"), QSize(241, 241));
}

} // namespace artwork
