#include "app/Editor.h"

#include "app/Artwork.h"

#include <QApplication>

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("Tarvex Kite"));
    QApplication::setWindowIcon(artwork::kiteIcon());
}
