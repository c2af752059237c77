// Saving a track, renaming its folder and files, and creating a new info file, all against
// real throw-away track folders.
#include "save/editSave.h"

#include "save/Rename.h"
#include "save/SaveFakes.h"
#include "support/TempTrack.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString s(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

const QByteArray headerBlock = ";----------------------------\r\n"
                               "; Tarvex .INF file structure\r\n"
                               ";----------------------------\r\n"
                               "\r\n";

Rename::Settings defaultRename()
{
    Rename::Settings settings;
    settings.trackExts = Rename::defaultExtensions.split(QLatin1Char(';'));
    settings.renameKind = 1;
    settings.autoTempRename = true;
    return settings;
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

int modeOf(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

bool chmodPath(const QString& path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

class SaveTest : public ::testing::Test
{
protected:
    TempLevels levels;
    edit::State state;
    FakeFolders folders;
    RecordingView view{folders};
    Rename::Settings rename = defaultRename();

    QString parent() const { return levels.path() + QLatin1Char('/'); }
    QString in(const QString& relative) const { return parent() + relative; }

    // What the window does when the user picks a track folder.
    void pick(const QString& folder)
    {
        folders.selected = folder;
        folders.open = folder;
        ASSERT_TRUE(edit::loadTrack(state, view, folder).isEmpty());
    }
    edit::SaveResult save(const QString& newName)
    {
        return edit::saveTrack(state, view, folders, rename, parent(), newName);
    }
};

// ---------------------------------------------------------------------------------------
// Writing the file

TEST(ErrorLine, isCodeAndTextInQuotesEndingWithCrLf)
{
    EXPECT_EQ(edit::errorLine({2, s("No such file or directory")}),
              s("Runtime Error '2': No such file or directory\r\n"));
}

TEST(SaveMessage, joinsSummaryAndErrorBlockWithABlankLine)
{
    edit::SaveResult clean{s("Saved changes to 'x'\rRenamed folder 'a' to 'b'"), QString()};
    EXPECT_EQ(clean.message(), s("Saved changes to 'x'\rRenamed folder 'a' to 'b'\r\n\r\n"
                                 "No Errors Encountered"));
    edit::SaveResult failed{s("Saved changes to 'x'"),
                            s("Runtime Error '13': Permission denied\r\n")};
    EXPECT_EQ(failed.message(), s("Saved changes to 'x'\r\n\r\nErrors encountered:\r\n"
                                  "Runtime Error '13': Permission denied\r\n"));
}

TEST_F(SaveTest, unchangedName_writesHeaderBlockAndTagLinesOnly)
{
    const QString folder = levels.makeTrack(s("toytrack"), "; my own header\r\n"
                                                           "\r\n"
                                                           "NAME 'Toy World 1' by Someone\r\n"
                                                           "   ; comment only\r\n"
                                                           "FARCLIP\t6000 ;far\r\n"
                                                           "FOGCOLOR 0 0 0     ; black\r\n"
                                                           "\r\n"
                                                           "MP3");
    pick(folder);
    edit::setTagValue(state, view, s("farclip"), s("8000"));

    const edit::SaveResult result = save(s("toytrack"));

    EXPECT_EQ(result.message(), s("Saved changes to '") + folder + s("/toytrack.inf'\r\n\r\n"
                                                                     "No Errors Encountered"));
    EXPECT_EQ(TempLevels::readAll(folder + s("/toytrack.inf")),
              headerBlock + "NAME\t\t'Toy World 1' by Someone\r\n"
                            "FARCLIP\t\t8000\t\t\t\t;far\r\n"
                            "FOGCOLOR\t0 0 0\t\t\t\t; black\r\n"
                            "MP3\t\t\r\n");
    // Nothing renamed, no temporary file left behind.
    EXPECT_EQ(TempLevels::entries(levels.path()), QStringList{s("toytrack")});
    EXPECT_EQ(TempLevels::entries(folder), QStringList{s("toytrack.inf")});
    // The document is the file as written, read back.
    EXPECT_TRUE(state.fileLoaded);
    EXPECT_EQ(view.rowValues, (QStringList{s("'Toy World 1' by Someone"), s("8000"),
                                           s("0 0 0"), QString()}));
    EXPECT_EQ(folders.selected, folder);
    EXPECT_EQ(folders.openRequests, QStringList{folder});
    EXPECT_EQ(view.folderName, s("toytrack"));
}

struct BytesCase
{
    const char* what;
    QByteArray input;
    QByteArray saved;
};

class SavedBytes : public SaveTest, public ::testing::WithParamInterface<BytesCase>
{
};

TEST_P(SavedBytes, areExpectedAndStableWhenSavedTwice)
{
    const QString folder = levels.makeTrack(s("toytrack"), GetParam().input);
    pick(folder);
    const QString file = folder + s("/toytrack.inf");

    EXPECT_TRUE(save(s("toytrack")).errors.isEmpty());
    const QByteArray first = TempLevels::readAll(file);
    EXPECT_TRUE(save(s("toytrack")).errors.isEmpty());

    EXPECT_EQ(first, GetParam().saved);
    EXPECT_EQ(TempLevels::readAll(file), first);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, SavedBytes,
    ::testing::Values(
        BytesCase{"commentsOnly", "; nothing but comments\r\n\r\n   \r\n", headerBlock},
        BytesCase{"windows1252", "NAME Caf\xe9\r\nFOGCOLOR 1 2 3\r\n",
                  headerBlock + "NAME\t\tCaf\xe9\r\nFOGCOLOR\t1 2 3\r\n"},
        // A file written as UTF-8 stays UTF-8: the star has no Windows-1252 form at all.
        BytesCase{"utf8", "NAME Caf\xc3\xa9 \xe2\x98\x85\r\n",
                  headerBlock + "NAME\t\tCaf\xc3\xa9 \xe2\x98\x85\r\n"},
        BytesCase{"longComment", "MIRRORS 1 0.5 0.25 3000 ; type mix start distance\n",
                  headerBlock + "MIRRORS\t\t1 0.5 0.25 3000\t\t; type mix start distance\r\n"}),
    [](const ::testing::TestParamInfo<BytesCase>& info) { return std::string(info.param.what); });

TEST_F(SaveTest, unencodableCharacter_namesTheTagAndLeavesFileAndEditsAlone)
{
    const QByteArray original = "NAME Snow\r\nFARCLIP 10\r\n";
    const QString folder = levels.makeTrack(s("toytrack"), original);
    pick(folder);
    edit::setTagValue(state, view, s("name"), QStringLiteral("Snow \u2605"));
    edit::setTagValue(state, view, s("farclip"), s("20"));

    const edit::SaveResult result = save(s("toytrack"));

    EXPECT_TRUE(result.errors.startsWith(s("Runtime Error '84': "))) << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains(s("\"NAME\""))) << result.errors.toStdString();
    EXPECT_EQ(result.errors.count(s("\r\n")), 1);
    EXPECT_EQ(TempLevels::readAll(folder + s("/toytrack.inf")), original);
    EXPECT_EQ(TempLevels::entries(folder), QStringList{s("toytrack.inf")});
    // The edits survive the failed save, so the user can correct the name and save again.
    EXPECT_EQ(edit::getTagValue(state, s("name")), QStringLiteral("Snow \u2605"));
    EXPECT_EQ(edit::getTagValue(state, s("farclip")), s("20"));
}

TEST_F(SaveTest, replacingTheFile_keepsItsModeAndWritesThroughLinks)
{
    const QString plain = levels.makeTrack(s("plain"), "NAME A\r\n");
    ASSERT_TRUE(chmodPath(plain + s("/plain.inf"), 0640));
    EXPECT_FALSE(edit::writeFileAtomically(plain + s("/plain.inf"), "NAME B\r\n"));
    EXPECT_EQ(modeOf(plain + s("/plain.inf")), 0640);
    EXPECT_EQ(TempLevels::readAll(plain + s("/plain.inf")), QByteArray("NAME B\r\n"));

    // A track whose info file is a relative link into a shared folder.
    const QString real = levels.writeFile(s("shared/real.inf"), "NAME Old\r\n");
    ASSERT_TRUE(chmodPath(real, 0604));
    const QString linked = levels.makeFolder(s("linked"));
    ASSERT_TRUE(QFile::link(s("../shared/real.inf"), linked + s("/linked.inf")));
    pick(linked);
    edit::setTagValue(state, view, s("name"), s("New"));

    EXPECT_TRUE(save(s("linked")).errors.isEmpty());

    EXPECT_TRUE(QFileInfo(linked + s("/linked.inf")).isSymLink());
    EXPECT_EQ(TempLevels::readAll(real), headerBlock + "NAME\t\tNew\r\n");
    EXPECT_EQ(modeOf(real), 0604);
    EXPECT_EQ(TempLevels::entries(levels.path() + s("/shared")), QStringList{s("real.inf")});

    // A file that did not exist gets the usual permissions, not a private temporary's.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_FALSE(edit::writeFileAtomically(plain + s("/fresh.inf"), "x"));
    EXPECT_EQ(modeOf(plain + s("/fresh.inf")), int(0666 & ~mask));
}

TEST_F(SaveTest, writeFailures_addOneLineEachAndKeepTheDocument)
{
    // The info file's name is taken by a folder: the loader sees no file, the save cannot
    // write one.
    const QString blocked = levels.makeFolder(s("blocked"));
    levels.makeFolder(s("blocked/blocked.inf/inside"));
    pick(blocked);
    edit::SaveResult result = save(s("blocked"));
    EXPECT_EQ(result.errors, s("Runtime Error '21': Is a directory\r\n"));
    EXPECT_EQ(TempLevels::entries(blocked + s("/blocked.inf")), QStringList{s("inside")});
    EXPECT_EQ(TempLevels::entries(blocked), QStringList{s("blocked.inf")});

    // The track folder vanished after loading: the write and the reopen fail, one line each,
    // and the unsaved document stays in memory.
    const QString gone = levels.makeTrack(s("gone"), "NAME Here\r\n");
    pick(gone);
    edit::setTagValue(state, view, s("name"), s("Edited"));
    ASSERT_TRUE(QDir(gone).removeRecursively());
    result = save(s("gone"));
    EXPECT_EQ(result.errors, s("Runtime Error '2': No such file or directory\r\n"
                               "Runtime Error '2': No such file or directory\r\n"));
    EXPECT_EQ(edit::getTagValue(state, s("name")), s("Edited"));
    EXPECT_TRUE(state.fileLoaded);
}

struct PermissionCase
{
    const char* what;
    int folderMode;
    int fileMode;
};

class PermissionDenied : public SaveTest, public ::testing::WithParamInterface<PermissionCase>
{
};

TEST_P(PermissionDenied, isOneErrorLineAndTheFileIsUnchanged)
{
    const QByteArray original = "NAME Locked\r\n";
    const QString folder = levels.makeTrack(s("toytrack"), original);
    const QString file = folder + s("/toytrack.inf");
    pick(folder);
    edit::setTagValue(state, view, s("name"), s("Changed"));
    ASSERT_TRUE(chmodPath(levels.path(), 0755));
    ASSERT_TRUE(chmodPath(file, GetParam().fileMode));
    ASSERT_TRUE(chmodPath(folder, GetParam().folderMode));

    edit::SaveResult result;
    {
        const AsOrdinaryUser user;
        if (!user.active())
            GTEST_SKIP() << "running as root without a way to give up the privilege";
        result = save(s("toytrack"));
    }
    chmodPath(folder, 0755);

    EXPECT_EQ(result.errors, s("Runtime Error '13': Permission denied\r\n"));
    EXPECT_EQ(TempLevels::readAll(file), original);
    EXPECT_EQ(TempLevels::entries(folder), QStringList{s("toytrack.inf")});
    EXPECT_EQ(edit::getTagValue(state, s("name")), s("Changed"));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PermissionDenied,
    ::testing::Values(PermissionCase{"readOnlyFolder", 0555, 0666},
                      // The folder would allow replacing it; the file says no.
                      PermissionCase{"readOnlyFile", 0777, 0444}),
    [](const ::testing::TestParamInfo<PermissionCase>& info) {
        return std::string(info.param.what);
    });

// A save killed at any moment leaves the old file or the new one, whole. A child process
// saves two documents in turn until it is killed; after every kill the file must equal one
// of them byte for byte.
TEST_F(SaveTest, killedWhileSaving_leavesWholeOldOrNewFile)
{
    QByteArray first;
    QByteArray second;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray number = QByteArray::number(i);
        first += "TAG" + number + " first value " + number + " ; comment\r\n";
        second += "TAG" + number + " second, longer value " + number + number + "\r\n";
    }
    const QString folder = levels.makeTrack(s("toytrack"), first);
    const QString file = folder + s("/toytrack.inf");
    pick(folder);
    const edit::State firstDocument = state;
    levels.writeFile(s("other/other.inf"), second);
    ASSERT_TRUE(edit::loadTrack(state, view, in(s("other"))).isEmpty());
    const edit::State secondDocument = state;

    // The exact bytes each document saves as, and how long one save takes here.
    QElapsedTimer timer;
    timer.start();
    state = secondDocument;
    ASSERT_TRUE(save(s("toytrack")).errors.isEmpty());
    const QByteArray secondBytes = TempLevels::readAll(file);
    state = firstDocument;
    ASSERT_TRUE(save(s("toytrack")).errors.isEmpty());
    const QByteArray firstBytes = TempLevels::readAll(file);
    ASSERT_NE(firstBytes, secondBytes);
    // Kills spread over about four saves, however fast or slow the disk is.
    const int spreadMicroseconds = int(qMax<qint64>(2000, timer.nsecsElapsed() / 1000 * 2));

    int sawFirst = 0;
    int sawSecond = 0;
    const pid_t parentId = ::getpid();
    for (int round = 0; round < 500 && (round < 60 || sawFirst < 3 || sawSecond < 3); ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parentId)
                ::_exit(1);
            for (int i = 0; i < 100000; ++i) {
                state = (i % 2 == 0) ? secondDocument : firstDocument;
                save(s("toytrack"));
            }
            ::_exit(0);
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(spreadMicroseconds)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended on its own";

        const QByteArray now = TempLevels::readAll(file);
        ASSERT_TRUE(now == firstBytes || now == secondBytes)
            << "round " << round << ": the file holds " << now.size() << " bytes of neither";
        (now == firstBytes ? sawFirst : sawSecond) += 1;
    }
    // Both contents turned up, so the kills really landed among running saves.
    EXPECT_GE(sawFirst, 3);
    EXPECT_GE(sawSecond, 3);
    // Whatever a killed save left behind is hidden, so no loader takes it for a track file.
    for (const QString& name : TempLevels::entries(folder))
        EXPECT_TRUE(name == s("toytrack.inf") || name.startsWith(s(".kite-")))
            << name.toStdString();
}

// ---------------------------------------------------------------------------------------
// Renaming

TEST(RenameNoReplace, neverReplacesAFileOrFolder)
{
    using RenameFunction =
        std::function<std::optional<edit::FileError>(const QString&, const QString&)>;
    const std::pair<const char*, RenameFunction> functions[] = {
        {"renameNoReplace", edit::renameNoReplace},
        {"fallback", edit::renameNoReplaceFallback}};
    struct Case
    {
        const char* what;
        QString from;
        QString to;
        int error;                 // 0 = renamed
        QStringList entriesAfter;  // of the levels folder, recursively one level
    };
    const QStringList untouched = {s("a.inf"), s("a.w"), s("full"), s("full/x"), s("empty")};
    const Case cases[] = {
        {"fileToFreeName", s("a.w"), s("b.w"), 0,
         {s("a.inf"), s("b.w"), s("full"), s("full/x"), s("empty")}},
        {"fileOntoFile", s("a.w"), s("a.inf"), EEXIST, untouched},
        {"folderToFreeName", s("full"), s("moved"), 0,
         {s("a.inf"), s("a.w"), s("moved"), s("moved/x"), s("empty")}},
        {"folderOntoEmptyFolder", s("full"), s("empty"), EEXIST, untouched},
        {"fileOntoEmptyFolder", s("a.w"), s("empty"), EEXIST, untouched},
        {"missingSource", s("none"), s("some"), ENOENT, untouched},
    };
    for (const auto& [name, function] : functions) {
        for (const Case& test : cases) {
            SCOPED_TRACE(std::string(name) + " " + test.what);
            TempLevels levels;
            levels.writeFile(s("a.inf"), "inf");
            levels.writeFile(s("a.w"), "w");
            levels.writeFile(s("full/x"), "x");
            levels.makeFolder(s("empty"));
            const QString base = levels.path() + QLatin1Char('/');

            const std::optional<edit::FileError> error = function(base + test.from, base + test.to);

            EXPECT_EQ(error ? error->code : 0, test.error);
            if (error) {
                EXPECT_FALSE(error->text.isEmpty());
            }
            QStringList after;
            for (const QString& entry : TempLevels::entries(levels.path())) {
                after.append(entry);
                if (QFileInfo(base + entry).isDir())
                    for (const QString& inner : TempLevels::entries(base + entry))
                        after.append(entry + QLatin1Char('/') + inner);
            }
            EXPECT_EQ(sorted(after), sorted(test.entriesAfter));
            // Contents travel with their names.
            if (test.entriesAfter.contains(s("a.inf"))) {
                EXPECT_EQ(TempLevels::readAll(base + s("a.inf")), QByteArray("inf"));
            }
        }
    }
}

// Where a file system ignores letter case, the old name is found as the "existing" target
// and the rename goes through a free name. Two hard links that differ only in case look
// the same to it; the other name must survive and the source must come back.
TEST(RenameNoReplace, letterCaseOnlyOntoAnotherName_restoresTheSource)
{
    TempLevels levels;
    const QString lower = levels.writeFile(s("toytrack.w"), "w");
    const QString upper = levels.path() + s("/Toytrack.w");
    ASSERT_EQ(::link(QFile::encodeName(lower).constData(), QFile::encodeName(upper).constData()),
              0);

    const std::optional<edit::FileError> error = edit::renameNoReplace(lower, upper);

    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, EEXIST);
    EXPECT_EQ(sorted(TempLevels::entries(levels.path())),
              (QStringList{s("Toytrack.w"), s("toytrack.w")}));
}

const QStringList trackFolderFiles = {
    s("toytrack.inf"),  s("toytrack.w"),   s("toytrack.-"),   s("toytracka.bmp"),
    s("toytrackb.bmq"), s("toytrackz.bmp"), s("toytrack.taz"), s("toytrack.ta-"),
    s("toytrackA.bmp"), s("toytrack.txt"),  s("readme.txt"),   s("toytrack.fin"),
    s("toytrack.fi-")};

struct RenameCase
{
    const char* what;
    int renameKind;
    bool autoTempRename;
    bool infListed;
    const char* newName;
    QStringList filesAfter;
    const char* summaryAfterParent; // the summary with the parent path left out of the first line
    bool loadedAfter;
};

class RenameOnSave : public SaveTest, public ::testing::WithParamInterface<RenameCase>
{
};

TEST_P(RenameOnSave, renamesFolderAndSelectedFiles)
{
    const RenameCase& test = GetParam();
    const QString folder = levels.makeTrack(s("toytrack"), "NAME Toy\r\n");
    for (const QString& name : trackFolderFiles)
        if (name != s("toytrack.inf"))
            levels.writeFile(s("toytrack/") + name, name.toLatin1());
    rename.renameKind = test.renameKind;
    rename.autoTempRename = test.autoTempRename;
    if (!test.infListed)
        rename.trackExts.removeAll(s("inf"));
    pick(folder);
    edit::setTagValue(state, view, s("name"), s("Renamed Toy"));

    const edit::SaveResult result = save(s(test.newName));

    const QString newFolder = in(s(test.newName));
    EXPECT_EQ(TempLevels::entries(levels.path()), QStringList{s(test.newName)});
    EXPECT_EQ(sorted(TempLevels::entries(newFolder)), sorted(test.filesAfter));
    EXPECT_EQ(result.summary, s("Saved changes to '") + parent() + s(test.summaryAfterParent));
    EXPECT_EQ(result.errors, QString());
    // Renamed files keep their content.
    EXPECT_EQ(TempLevels::readAll(newFolder + QLatin1Char('/') + test.filesAfter.at(1)),
              trackFolderFiles.at(1).toLatin1());
    // The browser moved to the renamed folder and the track was read from there.
    EXPECT_EQ(folders.selected, newFolder);
    EXPECT_EQ(folders.openRequests, QStringList{newFolder});
    EXPECT_EQ(state.fileLoaded, test.loadedAfter);
    if (test.loadedAfter) {
        EXPECT_EQ(view.name, s("Renamed Toy"));
        EXPECT_EQ(view.folderName, s(test.newName));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RenameOnSave,
    ::testing::Values(
        RenameCase{"defaults", 1, true, true, "mytrack",
                   {s("mytrack.inf"), s("mytrack.w"), s("mytrack.-"), s("mytracka.bmp"),
                    s("mytrackb.bmq"), s("mytrackz.bmp"), s("mytrack.taz"), s("mytrack.ta-"),
                    s("toytrackA.bmp"), s("toytrack.txt"), s("readme.txt"), s("mytrack.fin"),
                    s("mytrack.fi-")},
                   "mytrack/mytrack.inf'\rRenamed folder 'toytrack' to 'mytrack'"
                   "\rRenamed selected file types in 'mytrack'",
                   true},
        RenameCase{"tempCompanionsOff", 1, false, true, "mytrack",
                   {s("mytrack.inf"), s("mytrack.w"), s("toytrack.-"), s("mytracka.bmp"),
                    s("mytrackb.bmq"), s("mytrackz.bmp"), s("mytrack.taz"), s("toytrack.ta-"),
                    s("toytrackA.bmp"), s("toytrack.txt"), s("readme.txt"), s("mytrack.fin"),
                    s("toytrack.fi-")},
                   "mytrack/mytrack.inf'\rRenamed folder 'toytrack' to 'mytrack'"
                   "\rRenamed selected file types in 'mytrack'",
                   true},
        // Type 0 renames the folder only; the info file keeps its old name, so the folder
        // under its new name has no info file to load.
        RenameCase{"folderOnly", 0, true, true, "mytrack", trackFolderFiles,
                   "mytrack/toytrack.inf'\rRenamed folder 'toytrack' to 'mytrack'", false},
        RenameCase{"infNotListed", 1, true, false, "mytrack",
                   {s("toytrack.inf"), s("mytrack.w"), s("mytrack.-"), s("mytracka.bmp"),
                    s("mytrackb.bmq"), s("mytrackz.bmp"), s("mytrack.taz"), s("mytrack.ta-"),
                    s("toytrackA.bmp"), s("toytrack.txt"), s("readme.txt"), s("mytrack.fin"),
                    s("mytrack.fi-")},
                   "mytrack/toytrack.inf'\rRenamed folder 'toytrack' to 'mytrack'"
                   "\rRenamed selected file types in 'mytrack'",
                   false},
        RenameCase{"letterCaseOnly", 1, true, true, "Toytrack",
                   {s("Toytrack.inf"), s("Toytrack.w"), s("Toytrack.-"), s("Toytracka.bmp"),
                    s("Toytrackb.bmq"), s("Toytrackz.bmp"), s("Toytrack.taz"), s("Toytrack.ta-"),
                    s("toytrackA.bmp"), s("toytrack.txt"), s("readme.txt"), s("Toytrack.fin"),
                    s("Toytrack.fi-")},
                   "Toytrack/Toytrack.inf'\rRenamed folder 'toytrack' to 'Toytrack'"
                   "\rRenamed selected file types in 'Toytrack'",
                   true}),
    [](const ::testing::TestParamInfo<RenameCase>& info) { return std::string(info.param.what); });

TEST_F(SaveTest, fileRenameOntoExistingFile_keepsBothSilently)
{
    const QString folder = levels.makeTrack(s("toytrack"), "NAME Toy\r\n");
    levels.writeFile(s("toytrack/toytrack.w"), "ours");
    levels.writeFile(s("toytrack/mytrack.w"), "theirs");
    pick(folder);

    const edit::SaveResult result = save(s("mytrack"));

    EXPECT_EQ(result.errors, QString());
    EXPECT_EQ(TempLevels::readAll(in(s("mytrack/toytrack.w"))), QByteArray("ours"));
    EXPECT_EQ(TempLevels::readAll(in(s("mytrack/mytrack.w"))), QByteArray("theirs"));
    EXPECT_EQ(TempLevels::entries(in(s("mytrack"))),
              (QStringList{s("mytrack.inf"), s("mytrack.w"), s("toytrack.w")}));
}

class ExistingTargetFolder : public SaveTest, public ::testing::WithParamInterface<bool>
{
};

// Linux's own rename would replace an empty folder; the save must not.
TEST_P(ExistingTargetFolder, touchesNothingThereAndReloadsTheOldFolder)
{
    const bool targetEmpty = GetParam();
    const QString folder = levels.makeTrack(s("toytrack"), "NAME Ours\r\n");
    levels.writeFile(s("toytrack/toytrack.w"), "our w");
    const QString other = levels.makeFolder(s("mytrack"));
    if (!targetEmpty) {
        levels.writeFile(s("mytrack/mytrack.inf"), "NAME Theirs\r\n");
        // Named like our files: renaming inside the wrong folder would take it.
        levels.writeFile(s("mytrack/toytrack.w"), "their w");
    }
    const QStringList otherBefore = TempLevels::entries(other);
    pick(folder);
    edit::setTagValue(state, view, s("name"), s("Ours edited"));

    const edit::SaveResult result = save(s("mytrack"));

    EXPECT_EQ(result.summary, s("Saved changes to '") + folder
                                  + s("/toytrack.inf'\rRenamed folder 'toytrack' to 'mytrack'"));
    EXPECT_EQ(result.errors, s("Runtime Error '17': File exists\r\n"));
    EXPECT_EQ(TempLevels::entries(other), otherBefore);
    if (!targetEmpty) {
        EXPECT_EQ(TempLevels::readAll(other + s("/mytrack.inf")), QByteArray("NAME Theirs\r\n"));
        EXPECT_EQ(TempLevels::readAll(other + s("/toytrack.w")), QByteArray("their w"));
    }
    EXPECT_EQ(TempLevels::entries(folder), (QStringList{s("toytrack.inf"), s("toytrack.w")}));
    EXPECT_EQ(TempLevels::readAll(folder + s("/toytrack.inf")),
              headerBlock + "NAME\t\tOurs edited\r\n");
    // The browser is never sent to the other folder, and the track comes from the old one.
    EXPECT_EQ(folders.openRequests, QStringList{folder});
    EXPECT_EQ(folders.selected, folder);
    EXPECT_EQ(view.name, s("Ours edited"));
    EXPECT_EQ(view.folderName, s("toytrack"));
}

INSTANTIATE_TEST_SUITE_P(Target, ExistingTargetFolder, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "empty" : "withFiles");
                         });

class InvalidFolderName : public SaveTest, public ::testing::WithParamInterface<QString>
{
};

TEST_P(InvalidFolderName, isRefusedRenamesNothingAndStillSaves)
{
    const QString folder = levels.makeTrack(s("toytrack"), "NAME Toy\r\n");
    levels.writeFile(s("toytrack/toytrack.w"), "w");
    pick(folder);
    edit::setTagValue(state, view, s("name"), s("Saved anyway"));

    const edit::SaveResult result = save(GetParam());

    EXPECT_EQ(result.summary, s("Saved changes to '") + folder + s("/toytrack.inf'"));
    EXPECT_TRUE(result.errors.startsWith(s("Runtime Error '22': Invalid folder name")))
        << result.errors.toStdString();
    EXPECT_EQ(result.errors.count(s("\r\n")), 1);
    EXPECT_FALSE(result.errors.contains(QChar(0)));
    EXPECT_EQ(TempLevels::entries(levels.path()), QStringList{s("toytrack")});
    EXPECT_EQ(TempLevels::entries(folder), (QStringList{s("toytrack.inf"), s("toytrack.w")}));
    EXPECT_EQ(TempLevels::readAll(folder + s("/toytrack.inf")),
              headerBlock + "NAME\t\tSaved anyway\r\n");
    EXPECT_EQ(folders.openRequests, QStringList{folder});
    EXPECT_TRUE(state.fileLoaded);
}

INSTANTIATE_TEST_SUITE_P(Names, InvalidFolderName,
                         ::testing::Values(QString(), s("."), s(".."), s("a/b"), s("/abs"),
                                           QString::fromLatin1("a\0b", 3)));

// ---------------------------------------------------------------------------------------
// New

TEST_F(SaveTest, newInEmptyFolder_writesTheTemplateAndLoadsIt)
{
    const QString folder = levels.makeFolder(s("toytrack"));
    folders.selected = folder;

    EXPECT_EQ(edit::newTrackFile(state, view, folder), QString());

    const QByteArray expected = headerBlock + "NAME             \r\n"
                                              "STARTPOS         \r\n"
                                              "STARTROT         \r\n"
                                              "STARTGRID        \r\n"
                                              "FARCLIP          \r\n"
                                              "FOGSTART         \r\n"
                                              "FOGCOLOR         \r\n"
                                              "VERTFOGSTART     \r\n"
                                              "VERTFOGEND       \r\n"
                                              "WORLDRGBPER      \r\n"
                                              "MODELRGBPER      \r\n"
                                              "INSTANCERGBPER   \r\n";
    const QByteArray written = TempLevels::readAll(folder + s("/toytrack.inf"));
    EXPECT_EQ(written, expected);
    const QList<QByteArray> lines = written.split('\n');
    ASSERT_EQ(lines.size(), 17); // 16 lines, each with its CR LF, and nothing after the last
    for (int i = 4; i < 16; ++i)
        EXPECT_EQ(lines.at(i).size(), 18) << "line " << i + 1 << " is not 17 characters";
    EXPECT_EQ(TempLevels::entries(folder), QStringList{s("toytrack.inf")});
    EXPECT_TRUE(state.fileLoaded);
    EXPECT_EQ(view.rowLabels.size(), 12);
    EXPECT_EQ(view.rowValues, QStringList(12, QString()));
}

TEST_F(SaveTest, newWhereTheNameIsTaken_leavesItAndReports)
{
    struct Case
    {
        const char* what;
        const char* folderName;
        std::function<void(const QString& infoFile)> occupy;
    };
    const auto writeMine = [](const QString& infoFile) {
        QFile out(infoFile);
        if (out.open(QIODevice::WriteOnly))
            out.write("NAME Mine\r\n");
    };
    const Case cases[] = {
        {"file", "toytrack", writeMine},
        // The loader counts a hidden info file as absent; New must still not write over it.
        {"hiddenFile", ".toytrack", writeMine},
        {"folder", "toytrack", [](const QString& f) { QDir().mkpath(f); }},
        {"danglingLink", "toytrack", [](const QString& f) { QFile::link(s("elsewhere.inf"), f); }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        TempLevels scratch;
        const QString folder = scratch.makeFolder(s(test.folderName));
        const QString infoFile = folder + QLatin1Char('/') + s(test.folderName) + s(".inf");
        test.occupy(infoFile);
        const QByteArray before = TempLevels::readAll(infoFile);
        const QStringList entriesBefore = TempLevels::entries(folder);
        // The document loaded before stays when New fails.
        const QString loaded = levels.makeTrack(s("loaded"), "NAME Loaded\r\n");
        pick(loaded);

        const QString problem = edit::newTrackFile(state, view, folder);

        EXPECT_TRUE(problem.contains(infoFile)) << problem.toStdString();
        EXPECT_TRUE(problem.contains(s("File exists"))) << problem.toStdString();
        EXPECT_EQ(TempLevels::readAll(infoFile), before);
        EXPECT_EQ(TempLevels::entries(folder), entriesBefore);
        EXPECT_FALSE(QFileInfo::exists(folder + s("/elsewhere.inf")));
        EXPECT_TRUE(state.fileLoaded);
        EXPECT_EQ(edit::getTagValue(state, s("name")), s("Loaded"));
    }
}

TEST_F(SaveTest, newInMissingOrReadOnlyFolder_reportsAndCreatesNothing)
{
    const QString missing = in(s("missing"));
    QString problem = edit::newTrackFile(state, view, missing);
    EXPECT_TRUE(problem.contains(s("No such file or directory"))) << problem.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(state.fileLoaded);

    const QString locked = levels.makeFolder(s("locked"));
    ASSERT_TRUE(chmodPath(levels.path(), 0755));
    ASSERT_TRUE(chmodPath(locked, 0555));
    {
        const AsOrdinaryUser user;
        if (!user.active())
            GTEST_SKIP() << "running as root without a way to give up the privilege";
        problem = edit::newTrackFile(state, view, locked);
    }
    chmodPath(locked, 0755);
    EXPECT_TRUE(problem.contains(s("Permission denied"))) << problem.toStdString();
    EXPECT_EQ(TempLevels::entries(locked), QStringList());
    EXPECT_FALSE(state.fileLoaded);
}

} // namespace
