// The editor window over temporary track folders, driven through its real controls: start-up
// and shutdown, picking folders in the real browser, every editor round trip, the attribute
// list, Save and New. Modal prompts are answered by ScriptedPrompts; the last tests show
// the real QtPrompts dialogs and answer them from a timer.
#include "QtPrinters.h"
#include "ScriptedPrompts.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"
#include "settings/SqliteStore.h"
#include "support/TempTrack.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QStringList toyTrackLines{
    QStringLiteral(";----------------------------"),
    QStringLiteral("; Tarvex .INF file structure"),
    QStringLiteral(";----------------------------"),
    QString(),
    QStringLiteral("NAME\t\t'Toy World by Ann'"),
    QStringLiteral("STARTPOS\t0 12 -340"),
    QStringLiteral("FARCLIP\t\t6000\t\t\t; how far you see"),
    QStringLiteral("FOGSTART\t4000"),
    QStringLiteral("FOGCOLOR\t64 96 160"),
    QStringLiteral("VERTFOGSTART\t-2000"),
    QStringLiteral("VERTFOGEND\t0"),
    QStringLiteral("WORLDRGBPER\t80"),
    QStringLiteral("MODELRGBPER\t70"),
    QStringLiteral("INSTANCERGBPER\t60"),
};

QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

class FrmMainTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(levels.isValid());
        oldCurrent = QDir::currentPath();
        root = QDir(levels.path()).canonicalPath();
        levelsFolder = levels.makeFolder(QStringLiteral("levels"));
        toytrack = makeTrack(QStringLiteral("levels/toytrack"), crlfLines(toyTrackLines));
        levels.writeFile(QStringLiteral("levels/toytrack/toytrack.taz"), "geometry");
        emptyFolder = levels.makeFolder(QStringLiteral("levels/emptyfolder"));
        elsewhere = levels.makeFolder(QStringLiteral("elsewhere"));
    }

    // <levels>/<relativeFolder>/<its name>.inf; returns the folder.
    QString makeTrack(const QString& relativeFolder, const QByteArray& bytes) const
    {
        const QString name = relativeFolder.section(QLatin1Char('/'), -1);
        levels.writeFile(relativeFolder + QLatin1Char('/') + name + QStringLiteral(".inf"), bytes);
        return levels.path() + QLatin1Char('/') + relativeFolder;
    }

    void TearDown() override
    {
        window.reset();
        QDir::setCurrent(oldCurrent);
    }

    // Starts the editor in `workingFolder` with `storedFolder` as the remembered folder.
    void start(const QString& storedFolder, const QString& workingFolder)
    {
        QDir::setCurrent(workingFolder);
        if (!storedFolder.isEmpty())
            store.write(QStringLiteral("Tarvex Kite"), QStringLiteral("Current"),
                        QStringLiteral("Folder"), storedFolder);
        window = std::make_unique<frmMain>(state, descriptions, rename, store, prompts);
        window->Form_Load();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void startOn(const QString& folder) { start(folder, elsewhere); }

    template <typename T>
    T* child(const char* name) const
    {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QSlider* slider(int index) const
    {
        return child<QSlider>(QByteArray("editSld" + QByteArray::number(index)).constData());
    }
    QLineEdit* numeric(int index) const
    {
        return child<QLineEdit>(QByteArray("editNumeric" + QByteArray::number(index)).constData());
    }
    QTreeWidget* list() const { return child<QTreeWidget>("listviewAttr"); }
    folderBox* browser() const { return child<folderBox>("fbMain"); }
    QString tag(const char* label) const { return edit::getTagValue(state, QLatin1String(label)); }
    // The Value column of the first row whose Label column is `label`.
    QString rowValue(const QString& label) const
    {
        const QList<QTreeWidgetItem*> rows = list()->findItems(label, Qt::MatchExactly, 1);
        return rows.isEmpty() ? QStringLiteral("<no row>") : rows.first()->text(0);
    }
    QStringList rowLabels() const
    {
        QStringList labels;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            labels.append(list()->topLevelItem(i)->text(1));
        return labels;
    }
    void showPage(int index)
    {
        QTest::mouseClick(
            child<QPushButton>(QByteArray("optFrames" + QByteArray::number(index)).constData()),
            Qt::LeftButton);
    }
    void clickFolder(const QString& name)
    {
        auto* view = browser()->findChild<QListView*>(QStringLiteral("objDir"));
        QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, 0);
            if (index.data().toString() == name) {
                view->scrollTo(index);
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                  view->visualRect(index).center());
                return;
            }
        }
        ADD_FAILURE() << "no folder row " << name.toStdString();
    }
    QTreeWidgetItem* rowItem(int row) const { return list()->topLevelItem(row); }
    void clickRow(int row)
    {
        QTreeWidget* view = list();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualItemRect(rowItem(row)).center());
    }
    // Double-clicks a row and waits for the timer to open the in-place editor.
    QLineEdit* startEditing(int row)
    {
        showPage(3);
        clickRow(row);
        QTreeWidget* view = list();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           view->visualItemRect(rowItem(row)).center());
        QLineEdit* editor = nullptr;
        const bool opened = QTest::qWaitFor([&] {
            editor = view->viewport()->findChild<QLineEdit*>();
            return editor && editor->isVisible();
        });
        return opened ? editor : nullptr;
    }
    // Enter ends the edit; the view stores the text once the key has been handled.
    void commit(QLineEdit* editor)
    {
        QPointer<QLineEdit> watched(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !watched || !watched->isVisible(); }));
        QCoreApplication::processEvents();
    }
    void typeInto(QWidget* field, const QString& text)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
    }

    TempLevels levels;
    QString oldCurrent;
    QString root;
    QString levelsFolder;
    QString toytrack;
    QString emptyFolder;
    QString elsewhere;

    settings::MemoryStore store;
    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;
    ScriptedPrompts prompts;
    std::unique_ptr<frmMain> window;
};

// ---- start-up and shutdown -------------------------------------------------------------

TEST_F(FrmMainTest, startUp_storedFolderWithInfoFile_loadsItsTrack)
{
    startOn(toytrack);

    EXPECT_EQ(browser()->Path(), QDir(toytrack).canonicalPath());
    EXPECT_EQ(browser()->selectedItem, browser()->Path());
    EXPECT_EQ(rowLabels(),
              (strings({"NAME", "STARTPOS", "FARCLIP", "FOGSTART", "FOGCOLOR", "VERTFOGSTART",
                        "VERTFOGEND", "WORLDRGBPER", "MODELRGBPER", "INSTANCERGBPER"})));
    EXPECT_EQ(rowValue(QStringLiteral("FARCLIP")), QStringLiteral("6000"));
    EXPECT_TRUE(child<QPushButton>("cmdSave")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdNew")->isEnabled());
    EXPECT_EQ(child<QLineEdit>("txtName")->text(), QStringLiteral("Toy World"));
    EXPECT_EQ(child<QLineEdit>("txtAuthor")->text(), QStringLiteral("Ann"));
    EXPECT_EQ(child<QLineEdit>("txtFolder")->text(), QStringLiteral("toytrack"));
    EXPECT_EQ(slider(0)->value(), 6000);
    EXPECT_EQ(slider(4)->value(), 60);
    EXPECT_EQ(numeric(0)->text(), QStringLiteral("-2000"));
    // Start-up puts the bare caption back after the load gave it numbers.
    EXPECT_EQ(child<QLabel>("lblfogcolor")->text(), QStringLiteral("Red:\nGreen:\nBlue:"));
    // The Label column is shown first.
    EXPECT_EQ(list()->header()->visualIndex(1), 0);
    EXPECT_EQ(list()->headerItem()->text(0), QStringLiteral("Value"));
    EXPECT_EQ(list()->headerItem()->text(1), QStringLiteral("Label"));
    // The options dialog exists, hidden, and belongs to the window.
    auto* options = window->findChild<frmOptions*>();
    ASSERT_NE(options, nullptr);
    EXPECT_FALSE(options->isVisible());
    EXPECT_TRUE(prompts.informationTexts.isEmpty());
    EXPECT_TRUE(prompts.retryTexts.isEmpty());
}

TEST_F(FrmMainTest, startUp_window_captionSizeIconAndFirstPage)
{
    startOn(toytrack);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tarvex Kite"));
    EXPECT_EQ(window->size(), QSize(625, 449));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const QImage icon = window->windowIcon().pixmap(32, 32).toImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_GT(icon.pixelColor(16, 16).alpha(), 0) << "the icon picture is missing";
    EXPECT_TRUE(child<QPushButton>("optFrames0")->isChecked());
    EXPECT_TRUE(child<QWidget>("frames0")->isVisible());
    for (const char* hidden : {"frames1", "frames2", "frames3"})
        EXPECT_FALSE(child<QWidget>(hidden)->isVisible()) << hidden;
}

TEST_F(FrmMainTest, startUp_noStoredFolder_loadsTheWorkingFolder)
{
    start(QString(), toytrack);
    EXPECT_EQ(browser()->Path(), QDir(toytrack).canonicalPath());
    EXPECT_EQ(list()->topLevelItemCount(), 10);
    EXPECT_TRUE(child<QPushButton>("cmdSave")->isEnabled());
}

TEST_F(FrmMainTest, startUp_folderWithoutInfoFile_enablesOnlyNew)
{
    startOn(emptyFolder);
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_FALSE(child<QPushButton>("cmdSave")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("cmdNew")->isEnabled());
    EXPECT_EQ(child<QLineEdit>("txtName")->text(), QString());
    EXPECT_TRUE(prompts.informationTexts.isEmpty());
}

TEST_F(FrmMainTest, startUp_storedFolderGone_cancelKeepsWorkingFolder)
{
    const QString gone = root + QStringLiteral("/levels/gone");
    prompts.retryAnswers = {false};
    start(gone, toytrack);

    ASSERT_EQ(prompts.retryTexts.size(), 1);
    EXPECT_TRUE(prompts.retryTexts.first().startsWith(QStringLiteral("Error accessing ") + gone
                                                      + QStringLiteral("\r\rError ")));
    EXPECT_EQ(browser()->Path(), QDir(toytrack).canonicalPath());
    EXPECT_EQ(browser()->selectedItem, browser()->Path());
    EXPECT_EQ(list()->topLevelItemCount(), 10);
}

TEST_F(FrmMainTest, startUp_storedFolderGone_retryAfterItIsBack_loadsIt)
{
    const QString back = root + QStringLiteral("/levels/back");
    prompts.retryAnswers = {true};
    prompts.onRetryPrompt = [&] {
        makeTrack(QStringLiteral("levels/back"), crlfLines({QStringLiteral("NAME Back Again")}));
    };
    start(back, emptyFolder);

    EXPECT_EQ(prompts.retryTexts.size(), 1);
    EXPECT_EQ(browser()->Path(), back);
    EXPECT_EQ(tag("name"), QStringLiteral("Back Again"));
    EXPECT_TRUE(child<QPushButton>("cmdSave")->isEnabled());
}

using CloseAction = std::function<void(frmMain&)>;

class FrmMainCloseTest : public FrmMainTest,
                         public ::testing::WithParamInterface<std::pair<const char*, CloseAction>>
{
};

// What is kept is the folder the browser has open, not the one picked inside it.
TEST_P(FrmMainCloseTest, closing_storesTheOpenFolder)
{
    startOn(levelsFolder);
    clickFolder(QStringLiteral("toytrack"));
    ASSERT_EQ(browser()->selectedItem, QDir(toytrack).canonicalPath());

    GetParam().second(*window);

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(store.read(QStringLiteral("Tarvex Kite"), QStringLiteral("Current"),
                         QStringLiteral("Folder")),
              QDir(levelsFolder).canonicalPath());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, FrmMainCloseTest,
    ::testing::Values(std::pair<const char*, CloseAction>{"closeBox",
                                                          [](frmMain& w) { w.close(); }},
                      std::pair<const char*, CloseAction>{"exitButton",
                                                          [](frmMain& w) {
                                                              QTest::mouseClick(
                                                                  w.findChild<QPushButton*>(
                                                                      QStringLiteral("cmdExit")),
                                                                  Qt::LeftButton);
                                                          }}),
    [](const auto& info) { return std::string(info.param.first); });

// ---- window furniture --------------------------------------------------------------------

TEST_F(FrmMainTest, about_showsFiveLinesTheFourthEmpty)
{
    startOn(toytrack);
    QTest::mouseClick(child<QPushButton>("cmdAbout"), Qt::LeftButton);
    ASSERT_EQ(prompts.informationTexts.size(), 1);
    const QStringList lines = prompts.informationTexts.first().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("Tarvex Kitework (Kite)"));
    EXPECT_FALSE(lines[1].isEmpty());
    EXPECT_FALSE(lines[2].isEmpty());
    EXPECT_TRUE(lines[3].isEmpty());
    EXPECT_EQ(lines[4], QStringLiteral("Version 2.0, Compiled December 30, 2001"));
}

TEST_F(FrmMainTest, pageButtons_showTheirPage_andPagesKeepTheirValues)
{
    startOn(toytrack);
    showPage(2);
    EXPECT_TRUE(child<QWidget>("frames2")->isVisible());
    EXPECT_FALSE(child<QWidget>("frames0")->isVisible());
    EXPECT_TRUE(child<QPushButton>("optFrames2")->isChecked());
    EXPECT_FALSE(child<QPushButton>("optFrames0")->isChecked());
    showPage(0);
    EXPECT_TRUE(child<QWidget>("frames0")->isVisible());
    EXPECT_FALSE(child<QWidget>("frames2")->isVisible());
    EXPECT_EQ(slider(0)->value(), 6000);
    EXPECT_EQ(child<QLineEdit>("txtName")->text(), QStringLiteral("Toy World"));

    // The keyboard reaches the pages through their mnemonics.
    // (a mnemonic presses its button with a short animation)
    QTest::keyClick(window.get(), Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return child<QWidget>("frames3")->isVisible(); }));
    QTest::keyClick(window.get(), Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return child<QWidget>("frames1")->isVisible(); }));
}

TEST_F(FrmMainTest, controls_tooltipsAndCaptions)
{
    startOn(toytrack);
    const QList<std::pair<const char*, QString>> toolTips{
        {"cmdSave", QStringLiteral("Save *.inf file and rename files if folder changed")},
        {"cmdNew", QStringLiteral("Create *.inf file if it doesn't already exist")},
        {"cmdOpt", QStringLiteral("Advanced Options")},
        {"cmdAbout", QStringLiteral("About")},
        {"cmdExit", QStringLiteral("Exit")},
        {"Label2",
         QStringLiteral("The author of the current track. Added to Name with a \" by \"")},
        {"Label4",
         QStringLiteral("The fplder the selected track is in. If changed files within "
                        "folder will be renamed.")},
    };
    for (const auto& [name, tip] : toolTips)
        EXPECT_EQ(child<QWidget>(name)->toolTip(), tip) << name;

    const QList<std::pair<const char*, const char*>> captions{
        {"cmdSave", "Save"},     {"cmdNew", "New *.inf"}, {"cmdOpt", "Options"},
        {"cmdAbout", "About"},   {"cmdExit", "Exit"},     {"optFrames0", "Name"},
        {"optFrames1", "Light"}, {"optFrames2", "Fog"},   {"optFrames3", "Attributes"}};
    for (const auto& [name, text] : captions) {
        auto* button = child<QPushButton>(name);
        EXPECT_EQ(button->text().remove(QLatin1Char('&')), QLatin1String(text)) << name;
        EXPECT_TRUE(button->text().contains(QLatin1Char('&'))) << name << " has no mnemonic";
    }
    const QList<std::pair<const char*, const char*>> labels{{"Label3", "Select track to edit -"},
                                                            {"infolabels0", "Name"},
                                                            {"Label2", "Author"},
                                                            {"Label4", "Folder"},
                                                            {"infolabels1", "Distance"},
                                                            {"infolabels2", "Fog Start"},
                                                            {"infolabels3", "Fog Color"},
                                                            {"infolabels4", "Vert Fog Start"},
                                                            {"infolabels5", "Vert Fog End"},
                                                            {"infolabels6", "World"},
                                                            {"infolabels7", "Model"},
                                                            {"infolabels8", "Instance"}};
    for (const auto& [name, text] : labels) {
        auto* label = child<QLabel>(name);
        EXPECT_EQ(label->text(), QLatin1String(text)) << name;
        // Captions are not clipped by their boxes, nor run under the control they name.
        const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(textWidth, label->width()) << name;
        if (const QWidget* buddy = label->buddy(); buddy && buddy->x() > label->x()) {
            EXPECT_LE(label->x() + textWidth, buddy->x()) << name;
        }
    }
}

TEST_F(FrmMainTest, layout_controlsSitWhereTheFormPutsThem)
{
    startOn(toytrack);
    // left, top, width, height in twips; 15 twips to the pixel.
    const QList<std::pair<const char*, QRect>> twips{
        {"Label3", {120, 120, 2535, 255}},        {"fbMain", {120, 480, 2655, 5535}},
        {"optFrames0", {2880, 60, 975, 375}},     {"optFrames3", {6120, 60, 975, 375}},
        {"frames2", {2880, 480, 6375, 5655}},     {"cmdSave", {120, 6240, 1215, 375}},
        {"cmdNew", {1440, 6240, 1215, 375}},      {"cmdOpt", {2760, 6240, 1215, 375}},
        {"cmdAbout", {6720, 6240, 1215, 375}},    {"cmdExit", {8040, 6240, 1215, 375}},
        {"txtName", {1080, 360, 4935, 315}},      {"txtFolder", {1080, 1560, 4935, 315}},
        {"editSld0", {1080, 330, 4935, 375}},     {"editSld4", {960, 1560, 5175, 375}},
        {"picFogColor", {1320, 1560, 615, 615}},  {"editNumeric1", {1320, 3090, 4575, 315}},
        {"listviewAttr", {240, 360, 5895, 4695}}, {"lblDesc", {240, 5085, 5895, 420}},
    };
    for (const auto& [name, rect] : twips) {
        const QRect pixels(rect.x() / 15, rect.y() / 15, rect.width() / 15, rect.height() / 15);
        EXPECT_EQ(child<QWidget>(name)->geometry(), pixels) << name;
    }
}

TEST_F(FrmMainTest, keyboard_tabVisitsControlsInOrder)
{
    startOn(toytrack);
    QList<QWidget*> order;
    QWidget* start = child<QWidget>("objDrive");
    QWidget* w = start;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order.append(w);
        w = w->nextInFocusChain();
    } while (w != start && order.size() < 100);
    QStringList names;
    for (QWidget* widget : order)
        if (!widget->objectName().isEmpty())
            names.append(widget->objectName());
    const QStringList expected = strings(
        {"objDrive", "objDir",    "optFrames0",  "optFrames1",   "optFrames2",   "optFrames3",
         "txtName",  "txtAuthor", "txtFolder",   "editSld2",     "editSld3",     "editSld4",
         "editSld0", "editSld1",  "picFogColor", "editNumeric0", "editNumeric1", "listviewAttr",
         "cmdSave",  "cmdNew",    "cmdOpt",      "cmdAbout",     "cmdExit"});
    QStringList relevant;
    for (const QString& name : names)
        if (expected.contains(name))
            relevant.append(name);
    EXPECT_EQ(relevant, expected);
}

TEST_F(FrmMainTest, lightPage_bracketsAreGreen)
{
    startOn(toytrack);
    showPage(1);
    const QImage light = child<QWidget>("frames1")->grab().toImage();
    // Under each slider: uprights at x = 4200 and 6000 twips, joined at the lower end.
    for (const int bottom : {840, 1440, 2040}) {
        EXPECT_EQ(light.pixelColor(4200 / 15, (bottom - 60) / 15), QColor(0, 255, 0)) << bottom;
        EXPECT_EQ(light.pixelColor(6000 / 15, (bottom - 60) / 15), QColor(0, 255, 0)) << bottom;
        EXPECT_EQ(light.pixelColor(5100 / 15, bottom / 15), QColor(0, 255, 0)) << bottom;
    }
    showPage(2);
    const QImage fog = child<QWidget>("frames2")->grab().toImage();
    EXPECT_EQ(fog.pixelColor(3800 / 15, 840 / 15), QColor(0, 255, 0));
    EXPECT_EQ(fog.pixelColor(3000 / 15, 1380 / 15), QColor(0, 255, 0));
    EXPECT_NE(fog.pixelColor(3800 / 15, 2040 / 15), QColor(0, 255, 0));
}

// ---- choosing a track ------------------------------------------------------------------

TEST_F(FrmMainTest, pickingFoldersInTheBrowser_loadsEachTrack)
{
    startOn(levelsFolder);
    EXPECT_FALSE(child<QPushButton>("cmdSave")->isEnabled());

    clickFolder(QStringLiteral("toytrack"));
    EXPECT_EQ(browser()->selectedItem, QDir(toytrack).canonicalPath());
    EXPECT_EQ(list()->topLevelItemCount(), 10);
    EXPECT_EQ(child<QLineEdit>("txtFolder")->text(), QStringLiteral("toytrack"));
    EXPECT_TRUE(child<QPushButton>("cmdSave")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdNew")->isEnabled());

    clickFolder(QStringLiteral("emptyfolder"));
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_EQ(slider(0)->value(), 0);
    EXPECT_EQ(child<QLineEdit>("txtFolder")->text(), QString());
    EXPECT_FALSE(child<QPushButton>("cmdSave")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("cmdNew")->isEnabled());
    EXPECT_TRUE(prompts.informationTexts.isEmpty());
}

// ---- name, author and numeric fields -------------------------------------------------

TEST_F(FrmMainTest, nameAndAuthor_everyKeystrokeStoresName)
{
    startOn(toytrack);
    auto* author = child<QLineEdit>("txtAuthor");
    typeInto(author, QString());
    EXPECT_EQ(tag("name"), QStringLiteral("Toy World"));

    QStringList stored;
    for (const QChar c : QStringLiteral("Bob")) {
        QTest::keyClicks(author, QString(c));
        stored.append(tag("name"));
    }
    EXPECT_EQ(stored, (strings({"Toy World by B", "Toy World by Bo", "Toy World by Bob"})));
    EXPECT_EQ(rowValue(QStringLiteral("NAME")), QStringLiteral("Toy World by Bob"));

    auto* name = child<QLineEdit>("txtName");
    name->setFocus();
    name->end(false);
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_EQ(tag("name"), QStringLiteral("Toy Worl by Bob"));
    // The folder name is no tag.
    typeInto(child<QLineEdit>("txtFolder"), QStringLiteral("renamed"));
    EXPECT_EQ(tag("name"), QStringLiteral("Toy Worl by Bob"));
    EXPECT_EQ(rowLabels().size(), 10);
}

TEST_F(FrmMainTest, numericField_redWhileNotNumeric_storesOnlyNumbers)
{
    startOn(toytrack);
    QLineEdit* field = numeric(0);
    const QColor normal = QApplication::palette().color(QPalette::ButtonText);
    const QColor red(255, 0, 0);

    typeInto(field, QString());
    EXPECT_EQ(field->palette().color(QPalette::Text), red);
    EXPECT_EQ(tag("vertfogstart"), QStringLiteral("-2000"));

    struct Step
    {
        char key;
        const char* stored;
        bool isRed;
    };
    for (const Step& step :
         {Step{'-', "-2000", true}, Step{'2', "-2", false}, Step{'0', "-20", false},
          Step{'x', "-20", true}, Step{'\b', "-20", false}}) {
        if (step.key == '\b')
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClick(field, step.key);
        EXPECT_EQ(tag("vertfogstart"), QLatin1String(step.stored)) << step.key;
        EXPECT_EQ(field->palette().color(QPalette::Text), step.isRed ? red : normal) << step.key;
    }
    EXPECT_EQ(rowValue(QStringLiteral("VERTFOGSTART")), QStringLiteral("-20"));

    typeInto(numeric(1), QStringLiteral("1.5e2"));
    EXPECT_EQ(tag("vertfogend"), QStringLiteral("1.5e2"));

    // Loading another track leaves a red field red until the user types into it again.
    typeInto(field, QStringLiteral("abc"));
    clickFolder(QStringLiteral("toytrack"));
    EXPECT_EQ(field->palette().color(QPalette::Text), red);
}

// ---- sliders ---------------------------------------------------------------------------

struct SliderCase
{
    int index;
    const char* tag;
    int minimum, maximum, tickInterval;
};

class FrmMainSliderTest : public FrmMainTest, public ::testing::WithParamInterface<SliderCase>
{
protected:
    void expectStored(int before)
    {
        QSlider* s = slider(GetParam().index);
        EXPECT_NE(s->value(), before);
        EXPECT_EQ(tag(GetParam().tag), QString::number(s->value()));
        EXPECT_EQ(rowValue(QLatin1String(GetParam().tag).toString().toUpper()),
                  QString::number(s->value()));
    }
    void showSliderPage() { showPage(GetParam().index < 2 ? 2 : 1); }
    static QRect sliderPart(QSlider* s, QStyle::SubControl part)
    {
        QStyleOptionSlider option;
        option.initFrom(s);
        option.orientation = s->orientation();
        option.minimum = s->minimum();
        option.maximum = s->maximum();
        option.sliderPosition = s->sliderPosition();
        option.sliderValue = s->value();
        option.tickPosition = s->tickPosition();
        option.tickInterval = s->tickInterval();
        option.subControls = QStyle::SC_All;
        return s->style()->subControlRect(QStyle::CC_Slider, &option, part, s);
    }
};

TEST_P(FrmMainSliderTest, slider_rangeAndSteps)
{
    startOn(toytrack);
    QSlider* s = slider(GetParam().index);
    EXPECT_EQ(s->minimum(), GetParam().minimum);
    EXPECT_EQ(s->maximum(), GetParam().maximum);
    EXPECT_EQ(s->tickInterval(), GetParam().tickInterval);
    EXPECT_EQ(s->pageStep(), 5);
    EXPECT_EQ(s->singleStep(), 1);
}

TEST_P(FrmMainSliderTest, slider_keyboard_storesEveryChange)
{
    startOn(toytrack);
    showSliderPage();
    QSlider* s = slider(GetParam().index);
    s->setFocus();
    int before = s->value();
    QTest::keyClick(s, Qt::Key_Right);
    EXPECT_EQ(s->value(), before + 1);
    expectStored(before);
    before = s->value();
    QTest::keyClick(s, Qt::Key_PageDown);
    expectStored(before);
    before = s->value();
    QTest::keyClick(s, Qt::Key_Home);
    EXPECT_EQ(s->value(), GetParam().minimum);
    expectStored(before);
}

TEST_P(FrmMainSliderTest, slider_mouseDrag_storesThePosition)
{
    startOn(toytrack);
    showSliderPage();
    QSlider* s = slider(GetParam().index);
    const int before = s->value();
    const QRect handle = sliderPart(s, QStyle::SC_SliderHandle);
    QTest::mousePress(s, Qt::LeftButton, {}, handle.center());
    QTest::mouseMove(s, QPoint(s->width() / 4, handle.center().y()));
    QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(s->width() / 4, handle.center().y()));
    expectStored(before);
}

TEST_P(FrmMainSliderTest, slider_mouseClickOnGroove_andWheel_store)
{
    startOn(toytrack);
    showSliderPage();
    QSlider* s = slider(GetParam().index);
    int before = s->value();
    const QRect groove = sliderPart(s, QStyle::SC_SliderGroove);
    QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(groove.right() - 2, groove.center().y()));
    {
        SCOPED_TRACE("click on the groove");
        expectStored(before);
    }

    before = s->value();
    const QPoint centre = s->rect().center();
    QWheelEvent wheel(centre, s->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(s, &wheel);
    SCOPED_TRACE("wheel");
    expectStored(before);
}

INSTANTIATE_TEST_SUITE_P(Sliders, FrmMainSliderTest,
                         ::testing::Values(SliderCase{0, "farclip", 0, 20000, 2000},
                                           SliderCase{1, "fogstart", 0, 20000, 2000},
                                           SliderCase{2, "worldrgbper", 0, 100, 10},
                                           SliderCase{3, "modelrgbper", 0, 100, 10},
                                           SliderCase{4, "instancergbper", 0, 100, 10}),
                         [](const auto& info) { return std::string(info.param.tag); });

TEST_F(FrmMainTest, slider_tagMissingFromFile_changesNothing)
{
    makeTrack(QStringLiteral("levels/bare"), crlfLines({QStringLiteral("NAME Bare")}));
    startOn(root + QStringLiteral("/levels/bare"));
    showPage(2);
    QSlider* s = slider(0);
    s->setFocus();
    QTest::keyClick(s, Qt::Key_PageUp);
    EXPECT_EQ(s->value(), 5);
    EXPECT_EQ(state.tagList.count(), 1);
    EXPECT_EQ(rowLabels(), QStringList{QStringLiteral("NAME")});
}

// ---- fog colour ----------------------------------------------------------------------------

TEST_F(FrmMainTest, fogColour_chosenColourIsStoredWithTrailingSpace)
{
    startOn(toytrack);
    showPage(2);
    prompts.colourAnswers = {QColor(0, 0, 255)};
    QTest::mouseClick(child<QWidget>("picFogColor"), Qt::LeftButton);

    ASSERT_EQ(prompts.colourDialogInitials.size(), 1);
    EXPECT_EQ(prompts.colourDialogInitials.first(), QColor(64, 96, 160));
    EXPECT_EQ(tag("fogcolor"), QStringLiteral("0 0 255 "));
    EXPECT_EQ(rowValue(QStringLiteral("FOGCOLOR")), QStringLiteral("0 0 255 "));
    EXPECT_EQ(child<QLabel>("lblfogcolor")->text(), QStringLiteral("Red: 0\nGreen: 0\nBlue: 255"));
    const QImage swatch = child<QWidget>("picFogColor")->grab().toImage();
    EXPECT_EQ(swatch.pixelColor(swatch.rect().center()), QColor(0, 0, 255));
}

TEST_F(FrmMainTest, fogColour_cancelledDialog_rewritesTheOpenedColour)
{
    startOn(toytrack);
    showPage(2);
    child<QWidget>("picFogColor")->setFocus();
    QTest::keyClick(child<QWidget>("picFogColor"), Qt::Key_Space); // keyboard reaches it too
    EXPECT_EQ(prompts.colourDialogInitials.size(), 1);
    EXPECT_EQ(tag("fogcolor"), QStringLiteral("64 96 160 "));
    EXPECT_EQ(child<QLabel>("lblfogcolor")->text(),
              QStringLiteral("Red: 64\nGreen: 96\nBlue: 160"));
}

TEST_F(FrmMainTest, fogColour_unreadableValue_dialogOpensButAnswerIsIgnored)
{
    makeTrack(QStringLiteral("levels/badfog"),
              crlfLines({QStringLiteral("FOGCOLOR 64 64"), QStringLiteral("FARCLIP 10")}));
    startOn(root + QStringLiteral("/levels/badfog"));
    showPage(2);
    const QString captionBefore = child<QLabel>("lblfogcolor")->text();
    const QImage before = child<QWidget>("picFogColor")->grab().toImage();
    prompts.colourAnswers = {QColor(255, 0, 0)};
    QTest::mouseClick(child<QWidget>("picFogColor"), Qt::LeftButton);

    EXPECT_EQ(prompts.colourDialogInitials.size(), 1);
    EXPECT_EQ(tag("fogcolor"), QStringLiteral("64 64"));
    EXPECT_EQ(child<QLabel>("lblfogcolor")->text(), captionBefore);
    EXPECT_EQ(child<QWidget>("picFogColor")->grab().toImage(), before);
}

// ---- attribute list --------------------------------------------------------------------

TEST_F(FrmMainTest, attributeList_clickShowsDescriptionFromTheStore)
{
    store.write(QStringLiteral("Tarvex Kite2"), QStringLiteral("Descriptions"),
                QStringLiteral("FARCLIP"), QStringLiteral("How far things are visible"));
    makeTrack(QStringLiteral("levels/cases"),
              crlfLines({QStringLiteral("farclip 100"), QStringLiteral("MIRRORS 0 1 0 256")}));
    startOn(root + QStringLiteral("/levels/cases"));
    showPage(3);
    auto* description = child<QLabel>("lblDesc");
    EXPECT_EQ(rowLabels(), (strings({"farclip", "MIRRORS"})));
    EXPECT_TRUE(description->text().isEmpty());

    clickRow(1); // no description: nothing is shown
    EXPECT_TRUE(description->text().isEmpty());
    QTest::keyClick(list(), Qt::Key_Up); // the keyboard shows descriptions too
    EXPECT_EQ(description->text(), QStringLiteral("FARCLIP: How far things are visible"));
    description->clear();
    clickRow(0);
    EXPECT_EQ(description->text(), QStringLiteral("FARCLIP: How far things are visible"));
    clickRow(1); // no description: the previous one stays
    EXPECT_EQ(description->text(), QStringLiteral("FARCLIP: How far things are visible"));
    EXPECT_TRUE(description->wordWrap());
    EXPECT_TRUE(list()->font().bold());
    // The pale background picture is behind the rows.
    const QBrush background = list()->palette().brush(QPalette::Base);
    EXPECT_EQ(background.texture().size(), QSize(241, 241));
    EXPECT_GT(background.texture().toImage().pixelColor(5, 5).lightness(), 230);
    EXPECT_DOUBLE_EQ(list()->font().pointSizeF(), 8.25);
}

TEST_F(FrmMainTest, attributeList_inPlaceEdit_committedReachesTagAndEditors)
{
    startOn(toytrack);
    QLineEdit* editor = startEditing(2); // FARCLIP
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("9000"));
    commit(editor);

    EXPECT_EQ(tag("farclip"), QStringLiteral("9000"));
    EXPECT_EQ(slider(0)->value(), 9000);
    EXPECT_EQ(rowItem(2)->text(0), QStringLiteral("9000"));
    EXPECT_EQ(rowItem(2)->text(1), QStringLiteral("FARCLIP"));

    // Typed text is stored as it is, spaces and all; the editors show what they can.
    editor = startEditing(0); // NAME
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("Toy Track by Someone "));
    commit(editor);
    EXPECT_EQ(tag("name"), QStringLiteral("Toy Track by Someone "));
    EXPECT_EQ(child<QLineEdit>("txtName")->text(), QStringLiteral("Toy Track"));
    EXPECT_EQ(child<QLineEdit>("txtAuthor")->text(), QStringLiteral("Someone "));
}

TEST_F(FrmMainTest, attributeList_inPlaceEdit_escapeLeavesTagUnchanged)
{
    startOn(toytrack);
    QLineEdit* editor = startEditing(3); // FOGSTART
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("abc"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QTest::qWait(10);

    EXPECT_EQ(tag("fogstart"), QStringLiteral("4000"));
    EXPECT_EQ(rowItem(3)->text(0), QStringLiteral("4000"));
    EXPECT_EQ(slider(1)->value(), 4000);
}

TEST_F(FrmMainTest, attributeList_doubleClickOnEmptySpace_editsTheSelectedRowOnly)
{
    startOn(toytrack);
    showPage(3);
    QTreeWidget* view = list();
    const QPoint belowRows(20, view->viewport()->height() - 5);
    ASSERT_EQ(view->itemAt(belowRows), nullptr);

    // A current row that is not selected is not edited.
    view->selectionModel()->setCurrentIndex(view->model()->index(1, 0), QItemSelectionModel::Clear);
    ASSERT_TRUE(view->selectedItems().isEmpty());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, belowRows);
    QTest::qWait(20);
    EXPECT_EQ(view->viewport()->findChild<QLineEdit*>(), nullptr);

    // With a selected row, a double-click below the rows edits that row.
    clickRow(4);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, belowRows);
    QLineEdit* editor = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        editor = view->viewport()->findChild<QLineEdit*>();
        return editor && editor->isVisible();
    }));
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("1 2 3"));
    commit(editor);
    EXPECT_EQ(tag("fogcolor"), QStringLiteral("1 2 3"));
}

TEST_F(FrmMainTest, attributeList_repeatedLabels_eachRowEditsItsOwnLine)
{
    makeTrack(QStringLiteral("levels/twice"),
              crlfLines({QStringLiteral("STARTPOS 1 1 1"), QStringLiteral("FARCLIP 10"),
                         QStringLiteral("STARTPOS 2 2 2")}));
    startOn(root + QStringLiteral("/levels/twice"));
    ASSERT_EQ(list()->topLevelItemCount(), 3);

    QLineEdit* editor = startEditing(2);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("9 9 9"));
    commit(editor);

    EXPECT_EQ(state.tagList.at(0).tagValue, QStringLiteral("1 1 1"));
    EXPECT_EQ(state.tagList.at(2).tagValue, QStringLiteral("9 9 9"));
    EXPECT_EQ(rowItem(0)->text(0), QStringLiteral("1 1 1"));
    EXPECT_EQ(rowItem(2)->text(0), QStringLiteral("9 9 9"));

    editor = startEditing(0);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("0 0 0"));
    commit(editor);
    EXPECT_EQ(state.tagList.at(0).tagValue, QStringLiteral("0 0 0"));
    EXPECT_EQ(state.tagList.at(2).tagValue, QStringLiteral("9 9 9"));
}

TEST_F(FrmMainTest, attributeList_f2StartsTheSameEdit)
{
    startOn(toytrack);
    showPage(3);
    clickRow(1);
    QTest::keyClick(list(), Qt::Key_F2);
    auto* editor = list()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("5 5 5"));
    commit(editor);
    EXPECT_EQ(tag("startpos"), QStringLiteral("5 5 5"));
}

// ---- Save and New ----------------------------------------------------------------------

TEST_F(FrmMainTest, endToEnd_pickMoveSliderRenameSave)
{
    startOn(levelsFolder);
    clickFolder(QStringLiteral("toytrack"));
    showPage(2);
    QSlider* distance = slider(0);
    distance->setFocus();
    QTest::keyClick(distance, Qt::Key_PageUp);
    ASSERT_EQ(tag("farclip"), QStringLiteral("6005"));
    showPage(0);
    typeInto(child<QLineEdit>("txtFolder"), QStringLiteral("mytrack"));
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);

    const QString levelsPath = QDir(levelsFolder).canonicalPath();
    const QString newFolder = levelsPath + QStringLiteral("/mytrack");
    ASSERT_EQ(prompts.informationTexts.size(), 1);
    const QString message = prompts.informationTexts.first();
    EXPECT_TRUE(message.startsWith(QStringLiteral("Saved changes to '") + newFolder
                                   + QStringLiteral("/mytrack.inf'")))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("No Errors Encountered"))) << message.toStdString();

    EXPECT_FALSE(QFileInfo::exists(toytrack));
    const QByteArray written = TempLevels::readAll(newFolder + QStringLiteral("/mytrack.inf"));
    EXPECT_TRUE(written.contains("FARCLIP\t\t6005")) << written.toStdString();
    EXPECT_TRUE(written.startsWith(";----------------------------\r\n"));
    EXPECT_EQ(browser()->selectedItem, newFolder);
    EXPECT_EQ(child<QLineEdit>("txtFolder")->text(), QStringLiteral("mytrack"));
    EXPECT_EQ(tag("farclip"), QStringLiteral("6005"));
    EXPECT_TRUE(child<QPushButton>("cmdSave")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdNew")->isEnabled());
}

TEST_F(FrmMainTest, save_unchangedFolderName_reportsTheFile)
{
    startOn(toytrack);
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    const QString path = QDir(toytrack).canonicalPath();
    ASSERT_EQ(prompts.informationTexts.size(), 1);
    EXPECT_EQ(prompts.informationTexts.first(),
              QStringLiteral("Saved changes to '") + path + QStringLiteral("/toytrack.inf'\r\n\r\n")
                  + QStringLiteral("No Errors Encountered"));
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral("/toytrack.taz")));
}

TEST_F(FrmMainTest, new_createsTheFile_loadsIt_andSwitchesTheButtons)
{
    startOn(emptyFolder);
    QTest::mouseClick(child<QPushButton>("cmdNew"), Qt::LeftButton);

    EXPECT_TRUE(QFileInfo::exists(emptyFolder + QStringLiteral("/emptyfolder.inf")));
    EXPECT_EQ(list()->topLevelItemCount(), 12);
    EXPECT_TRUE(child<QPushButton>("cmdSave")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdNew")->isEnabled());
    EXPECT_TRUE(prompts.informationTexts.isEmpty());
}

TEST_F(FrmMainTest, new_folderGone_reportsAndKeepsRunning)
{
    startOn(levelsFolder);
    clickFolder(QStringLiteral("emptyfolder"));
    QDir::setCurrent(root);
    ASSERT_TRUE(QDir(emptyFolder).removeRecursively());
    QTest::mouseClick(child<QPushButton>("cmdNew"), Qt::LeftButton);

    ASSERT_EQ(prompts.informationTexts.size(), 1);
    EXPECT_FALSE(prompts.informationTexts.first().isEmpty());
    EXPECT_FALSE(child<QPushButton>("cmdSave")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("cmdNew")->isEnabled());
}

// ---- the real prompts --------------------------------------------------------------------

class QtPromptsTest : public ::testing::Test
{
protected:
    // Runs `answer` on the modal dialog as soon as it is shown.
    template <typename Dialog>
    void whenShown(std::function<void(Dialog*)> answer)
    {
        auto* poll = new QTimer(qApp);
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, poll, [this, answer, poll] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                seenTitle = dialog->windowTitle();
                answer(dialog);
            }
        });
        poll->start();
    }

    QtPrompts prompts;
    QString seenTitle;
};

TEST_F(QtPromptsTest, retryOrCancel_realMessageBox)
{
    QString shownText;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        shownText = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Retry | QMessageBox::Cancel);
        box->button(QMessageBox::Retry)->click();
    });
    EXPECT_TRUE(
        prompts.retryOrCancel(nullptr, QStringLiteral("Error accessing /x\r\rError 2\rNo such")));
    EXPECT_EQ(seenTitle, QStringLiteral("Tarvex Kite"));
    EXPECT_EQ(shownText, QStringLiteral("Error accessing /x\n\nError 2\nNo such"));

    whenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Cancel)->click(); });
    EXPECT_FALSE(prompts.retryOrCancel(nullptr, QStringLiteral("again")));
    whenShown<QMessageBox>([](QMessageBox* box) { box->close(); });
    EXPECT_FALSE(prompts.retryOrCancel(nullptr, QStringLiteral("closed")));
}

TEST_F(QtPromptsTest, information_realMessageBox)
{
    QString shownText;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        shownText = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    prompts.information(nullptr, QStringLiteral("Saved\rRenamed\r\n\r\nNo Errors Encountered"));
    EXPECT_EQ(seenTitle, QStringLiteral("Tarvex Kite"));
    EXPECT_EQ(shownText, QStringLiteral("Saved\nRenamed\n\nNo Errors Encountered"));
}

TEST_F(QtPromptsTest, chooseColour_cancelReturnsInitial_acceptReturnsChoice)
{
    whenShown<QColorDialog>([](QColorDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(prompts.chooseColour(nullptr, QColor(1, 2, 3)), QColor(1, 2, 3));

    whenShown<QColorDialog>([](QColorDialog* dialog) {
        EXPECT_EQ(dialog->currentColor(), QColor(1, 2, 3));
        dialog->setCurrentColor(QColor(0, 0, 255));
        dialog->accept();
    });
    EXPECT_EQ(prompts.chooseColour(nullptr, QColor(1, 2, 3)), QColor(0, 0, 255));
}

TEST_F(QtPromptsTest, inputText_titledAndCancelGivesEmpty)
{
    whenShown<QInputDialog>([](QInputDialog* dialog) {
        dialog->setTextValue(QStringLiteral("wav"));
        dialog->accept();
    });
    EXPECT_EQ(prompts.inputText(nullptr, QStringLiteral("Extension?")), QStringLiteral("wav"));
    EXPECT_EQ(seenTitle, QStringLiteral("Tarvex Kite"));
    whenShown<QInputDialog>([](QInputDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(prompts.inputText(nullptr, QStringLiteral("Extension?")), QString());
}

} // namespace
