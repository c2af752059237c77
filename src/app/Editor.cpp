#include "app/Editor.h"

#include "app/Artwork.h"

#include <QApplication>
#include <QFont>

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("Tarvex Kite"));
    QApplication::setApplicationVersion(QStringLiteral(KITE_VERSION));
    QApplication::setWindowIcon(artwork::kiteIcon());
    // The editor's windows and messages use the platform's font at 8 points. Setting it for
    // the whole application before any control exists spares loading the larger default
    // font only for the first text field to lay itself out in it.
    QFont dialogFont = QApplication::font();
    dialogFont.setPointSizeF(8);
    QApplication::setFont(dialogFont);
}
