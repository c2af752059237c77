// Renders the editor's SVG pictures to the PNG files the program shows, so the program needs
// no SVG library and draws them without rendering. Not part of the build; after changing an
// SVG, run it on the icons folder and commit the PNG files it writes:
//   cmake --build <build> --target kite_render_artwork
//   <build>/src/app/kite_render_artwork src/app/icons
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool render(const QString& svg, int side, const QString& png)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return false;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image.save(png, "PNG");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <icons folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    bool ok = render(folder + QStringLiteral("attributes-background.svg"), 241,
                     folder + QStringLiteral("attributes-background.png"));
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        ok = render(folder + QStringLiteral("tarvex-kite.svg"), side,
                    folder + QStringLiteral("tarvex-kite-%1.png").arg(side))
             && ok;
    if (!ok)
        std::fprintf(stderr, "could not render every picture\n");
    return ok ? 0 : 1;
}
