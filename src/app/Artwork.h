#ifndef KITE_APP_ARTWORK_H
#define KITE_APP_ARTWORK_H

#include <QIcon>
#include <QPixmap>

// The editor's own pictures. They are drawn as SVG (icons/*.svg, the scalable icon installed
// with the program) and rendered once to the PNG files in the resources, which the built-in
// PNG reader loads: no SVG library and no image plugin is loaded at run time.
namespace artwork {

// The window and program icon at the usual icon sizes, each read when first drawn.
QIcon kiteIcon();
// The pale 241 x 241 picture behind the attribute list.
QPixmap attributeBackground();

} // namespace artwork

#endif
