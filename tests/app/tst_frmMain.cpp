// The main window driven through its real controls, from start-up to Exit.
#include "WindowTest.h"
#include "app/CommandLine.h"
#include "save/renameJournal.h"

#include <QAccessible>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include <functional>

namespace {

// The stored folder, or one gone (Cancel: the working folder), or a command line's track.
TEST_F(WindowTest, startUp_opensTheGivenOrStoredTrackAsAClickWould_orSaysWhyNot)
{
    temp.writeFile(u"levels/toytrack/notes.inf"_s, "NAME other");
    const auto shown = [this] { // the browser, then the track loaded
        QStringList seen{browser()->Path(), browser()->selectedItem,
                         folders()->currentIndex().data().toString(), caption(), enabled(),
                         columnTexts(list(), 1).join(u' ')};
        for (const char* name :
             {"txtName", "txtAuthor", "txtFolder", "editNumeric0", "lblfogcolor"})
            seen << text(QLatin1String(name));
        seen << QString::number(slider(0)->value()) << QString::number(slider(4)->value());
        return seen.join(u'|');
    };
    start(QString(), levels);
    pickFolder(u"toytrack"_s);
    const QString track = u"|Tarvex Kite|Save|NAME STARTPOS FARCLIP FOGSTART FOGCOLOR VERTFOGSTART "
                          u"VERTFOGEND WORLDRGBPER MODELRGBPER INSTANCERGBPER|Toy World|Ann|"
                          u"toytrack|-2000|"_s;
    const QString clicked = levels + u'|' + toyFolder + u"|toytrack"_s + track
                            + u"Red: 64\nGreen: 96\nBlue: 160|6000|60"_s;
    EXPECT_EQ(shown(), clicked);
    // In twips, 15 to the pixel: the window 9375 by 6735, the browser at 120, 480, 2655 by 5535.
    EXPECT_EQ(std::pair(window->size(), browser()->geometry()),
              std::pair(QSize(625, 449), QRect(8, 32, 177, 369)));
    // The stored folder is opened itself; after start-up the fog caption shows no numbers.
    const QString stored = toyFolder + u'|' + toyFolder + u"|toytrack"_s + track
                           + u"Red:\nGreen:\nBlue:|6000|60"_s;
    const QString empty = levels + u"/emptyfolder"_s;
    const QString none = empty + u'|' + empty + u"|emptyfolder|Tarvex Kite|New||"_s;
    const struct { QString stored, working, given, shows, problem, asked; } cases[]{
        {toyFolder, levels, {}, stored, {}, {}},
        {levels + u"/gone"_s, toyFolder, {}, stored, {},
         u"Error accessing "_s + levels + u"/gone\r\r"_s},
        {empty, levels, u"toytrack/"_s, clicked, {}, {}}, // from the working folder
        {empty, levels, u"toytrack/toytrack.inf"_s, clicked, {}, {}},
        {empty, levels, levels + u"/gone"_s, none, u"does not exist"_s, {}},
        {empty, levels, u"toytrack/notes.inf"_s, none, u"is not a track's info file"_s, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(QString(c.stored + u' ' + c.given).toStdString());
        QString problem;
        QDir::setCurrent(c.working);
        const QString folder = c.given.isEmpty() ? QString() : trackFolderFor(c.given, &problem);
        prompts = {};
        start(c.stored, c.working, folder);
        EXPECT_TRUE(shown().startsWith(c.shows)) << shown().toStdString();
        EXPECT_TRUE(problem.isEmpty() ? c.problem.isEmpty()
                                      : problem.contains(c.problem) && problem.contains(c.given))
            << problem.toStdString();
        EXPECT_TRUE(c.asked.isEmpty() ? prompts.retryTexts.isEmpty()
                                      : prompts.retryTexts.size() == 1
                                            && prompts.retryTexts[0].startsWith(c.asked));
    }
}

// New is enabled only while the picked folder has no info file, so it never meets an edit.
TEST_F(WindowTest, session_pickEditRenameAndSave_newCreatesTheFile_exitStoresTheOpenFolder)
{
    start(QString(), levels);
    QStringList seen{browser()->Path() + enabled()}; // the folder, Save/New, rows
    pickFolder(u"toytrack"_s);
    showPage(2);
    slider(0)->setFocus();
    QTest::keyClick(slider(0), Qt::Key_PageUp);
    showPage(0);
    retype(w(u"txtFolder"_s), u"mytrack"_s);
    press(u"cmdNew"_s);
    seen << enabled() + caption();
    press(u"cmdSave"_s);
    const QString folder = levels + u"/mytrack"_s;
    EXPECT_EQ(prompts.informationTexts.value(0), u"Saved changes to '"_s + folder
                  + u"/mytrack.inf'\rRenamed folder 'toytrack' to 'mytrack'\rRenamed selected "
                  u"file types in 'mytrack'\r\n\r\nNo Errors Encountered"_s);
    EXPECT_TRUE(!QFileInfo::exists(toyFolder) && QFileInfo::exists(folder + u"/mytrack.taz"_s));
    const QByteArray written = TempLevels::readAll(folder + u"/mytrack.inf"_s);
    EXPECT_TRUE(written.contains("\r\nFARCLIP\t\t6005\t") && written.endsWith("PER\t60\r\n"));
    seen << browser()->selectedItem + enabled();
    browser()->setPath(levels); // Save opened the track's folder
    pickFolder(u"emptyfolder"_s);
    seen << text(u"txtFolder"_s) + enabled() + QString::number(rows() + slider(0)->value());
    press(u"cmdNew"_s);
    seen << enabled() + QString::number(rows()) + caption();
    EXPECT_EQ(seen, (QStringList{levels + u"New"_s, u"SaveTarvex Kite*"_s,
                                 folder + u"Save"_s, u"New0"_s, u"Save12Tarvex Kite"_s}));
    EXPECT_TRUE(prompts.saveQuestions.isEmpty()
                && QFileInfo::exists(levels + u"/emptyfolder/emptyfolder.inf"_s));
    press(u"cmdAbout"_s); // the credit, its licence, where the README is installed, the version
    const QString about = prompts.informationTexts.value(1);
    EXPECT_TRUE(about.startsWith(u"Tarvex Kitework (Kite)\nTarvex Kite"_s)
                && about.contains(u"Licence: MIT"_s) && about.contains(u"README.md, in /"_s)
                && about.endsWith(u"/doc/tarvex-kite\n\nVersion 2.0, Compiled December 30, 2001"_s))
        << about.toStdString();
    press(u"cmdExit"_s);
    EXPECT_TRUE(window->isHidden()
                && store.read(u"Tarvex Kite"_s, u"Current"_s, u"Folder"_s) == levels);
}

// The name fields store as they are typed (the undo tests show it); here the numeric fields
// and the sliders, every position of which is stored.
TEST_F(WindowTest, editors_sliderPositionsAndNumbersStore_numericFieldsRedWhileNotANumber)
{
    start(toyFolder);
    auto* field = w<QLineEdit>(u"editNumeric0"_s);
    retype(field, QString());
    QStringList seen;
    for (const char* key : {"", "-", "2", "0", "x", "\b"}) { // the value stored, R while red
        QTest::keyClicks(field, QLatin1String(key));
        const bool red = field->palette().color(QPalette::Text) == QColor(255, 0, 0);
        seen << tag(u"vertfogstart"_s) + (red ? u"R"_s : QString());
    }
    seen << rowValue(u"VERTFOGSTART"_s);
    EXPECT_EQ(seen.join(u'|'), u"-2000R|-2000R|-2|-20|-20R|-20|-20"_s);
    EXPECT_EQ(field->palette().color(QPalette::Text),
              QApplication::palette().color(QPalette::ButtonText));
    // By keyboard, mouse and wheel; the number shows at the handle, to screen readers, on hover.
    const char* tags[]{"FARCLIP", "FOGSTART", "WORLDRGBPER", "MODELRGBPER", "INSTANCERGBPER"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(tags[i]);
        QSlider* s = slider(i);
        const int max = i < 2 ? 20000 : 100;
        showPage(i < 2 ? 2 : 1);
        s->setFocus();
        const QPoint left(4, s->height() / 2), middle(s->width() / 2, s->height() / 2);
        QWheelEvent wheel(middle, s->mapToGlobal(middle), {}, {0, -120}, {}, {},
                          Qt::NoScrollPhase, false);
        const std::function<void()> ways[]{// Home, a drag from the left end to the middle, wheel
            [&] { QTest::keyClick(s, Qt::Key_Home); },
            [&] { QTest::mousePress(s, Qt::LeftButton, {}, left), QTest::mouseMove(s, middle); },
            [&] { QTest::mouseRelease(s, Qt::LeftButton, {}, middle);
                  QApplication::sendEvent(s, &wheel); }};
        QList<int> values;
        for (const auto& move : ways) {
            QToolTip::hideText();
            move();
            const QString number = QString::number(s->value());
            values << s->value();
            EXPECT_EQ(tag(QLatin1String(tags[i])) + u'|' + rowValue(QLatin1String(tags[i])),
                      number + u'|' + number);
            QWidget* tip = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                tip = top->inherits("QTipLabel") && top->isVisible() ? top : tip;
            const double x = s->mapToGlobal(QPoint()).x() + double(s->value()) / max * s->width();
            QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(s);
            EXPECT_TRUE(tip && QToolTip::text() == number && std::abs(tip->x() - x) <= 24.0
                        && reader->text(QAccessible::Value) == number
                        && reader->valueInterface()->currentValue().toString() == number)
                << number.toStdString();
        }
        QToolTip::hideText();
        QHelpEvent rest(QEvent::ToolTip, middle, s->mapToGlobal(middle));
        QApplication::sendEvent(s, &rest);
        EXPECT_EQ(QToolTip::text(), QString::number(s->value()));
        EXPECT_TRUE(values[0] == 0 && std::abs(values[1] - max / 2) < max / 10
                    && values[2] < values[1]);
    }
}

// Without a usable colour the swatch looks unavailable, says why, and opens nothing.
TEST_F(WindowTest, fogColour_cancelledRewritesIt_chosenIsStored_unusableOpensNothing)
{
    track(u"badfog"_s, u"FOGCOLOR 64 64"_s);
    track(u"nofog"_s, u"NAME No Fog"_s);
    start(levels);
    pickFolder(u"toytrack"_s);
    showPage(2);
    QWidget* swatch = w(u"picFogColor"_s);
    const auto centre = [swatch] {
        return swatch->grab().toImage().pixelColor(swatch->rect().center());
    };
    swatch->setFocus();
    QTest::keyClick(swatch, Qt::Key_Space);
    EXPECT_EQ(tag(u"fogcolor"_s), u"64 96 160 "_s);
    prompts.colourAnswers = {QColor(0, 0, 255)};
    QTest::mouseClick(swatch, Qt::LeftButton);
    EXPECT_TRUE(swatch->isEnabled() && centre() == QColor(0, 0, 255)
                && tag(u"fogcolor"_s) == u"0 0 255 "_s);
    EXPECT_EQ(prompts.colourDialogInitials, QList<QColor>(2, QColor(64, 96, 160)));
    prompts.saveAnswers = {Choice::Discard}; // the colour chosen is not kept
    for (const auto& [folder, why] : {std::pair(u"badfog"_s, u"FOGCOLOR value \"64 64\""_s),
                                      std::pair(u"emptyfolder"_s, u"No track is loaded"_s),
                                      std::pair(u"nofog"_s, u"no FOGCOLOR tag"_s)}) {
        pickFolder(folder);
        const QString caption = text(u"lblfogcolor"_s);
        EXPECT_TRUE(!swatch->isEnabled() && swatch->toolTip().contains(why)
                    && centre() != QColor(0, 0, 255)) << swatch->toolTip().toStdString();
        QTest::mouseClick(swatch, Qt::LeftButton);
        QTest::keyClick(swatch, Qt::Key_Space);
        EXPECT_EQ(text(u"lblfogcolor"_s) + QString::number(prompts.colourDialogInitials.size()),
                  caption + u'2');
    }
    EXPECT_EQ(tag(u"fogcolor"_s) + QString::number(prompts.saveQuestions.size()), u"1"_s);
    pickFolder(u"badfog"_s);
    EXPECT_EQ(tag(u"fogcolor"_s), u"64 64"_s);
    editRow(0, u"1 2 3"_s); // mended in the attribute list, the colour can be chosen again
    EXPECT_TRUE(swatch->isEnabled() && !swatch->toolTip().contains(u"FOGCOLOR"_s));
}

// Whole in its box (the longest built-in text smaller, a long one scrolling) and in the tooltip.
TEST_F(WindowTest, descriptionLine_showsTheRowsWholeText_asTheOptionsDialogEditsIt)
{
    const QList<cDesc> builtIns = desc::Store::builtInDescriptions();
    const QString mirrors = std::find_if(builtIns.cbegin(), builtIns.cend(), [](const cDesc& d) {
        return d.forTag == u"MIRRORS"_s; })->tagDesc;
    store.write(desc::appName, desc::sectionName, u"MIRRORS"_s, mirrors);
    const QString userText = u"a longer word "_s.repeated(35) + u"end."_s; // 494 characters
    track(u"cases"_s, u"farclip 100|MIRRORS 0 1 0 256|VERTFOGEND 0"_s);
    start(levels + u"/cases"_s);
    clickRow(list(), 0);
    EXPECT_EQ(text(u"lblDesc"_s), QString()); // none yet
    QTimer::singleShot(0, window.get(), [this, &userText] {
        QWidget* options = w(u"frmOptions"_s);
        QTest::mouseClick(child(options, u"cmdAddDesc"_s), Qt::LeftButton);
        retype(child(options, u"txtLabel"_s), u"FARCLIP"_s);
        retype(child(options, u"txtDesc"_s), userText);
        QTest::keyClick(child(options, u"txtDesc"_s), Qt::Key_Return);
    });
    press(u"cmdOpt"_s); // returns once the dialog is hidden
    QApplication::setActiveWindow(window.get());
    const double pageSize = w(u"attributesPage"_s)->font().pointSizeF();
    auto* label = w<QLabel>(u"lblDesc"_s);
    auto* box = w<QScrollArea>(u"lblDescBox"_s);
    QScrollBar* bar = box->verticalScrollBar();
    for (const auto& [row, whole, scrolls] :
         {std::tuple(0, QString(u"FARCLIP: "_s + userText), true), // as the store spells it
          std::tuple(1, QString(u"MIRRORS: "_s + mirrors), false)}) {
        SCOPED_TRACE(row);
        clickRow(list(), row);
        QCoreApplication::sendPostedEvents(); // the line lays itself out
        EXPECT_EQ(label->text() + u'|' + QTextDocumentFragment::fromHtml(box->toolTip())
                      .toPlainText(), whole + u'|' + whole);
        EXPECT_EQ(box->geometry(), QRect(16, 339, 393, 28)); // 240, 5085, 5895, 420 twips
        const int needed = label->heightForWidth(label->width()); // every line laid out, seen
        EXPECT_TRUE(label->height() >= needed && (bar->maximum() > 0) == scrolls
                    && needed <= box->viewport()->height() + bar->maximum()
                    && label->font().pointSizeF() >= (scrolls ? pageSize : 6.5));
        bar->setValue(bar->maximum());
        EXPECT_LE(label->geometry().bottom() - bar->value(), box->viewport()->height());
    }
    clickRow(list(), 2);
    QStringList shown{text(u"lblDesc"_s)};
    w(u"lblDesc"_s)->setProperty("text", QString());
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_EQ(shown << text(u"lblDesc"_s), QStringList(2, u"MIRRORS: "_s + mirrors));
}

TEST_F(WindowTest, attributeList_inPlaceEdits_committedOrAbandoned_eachRowItsOwnLine)
{
    track(u"twice"_s, u"STARTPOS 1 1 1|FARCLIP 10|STARTPOS 2 2 2"_s);
    start(levels + u"/twice"_s);
    editRow(2, u"9 9 9"_s);
    editRow(0, u"0 0 0"_s);
    editRow(1, u"9000"_s);
    list()->clearSelection();
    const QPoint belowRows(20, list()->viewport()->height() - 5);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, belowRows);
    QTest::qWait(20);
    EXPECT_EQ(rowEditor(), nullptr);
    editRow(0, u"5 5 5"_s, Qt::Key_Return, belowRows);
    QStringList values{columnTexts(list()).join(u'|'), QString::number(slider(0)->value())};
    for (const cInfTag& line : state.tagList)
        values << line.tagValue;
    EXPECT_EQ(values.join(u' '), u"5 5 5|9000|9 9 9 9000 5 5 5 9000 9 9 9"_s);
}

// Longer than a field holds (32,767): shown shortened in whole characters, never cut by an edit.
TEST_F(WindowTest, longValues_shownShortenedInWholeCharacters_neverCutByAnEdit)
{
    const QString tail = u"abc "_s.repeated(10000) + u"end"_s; // 40,003 characters
    const QString name = u"N"_s + tail, mirrors = u"M"_s + tail, startpos(30000, u'7');
    const QString vertfog = u"-"_s + QString(40000, u'2'), blue(40000, u'F');
    const QString fog = u"1 2 "_s + blue + u" 4"_s;
    track(u"long"_s, u"NAME\t'%1 by Ann'|MIRRORS\t%2|STARTPOS\t%3|VERTFOGSTART\t%4|FOGCOLOR\t%5"_s
                         .arg(name, mirrors, startpos, vertfog, fog));
    start(levels);
    const QString described = QString(990, u'D') + u"\U0001F600"_s + tail; // two code units
    descriptions.append({u"MIRRORS"_s, described});
    pickFolder(u"long"_s);
    const QStringList fogLines = text(u"lblfogcolor"_s).split(u'\n');
    EXPECT_TRUE(fogLines.size() == 3 && fogLines[0] + fogLines[1] == u"Red: 1Green: 2"_s
                && shortened(fogLines[2], u"Blue: "_s + blue));
    EXPECT_TRUE(shortened(rowValue(1), mirrors) && shortened(rowValue(2), startpos));
    clickRow(list(), 1);
    EXPECT_TRUE(text(u"lblDesc"_s).startsWith(u"MIRRORS: "_s + QString(990, u'D') + u'\u2026')
                && text(u"lblDesc"_s).contains(QLocale().toString(described.size() + 9)));
    clickRow(list(), 2, true); // one the in-place editor can hold opens, and stays, whole
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowEditor() && rowEditor()->isVisible(); }));
    EXPECT_EQ(rowEditor()->text(), startpos);
    QTest::keyClick(rowEditor(), Qt::Key_Return);
    for (const char* field : {"txtName", "txtAuthor", "editNumeric0"}) { // read-only
        auto* edit = w<QLineEdit>(QLatin1String(field));
        EXPECT_TRUE(edit->isReadOnly() && edit->toolTip().contains(u"too many"_s)) << field;
        QTest::keyClicks(edit, u"x"_s);
    }
    EXPECT_TRUE(shortened(text(u"txtName"_s), name) && text(u"txtAuthor"_s) == u"Ann"_s);
    EXPECT_TRUE(tag(u"name"_s) + tag(u"mirrors"_s) + tag(u"startpos"_s) + tag(u"vertfogstart"_s)
                    + tag(u"fogcolor"_s) == u"'"_s + name + u" by Ann'"_s + mirrors + startpos
                                                + vertfog + fog);
    pickFolder(u"toytrack"_s); // short texts are edited as always
    for (const char* field : {"txtName", "txtAuthor", "editNumeric0"}) {
        auto* edit = w<QLineEdit>(QLatin1String(field));
        EXPECT_TRUE(!edit->isReadOnly() && edit->toolTip().isEmpty()) << field;
    }
}

// Killed after the folder's rename: No leaves it, New not offered. Killed before it: at start-up
// Yes finishes it, and the browser follows the folder to its new name.
TEST_F(WindowTest, interruptedRename_offeredWhenOpened_noLeavesIt_yesFinishesAndLoadsIt)
{
    const Rename::Settings used{Rename::defaultExtensions.split(u';'), 1, true};
    const QString mytrack = levels + u"/mytrack"_s, yours = levels + u"/yourtrack"_s;
    ASSERT_EQ(edit::RenameJournal(toyFolder, used, u"toytrack"_s, u"mytrack"_s).error(),
              std::nullopt); // and killed: the journal stays
    ASSERT_EQ(edit::renameNoReplace(toyFolder, mytrack), std::nullopt);
    const QStringList half = TempLevels::entries(mytrack);
    start(levels);
    prompts.questionAnswers = {false};
    pickFolder(u"mytrack"_s);
    EXPECT_TRUE(prompts.questions.size() == 1 && prompts.questions[0].startsWith(
        u"Renaming the track 'toytrack' to 'mytrack' was interrupted"_s));
    EXPECT_TRUE(prompts.informationTexts.value(0).contains(u"left half renamed"_s));
    EXPECT_EQ(enabled() + QString::number(rows()), u"0"_s); // neither Save nor New
    EXPECT_EQ(TempLevels::entries(mytrack), half);
    ASSERT_EQ(edit::RenameJournal(levels + u"/second"_s, used, u"second"_s, u"yourtrack"_s)
                  .error(), std::nullopt);
    prompts = {};
    prompts.questionAnswers = {true};
    start(levels + u"/second"_s);
    EXPECT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(prompts.informationTexts.value(0),
              u"Finishing the rename of the track 'second' to 'yourtrack'\rRenamed folder 'second' "
              u"to 'yourtrack'\rRenamed selected file types in 'yourtrack'\r\n\r\n"
              u"No Errors Encountered"_s);
    EXPECT_EQ(TempLevels::entries(yours), QStringList{u"yourtrack.inf"_s});
    EXPECT_EQ(browser()->Path() + u'|' + browser()->selectedItem, yours + u'|' + yours);
    EXPECT_EQ(text(u"txtFolder"_s) + enabled() + QString::number(rows()), u"yourtrackSave1"_s);
}

// The focus chain follows the form whichever page was made first; Tab reaches the page buttons.
TEST_F(WindowTest, keyboard_orderFollowsTheForm_tabReachesEachPageButton_spaceOrEnterShowsIt)
{
    for (const QList<int>& pages : {QList{1, 2, 3}, QList{3}, QList{2, 0, 3}}) {
        start(toyFolder);
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
    showPage(0);
    w(u"objDrive"_s)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(tabOrder(u"cmdExit"_s), u"objDir optFrames0 optFrames1 optFrames2 optFrames3 "
                                      u"txtName txtAuthor txtFolder cmdSave cmdOpt cmdAbout "
                                      u"cmdExit"_s);
    QStringList shown;
    for (const auto& [button, key] : {std::pair(2, Qt::Key_Space), std::pair(3, Qt::Key_Return),
                                      std::pair(1, Qt::Key_Enter), std::pair(0, Qt::Key_Space)}) {
        w(u"optFrames%1"_s.arg(button))->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), key);
        for (int page = 0; page < 4; ++page)
            if (w(u"frames%1"_s.arg(page))->isVisible())
                shown << QString::number(page);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right); // as radio buttons do
    EXPECT_EQ(shown.join(u' '), u"2 3 1 0"_s);
    EXPECT_TRUE(w(u"frames1"_s)->isVisible() && w(u"optFrames1"_s)->hasFocus());
}

TEST_F(WindowTest, darkDesktop_everyTextStaysReadable)
{
    const DarkDesktop dark;
    store.write(desc::appName, desc::sectionName, u"FARCLIP"_s, u"The distance you can see."_s);
    start(toyFolder);
    clickRow(list(), 2);
    for (const int column : {0, 1})
        EXPECT_GE(inkContrast(list()->viewport(),
                              list()->visualRect(list()->model()->index(0, column))), 4.5);
    EXPECT_GE(inkContrast(w(u"lblDesc"_s)), 4.5);
    auto* field = w<QLineEdit>(u"editNumeric0"_s);
    showPage(2);
    retype(field, u"x"_s);
    EXPECT_GE(contrast(field->palette().color(QPalette::Text),
                       field->palette().color(QPalette::Base)), 3.0);
    const QRect firstRow = folders()->visualRect(folders()->model()->index(0, 0));
    EXPECT_GE(inkContrast(folders()->viewport(), QRect(firstRow.topLeft(), QSize(20, 16))), 3.0);
}

} // namespace
