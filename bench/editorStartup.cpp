// The editor's start-up as the program performs it: the same objects main() builds, in the
// same order, then one pass of the event loop once the window is shown and idle, and exit.
// bench_kite spawns it to time start-up and to read its peak memory.
// Exit status: 0 when a track and the options dialog were loaded, 3 when no track was,
// 4 when the settings store had something to report (a dialog would have waited).
#include "app/Artwork.h"
#include "app/Prompts.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"
#include "settings/SqliteStore.h"

#include <QApplication>
#include <QTimer>

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
        return 4;
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    const int status = QApplication::exec();
    if (!state.fileLoaded || !window.findChild<frmOptions*>())
        return 3;
    return status;
}
