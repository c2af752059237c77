#ifndef KITE_APP_COLOURSWATCH_H
#define KITE_APP_COLOURSWATCH_H

#include <QColor>
#include <QWidget>

// A clickable patch of one colour: the fog colour on the Fog page. Space or Enter clicks it
// too, so the colour dialog is in reach of the keyboard.
class ColourSwatch final : public QWidget
{
    Q_OBJECT
public:
    explicit ColourSwatch(QWidget* parent);

    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor m_colour = Qt::black;
};

#endif
