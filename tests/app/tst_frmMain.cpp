// The editor window over temporary track folders, driven through its real controls: start-up
// and shutdown, picks in the real browser, every editor, the attribute list, Save and New.
#include "GuiTest.h"
#include "ScriptedPrompts.h"
#include "app/LongText.h"
#include "app/frmMain.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"
#include "settings/SqliteStore.h"
#include "support/TempTrack.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <QWheelEvent>

#include <functional>

namespace {

// <temp>/levels holds toytrack (with a .taz file) and emptyfolder (no info file).
class FrmMainTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        track(u"toytrack"_s, u"NAME\t\t'Toy World by Ann'|FARCLIP\t\t6000\t; far|FOGSTART\t4000|"
                             u"FOGCOLOR\t64 96 160|VERTFOGSTART\t-2000|VERTFOGEND\t0|"
                             u"WORLDRGBPER\t80|MODELRGBPER\t70|INSTANCERGBPER\t60"_s);
        temp.writeFile(u"levels/toytrack/toytrack.taz"_s, "geometry");
        temp.makeFolder(u"levels/emptyfolder"_s);
        levels = QDir(temp.path() + u"/levels"_s).canonicalPath();
    }
    void track(const QString& name, const QString& lines) const
    { temp.writeFile(u"levels/%1/%1.inf"_s.arg(name), crlfLines(lines.split(u'|'))); }
    // Starts the editor in `working` with `stored` as the remembered folder (none if empty).
    void start(const QString& stored, const QString& working = QDir::tempPath())
    {
        QDir::setCurrent(working);
        if (!stored.isEmpty())
            store.write(u"Tarvex Kite"_s, u"Current"_s, u"Folder"_s, stored);
        window = std::make_unique<frmMain>(state, descriptions, rename, store, prompts);
        window->Form_Load();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // A control of the Light or Fog page is made when one of them is first shown: the user
    // looks at the Fog page and goes back to the page shown before.
    template <typename T = QWidget>
    T* w(const QString& name) const
    {
        if (!window->findChild<QWidget*>(name)) {
            const auto* shown = window->findChild<QButtonGroup*>()->checkedButton();
            showPage(2);
            QTest::mouseClick(const_cast<QAbstractButton*>(shown), Qt::LeftButton);
        }
        return child<T>(window.get(), name);
    }
    QString text(const QString& name) const { return w(name)->property("text").toString(); }
    QSlider* slider(int index) const { return w<QSlider>(u"editSld%1"_s.arg(index)); }
    QTreeView* list() const // made when its page is first shown
    { if (!window->findChild<QTreeView*>()) showPage(3); return w<QTreeView>(u"listviewAttr"_s); }
    int rows() const { return list()->model()->rowCount(); }
    QString tag(const QString& label) const { return edit::getTagValue(state, label); }
    QString rowValue(const QString& label) const // of the first row with that label
    { return columnTexts(list()).value(columnTexts(list(), 1).indexOf(label)); }
    QString enabled() const // which of Save and New can be pressed
    { return QLatin1String(w(u"cmdSave"_s)->isEnabled() ? "Save" : "") + QLatin1String(
          w(u"cmdNew"_s)->isEnabled() ? "New" : ""); }
    void press(const QString& button) const { QTest::mouseClick(w(button), Qt::LeftButton); }
    void showPage(int index) const { press(u"optFrames%1"_s.arg(index)); }
    void pickFolder(const QString& name) const
    { clickRow(w<QListView>(u"objDir"_s), columnTexts(w<QListView>(u"objDir"_s)).indexOf(name)); }
    QLineEdit* rowEditor() const { return list()->viewport()->findChild<QLineEdit*>(); }
    // Clicks a row of the attribute list and double-clicks it (or the point `at`), then types
    // into the editor the timer opens.
    void editRow(int row, const QString& typed, Qt::Key end = Qt::Key_Return, QPoint at = {}) const
    {
        clickRow(list(), row);
        at = at.isNull() ? list()->visualRect(list()->model()->index(row, 0)).center() : at;
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
        ASSERT_TRUE(QTest::qWaitFor([&] { return rowEditor() && rowEditor()->isVisible(); }));
        retype(rowEditor(), typed);
        QTest::keyClick(rowEditor(), end);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rowEditor() || !rowEditor()->isVisible(); }));
    }

    TempLevels temp;
    QString levels;
    settings::MemoryStore store;
    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;
    ScriptedPrompts prompts;
    std::unique_ptr<frmMain> window;
};

// A stored folder loads its track into the form's layout; a vanished one asks, and Cancel
// loads the working folder.
TEST_F(FrmMainTest, startUp_storedFolderLoads_vanishedOneAsksAndCancelLoadsTheWorkingFolder)
{
    start(levels + u"/toytrack"_s);
    EXPECT_EQ(w<folderBox>(u"fbMain"_s)->selectedItem, levels + u"/toytrack"_s);
    EXPECT_EQ(columnTexts(list(), 1).join(u' '), u"NAME FARCLIP FOGSTART FOGCOLOR VERTFOGSTART "
              u"VERTFOGEND WORLDRGBPER MODELRGBPER INSTANCERGBPER"_s);
    QStringList shown{window->windowTitle(), enabled()};
    for (const char* name : {"txtName", "txtAuthor", "txtFolder", "editNumeric0", "lblfogcolor"})
        shown << text(QLatin1String(name));
    shown << QString::number(slider(0)->value()) << QString::number(slider(4)->value());
    EXPECT_EQ(shown.join(u'|'), u"Tarvex Kite|Save|Toy World|Ann|toytrack|-2000|Red:\nGreen:\n"
                                u"Blue:|6000|60"_s);
    // In twips, 15 to the pixel: the window 9375 by 6735, the browser at 120, 480, 2655 by 5535.
    EXPECT_EQ(std::pair(window->size(), w(u"fbMain"_s)->geometry()),
              std::pair(QSize(625, 449), QRect(8, 32, 177, 369)));
    window.reset();
    start(levels + u"/gone"_s, levels + u"/toytrack"_s);
    EXPECT_EQ(w<folderBox>(u"fbMain"_s)->Path(), levels + u"/toytrack"_s);
    EXPECT_EQ(rows(), 9);
    ASSERT_EQ(prompts.retryTexts.size(), 1);
    EXPECT_TRUE(prompts.retryTexts[0].startsWith(u"Error accessing "_s + levels + u"/gone\r\r"));
}

// With no stored folder: picks load tracks, New, About, and Exit stores the open folder.
TEST_F(FrmMainTest, session_picksLoadTracks_newCreatesTheFile_exitStoresTheOpenFolder)
{
    start(QString(), levels);
    QStringList seen{w<folderBox>(u"fbMain"_s)->Path() + enabled()}; // the folder, Save/New, rows
    pickFolder(u"toytrack"_s);
    seen << text(u"txtFolder"_s) + enabled() + QString::number(rows());
    pickFolder(u"emptyfolder"_s);
    seen << text(u"txtFolder"_s) + enabled() + QString::number(rows() + slider(0)->value());
    press(u"cmdNew"_s);
    seen << enabled() + QString::number(rows());
    EXPECT_EQ(seen, (QStringList{levels + u"New"_s, u"toytrackSave9"_s, u"New0"_s, u"Save12"_s}));
    EXPECT_TRUE(QFileInfo::exists(levels + u"/emptyfolder/emptyfolder.inf"_s));
    press(u"cmdAbout"_s);
    const QStringList about = prompts.informationTexts.value(0).split(u'\n');
    ASSERT_EQ(about.size(), 5);
    EXPECT_TRUE(!about[1].isEmpty() && !about[2].isEmpty() && about[3].isEmpty());
    EXPECT_EQ(about[0] + u'|' + about[4],
              u"Tarvex Kitework (Kite)|Version 2.0, Compiled December 30, 2001"_s);
    press(u"cmdExit"_s);
    EXPECT_TRUE(window->isHidden()
                && store.read(u"Tarvex Kite"_s, u"Current"_s, u"Folder"_s) == levels);
}

TEST_F(FrmMainTest, editors_everyKeystrokeAndSliderPositionStores_numericFieldsRedWhileNotANumber)
{
    start(levels + u"/toytrack"_s);
    retype(w(u"txtAuthor"_s), QString());
    QStringList names{tag(u"name"_s)};
    for (const QChar c : u"Bob"_s) {
        QTest::keyClicks(w(u"txtAuthor"_s), QString(c));
        names << tag(u"name"_s);
    }
    QTest::keyClicks(w(u"txtName"_s), u"!"_s);
    names << rowValue(u"NAME"_s);
    EXPECT_EQ(names.join(u'|'), u"Toy World|Toy World by B|Toy World by Bo|Toy World by Bob|"
                                u"Toy World! by Bob"_s);
    auto* field = w<QLineEdit>(u"editNumeric0"_s);
    retype(field, QString());
    QStringList seen; // the stored value, and R while the text is red
    for (const char* key : {"", "-", "2", "0", "x", "\b"}) {
        QTest::keyClicks(field, QLatin1String(key));
        const bool red = field->palette().color(QPalette::Text) == QColor(255, 0, 0);
        seen << tag(u"vertfogstart"_s) + (red ? u"R"_s : QString());
    }
    seen << rowValue(u"VERTFOGSTART"_s);
    EXPECT_EQ(seen.join(u' '), u"-2000R -2000R -2 -20 -20R -20 -20"_s);
    EXPECT_EQ(field->palette().color(QPalette::Text),
              QApplication::palette().color(QPalette::ButtonText));
    // Sliders store every position, by keyboard, mouse and wheel.
    const char* tags[]{"FARCLIP", "FOGSTART", "WORLDRGBPER", "MODELRGBPER", "INSTANCERGBPER"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(tags[i]);
        QSlider* s = slider(i);
        const int max = i < 2 ? 20000 : 100;
        EXPECT_EQ(std::tuple(s->maximum(), s->tickInterval(), s->pageStep()),
                  std::tuple(max, max / 10, 5));
        showPage(i < 2 ? 2 : 1);
        s->setFocus();
        QList<int> values;
        const QPoint left(4, s->height() / 2), middle(s->width() / 2, s->height() / 2);
        QWheelEvent wheel(middle, s->mapToGlobal(middle), {}, {0, -120}, {}, {},
                          Qt::NoScrollPhase, false);
        const std::function<void()> ways[]{// Home, a drag from the left end to the middle, wheel
            [&] { QTest::keyClick(s, Qt::Key_Home); },
            [&] { QTest::mousePress(s, Qt::LeftButton, {}, left), QTest::mouseMove(s, middle),
                  QTest::mouseRelease(s, Qt::LeftButton, {}, middle); },
            [&] { QApplication::sendEvent(s, &wheel); }};
        for (const auto& move : ways) {
            move();
            values << s->value();
            EXPECT_EQ(tag(QLatin1String(tags[i])) + u'|' + rowValue(QLatin1String(tags[i])),
                      u"%1|%1"_s.arg(s->value()));
        }
        EXPECT_TRUE(values[0] == 0 && std::abs(values[1] - max / 2) < max / 10
                    && values[2] < values[1]);
    }
}

TEST_F(FrmMainTest, fogColour_cancelledRewritesIt_chosenIsStored_unreadableIsLeftAlone)
{
    track(u"badfog"_s, u"FOGCOLOR 64 64"_s);
    start(levels);
    pickFolder(u"toytrack"_s);
    showPage(2);
    QWidget* swatch = w(u"picFogColor"_s);
    swatch->setFocus();
    QTest::keyClick(swatch, Qt::Key_Space);
    EXPECT_EQ(tag(u"fogcolor"_s), u"64 96 160 "_s);
    prompts.colourAnswers = {QColor(0, 0, 255)};
    QTest::mouseClick(swatch, Qt::LeftButton);
    EXPECT_EQ(rowValue(u"FOGCOLOR"_s) + u'|' + text(u"lblfogcolor"_s),
              u"0 0 255 |Red: 0\nGreen: 0\nBlue: 255"_s);
    EXPECT_EQ(swatch->grab().toImage().pixelColor(swatch->rect().center()), QColor(0, 0, 255));
    EXPECT_EQ(prompts.colourDialogInitials, QList<QColor>(2, QColor(64, 96, 160)));
    pickFolder(u"badfog"_s);
    const QString caption = text(u"lblfogcolor"_s);
    QTest::mouseClick(swatch, Qt::LeftButton); // answered with its initial colour
    EXPECT_EQ(prompts.colourDialogInitials.size(), 3);
    EXPECT_EQ(tag(u"fogcolor"_s) + text(u"lblfogcolor"_s), u"64 64"_s + caption);
}

TEST_F(FrmMainTest, attributeList_clicksShowDescriptions_asTheOptionsDialogEditsThem)
{
    track(u"cases"_s, u"farclip 100|MIRRORS 0 1 0 256"_s);
    start(levels + u"/cases"_s);
    showPage(3);
    QTimer::singleShot(0, window.get(), [this] {
        QWidget* options = w(u"frmOptions"_s);
        QTest::mouseClick(child(options, u"cmdAddDesc"_s), Qt::LeftButton);
        retype(child(options, u"txtLabel"_s), u"FARCLIP"_s);
        retype(child(options, u"txtDesc"_s), u"Seen this far"_s);
        QTest::keyClick(child(options, u"txtDesc"_s), Qt::Key_Return);
    });
    QStringList shown; // none yet; the label as the store spells it; the last one stays
    for (const int row : {1, 0, 1}) {
        if (row == 0)
            press(u"cmdOpt"_s); // returns once the dialog is hidden
        clickRow(list(), row);
        shown << text(u"lblDesc"_s);
    }
    w(u"lblDesc"_s)->setProperty("text", QString());
    QApplication::setActiveWindow(window.get()); // back from the options dialog
    QTest::keyClick(list(), Qt::Key_Up); // moving with the keyboard shows them too
    shown << text(u"lblDesc"_s);
    EXPECT_EQ(shown.join(u'|'), u"|"_s + QStringList(3, u"FARCLIP: Seen this far"_s).join(u'|'));
}

TEST_F(FrmMainTest, attributeList_inPlaceEdits_committedOrAbandoned_eachRowItsOwnLine)
{
    track(u"twice"_s, u"STARTPOS 1 1 1|FARCLIP 10|STARTPOS 2 2 2"_s);
    start(levels + u"/twice"_s);
    editRow(2, u"9 9 9"_s);
    editRow(0, u"0 0 0"_s);
    editRow(1, u"9000"_s);
    editRow(1, u"abc"_s, Qt::Key_Escape);
    list()->clearSelection();
    const QPoint belowRows(20, list()->viewport()->height() - 5);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, belowRows);
    QTest::qWait(20);
    EXPECT_EQ(rowEditor(), nullptr); // nothing selected: nothing to edit
    editRow(0, u"5 5 5"_s, Qt::Key_Return, belowRows);
    QStringList values{columnTexts(list()).join(u'|'), QString::number(slider(0)->value())};
    for (const cInfTag& line : state.tagList)
        values << line.tagValue;
    EXPECT_EQ(values.join(u' '), u"5 5 5|9000|9 9 9 9000 5 5 5 9000 9 9 9"_s);
}

// A text longer than a field or an in-place editor holds (32,767 characters): the list and
// the labels show its start, no edit can store a cut copy of it, and Save writes it whole.
TEST_F(FrmMainTest, longValues_shownShortened_neverCutByAnEdit_savedWhole)
{
    const QString tail = u"abc "_s.repeated(10000) + u"end"_s; // 40,003 characters
    const QString name = u"N"_s + tail, mirrors = u"M"_s + tail, startpos(30000, u'7');
    const QString vertfog = u"-"_s + QString(40000, u'2'), blue(40000, u'F');
    const QString fog = u"1 2 "_s + blue + u" 4"_s;
    track(u"long"_s, u"NAME\t'%1 by Ann'|MIRRORS\t%2|STARTPOS\t%3|VERTFOGSTART\t%4|FOGCOLOR\t%5"_s
                         .arg(name, mirrors, startpos, vertfog, fog));
    start(levels);
    descriptions.append({u"MIRRORS"_s, u"D"_s + tail});
    pickFolder(u"long"_s);
    // Its first thousand characters and its length: far less to lay out than the whole.
    const auto shortened = [](const QString& shown, const QString& whole) {
        return shown.startsWith(whole.left(1000)) && shown.size() < 1100
               && shown.contains(QLocale().toString(whole.size()));
    };
    const QStringList fogLines = text(u"lblfogcolor"_s).split(u'\n');
    ASSERT_EQ(fogLines.size(), 3);
    EXPECT_EQ(fogLines[0] + fogLines[1], u"Red: 1Green: 2"_s);
    EXPECT_TRUE(shortened(fogLines[2], u"Blue: "_s + blue));
    for (const auto& [label, whole] : {std::pair(u"MIRRORS"_s, mirrors), {u"STARTPOS"_s, startpos}})
        EXPECT_TRUE(shortened(rowValue(label), whole)) << label.toStdString();
    const int mirrorsRow = columnTexts(list(), 1).indexOf(u"MIRRORS"_s);
    clickRow(list(), mirrorsRow);
    EXPECT_TRUE(shortened(text(u"lblDesc"_s), u"MIRRORS: D"_s + tail));

    // In place: a value the editor can hold opens whole, and Enter keeps it whole; a longer
    // one opens no editor, and the user is told why.
    clickRow(list(), mirrorsRow, true);
    const auto answered = [&] { return rowEditor() || !prompts.informationTexts.isEmpty(); };
    ASSERT_TRUE(QTest::qWaitFor(answered));
    EXPECT_EQ(rowEditor(), nullptr);
    if (rowEditor()) // Enter, changing nothing, must not cut the value
        QTest::keyClick(rowEditor(), Qt::Key_Return);
    EXPECT_TRUE(prompts.informationTexts.value(0).contains(u"too many to edit here"_s));
    clickRow(list(), columnTexts(list(), 1).indexOf(u"STARTPOS"_s), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowEditor() && rowEditor()->isVisible(); }));
    EXPECT_EQ(rowEditor()->text(), startpos);
    QTest::keyClick(rowEditor(), Qt::Key_Return);
    // The Name page and the numeric fields show the long texts read-only: typing stores nothing.
    for (const char* name : {"txtName", "txtAuthor", "editNumeric0"}) {
        auto* field = w<QLineEdit>(QLatin1String(name));
        EXPECT_TRUE(field->isReadOnly() && field->toolTip().contains(u"too many"_s)) << name;
        QTest::keyClicks(field, u"x"_s);
    }
    EXPECT_TRUE(shortened(text(u"txtName"_s), name));
    EXPECT_EQ(text(u"txtAuthor"_s), u"Ann"_s);
    const QString values = tag(u"name"_s) + tag(u"mirrors"_s) + tag(u"startpos"_s)
                           + tag(u"vertfogstart"_s) + tag(u"fogcolor"_s);
    EXPECT_TRUE(values == u"'%1 by Ann'"_s.arg(name) + mirrors + startpos + vertfog + fog);

    press(u"cmdSave"_s);
    const QByteArray saved = TempLevels::readAll(levels + u"/long/long.inf"_s);
    for (const QString& value : {u"'%1 by Ann'"_s.arg(name), mirrors, startpos, vertfog, fog})
        EXPECT_TRUE(saved.contains(u"\t%1\r\n"_s.arg(value).toLatin1())) << value[1].toLatin1();
    w<folderBox>(u"fbMain"_s)->setPath(levels); // Save opened the track's folder
    pickFolder(u"toytrack"_s); // short texts are edited as always
    for (const char* name : {"txtName", "txtAuthor", "editNumeric0"})
        EXPECT_FALSE(w<QLineEdit>(QLatin1String(name))->isReadOnly()) << name;
    EXPECT_EQ(w(u"txtName"_s)->toolTip(), QString());
}

TEST_F(FrmMainTest, endToEnd_pickMoveASliderRenameTheFolderAndSave)
{
    start(levels);
    pickFolder(u"toytrack"_s);
    showPage(2);
    slider(0)->setFocus();
    QTest::keyClick(slider(0), Qt::Key_PageUp);
    showPage(0);
    retype(w(u"txtFolder"_s), u"mytrack"_s);
    press(u"cmdSave"_s);
    const QString folder = levels + u"/mytrack"_s;
    EXPECT_EQ(prompts.informationTexts.value(0), u"Saved changes to '"_s + folder
                  + u"/mytrack.inf'\rRenamed folder 'toytrack' to 'mytrack'\rRenamed selected "
                  u"file types in 'mytrack'\r\n\r\nNo Errors Encountered"_s);
    EXPECT_TRUE(!QFileInfo::exists(levels + u"/toytrack"_s)
                && QFileInfo::exists(folder + u"/mytrack.taz"_s));
    const QByteArray written = TempLevels::readAll(folder + u"/mytrack.inf"_s);
    EXPECT_TRUE(written.contains("\r\nFARCLIP\t\t6005\t") && written.endsWith("PER\t60\r\n"));
    EXPECT_EQ(w<folderBox>(u"fbMain"_s)->selectedItem + enabled(), folder + u"Save"_s);
}

// Tab moves through the controls in the form's order, whichever page was opened first.
TEST_F(FrmMainTest, keyboardOrder_followsTheFormWhicheverPageIsOpenedFirst)
{
    for (const QList<int>& pages : {QList{1, 2, 3}, QList{3}, QList{2, 0, 3}}) {
        start(levels + u"/toytrack"_s);
        for (const int page : pages)
            showPage(page);
        QStringList order;
        QWidget* at = w(u"txtName"_s);
        for (int i = 0; i < 64 && at->objectName() != u"cmdExit"_s; ++i) {
            at = at->nextInFocusChain();
            if ((at->focusPolicy() & Qt::TabFocus) && !at->objectName().isEmpty()
                && at->window() == window.get())
                order << at->objectName();
        }
        EXPECT_EQ(order.join(u' '),
                  u"txtAuthor txtFolder editSld2 editSld3 editSld4 editSld0 editSld1 picFogColor "
                  u"editNumeric0 editNumeric1 listviewAttr cmdSave cmdNew cmdOpt cmdAbout "
                  u"cmdExit"_s) << pages.size();
    }
}

// A shortened text keeps whole characters: one outside the basic plane is never halved.
TEST(LongTextTest, shortened_keepsTheStartInWholeCharacters_andTellsTheLength)
{
    const QString smile = u"\U0001F600"_s; // two code units
    const struct { QString text, start; } cases[] = {
        {QString(1000, u'a'), QString(1000, u'a')}, // short enough: whole
        {QString(1001, u'a'), QString(1000, u'a') + u'\u2026'},
        {QString(999, u'a') + smile + u"b"_s, QString(999, u'a') + u'\u2026'},
        {QString(998, u'a') + smile + u"b"_s, QString(998, u'a') + smile + u'\u2026'},
    };
    for (const auto& c : cases) {
        const QString shown = longText::shortened(c.text);
        EXPECT_TRUE(shown.startsWith(c.start)) << shown.mid(990, 12).toStdString();
        EXPECT_EQ(shown.size() == c.text.size(), c.text.size() <= 1000);
        EXPECT_EQ(shown.contains(QLocale().toString(c.text.size()) + u" characters"_s),
                  c.text.size() > 1000);
    }
}

TEST(QtPromptsTest, retryOrCancel_realMessageBoxAnsweredFromATimer)
{
    QString shown;
    QTimer::singleShot(0, qApp, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + u'|' + box->text();
            box->button(QMessageBox::Retry)->click();
        }
    });
    EXPECT_TRUE(QtPrompts().retryOrCancel(nullptr, u"Error accessing /x\r\rError 2"_s));
    EXPECT_EQ(shown, u"Tarvex Kite|Error accessing /x\n\nError 2"_s);
}

} // namespace
