// Track folders and files named in bytes that are not UTF-8, as archives made on Windows name
// them ("Caf\xE9", Windows-1252): renames keep and find the file system's own bytes.
#include "save/Rename.h"
#include "save/SaveFakes.h"
#include "save/fileOps.h"
#include "save/renameJournal.h"
#include "support/TempTrack.h"
#include "util/fso.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <dirent.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QList<QByteArray> bytesIn(const QByteArray& folder)
{
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (qstrcmp(entry->d_name, ".") && qstrcmp(entry->d_name, ".."))
                names << entry->d_name;
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool writeAt(const QByteArray& path, const QByteArray& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    return bool(out.write(bytes.constData(), bytes.size()));
}

struct NameBytes : ::testing::Test
{
    TempLevels levels;
    const QByteArray at = QFile::encodeName(levels.path()); // the temporary folder is ASCII
    QString in(const QByteArray& name) const
    {
        return fso::decodeName(QByteArray(at + '/' + name));
    }
    // QDir, which removes the temporary folder, cannot reach names that are not UTF-8.
    void TearDown() override
    {
        std::error_code e;
        for (const QByteArray& name : bytesIn(at))
            std::filesystem::remove_all(QByteArray(at + '/' + name).toStdString(), e);
    }
};

// The system call and the fallback alike rename the entry of those bytes, and only it.
TEST_F(NameBytes, renameNoReplace_movesTheEntryOfTheFileSystemsBytes)
{
    ASSERT_TRUE(writeAt(at + "/Caf\xE9.w", "mine") && writeAt(at + "/Caf\xC3\xA9.w", "other"));
    for (const auto function : {&edit::renameNoReplace, &edit::renameNoReplaceFallback}) {
        const QList<QByteArray> was = bytesIn(at);
        const QByteArray from = was.contains("Caf\xE9.w") ? "Caf\xE9.w" : "d\xE9p\xF4t.w";
        const QByteArray to = from == "Caf\xE9.w" ? "d\xE9p\xF4t.w" : "Caf\xE9.w";
        EXPECT_EQ(function(in(from), in(to)), std::nullopt);
        EXPECT_EQ(bytesIn(at), (QList<QByteArray>{"Caf\xC3\xA9.w", to}));
        EXPECT_EQ(function(in(to), in("Caf\xC3\xA9.w")).value_or(edit::FileError{}).code, EEXIST);
    }
}

// Killed after the folder's rename: the journal names the track files by their bytes, so
// opening the folder finds every one of them and finishing the rename gives them the new name.
TEST_F(NameBytes, interruptedRenameOfSuchATrack_isFoundAndFinished)
{
    const QByteArray old = at + "/Caf\xE9";
    ASSERT_EQ(::mkdir(old.constData(), 0755), 0);
    for (const char* file : {"Caf\xE9.inf", "Caf\xE9.w", "Caf\xE9" "a.bmp", "readme.txt"})
        ASSERT_TRUE(writeAt(old + '/' + file, file));
    const Rename::Settings rename{Rename::defaultExtensions.split(u';'), 1, true};
    const QString oldFolder = fso::decodeName(old), newFolder = levels.path() + u"/Cafe"_s;
    ASSERT_EQ(edit::RenameJournal(oldFolder, rename, fso::decodeName("Caf\xE9"), u"Cafe"_s)
                  .error(), std::nullopt); // and killed: the journal stays
    ASSERT_EQ(edit::renameNoReplace(oldFolder, newFolder), std::nullopt);

    const std::optional<edit::InterruptedRename> found = edit::findInterruptedRename(newFolder);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->filesLeft, 3);
    EXPECT_TRUE(found->offer().startsWith(u"Renaming the track 'Café' to 'Cafe' was"_s));
    FakeFolders folders;
    const edit::SaveResult finished = edit::finishRename(folders, *found);
    EXPECT_EQ(finished.message(), u"Finishing the rename of the track 'Café' to 'Cafe'\r"
                                  u"Renamed selected file types in 'Cafe'\r\n\r\n"
                                  u"No Errors Encountered"_s);
    EXPECT_EQ(bytesIn(at + "/Cafe"),
              (QList<QByteArray>{"Cafe.inf", "Cafe.w", "Cafea.bmp", "readme.txt"}));
    EXPECT_EQ(TempLevels::readAll(newFolder + u"/Cafe.w"_s), "Caf\xE9.w");
}

} // namespace
