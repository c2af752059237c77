// Shoots the editor window for the documentation: the real window on a copy of the sample
// track, one picture per page. Run it on a display (e.g. xvfb-run -a -s "-screen 0 1024x768x24"):
//     kite_screenshots <samples/levels> <output folder>
// It writes name.png, light.png, fog.png and attributes.png.
#include "app/Artwork.h"
#include "app/Prompts.h"
#include "app/frmMain.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"
#include "settings/SqliteStore.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>

#include <cstdio>

namespace {

bool copyTree(const QString& source, const QString& to)
{
    const QString from = QDir(source).absolutePath();
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::copy(file, target))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvex Kite"));
    QApplication::setWindowIcon(artwork::kiteIcon());
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: kite_screenshots <samples/levels> <output folder>\n");
        return 2;
    }
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/kite-samples-XXXXXX"));
    const QString levels = work.path() + QStringLiteral("/levels");
    if (!work.isValid() || !copyTree(args.at(1), levels)) {
        std::fprintf(stderr, "cannot copy the sample levels\n");
        return 1;
    }
    const QString output = QDir(args.at(2)).absolutePath();
    QDir().mkpath(output);

    // The built-in descriptions, as a user who pressed "Defaults" once has them.
    settings::MemoryStore store;
    for (const cDesc& entry : desc::Store::builtInDescriptions())
        store.write(desc::appName, desc::sectionName, entry.forTag, entry.tagDesc);
    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;
    QtPrompts prompts;

    if (!QDir::setCurrent(levels)) {
        std::fprintf(stderr, "cannot open the copied levels folder\n");
        return 1;
    }
    frmMain window(state, descriptions, rename, store, prompts);
    window.Form_Load();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    // Pick toytrack in the folder list, as a user does.
    auto* folders = window.findChild<QListView*>(QStringLiteral("objDir"));
    const QModelIndexList toytrack
        = folders->model()->match(folders->model()->index(0, 0), Qt::DisplayRole,
                                  QStringLiteral("toytrack"), 1, Qt::MatchExactly);
    if (toytrack.isEmpty())
        return 1;
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {},
                      folders->visualRect(toytrack.first()).center());

    const QStringList pages{QStringLiteral("name"), QStringLiteral("light"), QStringLiteral("fog"),
                            QStringLiteral("attributes")};
    for (int i = 0; i < pages.size(); ++i) {
        auto* button = window.findChild<QPushButton*>(QStringLiteral("optFrames%1").arg(i));
        QTest::mouseClick(button, Qt::LeftButton);
        if (pages.at(i) == QStringLiteral("attributes")) {
            auto* list = window.findChild<QTreeWidget*>(QStringLiteral("listviewAttr"));
            const QRect row = list->visualItemRect(list->topLevelItem(2));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        }
        QTest::qWait(100);
        const QString file = output + QLatin1Char('/') + pages.at(i) + QStringLiteral(".png");
        if (!window.grab().save(file))
            return 1;
        QTextStream(stdout) << file << '\n';
    }
    return 0;
}
