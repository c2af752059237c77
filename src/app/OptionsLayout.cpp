#include "app/OptionsLayout.h"

#include "app/FormLayout.h"
#include "app/PageButton.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace optionsLayout {

QString withoutMnemonic(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

QPushButton* button(QWidget* parent, const char* objectName, const QString& caption, int left,
                    int top, int width, int height)
{
    auto* result = formLayout::place(new QPushButton(caption, parent), objectName, left, top,
                                     width, height);
    result->setAccessibleName(withoutMnemonic(caption));
    return result;
}

QPushButton* pageButton(QWidget* parent, const char* objectName, const QString& caption,
                        int left, int top, int width, int height)
{
    auto* result = formLayout::place(new PageButton(caption, parent), objectName, left, top,
                                     width, height);
    result->setAccessibleName(withoutMnemonic(caption));
    return result;
}

QLabel* label(QWidget* parent, const char* objectName, const QString& caption, int left, int top,
              int width, int height)
{
    return formLayout::place(new QLabel(caption, parent), objectName, left, top, width, height);
}

void page(QFrame* page, const char* objectName, const QString& accessibleName)
{
    formLayout::place(page, objectName, 120, 600, 6735, 6855);
    page->setFrameShape(QFrame::Box);
    page->setFrameShadow(QFrame::Sunken);
    page->setAccessibleName(accessibleName);
}

void fitCaption(QWidget* widget, int right)
{
    const int room = right - widget->x();
    if (widget->sizeHint().width() <= widget->width())
        return;
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button && button->sizeHint().width() > room) {
        const QString caption = button->text();
        const QFontMetrics metrics(button->font());
        const int overhead =
            button->sizeHint().width() - metrics.horizontalAdvance(withoutMnemonic(caption));
        qsizetype lineBreak = -1;
        for (qsizetype space = caption.indexOf(QLatin1Char(' ')); space > 0;
             space = caption.indexOf(QLatin1Char(' '), space + 1)) {
            if (overhead + metrics.horizontalAdvance(withoutMnemonic(caption.left(space))) > room)
                break;
            lineBreak = space;
        }
        if (lineBreak > 0) {
            QString wrapped = caption;
            wrapped[lineBreak] = QLatin1Char('\n');
            button->setText(wrapped);
        }
    }
    widget->resize(qMin(widget->sizeHint().width(), room),
                   qMax(widget->height(), widget->sizeHint().height()));
}

} // namespace optionsLayout
