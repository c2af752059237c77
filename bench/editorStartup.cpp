// The editor's start-up as the program performs it: the same objects main() builds, in the
// same order, then one pass of the event loop once the window is shown and idle, and exit.
// bench_kite spawns it to time start-up and to read its peak memory.
// Exit status: 0 when a track and the options dialog were loaded, 3 when no track was,
// 4 when the settings store had something to report (a dialog would have waited).
#include "app/CommandLine.h"
#include "app/Editor.h"
#include "app/frmOptions.h"
#include "settings/SqliteStore.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareApplication();
    const CommandLine command = readCommandLine(QApplication::arguments());
    settings::SqliteStore store(settings::SqliteStore::defaultPath());
    Editor editor(store);
    editor.window.Form_Load(command.trackFolder);
    if (!store.recoveryNotice().isEmpty())
        return 4;
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    const int status = QApplication::exec();
    if (!editor.state.fileLoaded || !editor.window.findChild<frmOptions*>())
        return 3;
    return status;
}
