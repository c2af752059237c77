// The editor window over temporary track folders, driven as a user who could lose work in it:
// an in-place edit still open when something reads the document, the unsaved-changes mark and
// question on every way out of a track, undo and redo through every editor, and the track
// file changed by another program.
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
#include <QCloseEvent>
#include <QMessageBox>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

#include <functional>

namespace {

using Choice = Prompts::SaveChoice;

const QString toyLines = u"NAME\t\t'Toy World by Ann'|STARTPOS\t1 1 1|FARCLIP\t\t6000\t; far|"
                         u"FOGSTART\t4000|FOGCOLOR\t64 96 160|VERTFOGSTART\t-2000|"
                         u"VERTFOGEND\t0|WORLDRGBPER\t80|MODELRGBPER\t70|INSTANCERGBPER\t60"_s;

// <temp>/levels holds emptyfolder (no info file), second and toytrack, listed in that order.
// The cases' lambdas act through the fixture, so all of it is public.
struct SafetyTest : ::testing::Test
{
    void SetUp() override
    {
        temp.makeFolder(u"levels/emptyfolder"_s);
        temp.writeFile(u"levels/second/second.inf"_s, crlfLines({u"NAME\t\tSecond"_s}));
        toyFile = temp.writeFile(u"levels/toytrack/toytrack.inf"_s, toyBytes());
        levels = QDir(temp.path() + u"/levels"_s).canonicalPath();
        toyFile = levels + u"/toytrack/toytrack.inf"_s;
    }
    static QByteArray toyBytes(const QString& lines = toyLines)
    { return crlfLines(lines.split(u'|')); }
    // Starts the editor on `folder` (its parent open in the browser, the folder picked in it).
    void start(const QString& folder = u"toytrack"_s)
    {
        QDir::setCurrent(QDir::tempPath());
        store.write(u"Tarvex Kite"_s, u"Current"_s, u"Folder"_s, levels);
        window = std::make_unique<frmMain>(state, descriptions, rename, store, prompts);
        window->Form_Load();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        pickFolder(folder);
    }
    template <typename T = QWidget>
    T* w(const QString& name) const
    {
        if (!window->findChild<QWidget*>(name)) { // the Light and Fog pages are made late
            auto* shown = window->findChild<QButtonGroup*>()->checkedButton();
            showPage(2);
            QTest::mouseClick(shown, Qt::LeftButton);
        }
        return child<T>(window.get(), name);
    }
    QTreeView* list() const
    { if (!window->findChild<QTreeView*>()) showPage(3); return w<QTreeView>(u"listviewAttr"_s); }
    QListView* folders() const { return w<QListView>(u"objDir"_s); }
    QString text(const QString& name) const { return w(name)->property("text").toString(); }
    QString tag(const QString& label) const { return edit::getTagValue(state, label); }
    QString rowValue(int row) const { return columnTexts(list()).value(row); }
    QString caption() const { return window->windowHandle()->title(); }
    QString picked() const { return w<folderBox>(u"fbMain"_s)->selectedItem; }
    void press(const QString& button) const { QTest::mouseClick(w(button), Qt::LeftButton); }
    void showPage(int index) const { press(u"optFrames%1"_s.arg(index)); }
    void pickFolder(const QString& name) const
    { clickRow(folders(), columnTexts(folders()).indexOf(name)); }
    // A key for the window's shortcuts, sent where the keyboard focus is.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) const
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), key, modifiers);
    }
    // A button's Alt key: its button is clicked a moment later, as a mnemonic does.
    void altKey(Qt::Key key, const std::function<bool()>& done) const
    {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor(done)) << "Alt+" << QKeySequence(key).toString().toStdString();
    }
    QLineEdit* rowEditor() const { return list()->viewport()->findChild<QLineEdit*>(); }
    // Double-clicks a row of the attribute list and types into its editor, which stays open.
    void typeInRow(int row, const QString& typed) const
    {
        clickRow(list(), row, true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return rowEditor() && rowEditor()->hasFocus(); }));
        retype(rowEditor(), typed);
    }
    // A close request from the window system, as the close box sends it; true when it closed.
    bool closeBox() const
    {
        QCloseEvent request;
        QSpontaneKeyEvent::setSpontaneous(&request);
        qApp->notify(window.get(), &request);
        return request.isAccepted();
    }
    // Another program writes the track file (by replacing it when `replace` is set, as
    // careful programs do).
    void writeElsewhere(const QByteArray& bytes, bool replace = false) const
    {
        const QString target = replace ? toyFile + u".new"_s : toyFile;
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        if (replace) {
            ASSERT_EQ(::rename(QFile::encodeName(target), QFile::encodeName(toyFile)), 0);
        }
    }

    TempLevels temp;
    QString levels, toyFile;
    settings::MemoryStore store;
    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;
    ScriptedPrompts prompts;
    std::unique_ptr<frmMain> window;
};

// An edit open in the attribute list is the user's: whatever reads or replaces the document,
// even by a key that leaves the keyboard focus where it is, gets it first. Escape still drops it.
TEST_F(SafetyTest, openInPlaceEdit_isCommittedBeforeAnythingReadsOrReplacesTheDocument)
{
    const struct { const char* what; std::function<void(SafetyTest&)> act; QString stored; }
        cases[] = {
        {"Save", [](SafetyTest& t) {
             t.altKey(Qt::Key_S, [&t] { return !t.prompts.informationTexts.isEmpty(); });
             EXPECT_TRUE(TempLevels::readAll(t.toyFile).contains("STARTPOS\t1 2 3\r\n"));
             EXPECT_TRUE(t.prompts.informationTexts[0].endsWith(u"No Errors Encountered"_s));
         }, u"1 2 3"_s},
        {"Options", [](SafetyTest& t) {
             QString seen; // what the document held while the dialog was up
             QTimer poll;
             QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
                 if (QWidget* dialog = QApplication::activeModalWidget()) {
                     seen = t.tag(u"startpos"_s);
                     dialog->close();
                 }
             });
             poll.start(5);
             t.altKey(Qt::Key_O, [&seen] { return !seen.isEmpty(); });
             EXPECT_EQ(seen, u"1 2 3"_s);
         }, u"1 2 3"_s},
        {"page switch", [](SafetyTest& t) {
             t.altKey(Qt::Key_M, [&t] { return t.w(u"frames3"_s)->isHidden(); });
         }, u"1 2 3"_s},
        {"Exit, answered Cancel", [](SafetyTest& t) {
             t.altKey(Qt::Key_X, [&t] { return !t.prompts.saveQuestions.isEmpty(); });
         }, u"1 2 3"_s},
        {"close box, answered Cancel", [](SafetyTest& t) { EXPECT_FALSE(t.closeBox()); },
         u"1 2 3"_s},
        {"Escape", [](SafetyTest& t) { t.key(Qt::Key_Escape, {}); }, u"1 1 1"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        prompts = {};
        writeElsewhere(toyBytes()); // as it was before the last case saved
        start();
        typeInRow(1, u"1 2 3"_s);
        c.act(*this);
        EXPECT_EQ(tag(u"startpos"_s) + u'|' + rowValue(1), c.stored + u'|' + c.stored);
        EXPECT_FALSE(rowEditor() && rowEditor()->isVisible());
        EXPECT_TRUE(window->isVisible());
        window.reset();
    }
}

// Every way out of a track with unsaved changes asks once; Save saves and goes on only when
// the save succeeded, Discard goes on, Cancel stays with the track still picked in the browser.
// Without unsaved changes nothing is asked. (New is the fourth way to replace the document in
// the design; it is enabled only while no info file is loaded, see below.)
TEST_F(SafetyTest, unsavedChanges_everyWayOutAsksOnce_andGoesOnOnlyAsAnswered)
{
    const struct { const char* what; std::function<bool(SafetyTest&)> leave; } ways[] = {
        {"folder click", [](SafetyTest& t) {
             t.pickFolder(u"second"_s);
             return t.picked().endsWith(u"/second"_s) && t.tag(u"name"_s) == u"Second"_s;
         }},
        {"folder keyboard", [](SafetyTest& t) {
             t.folders()->setFocus();
             QTest::keyClick(t.folders(), Qt::Key_Up); // toytrack's neighbour is second
             return t.picked().endsWith(u"/second"_s) && t.tag(u"name"_s) == u"Second"_s;
         }},
        {"Exit", [](SafetyTest& t) { t.press(u"cmdExit"_s); return t.window->isHidden(); }},
        {"close box", [](SafetyTest& t) { return t.closeBox(); }},
    };
    enum Answer { NoChanges, Save, SaveFails, Discard, Cancel };
    for (const auto& way : ways) {
        for (const Answer answer : {NoChanges, Save, SaveFails, Discard, Cancel}) {
            SCOPED_TRACE(std::string(way.what) + ", answer " + std::to_string(answer));
            prompts = {};
            writeElsewhere(toyBytes());
            start();
            const QString file = toyFile;
            const QByteArray before = TempLevels::readAll(file);
            const QString typed = answer == SaveFails ? u"\u2603"_s : u"x"_s; // no Windows-1252
            if (answer != NoChanges) {
                QKeyEvent typing(QEvent::KeyPress, 0, Qt::NoModifier, typed);
                QApplication::sendEvent(w(u"txtAuthor"_s), &typing);
            }
            const QString edited = tag(u"name"_s);
            prompts.saveAnswers = {answer == Discard ? Choice::Discard
                                   : answer == Cancel ? Choice::Cancel : Choice::Save};
            const bool wentOn = way.leave(*this);

            EXPECT_EQ(prompts.saveQuestions,
                      answer == NoChanges ? QStringList()
                                          : QStringList{u"Save changes to '"_s + file + u"'?"_s});
            EXPECT_EQ(wentOn, answer == NoChanges || answer == Save || answer == Discard);
            const QByteArray after = TempLevels::readAll(file);
            EXPECT_EQ(after.contains(edited.toLatin1()) && after != before, answer == Save);
            if (answer == SaveFails) {
                EXPECT_TRUE(prompts.informationTexts.value(0).contains(u"Errors encountered"_s));
            }
            if (!wentOn) { // everything as it was: the edit, the mark, the track picked
                EXPECT_EQ(tag(u"name"_s) + u'|' + caption(), edited + u"|Tarvex Kite*"_s);
                EXPECT_EQ(picked(), file.section(u'/', 0, -2));
                EXPECT_EQ(folders()->currentIndex().data().toString() + u'|'
                              + QString::number(folders()->selectionModel()->selectedRows().size()),
                          file.section(u'/', -2, -2) + u"|1"_s);
            }
            window.reset();
        }
    }
}

// New is enabled only while the picked folder has no info file: a loaded track, edited or
// not, is never replaced by it. Where it can be pressed it asks nothing.
TEST_F(SafetyTest, new_neverMeetsUnsavedChanges_andAsksNothing)
{
    start();
    QTest::keyClicks(w(u"txtAuthor"_s), u"x"_s);
    press(u"cmdNew"_s);
    EXPECT_FALSE(w(u"cmdNew"_s)->isEnabled());
    EXPECT_EQ(tag(u"name"_s) + u'|' + caption(), u"Toy World by Annx|Tarvex Kite*"_s);
    prompts.saveAnswers = {Choice::Discard};
    pickFolder(u"emptyfolder"_s);
    press(u"cmdNew"_s);
    EXPECT_EQ(prompts.saveQuestions.size(), 1); // for the folder, and none for New
    EXPECT_TRUE(state.fileLoaded && caption() == u"Tarvex Kite"_s);
    EXPECT_EQ(TempLevels::readAll(toyFile), toyBytes());
}

// The caption is marked while the document differs from the file as loaded or saved, or the
// Folder field holds a new name: not after typing back, nor after undoing back to the save.
TEST_F(SafetyTest, caption_marksUnsavedChanges_typedBackOrUndoneToTheSaveIsNone)
{
    start();
    QStringList seen{caption()};
    QTest::keyClicks(w(u"txtAuthor"_s), u"x"_s);
    seen << caption();
    QTest::keyClick(w(u"txtAuthor"_s), Qt::Key_Backspace);
    seen << caption();
    retype(w(u"txtFolder"_s), u"renamed"_s);
    seen << caption();
    retype(w(u"txtFolder"_s), u"toytrack"_s);
    seen << caption();
    QTest::keyClicks(w(u"txtName"_s), u"!"_s);
    press(u"cmdSave"_s);
    seen << caption();
    key(Qt::Key_Z);
    seen << caption();
    key(Qt::Key_Y);
    seen << caption();
    EXPECT_EQ(seen.join(u' ').replace(u"Tarvex Kite"_s, u"K"_s), u"K K* K K* K K K* K"_s);
    EXPECT_TRUE(TempLevels::readAll(toyFile).contains("Toy World! by Ann"));
    // Loading never marks, and starts a fresh history.
    pickFolder(u"second"_s);
    pickFolder(u"toytrack"_s);
    key(Qt::Key_Z);
    EXPECT_EQ(tag(u"name"_s) + u'|' + caption(), u"Toy World! by Ann|Tarvex Kite"_s);
}

// Ctrl+Z undoes a change made through any editor, Ctrl+Shift+Z and Ctrl+Y redo it: the
// document, the tag's row and the editor move together. A slider drag or a run of typing is
// one step.
TEST_F(SafetyTest, undoRedo_everyEditor_aDragOrARunOfTypingIsOneStep)
{
    const struct Case {
        const char* what;
        int row;         // of the tag in the list
        QString editor;  // the control showing it, and what it shows after the change
        std::function<void(SafetyTest&)> change;
        QString value, shown, shownBefore;
    } cases[] = {
        {"slider drag", 2, u"editSld0"_s, [](SafetyTest& t) {
             QSlider* s = t.w<QSlider>(u"editSld0"_s);
             t.showPage(2);
             QStyleOptionSlider handle; // where the style draws the handle: the drag starts there
             handle.initFrom(s);
             handle.orientation = Qt::Horizontal;
             handle.minimum = s->minimum();
             handle.maximum = s->maximum();
             handle.sliderPosition = handle.sliderValue = s->value();
             handle.tickPosition = s->tickPosition();
             handle.tickInterval = s->tickInterval();
             const QPoint from = s->style()->subControlRect(QStyle::CC_Slider, &handle,
                                                            QStyle::SC_SliderHandle, s).center();
             const QPoint to(s->width() / 2, from.y());
             QTest::mousePress(s, Qt::LeftButton, {}, from);
             for (int x = from.x(); x <= to.x(); x += 20)
                 QTest::mouseMove(s, QPoint(x, to.y()));
             QTest::mouseRelease(s, Qt::LeftButton, {}, to);
         }, {}, {}, u"6000"_s},
        {"slider keys", 7, u"editSld2"_s, [](SafetyTest& t) {
             t.showPage(1);
             t.w(u"editSld2"_s)->setFocus();
             for (int i = 0; i < 3; ++i)
                 QTest::keyClick(t.w(u"editSld2"_s), Qt::Key_PageUp);
         }, u"95"_s, u"95"_s, u"80"_s},
        {"numeric field", 5, u"editNumeric0"_s, [](SafetyTest& t) {
             t.showPage(2);
             retype(t.w(u"editNumeric0"_s), u"-25"_s);
         }, u"-25"_s, u"-25"_s, u"-2000"_s},
        {"name", 0, u"txtName"_s, [](SafetyTest& t) {
             QTest::keyClicks(t.w(u"txtName"_s), u" Two"_s);
         }, u"Toy World Two by Ann"_s, u"Toy World Two"_s, u"Toy World"_s},
        {"author", 0, u"txtAuthor"_s, [](SafetyTest& t) {
             retype(t.w(u"txtAuthor"_s), QString());
         }, u"Toy World"_s, QString(), u"Ann"_s},
        {"colour dialog", 4, u"lblfogcolor"_s, [](SafetyTest& t) {
             t.showPage(2);
             t.prompts.colourAnswers = {QColor(0, 0, 255)};
             QTest::mouseClick(t.w(u"picFogColor"_s), Qt::LeftButton);
         }, u"0 0 255 "_s, u"Red: 0\nGreen: 0\nBlue: 255"_s, u"Red: 64\nGreen: 96\nBlue: 160"_s},
        {"in place", 1, QString(), [](SafetyTest& t) {
             t.typeInRow(1, u"9 9 9"_s);
             QTest::keyClick(t.rowEditor(), Qt::Key_Return); // commits when the loop runs
             EXPECT_TRUE(QTest::qWaitFor(
                 [&t] { return !t.rowEditor() || !t.rowEditor()->isVisible(); }));
         }, u"9 9 9"_s, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        const QString label = columnTexts(list(), 1).value(c.row);
        const QString before = tag(label);
        const auto shown = [&]() -> QString { // value, row, editor
            QString editor = c.editor.isEmpty() ? QString() : text(c.editor);
            if (QSlider* s = qobject_cast<QSlider*>(c.editor.isEmpty() ? nullptr : w(c.editor)))
                editor = QString::number(s->value());
            return tag(label) + u'|' + rowValue(c.row) + u'|' + editor;
        };
        const QString shownBefore = shown();
        c.change(*this);
        const QString changed = tag(label);
        EXPECT_NE(changed, before);
        if (!c.value.isEmpty()) {
            EXPECT_EQ(shown(), c.value + u'|' + c.value + u'|' + c.shown);
        }
        const QString shownChanged = shown();
        key(Qt::Key_Z); // one step back: the whole drag or run
        EXPECT_EQ(shown(), shownBefore);
        EXPECT_EQ(caption(), u"Tarvex Kite"_s);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(shown(), shownChanged);
        key(Qt::Key_Z);
        key(Qt::Key_Y);
        EXPECT_EQ(shown() + u'|' + caption(), shownChanged + u"|Tarvex Kite*"_s);
        window.reset();
    }
}

// Typing in one field, leaving it and typing again, or typing in another field of the same
// tag, are separate steps; undo and redo do nothing past the ends of the history.
TEST_F(SafetyTest, undo_runsEndWhenTheFocusMoves)
{
    start();
    QTest::keyClicks(w(u"txtName"_s), u"ab"_s);
    QTest::keyClicks(w(u"txtAuthor"_s), u"cd"_s);
    w(u"txtName"_s)->setFocus();
    QTest::keyClicks(w(u"txtName"_s), u"ef"_s);
    QStringList names{tag(u"name"_s)};
    for (int i = 0; i < 4; ++i) {
        key(Qt::Key_Z);
        names << tag(u"name"_s);
    }
    key(Qt::Key_Y);
    names << tag(u"name"_s);
    EXPECT_EQ(names.join(u'|'), u"Toy Worldabef by Anncd|Toy Worldab by Anncd|Toy Worldab by Ann|"
                                u"'Toy World by Ann'|'Toy World by Ann'|Toy Worldab by Ann"_s);
    EXPECT_EQ(text(u"txtName"_s) + u'|' + text(u"txtAuthor"_s), u"Toy Worldab|Ann"_s);
    // Undoing a value typed into a row brings that row to view as the current one.
    QStringList rows;
    for (const int row : {1, 6}) {
        typeInRow(row, u"typed"_s);
        QTest::keyClick(rowEditor(), Qt::Key_Return);
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return !rowEditor() || !rowEditor()->isVisible(); }));
    }
    clickRow(list(), 3);
    for (int i = 0; i < 2; ++i) {
        key(Qt::Key_Z);
        const int current = list()->currentIndex().row();
        rows << QString::number(current) + u':' + rowValue(current);
    }
    EXPECT_EQ(rows.join(u'|'), u"6:0|1:1 1 1"_s);
}

// Another program changes the track file: with nothing unsaved the track is shown again as
// the file now is, on the same page and row; with unsaved changes the user is told once, and
// Save asks before writing over it. The editor's own saves and renames are no such change.
TEST_F(SafetyTest, changedByAnotherProgram_reloadsQuietly_orTellsOnceAndSaveAsks)
{
    start();
    showPage(3);
    clickRow(list(), 3);
    for (const bool replace : {false, true}) { // written in place, or replaced
        SCOPED_TRACE(replace ? "replaced" : "in place");
        const QString farclip = replace ? u"7100"_s : u"7000"_s;
        writeElsewhere(toyBytes(QString(toyLines).replace(u"6000"_s, farclip)), replace);
        EXPECT_TRUE(QTest::qWaitFor([&] { return tag(u"farclip"_s) == farclip; }));
        EXPECT_EQ(rowValue(2) + u'|' + QString::number(w<QSlider>(u"editSld0"_s)->value()),
                  farclip + u'|' + farclip);
        EXPECT_TRUE(w(u"frames3"_s)->isVisible() && list()->currentIndex().row() == 3);
    }
    writeElsewhere(toyBytes(u"NEW\t1|"_s + toyLines)); // a line more: the rows are made anew
    EXPECT_TRUE(QTest::qWaitFor([&] { return tag(u"new"_s) == u"1"_s; }));
    EXPECT_EQ(list()->currentIndex().row(), 3);
    EXPECT_TRUE(prompts.notices.isEmpty() && caption() == u"Tarvex Kite"_s);

    // Unsaved changes: told once, whatever follows; the edits stay.
    retype(w(u"txtAuthor"_s), u"Bob"_s);
    writeElsewhere(toyBytes(QString(toyLines).replace(u"6000"_s, u"5000"_s)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompts.notices.isEmpty(); }));
    writeElsewhere(toyBytes(QString(toyLines).replace(u"6000"_s, u"4000"_s)), true);
    QTest::qWait(400);
    EXPECT_EQ(prompts.notices, QStringList{u"'"_s + toyFile + u"' was changed by another program. "
              u"Your unsaved changes are kept; Save asks before it writes over the other "
              u"program's changes."_s});
    EXPECT_EQ(tag(u"name"_s) + u'|' + tag(u"farclip"_s), u"Toy World by Bob|6000"_s);
    // Save asks; Cancel writes nothing and keeps the edits, Overwrite writes them.
    const QByteArray theirs = TempLevels::readAll(toyFile);
    press(u"cmdSave"_s);
    EXPECT_EQ(prompts.overwriteQuestions, QStringList{u"'"_s + toyFile + u"' was changed by "
              u"another program since it was opened. Overwrite it?"_s});
    EXPECT_EQ(TempLevels::readAll(toyFile), theirs);
    EXPECT_TRUE(prompts.informationTexts.isEmpty() && caption() == u"Tarvex Kite*"_s);
    prompts.overwriteAnswers = {true};
    press(u"cmdSave"_s);
    EXPECT_TRUE(TempLevels::readAll(toyFile).contains("Toy World by Bob\r\nSTARTPOS"));
    EXPECT_TRUE(prompts.informationTexts.value(0).endsWith(u"No Errors Encountered"_s));

    // The editor's own saves, a rename among them, are no change by another program: no
    // notice, no reload (the history stays), no question on the next save.
    prompts = {};
    retype(w(u"txtAuthor"_s), u"Cy"_s);
    press(u"cmdSave"_s);
    retype(w(u"txtFolder"_s), u"renamed"_s);
    press(u"cmdSave"_s);
    QTest::qWait(400);
    key(Qt::Key_Z);
    EXPECT_EQ(tag(u"name"_s) + u'|' + caption(), u"Toy World by Bob|Tarvex Kite*"_s);
    press(u"cmdSave"_s);
    EXPECT_EQ(prompts.notices.size() + prompts.overwriteQuestions.size(), 0);
    EXPECT_EQ(prompts.informationTexts.size(), 3);
}

// Save compares what it read by content too: a change that keeps the size and the
// modification time is still another program's.
TEST_F(SafetyTest, save_findsAChangeThatKeepsSizeAndTime)
{
    start();
    QTest::keyClicks(w(u"txtAuthor"_s), u"x"_s); // unsaved: nothing is reloaded meanwhile
    const QDateTime modified = QFileInfo(toyFile).lastModified();
    writeElsewhere(toyBytes(QString(toyLines).replace(u"6000"_s, u"6001"_s)));
    QFile file(toyFile);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)
                && file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();
    ASSERT_EQ(QFileInfo(toyFile).lastModified(), modified);
    press(u"cmdSave"_s);
    EXPECT_EQ(prompts.overwriteQuestions.size(), 1);
    EXPECT_TRUE(TempLevels::readAll(toyFile).contains("6001"));
}

// The real questions: Escape is Cancel.
TEST(QtPromptsTest, escapeCancelsTheSaveAndOverwriteQuestions)
{
    QStringList shown;
    const auto escapeFromTimer = [&shown] {
        QTimer::singleShot(0, qApp, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QStringList buttons;
                for (QAbstractButton* button : box->buttons())
                    buttons << button->text();
                buttons.sort();
                shown << box->windowTitle() + u'|' + box->text() + u'|' + buttons.join(u',');
                QTest::keyClick(box, Qt::Key_Escape);
            }
        });
    };
    QtPrompts prompts;
    escapeFromTimer();
    EXPECT_EQ(prompts.saveDiscardOrCancel(nullptr, u"Save changes to '/t/t.inf'?"_s),
              Choice::Cancel);
    escapeFromTimer();
    EXPECT_FALSE(prompts.overwriteOrCancel(nullptr, u"'/t/t.inf' was changed"_s));
    EXPECT_EQ(shown,
              (QStringList{u"Tarvex Kite|Save changes to '/t/t.inf'?|&Discard,&Save,Cancel"_s,
                           u"Tarvex Kite|'/t/t.inf' was changed|&Overwrite,Cancel"_s}));
}

} // namespace
