#ifndef KITE_APP_ARTWORK_H
#define KITE_APP_ARTWORK_H

#include <QIcon>
#include <QPixmap>

// The editor's own pictures. The kite and the attribute list's background are drawn as SVG
// (icons/*.svg, the scalable icon installed with the program) and rendered once to the PNG
// files in the resources, which the built-in PNG reader loads: no SVG library and no image
// plugin is loaded at run time. The folder browser's small pictures are painted in code.
namespace artwork {

// The window and program icon at the usual icon sizes, each read when first drawn.
QIcon kiteIcon();

// The folder browser's pictures, drawn in code at whatever size they are shown.
enum class BrowserPicture { OpenFolder, ClosedFolder, Drive };
QIcon browserIcon(BrowserPicture picture);
// The pale 241 x 241 picture behind the attribute list.
QPixmap attributeBackground();

} // namespace artwork

#endif
