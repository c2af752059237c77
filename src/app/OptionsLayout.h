#ifndef KITE_APP_OPTIONSLAYOUT_H
#define KITE_APP_OPTIONSLAYOUT_H

#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// Building the options dialog's controls: named, placed in twips, captions that fit.
namespace optionsLayout {

// Captions carry "&" mnemonics; screen readers get the caption as the user reads it.
QString withoutMnemonic(QString caption);

QPushButton* button(QWidget* parent, const char* objectName, const QString& caption, int left,
                    int top, int width, int height);
// A page button (PageButton) with its caption.
QPushButton* pageButton(QWidget* parent, const char* objectName, const QString& caption,
                        int left, int top, int width, int height);
QLabel* label(QWidget* parent, const char* objectName, const QString& caption, int left, int top,
              int width, int height);

// Makes `page` one of the dialog's pages: a frame without caption at the pages' place.
void page(QFrame* page, const char* objectName, const QString& accessibleName);

// The layout was drawn for a smaller font than desktops use today. A caption that does not
// fit its box widens the box to the right, never past `right` (where the next control or the
// page margin begins); a button caption that still does not fit is broken onto a second
// line, which the box grows down to show.
void fitCaption(QWidget* widget, int right);

} // namespace optionsLayout

#endif
