// The main window driven as a user who could lose work in it: open in-place edits, unsaved
// changes, undo and redo, and the track file changed by another program.
#include "WindowTest.h"

#include <QStyle>
#include <QTimer>

#include <functional>

namespace {

struct SafetyTest : WindowTest
{
    void open() { start(levels); pickFolder(u"toytrack"_s); } // the folder picked in its parent
    bool atSecond() const
    { return browser()->selectedItem.endsWith(u"/second"_s) && tag(u"name"_s) == u"Second"_s; }
    // A button's Alt key: its button is clicked a moment later, as a mnemonic does.
    void altKey(Qt::Key key, const std::function<bool()>& done) const
    {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor(done)) << "Alt+" << QKeySequence(key).toString().toStdString();
    }
    // Another program writes the track file: in place (keeping a time `modified`), or replacing it.
    void writeElsewhere(const QByteArray& bytes, bool replace = false, QDateTime modified = {})
    {
        QFile file(replace ? toyFile + u".new"_s : toyFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                    && file.write(bytes) == bytes.size() && file.flush());
        ASSERT_TRUE(!modified.isValid()
                    || file.setFileTime(modified, QFileDevice::FileModificationTime));
        file.close();
        const QByteArray from = QFile::encodeName(file.fileName());
        ASSERT_TRUE(!replace || ::rename(from, QFile::encodeName(toyFile)) == 0);
    }
};

// Even a key that leaves the focus in the row's editor commits it first; Escape still drops it.
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
        {"close box, answered Cancel",
         [](SafetyTest& t) { EXPECT_FALSE(closeBox(t.window.get())); }, u"1 2 3"_s},
        {"Escape", [](SafetyTest& t) { t.key(Qt::Key_Escape, {}); }, u"1 1 1"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        prompts = {};
        writeElsewhere(toyBytes()); // as it was before the last case saved
        open();
        typeInRow(1, u"1 2 3"_s);
        c.act(*this);
        EXPECT_EQ(tag(u"startpos"_s) + u'|' + rowValue(1), c.stored + u'|' + c.stored);
        EXPECT_TRUE(!(rowEditor() && rowEditor()->isVisible()) && window->isVisible());
    }
}

// Save goes on only when the save succeeded; Cancel stays, the track still picked in the browser.
TEST_F(SafetyTest, unsavedChanges_everyWayOutAsksOnce_andGoesOnOnlyAsAnswered)
{
    const struct { const char* what; std::function<bool(SafetyTest&)> leave; } ways[] = {
        {"folder click", [](SafetyTest& t) { t.pickFolder(u"second"_s); return t.atSecond(); }},
        {"folder keyboard", [](SafetyTest& t) { // toytrack's neighbour is second
             t.folders()->setFocus();
             QTest::keyClick(t.folders(), Qt::Key_Up);
             return t.atSecond();
         }},
        {"Exit", [](SafetyTest& t) { t.press(u"cmdExit"_s); return t.window->isHidden(); }},
        {"close box", [](SafetyTest& t) { return closeBox(t.window.get()); }},
    };
    enum Answer { NoChanges, Save, SaveFails, Discard, Cancel };
    for (const auto& way : ways) {
        for (const Answer answer : {NoChanges, Save, SaveFails, Discard, Cancel}) {
            SCOPED_TRACE(std::string(way.what) + ", answer " + std::to_string(answer));
            prompts = {};
            writeElsewhere(toyBytes());
            open();
            const QByteArray before = TempLevels::readAll(toyFile);
            const QString typed = answer == SaveFails ? u"\u2603"_s : u"x"_s; // no Windows-1252
            if (answer != NoChanges) {
                QKeyEvent typing(QEvent::KeyPress, 0, Qt::NoModifier, typed);
                QApplication::sendEvent(w(u"txtAuthor"_s), &typing);
            }
            const QString edited = tag(u"name"_s);
            prompts.saveAnswers = {answer == Discard ? Choice::Discard
                                   : answer == Cancel ? Choice::Cancel : Choice::Save};
            const bool wentOn = way.leave(*this);
            const QString asked = u"Save changes to '"_s + toyFile + u"'?"_s;
            EXPECT_EQ(prompts.saveQuestions,
                      answer == NoChanges ? QStringList() : QStringList{asked});
            EXPECT_EQ(wentOn, answer == NoChanges || answer == Save || answer == Discard);
            const QByteArray after = TempLevels::readAll(toyFile);
            EXPECT_EQ(after.contains(edited.toLatin1()) && after != before, answer == Save);
            EXPECT_TRUE(answer != SaveFails
                        || prompts.informationTexts.value(0).contains(u"Errors encountered"_s));
            if (!wentOn) { // everything as it was: the edit, the mark, the track picked
                EXPECT_EQ(QStringList({tag(u"name"_s), caption(), browser()->selectedItem,
                                       folders()->currentIndex().data().toString(),
                                       QString::number(folders()->selectionModel()
                                                           ->selectedRows().size())}),
                          QStringList({edited, u"Tarvex Kite*"_s, toyFolder, u"toytrack"_s,
                                       u"1"_s}));
            }
        }
    }
}

// Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y: the document, the tag's row and the editor move together.
TEST_F(SafetyTest, undoRedo_everyEditor_aDragOrARunOfTypingIsOneStep)
{
    // The tag's row, the editor showing it, the change, the value and what the editor shows.
    const struct Case {
        const char* what;
        int row;
        QString editor;
        std::function<void(SafetyTest&)> change;
        QString value, shown;
    } cases[] = {
        {"slider drag", 2, u"editSld0"_s, [](SafetyTest& t) { // from the handle to the middle
             QSlider* s = t.slider(0);
             t.showPage(2);
             const int length = s->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, s);
             const QPoint from(QStyle::sliderPositionFromValue(s->minimum(), s->maximum(),
                 s->value(), s->width() - length) + length / 2, s->height() / 2);
             QTest::mousePress(s, Qt::LeftButton, {}, from);
             for (int x = from.x(); x <= s->width() / 2; x += 20)
                 QTest::mouseMove(s, QPoint(x, from.y()));
             QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(s->width() / 2, from.y()));
         }, {}, {}},
        {"slider keys", 7, u"editSld2"_s, [](SafetyTest& t) {
             t.showPage(1);
             t.slider(2)->setFocus();
             for (int i = 0; i < 3; ++i)
                 QTest::keyClick(t.slider(2), Qt::Key_PageUp);
         }, u"95"_s, u"95"_s},
        {"numeric field", 5, u"editNumeric0"_s, [](SafetyTest& t) {
             t.showPage(2);
             retype(t.w(u"editNumeric0"_s), u"-25"_s);
         }, u"-25"_s, u"-25"_s},
        {"name", 0, u"txtName"_s, [](SafetyTest& t) {
             QTest::keyClicks(t.w(u"txtName"_s), u" Two"_s);
         }, u"Toy World Two by Ann"_s, u"Toy World Two"_s},
        {"author", 0, u"txtAuthor"_s, [](SafetyTest& t) {
             retype(t.w(u"txtAuthor"_s), QString());
         }, u"Toy World"_s, QString()},
        {"colour dialog", 4, u"lblfogcolor"_s, [](SafetyTest& t) {
             t.showPage(2);
             t.prompts.colourAnswers = {QColor(0, 0, 255)};
             QTest::mouseClick(t.w(u"picFogColor"_s), Qt::LeftButton);
         }, u"0 0 255 "_s, u"Red: 0\nGreen: 0\nBlue: 255"_s},
        {"in place", 1, QString(), [](SafetyTest& t) { t.editRow(1, u"9 9 9"_s); },
         u"9 9 9"_s, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open();
        const QString label = columnTexts(list(), 1).value(c.row);
        const auto shown = [&]() -> QString { // value, row, editor
            QWidget* editor = c.editor.isEmpty() ? nullptr : w(c.editor);
            const auto* s = qobject_cast<QSlider*>(editor);
            return tag(label) + u'|' + rowValue(c.row) + u'|' + (s ? QString::number(s->value())
                   : editor ? editor->property("text").toString() : QString());
        };
        const QString before = tag(label), shownBefore = shown();
        c.change(*this);
        const QString shownChanged = shown();
        EXPECT_TRUE(c.value.isEmpty() ? tag(label) != before
                                      : shownChanged == c.value + u'|' + c.value + u'|' + c.shown)
            << shownChanged.toStdString();
        key(Qt::Key_Z); // one step back: the whole drag or run
        EXPECT_EQ(shown() + u'|' + caption(), shownBefore + u"|Tarvex Kite"_s);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(shown(), shownChanged);
        key(Qt::Key_Z);
        key(Qt::Key_Y);
        EXPECT_EQ(shown() + u'|' + caption(), shownChanged + u"|Tarvex Kite*"_s);
    }
}

// Typed back is no change, a new Folder name is one; loading never marks and clears the history.
// A run of typing ends when the focus moves; undo and redo stop at the ends of the history, and
// undoing a row's value makes that row current.
TEST_F(SafetyTest, caption_marksUnsavedChanges_undoStepsEndWhenTheFocusMoves)
{
    open();
    QStringList seen{caption()};
    const std::function<void()> steps[]{
        [&] { QTest::keyClicks(w(u"txtAuthor"_s), u"x"_s); },
        [&] { QTest::keyClick(w(u"txtAuthor"_s), Qt::Key_Backspace); },
        [&] { retype(w(u"txtFolder"_s), u"renamed"_s); },
        [&] { retype(w(u"txtFolder"_s), u"toytrack"_s); },
        [&] { QTest::keyClicks(w(u"txtName"_s), u"!"_s), press(u"cmdSave"_s); },
        [&] { key(Qt::Key_Z); }, [&] { key(Qt::Key_Y); }};
    for (const auto& step : steps)
        step(), seen << caption();
    EXPECT_EQ(seen.join(u' ').replace(u"Tarvex Kite"_s, u"K"_s), u"K K* K K* K K K* K"_s);
    EXPECT_TRUE(TempLevels::readAll(toyFile).contains("Toy World! by Ann"));
    pickFolder(u"second"_s);
    pickFolder(u"toytrack"_s);
    seen = QStringList{caption()};
    w(u"txtName"_s)->setFocus();
    QTest::keyClicks(w(u"txtName"_s), u"ab"_s);
    w(u"txtAuthor"_s)->setFocus(); // and back: a new run in the same field
    w(u"txtName"_s)->setFocus();
    QTest::keyClicks(w(u"txtName"_s), u"ef"_s);
    QTest::keyClicks(w(u"txtAuthor"_s), u"cd"_s); // another field, the focus left where it was
    seen << tag(u"name"_s);
    for (const Qt::Key undoOrRedo : {Qt::Key_Z, Qt::Key_Z, Qt::Key_Z, Qt::Key_Z, Qt::Key_Y})
        key(undoOrRedo), seen << tag(u"name"_s);
    seen << text(u"txtName"_s) + u'|' + text(u"txtAuthor"_s);
    editRow(1, u"typed"_s);
    editRow(6, u"typed"_s);
    clickRow(list(), 3);
    for (int i = 0; i < 2; ++i) {
        key(Qt::Key_Z);
        seen << QString::number(list()->currentIndex().row()) + u':'
                    + rowValue(list()->currentIndex().row());
    }
    EXPECT_EQ(seen.join(u'|'), u"Tarvex Kite|Toy World!abef by Anncd|Toy World!abef by Ann|"
                               u"Toy World!ab by Ann|Toy World! by Ann|Toy World! by Ann|"
                               u"Toy World!ab by Ann|Toy World!ab|Ann|6:0|1:1 1 1"_s);
}

// Reloaded on the same page and row; or told once, and Save asks even when the change kept the
// size and the modification time. The editor's own saves and renames are no such change.
TEST_F(SafetyTest, changedByAnotherProgram_reloadsQuietly_orTellsOnceAndSaveAsks)
{
    open();
    showPage(3);
    clickRow(list(), 3);
    for (const bool replace : {false, true}) { // written in place, or replaced
        SCOPED_TRACE(replace ? "replaced" : "in place");
        const QString farclip = replace ? u"7100"_s : u"7000"_s;
        writeElsewhere(toyBytes(QString(toyLines).replace(u"6000"_s, farclip)), replace);
        EXPECT_TRUE(QTest::qWaitFor([&] { return tag(u"farclip"_s) == farclip; }));
        EXPECT_EQ(rowValue(2) + u'|' + QString::number(slider(0)->value()),
                  farclip + u'|' + farclip);
        EXPECT_TRUE(w(u"frames3"_s)->isVisible() && list()->currentIndex().row() == 3);
    }
    const QString grown = u"NEW\t1|"_s + toyLines; // a line more: the rows are made anew
    writeElsewhere(toyBytes(grown));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tag(u"new"_s) == u"1"_s; }));
    EXPECT_EQ(list()->currentIndex().row(), 3);
    EXPECT_TRUE(prompts.notices.isEmpty() && caption() == u"Tarvex Kite"_s);

    // Unsaved changes: told once, whatever follows; Cancel on Save's question writes nothing.
    retype(w(u"txtAuthor"_s), u"Bob"_s);
    const QDateTime modified = QFileInfo(toyFile).lastModified();
    writeElsewhere(toyBytes(QString(grown).replace(u"6000"_s, u"5000"_s)), false, modified);
    ASSERT_EQ(QFileInfo(toyFile).lastModified(), modified);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompts.notices.isEmpty(); }));
    const QByteArray theirs = TempLevels::readAll(toyFile);
    press(u"cmdSave"_s);
    EXPECT_EQ(prompts.overwriteQuestions, QStringList{u"'"_s + toyFile + u"' was changed by "
              u"another program since it was opened. Overwrite it?"_s});
    EXPECT_EQ(TempLevels::readAll(toyFile), theirs);
    EXPECT_TRUE(prompts.informationTexts.isEmpty() && caption() == u"Tarvex Kite*"_s);
    writeElsewhere(toyBytes(QString(grown).replace(u"6000"_s, u"4000"_s)), true);
    QTest::qWait(400);
    EXPECT_EQ(prompts.notices, QStringList{u"'"_s + toyFile + u"' was changed by another program. "
              u"Your unsaved changes are kept; Save asks before it writes over the other "
              u"program's changes."_s});
    EXPECT_EQ(tag(u"name"_s) + u'|' + tag(u"farclip"_s), u"Toy World by Bob|6000"_s);
    prompts.overwriteAnswers = {true};
    press(u"cmdSave"_s);
    EXPECT_TRUE(TempLevels::readAll(toyFile).contains("Toy World by Bob\r\nSTARTPOS"));
    EXPECT_TRUE(prompts.informationTexts.value(0).endsWith(u"No Errors Encountered"_s));

    // The editor's own saves and a rename: no notice, no reload (the history stays), no question.
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

} // namespace
