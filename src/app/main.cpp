// Tarvex Kite: builds the editor's objects, connects them and runs the window.
#include "app/Artwork.h"
#include "app/Prompts.h"
#include "app/frmMain.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"
#include "settings/SqliteStore.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvex Kite"));
    QApplication::setWindowIcon(artwork::kiteIcon());

    settings::SqliteStore store(settings::SqliteStore::defaultPath());
    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;
    QtPrompts prompts;

    frmMain window(state, descriptions, rename, store, prompts);
    window.Form_Load();
    if (!store.recoveryNotice().isEmpty())
        prompts.information(&window, store.recoveryNotice());
    return QApplication::exec();
}
