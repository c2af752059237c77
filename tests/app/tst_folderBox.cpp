// The folder browser over real temporary folders: what the directory list shows, what a
// click, a keyboard move, a double-click and Enter do, writing Path (with the Retry/Cancel
// prompt), changing the volume, and Refresh.
#include "QtPrinters.h"
#include "ScriptedPrompts.h"
#include "app/folderBox.h"
#include "support/TempTrack.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>

#include <unistd.h>

namespace {

class FolderBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(levels.isValid());
        oldCurrent = QDir::currentPath();
        root = QDir(levels.path()).canonicalPath();
    }
    void TearDown() override { QDir::setCurrent(oldCurrent); }

    // A browser opened on `folder` (through the working folder it starts in), shown so
    // that mouse clicks reach its rows.
    std::unique_ptr<folderBox> openOn(const QString& folder, folderBox::VolumeLister volumes = {})
    {
        QDir::setCurrent(folder);
        auto box = volumes ? std::make_unique<folderBox>(prompts, nullptr, volumes)
                           : std::make_unique<folderBox>(prompts, nullptr);
        box->resize(177, 369);
        box->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        return box;
    }

    static QListView* dirList(folderBox& box)
    {
        return box.findChild<QListView*>(QStringLiteral("objDir"));
    }
    static QComboBox* driveList(folderBox& box)
    {
        return box.findChild<QComboBox*>(QStringLiteral("objDrive"));
    }
    static QStringList rowTexts(folderBox& box)
    {
        QStringList texts;
        const QAbstractItemModel* model = dirList(box)->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, 0).data().toString());
        return texts;
    }
    static QString rowPath(folderBox& box, int row)
    {
        return dirList(box)->model()->index(row, 0).data(Qt::UserRole).toString();
    }
    static int rowOf(folderBox& box, const QString& text)
    {
        return int(rowTexts(box).indexOf(text));
    }
    static void clickRow(folderBox& box, int row)
    {
        QListView* view = dirList(box);
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    static void doubleClickRow(folderBox& box, int row)
    {
        QListView* view = dirList(box);
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        // A double-click as the window system delivers it: press, release, double-click, release.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }

    TempLevels levels;
    QString root;
    QString oldCurrent;
    ScriptedPrompts prompts;
};

TEST_F(FolderBoxTest, opensWorkingFolder_listsChainThenSortedVisibleSubfolders)
{
    const QString open = levels.makeFolder(QStringLiteral("levels"));
    for (const char* name : {"beta", "Alpha", "gamma", ".hidden", "a\\b"})
        QDir(open).mkdir(QLatin1String(name));
    levels.writeFile(QStringLiteral("levels/notAFolder.txt"), "x");

    auto box = openOn(open);
    const QString canonical = QDir(open).canonicalPath();
    EXPECT_EQ(box->Path(), canonical);
    EXPECT_TRUE(box->selectedItem.isEmpty());
    EXPECT_EQ(box->Drive(), QStringLiteral("/"));

    // The chain from "/" down to the open folder, one row per folder, then its subfolders
    // in name order ignoring case; hidden folders and files are not listed.
    const QStringList chain = canonical.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList expected{QStringLiteral("/")};
    expected += chain;
    expected += QStringList{QStringLiteral("a\\b"), QStringLiteral("Alpha"), QStringLiteral("beta"),
                            QStringLiteral("gamma")};
    EXPECT_EQ(rowTexts(*box), expected);
    EXPECT_EQ(rowPath(*box, 0), QStringLiteral("/"));
    EXPECT_EQ(rowPath(*box, int(chain.size())), canonical);
    EXPECT_EQ(rowPath(*box, rowOf(*box, QStringLiteral("a\\b"))),
              canonical + QStringLiteral("/a\\b"));
    // The open folder's row is the highlighted one.
    EXPECT_EQ(dirList(*box)->currentIndex().row(), int(chain.size()));
}

TEST_F(FolderBoxTest, clickOnSubfolder_picksItWithoutOpeningIt)
{
    const QString open = levels.makeFolder(QStringLiteral("levels"));
    levels.makeFolder(QStringLiteral("levels/toytrack"));
    auto box = openOn(open);
    QSignalSpy changes(box.get(), &folderBox::pathChange);

    QString pickedDuringSignal;
    QObject::connect(box.get(), &folderBox::pathChange, box.get(),
                     [&] { pickedDuringSignal = box->selectedItem; });
    clickRow(*box, rowOf(*box, QStringLiteral("toytrack")));

    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(pickedDuringSignal, root + QStringLiteral("/levels/toytrack"));
    EXPECT_EQ(box->selectedItem, root + QStringLiteral("/levels/toytrack"));
    EXPECT_EQ(box->Path(), root + QStringLiteral("/levels"));
}

TEST_F(FolderBoxTest, clickOnHighlightedOpenFolder_picksTheOpenFolder)
{
    const QString open = levels.makeFolder(QStringLiteral("levels"));
    levels.makeFolder(QStringLiteral("levels/toytrack"));
    auto box = openOn(open);
    QSignalSpy changes(box.get(), &folderBox::pathChange);

    clickRow(*box, rowOf(*box, QStringLiteral("levels")));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(box->selectedItem, box->Path());

    // A second click on the same, already highlighted row is a second pick.
    clickRow(*box, rowOf(*box, QStringLiteral("levels")));
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(FolderBoxTest, clickOnAncestor_picksTheAncestor)
{
    const QString open = levels.makeFolder(QStringLiteral("levels/inner"));
    auto box = openOn(open);
    QSignalSpy changes(box.get(), &folderBox::pathChange);
    clickRow(*box, rowOf(*box, QStringLiteral("levels")));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(box->selectedItem, root + QStringLiteral("/levels"));
    EXPECT_EQ(box->Path(), root + QStringLiteral("/levels/inner"));
}

TEST_F(FolderBoxTest, keyboardMovesHighlight_eachMoveIsAPick)
{
    const QString open = levels.makeFolder(QStringLiteral("levels"));
    levels.makeFolder(QStringLiteral("levels/a"));
    levels.makeFolder(QStringLiteral("levels/b"));
    auto box = openOn(open);
    QSignalSpy changes(box.get(), &folderBox::pathChange);
    dirList(*box)->setFocus();

    QTest::keyClick(dirList(*box), Qt::Key_Down);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(box->selectedItem, root + QStringLiteral("/levels/a"));
    QTest::keyClick(dirList(*box), Qt::Key_Down);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(box->selectedItem, root + QStringLiteral("/levels/b"));
    QTest::keyClick(dirList(*box), Qt::Key_Up);
    EXPECT_EQ(box->selectedItem, root + QStringLiteral("/levels/a"));
    EXPECT_EQ(box->Path(), root + QStringLiteral("/levels"));

    // Enter opens the highlighted folder and raises nothing more.
    QTest::keyClick(dirList(*box), Qt::Key_Return);
    EXPECT_EQ(box->Path(), root + QStringLiteral("/levels/a"));
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(FolderBoxTest, doubleClick_opensFolder_andPicksItOnce)
{
    const QString open = levels.makeFolder(QStringLiteral("levels"));
    levels.makeFolder(QStringLiteral("levels/toytrack/sub"));
    auto box = openOn(open);
    QSignalSpy changes(box.get(), &folderBox::pathChange);

    doubleClickRow(*box, rowOf(*box, QStringLiteral("toytrack")));

    EXPECT_EQ(box->Path(), root + QStringLiteral("/levels/toytrack"));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(box->selectedItem, root + QStringLiteral("/levels/toytrack"));
    EXPECT_TRUE(rowTexts(*box).endsWith(QStringLiteral("sub")));
    EXPECT_EQ(dirList(*box)->currentIndex().data().toString(), QStringLiteral("toytrack"));
    EXPECT_TRUE(prompts.retryTexts.isEmpty());
}

TEST_F(FolderBoxTest, writePath_existingFolder_opensQuietly)
{
    const QString first = levels.makeFolder(QStringLiteral("first"));
    const QString second = levels.makeFolder(QStringLiteral("second/deeper"));
    auto box = openOn(first);
    box->selectedItem = QStringLiteral("/keep/me");
    QSignalSpy changes(box.get(), &folderBox::pathChange);

    EXPECT_TRUE(box->setPath(second + QStringLiteral("//")));
    EXPECT_EQ(box->Path(), root + QStringLiteral("/second/deeper"));
    EXPECT_EQ(box->selectedItem, QStringLiteral("/keep/me"));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(prompts.retryTexts.isEmpty());
    EXPECT_EQ(dirList(*box)->currentIndex().data().toString(), QStringLiteral("deeper"));

    // A relative path is taken from the working folder.
    QDir::setCurrent(root);
    EXPECT_TRUE(box->setPath(QStringLiteral("first")));
    EXPECT_EQ(box->Path(), root + QStringLiteral("/first"));
}

struct FailingPath
{
    const char* name;
    int error;
};

class FolderBoxFailureTest : public FolderBoxTest, public ::testing::WithParamInterface<FailingPath>
{
};

TEST_P(FolderBoxFailureTest, writePath_unopenableFolder_cancelKeepsOldFolderAndDrive)
{
    const QString first = levels.makeFolder(QStringLiteral("first"));
    levels.writeFile(QStringLiteral("aFile"), "not a folder");
    auto box = openOn(first);
    const QString oldPath = box->Path();
    const QString oldDrive = box->Drive();
    const QStringList oldRows = rowTexts(*box);
    QSignalSpy changes(box.get(), &folderBox::pathChange);

    const QString target = root + QLatin1Char('/') + QLatin1String(GetParam().name);
    prompts.retryAnswers = {false};
    EXPECT_FALSE(box->setPath(target));

    ASSERT_EQ(prompts.retryTexts.size(), 1);
    EXPECT_EQ(prompts.retryTexts.first(),
              QStringLiteral("Error accessing ") + target + QStringLiteral("\r\rError ")
                  + QString::number(GetParam().error) + QLatin1Char('\r')
                  + qt_error_string(GetParam().error));
    EXPECT_EQ(box->Path(), oldPath);
    EXPECT_EQ(box->Drive(), oldDrive);
    EXPECT_EQ(rowTexts(*box), oldRows);
    EXPECT_EQ(changes.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Causes, FolderBoxFailureTest,
                         ::testing::Values(FailingPath{"missing", ENOENT},
                                           FailingPath{"missing/deeper", ENOENT},
                                           FailingPath{"aFile", ENOTDIR}));

TEST_F(FolderBoxTest, writePath_retryAfterFolderAppears_opensIt)
{
    const QString first = levels.makeFolder(QStringLiteral("first"));
    auto box = openOn(first);
    const QString later = root + QStringLiteral("/later");
    prompts.retryAnswers = {true, true};
    int asked = 0;
    prompts.onRetryPrompt = [&] {
        if (++asked == 2)
            QDir().mkdir(later);
    };

    EXPECT_TRUE(box->setPath(later));
    EXPECT_EQ(prompts.retryTexts.size(), 2);
    EXPECT_EQ(box->Path(), later);
}

TEST_F(FolderBoxTest, writePath_unreadableFolder_reportsPermission)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    const QString first = levels.makeFolder(QStringLiteral("first"));
    const QString locked = levels.makeFolder(QStringLiteral("locked"));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    auto box = openOn(first);
    EXPECT_FALSE(box->setPath(locked));
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(prompts.retryTexts.size(), 1);
    EXPECT_TRUE(prompts.retryTexts.first().contains(QStringLiteral("\rError ")
                                                    + QString::number(EACCES) + QLatin1Char('\r')));
    EXPECT_EQ(box->Path(), root + QStringLiteral("/first"));
}

TEST_F(FolderBoxTest, volumes_chainStartsAtTheVolumeRoot_andDriveFollowsPath)
{
    const QString volume = levels.makeFolder(QStringLiteral("volume"));
    const QString track = levels.makeFolder(QStringLiteral("volume/levels/track"));
    const QString outside = levels.makeFolder(QStringLiteral("outside"));
    const QString volumeRoot = QDir(volume).canonicalPath();
    auto box = openOn(outside, [volumeRoot] { return QStringList{volumeRoot}; });

    EXPECT_EQ(box->Drive(), QStringLiteral("/"));
    EXPECT_EQ(driveList(*box)->count(), 2);

    // Opening a folder on another volume shows that volume and a chain from its root.
    box->selectedItem = QStringLiteral("/kept");
    EXPECT_TRUE(box->setPath(track));
    EXPECT_EQ(box->Drive(), volumeRoot);
    EXPECT_EQ(rowTexts(*box),
              (QStringList{volumeRoot, QStringLiteral("levels"), QStringLiteral("track")}));
    EXPECT_EQ(box->selectedItem, QStringLiteral("/kept"));

    // Writing Drive shows another volume and leaves the open folder alone.
    EXPECT_TRUE(box->setDrive(QStringLiteral("/usr/anything")));
    EXPECT_EQ(box->Drive(), QStringLiteral("/"));
    EXPECT_EQ(box->Path(), QDir(track).canonicalPath());
}

TEST_F(FolderBoxTest, userChangesVolume_opensItsLastFolder_andPicksIt)
{
    const QString volume = levels.makeFolder(QStringLiteral("volume"));
    const QString inside = levels.makeFolder(QStringLiteral("volume/inside"));
    const QString outside = levels.makeFolder(QStringLiteral("outside"));
    const QString volumeRoot = QDir(volume).canonicalPath();
    auto box = openOn(outside, [volumeRoot] { return QStringList{volumeRoot}; });
    QSignalSpy changes(box.get(), &folderBox::pathChange);
    QComboBox* drives = driveList(*box);
    const int volumeIndex = drives->findText(volumeRoot);
    const int rootIndex = drives->findText(QStringLiteral("/"));
    ASSERT_GE(volumeIndex, 0);

    // First visit: the volume's root is opened, picked and announced.
    drives->setCurrentIndex(volumeIndex);
    Q_EMIT drives->activated(volumeIndex);
    EXPECT_EQ(box->Path(), volumeRoot);
    EXPECT_EQ(box->selectedItem, volumeRoot);
    EXPECT_EQ(changes.count(), 1);

    // Back on "/", the folder last open there comes back.
    EXPECT_TRUE(box->setPath(inside));
    drives->setCurrentIndex(rootIndex);
    Q_EMIT drives->activated(rootIndex);
    EXPECT_EQ(box->Path(), QDir(outside).canonicalPath());
    EXPECT_EQ(box->selectedItem, box->Path());
    EXPECT_EQ(changes.count(), 2);

    // The volume again: its last folder.
    drives->setCurrentIndex(volumeIndex);
    Q_EMIT drives->activated(volumeIndex);
    EXPECT_EQ(box->Path(), QDir(inside).canonicalPath());
    EXPECT_EQ(changes.count(), 3);
    EXPECT_TRUE(prompts.retryTexts.isEmpty());
}

TEST_F(FolderBoxTest, userChangesToVanishedVolume_cancelKeepsFolderAndSelection)
{
    const QString volume = levels.makeFolder(QStringLiteral("volume"));
    const QString outside = levels.makeFolder(QStringLiteral("outside"));
    const QString volumeRoot = QDir(volume).canonicalPath();
    auto box = openOn(outside, [volumeRoot] { return QStringList{volumeRoot}; });
    box->selectedItem = box->Path();
    QDir(volume).removeRecursively();
    QSignalSpy changes(box.get(), &folderBox::pathChange);

    QComboBox* drives = driveList(*box);
    const int volumeIndex = drives->findText(volumeRoot);
    drives->setCurrentIndex(volumeIndex);
    prompts.retryAnswers = {false};
    Q_EMIT drives->activated(volumeIndex);

    EXPECT_EQ(prompts.retryTexts.size(), 1);
    EXPECT_EQ(box->Path(), QDir(outside).canonicalPath());
    EXPECT_EQ(box->Drive(), QStringLiteral("/"));
    EXPECT_EQ(box->selectedItem, box->Path());
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(FolderBoxTest, refresh_showsRenamedSubfolder_andKeepsOpenFolder)
{
    const QString open = levels.makeFolder(QStringLiteral("levels"));
    levels.makeFolder(QStringLiteral("levels/oldname"));
    levels.makeFolder(QStringLiteral("levels/other"));
    auto box = openOn(open);
    clickRow(*box, rowOf(*box, QStringLiteral("other")));

    ASSERT_TRUE(QDir(open).rename(QStringLiteral("oldname"), QStringLiteral("newname")));
    QSignalSpy changes(box.get(), &folderBox::pathChange);
    box->Refresh();

    EXPECT_TRUE(rowTexts(*box).contains(QStringLiteral("newname")));
    EXPECT_FALSE(rowTexts(*box).contains(QStringLiteral("oldname")));
    EXPECT_EQ(box->Path(), root + QStringLiteral("/levels"));
    EXPECT_EQ(dirList(*box)->currentIndex().data().toString(), QStringLiteral("other"));
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(FolderBoxTest, refresh_afterOpenFolderWasRemoved_keepsChainWithoutSubfolders)
{
    const QString open = levels.makeFolder(QStringLiteral("levels/gone"));
    levels.makeFolder(QStringLiteral("levels/gone/child"));
    auto box = openOn(open);
    QDir::setCurrent(root);
    ASSERT_TRUE(QDir(open).removeRecursively());

    box->Refresh();
    EXPECT_EQ(box->Path(), root + QStringLiteral("/levels/gone"));
    EXPECT_EQ(rowTexts(*box).last(), QStringLiteral("gone"));
    EXPECT_TRUE(prompts.retryTexts.isEmpty());
}

TEST_F(FolderBoxTest, workingFolderRemoved_startsWithoutAsking)
{
    const QString gone = levels.makeFolder(QStringLiteral("levels/gone"));
    QDir::setCurrent(gone);
    ASSERT_TRUE(QDir(gone).removeRecursively());
    folderBox box(prompts, nullptr);
    EXPECT_TRUE(QFileInfo(box.Path()).isDir());
    EXPECT_TRUE(prompts.retryTexts.isEmpty());
}

TEST_F(FolderBoxTest, cancelWhenOldFolderHasGoneToo_opensItsNearestAncestor)
{
    const QString old = levels.makeFolder(QStringLiteral("levels/old"));
    auto box = openOn(old);
    QDir::setCurrent(root);
    ASSERT_TRUE(QDir(old).removeRecursively());

    prompts.retryAnswers = {false};
    EXPECT_FALSE(box->setPath(root + QStringLiteral("/missing")));
    EXPECT_EQ(prompts.retryTexts.size(), 1);
    EXPECT_EQ(box->Path(), root + QStringLiteral("/levels"));
}

// How fast a big folder opens is measured in the benchmarks; this checks what it shows.
TEST_F(FolderBoxTest, manySubfolders_allListedInOrder)
{
    const QString open = levels.makeFolder(QStringLiteral("many"));
    QDir dir(open);
    for (int i = 0; i < 1500; ++i)
        ASSERT_TRUE(dir.mkdir(QStringLiteral("track%1").arg(i, 5, 10, QLatin1Char('0'))));
    auto box = openOn(levels.path());
    ASSERT_TRUE(box->setPath(open));

    const QStringList rows = rowTexts(*box);
    const qsizetype chain = rows.indexOf(QStringLiteral("many")) + 1;
    ASSERT_EQ(rows.size() - chain, 1500);
    EXPECT_EQ(rows.at(chain), QStringLiteral("track00000"));
    EXPECT_EQ(rows.last(), QStringLiteral("track01499"));
    EXPECT_EQ(rowPath(*box, int(rows.size()) - 1), root + QStringLiteral("/many/track01499"));
}

} // namespace
