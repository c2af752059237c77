// The editor window over temporary track folders, driven through its real controls: start-up
// and shutdown, picks in the real browser, every editor, the attribute list, Save and New.
#include "GuiTest.h"
#include "ScriptedPrompts.h"
#include "app/CommandLine.h"
#include "app/LongText.h"
#include "app/frmMain.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"
#include "save/renameJournal.h"
#include "settings/SqliteStore.h"
#include "support/TempTrack.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QButtonGroup>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include <functional>

namespace {

// The window that shows the tooltip text, if one is shown.
QWidget* toolTipWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->inherits("QTipLabel") && top->isVisible())
            return top;
    }
    return nullptr;
}

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
        if (at.isNull()) {
            at = list()->visualRect(list()->model()->index(row, 0)).center();
        } else { // a double-click elsewhere: its first click lands there too
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        }
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
    QStringList shown{window->windowHandle()->title(), enabled()}; // the caption shown
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
    EXPECT_TRUE(about[3].isEmpty());
    // The credit names the project and its licence, the contact line where the README is.
    EXPECT_TRUE(about[1].contains(u"Tarvex Kite"_s) && about[1].contains(u"Licence: MIT"_s))
        << about[1].toStdString();
    EXPECT_TRUE(about[2].contains(u"README.md"_s) && about[2].contains(u"/doc/tarvex-kite"_s))
        << about[2].toStdString();
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
        // The number shows at the handle while it moves, and to screen readers.
        QStringList unseen;
        const auto valueShown = [&] {
            const QString number = QString::number(s->value());
            const QWidget* tip = toolTipWindow();
            const double handleX = s->mapToGlobal(QPoint()).x()
                + double(s->value()) / s->maximum() * s->width();
            QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(s);
            if (!tip || QToolTip::text() != number || std::abs(tip->x() - handleX) > 24.0
                || reader->text(QAccessible::Value) != number
                || reader->valueInterface()->currentValue().toString() != number)
                unseen << number;
        };
        const std::function<void()> ways[]{// Home, a drag from the left end to the middle, wheel
            [&] { QTest::keyClick(s, Qt::Key_Home); valueShown(); },
            [&] { QTest::mousePress(s, Qt::LeftButton, {}, left), QTest::mouseMove(s, middle);
                  valueShown(); QTest::mouseRelease(s, Qt::LeftButton, {}, middle); },
            [&] { QApplication::sendEvent(s, &wheel); valueShown(); }};
        for (const auto& move : ways) {
            QToolTip::hideText();
            move();
            values << s->value();
            EXPECT_EQ(tag(QLatin1String(tags[i])) + u'|' + rowValue(QLatin1String(tags[i])),
                      u"%1|%1"_s.arg(s->value()));
        }
        EXPECT_EQ(unseen, QStringList());
        QToolTip::hideText(); // a pointer resting on the slider is told its value
        QHelpEvent rest(QEvent::ToolTip, middle, s->mapToGlobal(middle));
        QApplication::sendEvent(s, &rest);
        EXPECT_EQ(QToolTip::text(), QString::number(s->value()));
        EXPECT_TRUE(values[0] == 0 && std::abs(values[1] - max / 2) < max / 10
                    && values[2] < values[1]);
    }
}

TEST_F(FrmMainTest, fogColour_cancelledRewritesIt_chosenIsStored_unreadableIsLeftAlone)
{
    track(u"badfog"_s, u"FOGCOLOR 64 64"_s);
    track(u"nofog"_s, u"NAME No Fog"_s);
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
    EXPECT_TRUE(swatch->isEnabled());
    // Without a usable colour the swatch looks unavailable, says why, and opens nothing.
    prompts.saveAnswers = {Prompts::SaveChoice::Discard}; // the colour chosen is not kept
    for (const auto& [folder, why] : {std::pair(u"badfog"_s, u"FOGCOLOR value \"64 64\""_s),
                                      std::pair(u"emptyfolder"_s, u"No track is loaded"_s),
                                      std::pair(u"nofog"_s, u"no FOGCOLOR tag"_s)}) {
        pickFolder(folder);
        const QString caption = text(u"lblfogcolor"_s);
        EXPECT_TRUE(!swatch->isEnabled() && swatch->toolTip().contains(why))
            << swatch->toolTip().toStdString();
        EXPECT_NE(swatch->grab().toImage().pixelColor(swatch->rect().center()), QColor(0, 0, 255));
        QTest::mouseClick(swatch, Qt::LeftButton);
        QTest::keyClick(swatch, Qt::Key_Space);
        EXPECT_EQ(prompts.colourDialogInitials.size(), 2);
        EXPECT_EQ(text(u"lblfogcolor"_s), caption);
    }
    EXPECT_EQ(tag(u"fogcolor"_s), QString());
    EXPECT_EQ(prompts.saveQuestions.size(), 1);
    pickFolder(u"badfog"_s);
    EXPECT_EQ(tag(u"fogcolor"_s), u"64 64"_s);
    showPage(3); // mended in the attribute list, the colour can be chosen again
    editRow(0, u"1 2 3"_s);
    EXPECT_TRUE(swatch->isEnabled() && !swatch->toolTip().contains(u"FOGCOLOR"_s));
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

// A rename cut short right after the folder's own rename leaves mytrack holding toytrack's
// files. Picking it asks to finish: No leaves every name as it is and offers neither Save nor
// New over the track; Yes finishes it and loads the track. At start-up the question comes for
// a folder that still has its old name, and the browser follows the folder to its new one.
TEST_F(FrmMainTest, interruptedRename_offeredWhenOpened_noLeavesIt_yesFinishesAndLoadsIt)
{
    const Rename::Settings used{Rename::defaultExtensions.split(u';'), 1, true};
    const QString mytrack = levels + u"/mytrack"_s, yourtrack = levels + u"/yourtrack"_s;
    ASSERT_EQ(edit::RenameJournal(levels + u"/toytrack"_s, used, u"toytrack"_s, u"mytrack"_s)
                  .error(), std::nullopt); // and killed: the journal stays
    ASSERT_EQ(edit::renameNoReplace(levels + u"/toytrack"_s, mytrack), std::nullopt);
    const QStringList half = TempLevels::entries(mytrack);
    start(levels);
    prompts.questionAnswers = {false};
    pickFolder(u"mytrack"_s);
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_TRUE(prompts.questions[0].startsWith(
        u"Renaming the track 'toytrack' to 'mytrack' was interrupted"_s))
        << prompts.questions[0].toStdString();
    EXPECT_TRUE(prompts.informationTexts.value(0).contains(u"left half renamed"_s));
    EXPECT_EQ(enabled() + QString::number(rows()), u"0"_s); // neither Save nor New
    EXPECT_EQ(TempLevels::entries(mytrack), half);

    prompts.questionAnswers = {true};
    prompts.informationTexts.clear();
    pickFolder(u"emptyfolder"_s);
    pickFolder(u"mytrack"_s);
    EXPECT_EQ(prompts.questions.size(), 2);
    EXPECT_EQ(prompts.informationTexts.value(0),
              u"Finishing the rename of the track 'toytrack' to 'mytrack'\rRenamed selected file "
              u"types in 'mytrack'\r\n\r\nNo Errors Encountered"_s);
    EXPECT_EQ(TempLevels::entries(mytrack), (QStringList{u"mytrack.inf"_s, u"mytrack.taz"_s}));
    EXPECT_EQ(text(u"txtFolder"_s) + enabled() + QString::number(rows()), u"mytrackSave9"_s);

    window.reset();
    ASSERT_EQ(edit::RenameJournal(mytrack, used, u"mytrack"_s, u"yourtrack"_s).error(),
              std::nullopt);
    prompts.questionAnswers = {true};
    start(mytrack);
    EXPECT_EQ(prompts.questions.size(), 3);
    EXPECT_EQ(TempLevels::entries(yourtrack),
              (QStringList{u"yourtrack.inf"_s, u"yourtrack.taz"_s}));
    EXPECT_EQ(w<folderBox>(u"fbMain"_s)->Path() + u'|' + w<folderBox>(u"fbMain"_s)->selectedItem,
              yourtrack + u'|' + yourtrack);
    EXPECT_EQ(text(u"txtFolder"_s) + enabled() + QString::number(rows()), u"yourtrackSave9"_s);
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

// The help line keeps its box under the list, and every word of a text is readable there:
// the longest built-in text in a smaller font, a long text of the user's by scrolling. The
// tooltip holds the whole text.
TEST_F(FrmMainTest, descriptionLine_showsTheWholeText_inItsBox)
{
    const QList<cDesc> builtIns = desc::Store::builtInDescriptions();
    const cDesc mirrors = *std::find_if(builtIns.cbegin(), builtIns.cend(), [](const cDesc& entry) {
        return entry.forTag == u"MIRRORS"_s;
    });
    QString userText;
    while (userText.size() < 500)
        userText += u"word%1 "_s.arg(userText.size());
    userText = userText.left(499) + u'.';
    store.write(desc::appName, desc::sectionName, mirrors.forTag, mirrors.tagDesc);
    store.write(desc::appName, desc::sectionName, u"FARCLIP"_s, userText);
    track(u"cases"_s, u"MIRRORS 0 1 0 256|FARCLIP 100"_s);
    start(levels + u"/cases"_s);
    showPage(3);
    const QFont pageFont = w(u"attributesPage"_s)->font();
    for (const auto& [row, whole, scrolls] :
         {std::tuple(0, QString(u"MIRRORS: "_s + mirrors.tagDesc), false),
          std::tuple(1, QString(u"FARCLIP: "_s + userText), true)}) {
        SCOPED_TRACE(row);
        clickRow(list(), row);
        QCoreApplication::sendPostedEvents(); // the line lays itself out
        auto* label = w<QLabel>(u"lblDesc"_s);
        auto* box = w<QScrollArea>(u"lblDescBox"_s);
        ASSERT_TRUE(label && box);
        EXPECT_EQ(label->text(), whole);
        EXPECT_EQ(box->geometry(), QRect(16, 339, 393, 28)); // 240, 5085, 5895, 420 twips
        EXPECT_EQ(QTextDocumentFragment::fromHtml(box->toolTip()).toPlainText(), whole);
        QScrollBar* bar = box->verticalScrollBar();
        const int needed = label->heightForWidth(label->width());
        EXPECT_GE(label->height(), needed); // every line is laid out
        EXPECT_EQ(bar->maximum() > 0, scrolls);
        EXPECT_LE(needed, box->viewport()->height() + bar->maximum()); // and can be seen
        EXPECT_GE(label->font().pointSizeF(), scrolls ? pageFont.pointSizeF() : 6.5);
        bar->setValue(bar->maximum());
        EXPECT_LE(label->geometry().bottom() - bar->value(), box->viewport()->height());
    }
}

// Tab reaches every page button between the folder browser and the page, in the form's
// order; Space or Enter on one shows its page.
TEST_F(FrmMainTest, pageButtons_tabReachesEach_spaceOrEnterShowsItsPage)
{
    start(levels + u"/toytrack"_s);
    w(u"objDrive"_s)->setFocus(Qt::TabFocusReason);
    QStringList order;
    for (int i = 0; i < 30 && (order.isEmpty() || order.last() != u"cmdExit"_s); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(order.join(u' '), u"objDir optFrames0 optFrames1 optFrames2 optFrames3 txtName "
                                u"txtAuthor txtFolder cmdSave cmdOpt cmdAbout cmdExit"_s);
    QStringList shown;
    for (const auto& [button, key] : {std::pair(2, Qt::Key_Space), std::pair(3, Qt::Key_Return),
                                      std::pair(1, Qt::Key_Enter), std::pair(0, Qt::Key_Space)}) {
        w(u"optFrames%1"_s.arg(button))->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), key);
        for (int page = 0; page < 4; ++page)
            if (w(u"frames%1"_s.arg(page))->isVisible())
                shown << QString::number(page);
    }
    EXPECT_EQ(shown.join(u' '), u"2 3 1 0"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right); // as radio buttons do
    EXPECT_TRUE(w(u"frames1"_s)->isVisible() && w(u"optFrames1"_s)->hasFocus());
}

// A track given on the command line (its folder or its info file) opens as a click on it in
// its parent folder would; a path that is no track gives a message and the usual start.
TEST_F(FrmMainTest, commandLine_opensTheTrackAsAClickWould_orSaysWhyNot)
{
    temp.writeFile(u"levels/toytrack/notes.inf"_s, "NAME other");
    // What the window shows after the start: the browser, the loaded track, the fields.
    const auto seen = [this] {
        auto* folders = w<QListView>(u"objDir"_s);
        QStringList result{w<folderBox>(u"fbMain"_s)->Path(),
                           w<folderBox>(u"fbMain"_s)->selectedItem,
                           folders->currentIndex().data().toString(), enabled(),
                           QString::number(rows())};
        for (const char* name : {"txtName", "txtFolder", "lblfogcolor", "editNumeric0"})
            result << text(QLatin1String(name));
        return result.join(u'|');
    };
    start(levels); // the click, for comparison
    pickFolder(u"toytrack"_s);
    const QString clicked = seen();
    window.reset();
    store.write(u"Tarvex Kite"_s, u"Current"_s, u"Folder"_s, levels + u"/emptyfolder"_s);
    const QString usual =
        levels + u"/emptyfolder|"_s + levels + u"/emptyfolder|emptyfolder|New|0"_s;
    const struct { QString given, shows, message; } cases[]{
        {levels + u"/toytrack"_s, clicked, {}},
        {u"toytrack/"_s, clicked, {}}, // from the working folder
        {u"toytrack/toytrack.inf"_s, clicked, {}},
        {levels + u"/gone"_s, usual, u"does not exist"_s},
        {u"toytrack/notes.inf"_s, usual, u"is not a track's info file"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given.toStdString());
        QDir::setCurrent(levels);
        QString problem;
        const QString folder = trackFolderFor(c.given, &problem);
        state = edit::State(); // a new run of the program
        window = std::make_unique<frmMain>(state, descriptions, rename, store, prompts);
        window->Form_Load(folder);
        EXPECT_TRUE(seen().startsWith(c.shows)) << seen().toStdString();
        EXPECT_EQ(problem.isEmpty(), c.message.isEmpty());
        if (!c.message.isEmpty()) {
            EXPECT_TRUE(problem.contains(c.message) && problem.contains(c.given))
                << problem.toStdString();
        }
        window.reset();
    }
    EXPECT_TRUE(prompts.retryTexts.isEmpty());
}

// On a dark desktop every text stays readable: the rows on the list's pale picture, the help
// line, a numeric field marked red, and the folder pictures.
TEST_F(FrmMainTest, darkDesktop_everyTextStaysReadable)
{
    const DarkDesktop dark;
    store.write(desc::appName, desc::sectionName, u"FARCLIP"_s, u"The distance you can see."_s);
    start(levels + u"/toytrack"_s);
    showPage(3);
    clickRow(list(), 0);
    clickRow(list(), 1);
    QWidget* rowsShown = list()->viewport();
    const QRect labelCell = list()->visualRect(list()->model()->index(0, 1));
    const QRect valueCell = list()->visualRect(list()->model()->index(0, 0));
    EXPECT_GE(inkContrast(rowsShown, labelCell), 4.5);
    EXPECT_GE(inkContrast(rowsShown, valueCell), 4.5);
    EXPECT_GE(inkContrast(w(u"lblDesc"_s)), 4.5);
    auto* field = w<QLineEdit>(u"editNumeric0"_s);
    showPage(2);
    retype(field, u"x"_s);
    EXPECT_GE(contrast(field->palette().color(QPalette::Text),
                       field->palette().color(QPalette::Base)), 3.0);
    EXPECT_GE(inkContrast(field, field->rect().adjusted(3, 3, -3, -3)), 3.0);
    auto* folders = w<QListView>(u"objDir"_s);
    const QRect firstRow = folders->visualRect(folders->model()->index(0, 0));
    EXPECT_GE(inkContrast(folders->viewport(), QRect(firstRow.topLeft(), QSize(20, 16))), 3.0);
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
