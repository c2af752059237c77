// The folder browser over real temporary folders.
#include "GuiTest.h"
#include "ScriptedPrompts.h"
#include "app/folderBox.h"
#include "support/TempTrack.h"
#include "util/fso.h"

#include <QScopeGuard>

#include <cerrno>
#include <filesystem>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A shown browser started in <temp>/levels, which holds "a\b", "Alpha", "beta/sub", a hidden
// folder and a file; `picked` is selectedItem each time pathChange was raised.
class FolderBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"beta/sub", "Alpha", ".hidden", "a\\b"})
            temp.makeFolder(u"levels/"_s + QLatin1String(name));
        temp.writeFile(u"levels/aFile"_s, "not a folder");
        open = QDir(temp.path() + u"/levels"_s).canonicalPath();
        QDir::setCurrent(open);
        box = std::make_unique<folderBox>(prompts, nullptr);
        box->resize(177, 369);
        box->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        QObject::connect(box.get(), &folderBox::pathChange, box.get(),
                         [this] { picked << box->selectedItem; });
    }
    QListView* list() const { return child<QListView>(box.get(), u"objDir"_s); }
    QStringList rows() const { return columnTexts(list()); }
    void click(const QString& row, bool twice = false)
    { clickRow(list(), int(rows().indexOf(row)), twice); }
    QString highlighted() const { return list()->currentIndex().data().toString(); }

    TempLevels temp;
    QString open;
    QStringList picked;
    ScriptedPrompts prompts;
    std::unique_ptr<folderBox> box;
};

// Clicks and keys pick a folder; Enter and a double-click open it.
TEST_F(FolderBoxTest, listsChainThenVisibleSubfolders_clicksAndKeysPick_enterAndDoubleClickOpen)
{
    const QStringList chain = open.split(u'/', Qt::SkipEmptyParts);
    EXPECT_EQ(rows(), QStringList{u"/"_s} + chain << u"a\\b"_s << u"Alpha"_s << u"beta"_s);
    EXPECT_EQ(list()->model()->index(int(chain.size()) + 1, 0).data(Qt::UserRole).toString(),
              open + u"/a\\b"_s);
    EXPECT_EQ(highlighted(), u"levels"_s);
    // A subfolder, the open folder, the same highlighted row again, an ancestor.
    for (const QString& row : {u"beta"_s, u"levels"_s, u"levels"_s, chain.at(chain.size() - 2)})
        click(row);
    EXPECT_EQ(box->Path(), open);
    click(u"beta"_s);
    ASSERT_TRUE(QDir(open).rename(u"Alpha"_s, u"zeta"_s));
    box->Refresh();
    EXPECT_EQ(rows().mid(rows().size() - 3), (QStringList{u"a\\b"_s, u"beta"_s, u"zeta"_s}));
    EXPECT_EQ(highlighted() + u'|' + box->Path(), u"beta|"_s + open);
    list()->setFocus();
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Return})
        QTest::keyClick(list(), key);
    EXPECT_EQ(box->Path(), open + u"/beta"_s);
    click(u"sub"_s, true);
    EXPECT_EQ(box->Path() + u'|' + highlighted(), open + u"/beta/sub|sub"_s);
    const QString beta = open + u"/beta"_s;
    EXPECT_EQ(picked, (QStringList{beta, open, open, QFileInfo(open).path(), beta,
                                   open + u"/a\\b"_s, beta, open + u"/zeta"_s, beta,
                                   beta + u"/sub"_s}));
}

// Writing Path opens quietly, or asks: Cancel keeps the old folder, Retry opens it once it exists.
TEST_F(FolderBoxTest, writePath_opensQuietly_orAsksAndCancelKeepsTheOldFolder_retryOpensIt)
{
    EXPECT_TRUE(box->setPath(u"beta//"_s)); // from the working folder
    EXPECT_EQ(box->Path() + u'|' + highlighted(), open + u"/beta|beta"_s);
    const QStringList shown = rows();
    QStringList asked;
    for (const auto& [name, error] : {std::pair("/missing", ENOENT),
                                      std::pair("/missing/deeper", ENOENT),
                                      std::pair("/aFile", ENOTDIR)}) {
        asked << u"Error accessing "_s + open + QLatin1String(name) + u"\r\rError "_s
                + QString::number(error) + u'\r' + qt_error_string(error);
        EXPECT_FALSE(box->setPath(open + QLatin1String(name))) << name;
        EXPECT_EQ(box->Path() + u'|' + rows().join(u'|'), open + u"/beta|"_s + shown.join(u'|'))
            << name;
    }
    EXPECT_EQ(prompts.retryTexts, asked);
    EXPECT_TRUE(box->Drive() == u"/"_s && picked.isEmpty());
    prompts.retryAnswers = {true, true};
    prompts.onRetryPrompt = [&] { // the folder appears while the second question waits
        if (prompts.retryTexts.size() == 5)
            QDir(open).mkdir(u"later"_s);
    };
    EXPECT_TRUE(box->setPath(open + u"/later"_s));
    EXPECT_EQ(box->Path() + QString::number(prompts.retryTexts.size()), open + u"/later5"_s);
}

// "Caf\xE9", as archives made on Windows name it, reads "Café" and leads to the folder itself.
TEST_F(FolderBoxTest, folderNameNotUtf8_readsAsWindows1252_andLeadsToTheFolderItself)
{
    const QByteArray bytes = QFile::encodeName(open) + "/Caf\xE9";
    // QDir, which removes the temporary folder, cannot reach names that are not UTF-8.
    const auto removed = qScopeGuard([&] {
        std::error_code e;
        std::filesystem::remove_all(bytes.data(), e);
        QDir::setCurrent(open);
    });
    ASSERT_EQ(::mkdir(bytes.constData(), 0755), 0);
    ASSERT_EQ(::mkdir(QByteArray(bytes + "/d\xE9p\xF4t").constData(), 0755), 0);
    const QString cafe = fso::decodeName(bytes);
    box->Refresh();
    EXPECT_EQ(rows().mid(rows().size() - 4),
              (QStringList{u"a\\b"_s, u"Alpha"_s, u"beta"_s, u"Café"_s}));
    const QModelIndex row = list()->model()->index(int(rows().size()) - 1, 0);
    EXPECT_EQ(row.data(Qt::UserRole).toString() + u'|' + row.data(Qt::ToolTipRole).toString(),
              cafe + u'|' + open + u"/Café"_s);
    click(u"Café"_s);
    click(u"Café"_s, true);
    EXPECT_EQ(picked, (QStringList{cafe, cafe}));
    EXPECT_EQ(box->Path() + u'|' + rows().last() + u'|' + highlighted(),
              cafe + u"|dépôt|Café"_s);
    ASSERT_EQ(::chdir(bytes.constData()), 0);
    EXPECT_EQ(folderBox(prompts, nullptr).Path(), cafe);
    EXPECT_FALSE(box->setPath(cafe + u"/gone"_s));
    EXPECT_TRUE(prompts.retryTexts.value(0).startsWith(u"Error accessing "_s + open
                                                       + u"/Café/gone\r"_s));
}

} // namespace
