#ifndef KITE_APP_FORMLAYOUT_H
#define KITE_APP_FORMLAYOUT_H

#include <QLatin1String>
#include <QWidget>

#include <QtMath>

// The windows are laid out in twips, as their forms were drawn: 15 twips are one pixel at
// 96 dots per inch. Qt scales these pixels on high-density screens.
namespace formLayout {

inline int twips(int value)
{
    return qRound(value / 15.0);
}

// Names the control and puts it at left, top, width, height (twips, parent coordinates).
template <typename Widget>
Widget* place(Widget* widget, const char* objectName, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(objectName));
    widget->setGeometry(twips(left), twips(top), twips(width), twips(height));
    return widget;
}

} // namespace formLayout

#endif
