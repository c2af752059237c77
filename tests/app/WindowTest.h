#ifndef KITE_TESTS_APP_WINDOWTEST_H
#define KITE_TESTS_APP_WINDOWTEST_H

#include "GuiTest.h"
#include "ScriptedPrompts.h"
#include "app/frmMain.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"
#include "settings/SqliteStore.h"
#include "support/TempTrack.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QSlider>
#include <QWindow>

using Choice = Prompts::SaveChoice;

inline const QString toyLines =
    u"NAME\t\t'Toy World by Ann'|STARTPOS\t1 1 1|FARCLIP\t\t6000\t; far|FOGSTART\t4000|"
    u"FOGCOLOR\t64 96 160|VERTFOGSTART\t-2000|VERTFOGEND\t0|WORLDRGBPER\t80|MODELRGBPER\t70|"
    u"INSTANCERGBPER\t60"_s;

// The editor window over <temp>/levels, which lists emptyfolder (no info file), second and
// toytrack (with a .taz file) in that order. Public: the tests' tables act through it.
struct WindowTest : ::testing::Test
{
    void SetUp() override
    {
        temp.makeFolder(u"levels/emptyfolder"_s);
        track(u"second"_s, u"NAME\t\tSecond"_s);
        track(u"toytrack"_s, toyLines);
        temp.writeFile(u"levels/toytrack/toytrack.taz"_s, "geometry");
        levels = QDir(temp.path() + u"/levels"_s).canonicalPath();
        toyFolder = levels + u"/toytrack"_s;
        toyFile = toyFolder + u"/toytrack.inf"_s;
    }
    static QByteArray toyBytes(const QString& lines = toyLines)
    { return crlfLines(lines.split(u'|')); }
    void track(const QString& name, const QString& lines) const
    { temp.writeFile(u"levels/%1/%1.inf"_s.arg(name), toyBytes(lines)); }
    // A run of the editor: `stored` the remembered folder, `given` the command line's track.
    void start(const QString& stored, const QString& working = QDir::tempPath(),
               const QString& given = {})
    {
        window.reset();
        state = edit::State();
        QDir::setCurrent(working);
        if (!stored.isEmpty())
            store.write(u"Tarvex Kite"_s, u"Current"_s, u"Folder"_s, stored);
        window = std::make_unique<frmMain>(state, descriptions, rename, store, prompts);
        window->Form_Load(given);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // Light and Fog are made when first shown: the user looks at Fog and goes back.
    template <typename T = QWidget>
    T* w(const QString& name) const
    {
        if (!window->findChild<QWidget*>(name)) {
            auto* shown = window->findChild<QButtonGroup*>()->checkedButton();
            showPage(2);
            QTest::mouseClick(shown, Qt::LeftButton);
        }
        return child<T>(window.get(), name);
    }
    QTreeView* list() const // made when its page is first shown
    { if (!window->findChild<QTreeView*>()) showPage(3); return w<QTreeView>(u"listviewAttr"_s); }
    folderBox* browser() const { return w<folderBox>(u"fbMain"_s); }
    QListView* folders() const { return w<QListView>(u"objDir"_s); }
    QSlider* slider(int index) const { return w<QSlider>(u"editSld%1"_s.arg(index)); }
    QString text(const QString& name) const { return w(name)->property("text").toString(); }
    QString tag(const QString& label) const { return edit::getTagValue(state, label); }
    int rows() const { return list()->model()->rowCount(); }
    QString rowValue(int row) const { return columnTexts(list()).value(row); }
    QString rowValue(const QString& label) const // of the first row with that label
    { return rowValue(int(columnTexts(list(), 1).indexOf(label))); }
    QString caption() const { return window->windowHandle()->title(); }
    QString enabled() const // which of Save and New can be pressed
    { return QLatin1String(w(u"cmdSave"_s)->isEnabled() ? "Save" : "") + QLatin1String(
          w(u"cmdNew"_s)->isEnabled() ? "New" : ""); }
    void press(const QString& button) const { QTest::mouseClick(w(button), Qt::LeftButton); }
    void showPage(int index) const { press(u"optFrames%1"_s.arg(index)); }
    void pickFolder(const QString& name) const
    { clickRow(folders(), int(columnTexts(folders()).indexOf(name))); }
    // A key for the window's shortcuts, sent where the keyboard focus is.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) const
    { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(),
                      key, modifiers); }
    QLineEdit* rowEditor() const { return list()->viewport()->findChild<QLineEdit*>(); }
    // Clicks a row of the list, double-clicks it (or `at`, clicked first), types into the editor.
    void typeInRow(int row, const QString& typed, QPoint at = {}) const
    {
        clickRow(list(), row);
        if (at.isNull())
            at = list()->visualRect(list()->model()->index(row, 0)).center();
        else
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
        ASSERT_TRUE(QTest::qWaitFor([&] { return rowEditor() && rowEditor()->hasFocus(); }));
        retype(rowEditor(), typed);
    }
    void editRow(int row, const QString& typed, Qt::Key end = Qt::Key_Return, QPoint at = {}) const
    {
        typeInRow(row, typed, at);
        QTest::keyClick(rowEditor(), end);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rowEditor() || !rowEditor()->isVisible(); }));
    }

    TempLevels temp;
    QString levels, toyFolder, toyFile;
    settings::MemoryStore store;
    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;
    ScriptedPrompts prompts;
    std::unique_ptr<frmMain> window;
};

#endif
