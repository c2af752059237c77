// Tarvex Kite: builds the editor's objects, connects them and runs the window.
#include "app/Editor.h"
#include "settings/SqliteStore.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareApplication();
    settings::SqliteStore store(settings::SqliteStore::defaultPath());
    Editor editor(store);
    editor.window.Form_Load();
    if (!store.recoveryNotice().isEmpty())
        editor.prompts.information(&editor.window, store.recoveryNotice());
    return QApplication::exec();
}
