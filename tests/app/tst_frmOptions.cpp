// The options dialog, run offscreen over settings in memory; the input box is scripted.
#include "GuiTest.h"
#include "ScriptedPrompts.h"
#include "app/frmOptions.h"
#include "settings/SqliteStore.h"

#include <QListWidget>
#include <QStyledItemDelegate>

#include <functional>
#include <memory>

namespace {

const QString kite = u"Tarvex Kite"_s, kite2 = u"Tarvex Kite2"_s, descs = u"Descriptions"_s;
const QString builtIns = u"FARCLIP FOGCOLOR FOGSTART INSTANCERGBPER MIRRORS MODELRGBPER MP3 NAME "
                         u"REDBOOK STARTGRID STARTGRIDREV STARTPOS STARTPOSREV STARTROT "
                         u"STARTROTREV VERTFOGEND VERTFOGSTART WORLDRGBPER"_s;
const QString defaultExts = u"cam;fan;fin;fob;inf;lit;ncp;pan;taz;vis;tri;por;fld;rim;ace;w"_s;

struct FrmOptionsTest : ::testing::Test
{
    void SetUp() override { describe(u"FARCLIP FOGCOLOR NAME"_s); }
    // Stores these descriptions ("<label> text" each) and starts a new run of the editor.
    void describe(const QString& labels)
    {
        store.deleteSection(kite2, descs);
        for (const QString& label : labels.split(u' ', Qt::SkipEmptyParts))
            store.write(kite2, descs, label, label.toLower() + u" text"_s);
        restart();
    }
    void restart() // fresh module objects and dialog over the same settings
    {
        dialog.reset();
        descriptions = {};
        rename = {};
        dialog = std::make_unique<frmOptions>(descriptions, rename, store, prompts, &owner);
        dialog->show();
    }
    QWidget* w(const char* name) const { return child(dialog.get(), QLatin1String(name)); }
    void click(const char* name) const { QTest::mouseClick(w(name), Qt::LeftButton); }
    QString field(const char* name) const { return w(name)->property("text").toString(); }
    QString fields() const { return field("txtLabel") + u'|' + field("txtDesc"); }
    bool checked(const char* name) const { return w(name)->property("checked").toBool(); }
    bool marked() const // the label field reddish
    {
        const QColor base = w("txtLabel")->palette().color(QPalette::Base);
        return base.red() > base.green() && base != QPalette().color(QPalette::Base);
    }
    QTreeWidget* list() const { return child<QTreeWidget>(dialog.get(), u"listviewDesc"_s); }
    QListWidget* extList() const { return child<QListWidget>(dialog.get(), u"lstExts"_s); }
    QString rows() const { return columnTexts(list()).join(u' '); }
    QString exts() const { return columnTexts(extList()).join(u';'); }
    QString labels() const // the descriptions in use, in their order
    {
        QStringList labels;
        for (int i = 0; i < descriptions.count(); ++i)
            labels << descriptions.at(i).forTag;
        return labels.join(u' ');
    }
    QString text(const QString& label) const
    { return descriptions.find(label) ? descriptions.find(label)->tagDesc : u"<none>"_s; }
    QString saved() const // the saved labels, in their order
    {
        QStringList labels;
        for (const auto& entry : store.readSection(kite2, descs))
            labels << entry.first;
        return labels.join(u' ');
    }
    QString renaming(const char* key) const
    { return store.read(kite, u"Renaming"_s, QLatin1String(key)); }

    settings::MemoryStore store;
    desc::Store descriptions;
    Rename::Settings rename;
    ScriptedPrompts prompts;
    QWidget owner;
    std::unique_ptr<frmOptions> dialog;
};

TEST_F(FrmOptionsTest, addTwice_takesTheSmallestFreeNumbersIgnoringCase)
{
    for (const auto& [existing, added] : {std::pair(u""_s, u"NEW1 NEW2"_s),
                                          std::pair(u"NEW1 NEW3"_s, u"NEW2 NEW4"_s),
                                          std::pair(u"new1"_s, u"NEW2 NEW3"_s)}) {
        describe(existing);
        click("cmdAddDesc");
        click("cmdAddDesc");
        const QString all = QString(existing + u' ' + added).trimmed();
        EXPECT_EQ(rows() + u'|' + labels(), all + u'|' + all);
        EXPECT_EQ(fields(), added.right(4) + u'|');
        EXPECT_EQ(saved(), existing); // nothing is saved before OK
    }
}

TEST_F(FrmOptionsTest, descriptionsPage_editsInvalidLabelsDeletesAndEnter)
{
    // Loading selects the first row and the fields show it: they edit the entry they show.
    EXPECT_EQ(fields(), u"FARCLIP|farclip text"_s);
    clickRow(list(), 1);
    EXPECT_EQ(fields(), u"FOGCOLOR|fogcolor text"_s);
    QTest::keyClicks(w("txtDesc"), u"!"_s);
    retype(w("txtLabel"), u"Haze"_s);
    EXPECT_EQ(w("txtLabel")->palette(), QPalette());
    QTest::keyClicks(w("txtDesc"), u"?"_s);
    // The row keeps its place, the entry is refiled last; nothing is saved yet.
    EXPECT_EQ(rows() + u'|' + labels(), u"FARCLIP Haze NAME|FARCLIP NAME Haze"_s);
    EXPECT_EQ(text(u"haze"_s) + text(u"FOGCOLOR"_s) + saved(),
              u"fogcolor text!?<none>FARCLIP FOGCOLOR NAME"_s);
    clickRow(list(), 0);
    click("cmdDel"); // the first: the following row is selected, and shown
    EXPECT_EQ(fields(), u"Haze|fogcolor text!?"_s);
    click("cmdDel");
    EXPECT_EQ(rows() + u'|' + labels(), u"NAME|NAME"_s);
    click("cmdDel"); // the last: none is selected after it, and the fields are empty
    EXPECT_EQ(fields(), u"|"_s);
    click("cmdDel");
    EXPECT_EQ(rows() + labels(), QString());
    click("cmdAddDesc");
    QTest::keyClicks(w("txtDesc"), u"new"_s);
    QTest::keyClick(w("txtDesc"), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(saved() + u'=' + store.read(kite2, descs, u"NEW1"_s), u"NEW1=new"_s);
}

// An empty label or another's (any case) is red while typed ("farclip" passes "farcli"); however
// the edit ends, it goes back to the label the entry had when the edit began.
TEST_F(FrmOptionsTest, relabelEndingInvalid_goesBackToTheLabelItHadWhenTheEditBegan)
{
    const std::function<void()> ends[] = {
        [this] { QTest::keyClick(w("txtLabel"), Qt::Key_Tab); }, // the field is left
        [this] { clickRow(list(), 2); },                         // another row
        [this] { // OK, by its key: a mnemonic clicks its button a moment later
            QTest::keyClick(w("txtLabel"), Qt::Key_O, Qt::AltModifier);
            EXPECT_TRUE(QTest::qWaitFor([this] { return dialog->isHidden(); }));
        },
    };
    for (const QString& typed : {u"farclip"_s, QString(), u"Haze|name"_s}) {
        for (int end = 0; end < 3; ++end) {
            SCOPED_TRACE(typed.toStdString() + " ended by " + std::to_string(end));
            describe(u"FARCLIP FOGCOLOR NAME"_s); // OK saved the last run's order
            dialog->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
            clickRow(list(), 1);
            const QStringList edits = typed.split(u'|');
            const QString back = edits.size() > 1 ? edits.first() : u"FOGCOLOR"_s;
            if (edits.size() > 1) { // a valid label first: that edit ends there
                retype(w("txtLabel"), edits.first());
                QTest::keyClick(w("txtLabel"), Qt::Key_Tab);
                w("txtLabel")->setFocus();
            }
            retype(w("txtLabel"), edits.last());
            EXPECT_TRUE(marked());
            ends[end]();
            EXPECT_EQ(columnTexts(list()).value(1) + u'|' + text(back) + u'|'
                          + QString::number(descriptions.count()),
                      back + u"|fogcolor text|3"_s);
            if (end == 2) {
                EXPECT_EQ(store.read(kite2, descs, back), u"fogcolor text"_s)
                    << saved().toStdString();
            } else {
                EXPECT_EQ(list()->currentItem()->text(0) + u'|' + field("txtLabel"),
                          end == 0 ? back + u'|' + back : u"NAME|NAME"_s);
                EXPECT_EQ(w("txtLabel")->palette(), QPalette());
            }
        }
    }
}

TEST_F(FrmOptionsTest, defaults_inUseAtOnce_savedExactlyAndInOrderOnlyByOk)
{
    for (const bool ok : {false, true}) {
        describe(u"OLD NAME"_s);
        click("cmdDefaults");
        EXPECT_EQ(rows() + u'|' + field("txtDesc"),
                  builtIns + u"|The distance you can see things.");
        click(ok ? "cmdOK" : "cmdExit");
        EXPECT_TRUE(dialog->isHidden() && labels() == builtIns);
        EXPECT_EQ(saved() + u'|' + store.read(kite2, descs, u"NAME"_s),
                  ok ? builtIns + u"|The name of the track." : u"OLD NAME|name text"_s);
    }
}

// Longer than a field holds (32,767): shown shortened, read-only, never cut, saved whole.
TEST_F(FrmOptionsTest, longTexts_shownShortened_neverCutByTyping_savedWhole)
{
    const QString longText = u"abc "_s.repeated(10000) + u"end"_s, longLabel(40000, u'L');
    const QString fitting(30000, u'f');
    store.deleteSection(kite2, descs);
    for (const auto& [label, text] : {std::pair(u"MIRRORS"_s, longText), {longLabel, u"short"_s},
                                      {u"NAME"_s, fitting}})
        store.write(kite2, descs, label, text);
    restart();
    auto* rowsShown = qobject_cast<QStyledItemDelegate*>(list()->itemDelegate());
    ASSERT_NE(rowsShown, nullptr);
    const auto shown = [&](int row, int column) {
        return rowsShown->displayText(list()->model()->index(row, column).data(), QLocale());
    };
    EXPECT_TRUE(shortened(shown(0, 1), longText) && shortened(shown(1, 0), longLabel)
                && shortened(shown(2, 1), fitting));
    // Each field takes what it can hold whole; typing goes to the entry under the whole label.
    for (int row = 0; row < 3; ++row) {
        clickRow(list(), row);
        for (const char* name : {"txtLabel", "txtDesc"}) {
            auto* field = child<QLineEdit>(dialog.get(), QLatin1String(name));
            const bool tooLong = (row == 0 && name[3] == 'D') || (row == 1 && name[3] == 'L');
            EXPECT_EQ(field->isReadOnly(), tooLong) << row << name;
            QTest::keyClick(field, Qt::Key_End);
            QTest::keyClicks(field, u"!"_s);
        }
    }
    EXPECT_TRUE(shortened(shown(0, 1), longText) && field("txtDesc") == fitting + u'!');
    EXPECT_TRUE(labels() == longLabel + u" MIRRORS! NAME!"_s); // refiled last, in turn
    click("cmdOK");
    EXPECT_TRUE(store.read(kite2, descs, u"MIRRORS!"_s) == longText
                && store.read(kite2, descs, longLabel) == u"short!"_s
                && store.read(kite2, descs, u"NAME!"_s) == fitting + u'!');
}

// The close box only hides the dialog, which shows again as it was left.
TEST_F(FrmOptionsTest, renamingPage_extensionsAtOnce_theRestOnOk_closeBoxHidesSavingNothing)
{
    for (int stored = 0; stored < 4; ++stored) {
        const QString type = QString::number(stored & 1), temp = QString::number(stored >> 1);
        store.write(kite, u"Renaming"_s, u"Rename Type"_s, type);
        store.write(kite, u"Renaming"_s, u"Auto Temp Edit File"_s, temp);
        restart();
        EXPECT_EQ(QString::number(!checked("renameType0")) + QString::number(checked(
                      "chkAutoEditRename")), type + temp);
        click("cmdOK");
        EXPECT_EQ(renaming("Rename Type") + renaming("Auto Temp Edit File"), type + temp);
    }
    store.write(kite, u"Renaming"_s, u"Extentions"_s, u"taz;inf;TAZ"_s);
    store.write(kite, u"Renaming"_s, u"Rename Type"_s, u"0"_s);
    restart();
    clickRow(list(), 1);
    QTest::keyClicks(w("txtDesc"), u"?"_s);
    click("optSelFrames1");
    prompts.inputAnswers = {u"taz"_s, u".W"_s, QString()}; // again, as typed, cancelled
    for (int i = 0; i < 3; ++i)
        click("cmdAddRename");
    EXPECT_EQ(prompts.inputPrompts, QStringList(3, u"New extention?"_s));
    EXPECT_EQ(exts(), u"taz;inf;TAZ;taz;.W"_s);
    clickRow(extList(), 2); // the selected row goes, not the first that differs only in case
    click("cmdDelRename");
    EXPECT_EQ(exts() + u'|' + rename.trackExts.join(u';'), u"taz;inf;taz;.W|taz;inf;taz;.W"_s);
    click("renameType1");
    click("chkAutoEditRename");
    clickRow(extList(), 3);
    EXPECT_FALSE(closeBox(dialog.get()) || dialog->isVisible());
    EXPECT_EQ(std::tuple(rename.renameKind, rename.autoTempRename,
                         renaming("Extentions") + store.read(kite2, descs, u"FOGCOLOR"_s)),
              std::tuple(0, true, u"taz;inf;TAZfogcolor text"_s));
    dialog->show();
    EXPECT_TRUE(w("frames1")->isVisible() && w("frames0")->isHidden()
                && !checked("chkAutoEditRename") && extList()->currentRow() == 3);
    EXPECT_EQ(fields(), u"FOGCOLOR|fogcolor text?"_s);
    click("cmdOK");
    EXPECT_EQ(std::pair(rename.renameKind, rename.autoTempRename), std::pair(1, false));
    EXPECT_EQ(renaming("Extentions") + u'|' + renaming("Rename Type")
                  + renaming("Auto Temp Edit File"), u"taz;inf;taz;.W|10"_s);
    dialog->show();
    click("chkAutoEditRename");
    click("cmdDefaultsRename"); // the default list, and the stored choices again
    EXPECT_EQ(exts() + QString::number(checked("chkAutoEditRename")), defaultExts + u'0');
}

// Enter on a page button does not press OK; on a dark desktop a label marked red stays readable.
TEST_F(FrmOptionsTest, pageButtons_tabReachesBoth_spaceOrEnterShowsItsPage)
{
    const DarkDesktop dark;
    restart();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    w("cmdOK")->setFocus();
    EXPECT_EQ(tabOrder(u"cmdOK"_s), u"listviewDesc cmdAddDesc cmdDel txtLabel txtDesc "
                                    u"optSelFrames0 cmdExit cmdDefaults optSelFrames1 cmdOK"_s);
    QStringList shown;
    for (const auto& [button, key] : {std::pair("optSelFrames1", Qt::Key_Return),
                                      std::pair("optSelFrames0", Qt::Key_Enter),
                                      std::pair("optSelFrames1", Qt::Key_Space)}) {
        w(button)->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(w(button)->hasFocus()) << button; // not when Enter pressed OK and closed it
        QTest::keyClick(w(button), key);
        shown << QString::number(w("frames1")->isVisible()) + QString::number(dialog->isVisible());
    }
    EXPECT_EQ(shown.join(u' '), u"11 01 11"_s);
    click("optSelFrames0");
    clickRow(list(), 0);
    retype(w("txtLabel"), u"name"_s); // another's label: marked
    const QPalette marked = w("txtLabel")->palette();
    EXPECT_GE(contrast(marked.color(QPalette::Text), marked.color(QPalette::Base)), 4.5);
}

} // namespace
