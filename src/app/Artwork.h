#ifndef KITE_APP_ARTWORK_H
#define KITE_APP_ARTWORK_H

#include <QIcon>
#include <QPixmap>

// The editor's own pictures, drawn as SVG in the resources and rendered here, so no image
// plugin is needed at run time.
namespace artwork {

// The window and program icon, at the usual icon sizes.
QIcon kiteIcon();
// The pale 241 x 241 picture behind the attribute list.
QPixmap attributeBackground();

} // namespace artwork

#endif
