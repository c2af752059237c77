#ifndef KITE_APP_PAGEBUTTON_H
#define KITE_APP_PAGEBUTTON_H

#include <QPushButton>

// A page button: a push button that stays pressed while its page is shown, one of a group of
// which exactly one is pressed. Every page button can be reached with Tab, and Space or Enter
// presses it, so each page is in reach of the keyboard.
class PageButton final : public QPushButton
{
    Q_OBJECT
public:
    PageButton(const QString& text, QWidget* parent);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

#endif
