#include "app/PageButton.h"

#include <QButtonGroup>
#include <QKeyEvent>

PageButton::PageButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setCheckable(true);
    setAutoDefault(false);
}

void PageButton::focusInEvent(QFocusEvent* event)
{
    QPushButton::focusInEvent(event);
    // A button group treats its buttons as radio buttons: on focus it takes every button but
    // the pressed one out of the Tab chain. The pages are chosen with Tab like any button.
    if (const QButtonGroup* pages = group()) {
        for (QAbstractButton* button : pages->buttons())
            button->setFocusPolicy(Qt::StrongFocus);
    }
}

void PageButton::keyPressEvent(QKeyEvent* event)
{
    // Enter would otherwise reach the dialog's default button (or nothing, in the window).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}
