// Tarvex Kite: builds the editor's objects, connects them and runs the window.
//     tarvex-kite [FOLDER | FILE.inf]
#include "app/CommandLine.h"
#include "app/Editor.h"
#include "settings/SqliteStore.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareApplication();
    const CommandLine command = readCommandLine(argumentsOf(argc, argv));
    if (!command.problem.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(command.problem));
    settings::SqliteStore store(settings::SqliteStore::defaultPath());
    Editor editor(store);
    editor.window.Form_Load(command.trackFolder);
    if (!command.problem.isEmpty())
        editor.prompts.information(&editor.window, command.problem);
    if (!store.recoveryNotice().isEmpty())
        editor.prompts.information(&editor.window, store.recoveryNotice());
    return QApplication::exec();
}
