#include "app/ColourSwatch.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ColourSwatch::setColour(const QColor& colour)
{
    // The swatch holds an opaque 24-bit colour, as the fog colour tag does.
    const QColor opaque = colour.toRgb();
    if (opaque.rgb() == m_colour.rgb())
        return;
    m_colour = QColor(opaque.red(), opaque.green(), opaque.blue());
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    if (isEnabled()) {
        painter.fillRect(inner, m_colour);
    } else {
        // Unavailable: no colour, only the hatching of a control that cannot be used.
        painter.fillRect(inner, palette().color(QPalette::Disabled, QPalette::Button));
        painter.fillRect(inner, QBrush(palette().color(QPalette::Disabled, QPalette::WindowText),
                                       Qt::BDiagPattern));
    }
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        option.backgroundColor = m_colour;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void ColourSwatch::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Q_EMIT clicked();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
