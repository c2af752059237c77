// Shoots the editor on the sample track for the documentation: each page of the window, then
// both pages of the options dialog, then the Attributes page on a dark desktop. Run it on a
// display, e.g.
//     xvfb-run -a -s "-screen 0 1024x768x24" kite_screenshots <samples/levels> <output folder>
#include "GuiTest.h"
#include "app/Editor.h"
#include "settings/SqliteStore.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3 || !QDir::setCurrent(args[1]) || !QDir().mkpath(args[2]))
        qFatal("usage: kite_screenshots <samples/levels> <output folder>");
    settings::MemoryStore store; // the built-in descriptions, as after pressing Defaults once
    for (const cDesc& entry : desc::Store::builtInDescriptions())
        store.write(desc::appName, desc::sectionName, entry.forTag, entry.tagDesc);
    Editor editor(store);
    frmMain& window = editor.window;
    window.Form_Load();
    auto* folders = child<QListView>(&window, u"objDir"_s);
    clickRow(folders, columnTexts(folders).indexOf(u"toytrack"_s));
    QWidget* options = child(&window, u"frmOptions"_s);
    options->show();
    struct Shot { QWidget* shown; QString button, list; int row; QString file; };
    const Shot shots[]{
        {&window, u"optFrames0"_s, {}, 0, u"name"_s}, {&window, u"optFrames1"_s, {}, 0, u"light"_s},
        {&window, u"optFrames2"_s, {}, 0, u"fog"_s},
        {&window, u"optFrames3"_s, u"listviewAttr"_s, 2, u"attributes"_s},
        {options, {}, u"listviewDesc"_s, 4, u"options-descriptions"_s},
        {options, u"optSelFrames1"_s, u"lstExts"_s, 8, u"options-renaming"_s}};
    const auto shoot = [&args](const Shot& shot) {
        if (!shot.button.isEmpty())
            QTest::mouseClick(child(shot.shown, shot.button), Qt::LeftButton);
        if (!shot.list.isEmpty())
            clickRow(child<QAbstractItemView>(shot.shown, shot.list), shot.row);
        QTest::qWait(100);
        return shot.shown->grab().save(QDir(args[2]).filePath(shot.file + u".png"_s));
    };
    for (const auto& shot : shots) {
        if (!shoot(shot))
            return 1;
    }
    // The Attributes page once more, on a dark desktop.
    options->hide();
    const DarkDesktop dark;
    return shoot({&window, u"optFrames3"_s, u"listviewAttr"_s, 12, u"attributes-dark"_s}) ? 0 : 1;
}
