// Saving a track, renaming its folder and files, and New, on real throw-away folders.
#include "save/editSave.h"

#include "save/Rename.h"
#include "save/SaveFakes.h"
#include "save/renameJournal.h"
#include "save/trackRename.h"
#include "support/TempTrack.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

QString s(const char* latin1, int size = -1) { return QString::fromLatin1(latin1, size); }
QStringList words(const char* spaced) { return s(spaced).split(u' ', Qt::SkipEmptyParts); }
int chmodPath(const QString& path, int mode) { return ::chmod(qPrintable(path), mode_t(mode)); }

const QByteArray headerBlock = ";----------------------------\r\n; Tarvex .INF file structure\r\n"
                               ";----------------------------\r\n\r\n";
const QString saved = s("Saved changes to '"), noErrors = s("\r\n\r\nNo Errors Encountered"),
              errorsFollow = s("\r\n\r\nErrors encountered:\r\n");

struct SaveTest : ::testing::Test
{
    TempLevels levels;
    QString sub; // this case's place in the levels folder, ending with "/"
    edit::State state;
    FakeFolders folders;
    RecordingView view{folders};
    Rename::Settings rename{Rename::defaultExtensions.split(u';'), 1, true};

    QString in(const QString& path) const { return levels.path() + u'/' + sub + path; }
    // Makes <name>/<name>.inf, picks the folder as the user does and types a track name.
    QString pick(const QString& name, const QByteArray& bytes, const char* typed)
    {
        levels.writeFile(sub + name + u'/' + name + s(".inf"), bytes);
        folders.selected = folders.open = in(name);
        EXPECT_EQ(edit::loadTrack(state, view, in(name)), QString());
        edit::setTagValue(state, view, s("name"), QString::fromUtf8(typed));
        return in(name);
    }
    edit::SaveResult save(const QString& newName) // records the folders opened by this save
    {
        folders.openRequests.clear();
        return edit::saveTrack(state, view, folders, rename, in(QString()), newName);
    }
};

// The file's own header, blank and comment lines give way to the header block, and the
// second save writes the same. A failed save is one error line, and leaves the file as it
// was and the typed name in memory. An ordinary user saves unless the folder is 0755.
TEST_F(SaveTest, unchangedName_savesOrReportsTheSameTwice)
{
    const QByteArray old = "NAME Old\r\n";
    const struct { const char *name, *typed; QByteArray input, saved; QString errors = {};
                   int folderMode = 0755, fileMode = 0644; } cases[] = {
        {"own", "Caf\xc3\xa9", "; my own header\r\n\r\nNAME Toy\r\n  ; comment only\r\n"
                               "FOGCOLOR 0 0 0     ; black\r\n\r\nMP3",
         headerBlock + "NAME\t\tCaf\xe9\r\nFOGCOLOR\t0 0 0\t\t\t\t; black\r\nMP3\t\t\r\n"},
        // UTF-8 stays UTF-8: the star has no Windows-1252 form at all.
        {"utf8", "\xe2\x98\x85", "NAME Caf\xc3\xa9\n", headerBlock + "NAME\t\t\xe2\x98\x85\r\n"},
        {"star", "Snow \xe2\x98\x85", old, old,
         QStringLiteral("Runtime Error '84': The value of tag \"NAME\" holds the character "
                        "\"\u2605\" (U+2605), which a Windows-1252 file cannot hold.\r\n")},
        {"roFolder", "Changed", old, old, s("Runtime Error '13': Permission denied\r\n"), 0555,
         0666},
    };
    ASSERT_EQ(chmodPath(levels.path(), 0755), 0);
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const QString name = s(test.name), folder = pick(name, test.input, test.typed),
                      file = folder + u'/' + name + s(".inf");
        ASSERT_EQ(chmodPath(file, test.fileMode) | chmodPath(folder, test.folderMode), 0);
        for (int time = 0; time < 2; ++time) {
            std::optional<AsOrdinaryUser> user;
            if (test.folderMode != 0755 && !user.emplace().active())
                GTEST_SKIP() << "running as root without a way to give up the privilege";
            EXPECT_EQ(save(name).message(), saved + file + u'\''
                      + (test.errors.isEmpty() ? noErrors : errorsFollow + test.errors));
            EXPECT_EQ(TempLevels::readAll(file), test.saved);
        }
        chmodPath(folder, 0755);
        EXPECT_EQ(TempLevels::entries(folder), QStringList{name + s(".inf")}); // no leftovers
        EXPECT_EQ(folders.openRequests, QStringList{folder});
        EXPECT_EQ(edit::getTagValue(state, s("name")), QString::fromUtf8(test.typed));
    }
}

// A child saves two documents in turn until killed; every kill leaves one of them whole.
TEST_F(SaveTest, killedWhileSaving_leavesWholeOldOrNewFile)
{
    const QByteArray big = QByteArray("TAG value ; note\r\n").repeated(3000);
    const QString file = pick(s("toytrack"), big, "") + s("/toytrack.inf");
    edit::State documents[2];
    QByteArray bytes[2];
    QElapsedTimer timer;
    for (timer.start(); int i : {0, 1}) {
        edit::setTagValue(state, view, s("tag"), QString(1 + 9000 * i, u'x'));
        documents[i] = state;
        ASSERT_EQ(save(s("toytrack")).errors, QString());
        bytes[i] = TempLevels::readAll(file);
    }
    // Kills spread over about four saves, however fast or slow the disk is.
    const int spread = int(qMax<qint64>(2000, timer.nsecsElapsed() / 500));
    int seen[2] = {0, 0};
    const pid_t parentId = ::getpid();
    for (int round = 0; round < 500 && (round < 60 || seen[0] < 3 || seen[1] < 3); ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0); // never kill(-1)
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (int i = 0; ::getppid() == parentId; ++i) {
                state = documents[i % 2];
                save(s("toytrack"));
            }
            ::_exit(1);
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(spread)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_TRUE(::waitpid(child, &status, 0) == child && WIFSIGNALED(status));
        const QByteArray now = TempLevels::readAll(file);
        ASSERT_TRUE(now == bytes[0] || now == bytes[1]) << round << ": " << now.size() << " bytes";
        ++seen[now == bytes[0] ? 0 : 1];
    }
    EXPECT_TRUE(seen[0] >= 3 && seen[1] >= 3) << "kills among saves " << seen[0] << "/" << seen[1];
}

// The system call, and the fallback for file systems without it, refuse every taken name:
// "L.w" is a second link to "l.w", which the way round a letter-case rename must not replace.
TEST(RenameNoReplace, neverReplacesAFileOrFolder)
{
    using Names = std::pair<const char*, const char*>;
    const Names taken[] = {{"a.w", "a.inf"}, {"full", "empty"}, {"l.w", "L.w"}};
    const Names kept[] = {{"a.inf", "a.inf"}, {"L.w", "l.w"}, {"full/x", "full/x"}, {"b.w", "a.w"}};
    for (const auto function : {&edit::renameNoReplace, &edit::renameNoReplaceFallback}) {
        SCOPED_TRACE(function == &edit::renameNoReplace ? "system call" : "fallback");
        TempLevels levels;
        const QString base = levels.path() + u'/';
        for (const char* name : {"a.inf", "a.w", "full/x", "l.w"})
            levels.writeFile(s(name), name);
        levels.makeFolder(s("empty"));
        ASSERT_EQ(::link(qPrintable(base + s("l.w")), qPrintable(base + s("L.w"))), 0);
        for (const auto& [from, to] : taken) // no error reads as code 0
            EXPECT_EQ(function(base + s(from), base + s(to)).value_or(edit::FileError{}).code,
                      EEXIST) << from << " to " << to;
        EXPECT_EQ(function(base + s("a.w"), base + s("b.w")), std::nullopt);
        EXPECT_EQ(TempLevels::entries(levels.path()), words("L.w a.inf b.w empty full l.w"));
        for (const auto& [name, content] : kept) // contents travel with their names
            EXPECT_EQ(TempLevels::readAll(base + s(name)), content);
    }
}

// "mytrack.fan" is where toytrack.fan would go: both stay, and that is no error. A refused
// rename touches nothing, saves all the same and reloads the track from its old folder.
TEST_F(SaveTest, rename_followsTheSettingsAndNeverTouchesAnotherFolder)
{
    const QStringList before = words(
        "toytrack.inf toytrack.w toytrack.- toytracka.bmp toytrackb.bmq toytrackz.bmp toytrack.ta- "
        "toytrackA.bmp toytrack.txt toytrack.fan mytrack.fan readme.txt");
    const QString moved = s("'\rRenamed folder 'toytrack' to 'mytrack'");
    const QString toMytrack = s("mytrack/mytrack.inf") + moved
                              + s("\rRenamed selected file types in 'mytrack'") + noErrors;
    const QString exists = s("toytrack/toytrack.inf") + moved + errorsFollow
                           + s("Runtime Error '17': File exists\r\n");
    // renamed: what follows "toytrack" in the files that take the new name; target: the files
    // in a folder of the new name that is there already; message: after the levels folder.
    struct Case { QString newName, message; const char *renamed = "", *target = nullptr;
                  int kind = 1; bool temp = true; };
    std::vector<Case> cases = {
        {s("mytrack"), toMytrack, ".inf .w .- a.bmp b.bmq z.bmp .ta-"},
        {s("mytrack"), toMytrack, ".inf .w a.bmp b.bmq z.bmp", {}, 1, false},
        // Type 0 renames the folder only: no info file has the folder's new name.
        {s("mytrack"), s("mytrack/toytrack.inf") + moved + noErrors, "", nullptr, 0},
        {s("Toytrack"), s("Toytrack/Toytrack.inf'\rRenamed folder 'toytrack' to 'Toytrack'\r"
                          "Renamed selected file types in 'Toytrack'") + noErrors,
         ".inf .w .- a.bmp b.bmq z.bmp .ta- .fan"},
        {s("mytrack"), exists, "", ""},
        {s("mytrack"), exists, "", "toytrack.w"}, // renaming inside it would take this
    };
    for (const QString& name : {QString(), s("."), s(".."), s("a/b"), s("/abs"), s("a\0b", 3)})
        cases.push_back({name, s("toytrack/toytrack.inf'") + errorsFollow + s("Runtime Error '22': "
                         "Invalid folder name '") + QString(name).replace(QChar(0), u'\u2400')
                         + s("': nothing was renamed\r\n")});
    // The folder's name fits, but its lettered bitmaps' would not (256 bytes): nothing moves.
    const QString longName(251, u'm');
    cases.push_back({longName, s("toytrack/toytrack.inf'") + errorsFollow
                     + s("Runtime Error '36': File name too long: '") + longName
                     + s("a.bmp': nothing was renamed\r\n")});
    for (const Case& test : cases) {
        sub = QString::number(&test - cases.data()) + u'/';
        SCOPED_TRACE(sub.toStdString());
        pick(s("toytrack"), "NAME Toy\r\n", "Edited");
        for (const QString& name : before.mid(1))
            levels.writeFile(sub + s("toytrack/") + name, name.toLatin1());
        levels.makeFolder(sub + s(test.target ? "mytrack" : "toytrack"));
        for (const QString& name : words(test.target ? test.target : ""))
            levels.writeFile(sub + s("mytrack/") + name, "theirs");
        rename = {Rename::defaultExtensions.split(u';'), test.kind, test.temp};

        EXPECT_EQ(save(test.newName).message(), saved + in(test.message));

        const QString where = in(test.message.section(u'/', 0, 0)),
                      infoFile = in(test.message.section(u'\'', 0, 0));
        EXPECT_EQ(TempLevels::readAll(infoFile), headerBlock + "NAME\t\tEdited\r\n");
        QStringList after;
        for (const QString& old : before) {
            const QString tail = old.mid(8);
            const bool moves = old.startsWith(s("toytrack")) && words(test.renamed).contains(tail);
            after << (moves ? test.newName + tail : old);
        }
        after.sort();
        EXPECT_EQ(TempLevels::entries(where), after);
        EXPECT_EQ(TempLevels::entries(in(s(test.target ? "mytrack" : "-"))), words(test.target));
        EXPECT_EQ(TempLevels::readAll(in(s("mytrack/toytrack.w"))) == "theirs",
                  test.target && *test.target);
        // The browser went to where the track is now, and read the track from there.
        EXPECT_EQ(folders.openRequests, QStringList{where});
        EXPECT_EQ(state.fileLoaded, infoFile == where + u'/' + where.section(u'/', -1) + s(".inf"));
    }
}

// A rename stopped at any step is found from either name of the folder and finished, nothing
// replaced; until then neither a second rename nor New can bury the track's own files.
TEST_F(SaveTest, interruptedRename_isFoundFinishedAndNeverReplacesAFile)
{
    const QStringList files =
        words("toytrack.inf toytrack.w toytrack.ta- toytracka.bmp readme.txt");
    const QString journal = s(".kite-rename-journal");
    // stop: after which step the rename stopped (0: its journal written, 1: the folder renamed,
    // 1 + n: n track files renamed too); folder: the name it was given by hand since, if any.
    // taken: a file of the new name already there ("linked": the same file, as a rename through
    // a hard link leaves it when cut short). renamed: the files with the new name at the end.
    struct Case { const char* name; int stop; const char *taken = "", *folder = "",
                  *renamed = "mytrack.inf mytrack.w mytrack.ta- mytracka.bmp", *error = "";
                  int left = 4; };
    const Case cases[] = {
        {"journalOnly", 0},
        {"folderOnly", 1},
        {"twoFiles", 3, "", "", "mytrack.inf mytrack.w mytrack.ta- mytracka.bmp", "", 2},
        {"nameTaken", 1, "mytrack.w", "", "mytrack.inf mytrack.w mytrack.ta- mytracka.bmp "
         "toytrack.w", "Runtime Error '17': 'toytrack.w' kept the old name"},
        {"linked", 2, "linked", "", "mytrack.inf mytrack.w mytrack.ta- mytracka.bmp", "", 3},
        {"renamedByHand", 1, "", "histrack", "histrack.inf histrack.w histrack.ta- "
         "histracka.bmp"},
        {"otherFolderOfTheNewName", 0, "", "", "", "Runtime Error '17': File exists"},
    };
    for (const Case& test : cases) {
        sub = s(test.name) + u'/';
        SCOPED_TRACE(test.name);
        const QString old = pick(s("toytrack"), "NAME Toy\r\n", "Toy");
        for (const QString& name : files.mid(1))
            levels.writeFile(sub + s("toytrack/") + name, name.toLatin1());
        // The steps a save takes, up to where it stopped.
        ASSERT_EQ(edit::RenameJournal(old, rename, s("toytrack"), s("mytrack")).error(),
                  std::nullopt); // and stopped there: the journal stays
        QString folder = old;
        if (test.stop >= 1) {
            folder = in(s(*test.folder ? test.folder : "mytrack"));
            ASSERT_EQ(edit::renameNoReplace(old, folder), std::nullopt);
        }
        int step = 1;
        const auto renameOne = [&](const QString& from, const QString& to) {
            if (QFile::exists(folder + u'/' + from) && ++step <= test.stop) {
                EXPECT_EQ(edit::renameNoReplace(folder + u'/' + from, folder + u'/' + to),
                          std::nullopt);
            }
        };
        edit::forEachTrackFile(rename, s("toytrack"), s("mytrack"), renameOne);
        const QString taken = folder + s("/mytrack.w");
        if (s(test.taken) == s("linked"))
            ASSERT_EQ(::link(qPrintable(folder + s("/toytrack.w")), qPrintable(taken)), 0);
        else if (*test.taken)
            levels.writeFile(sub + folder.section(u'/', -1) + s("/mytrack.w"), "theirs");
        if (s(test.name) == s("otherFolderOfTheNewName"))
            levels.makeFolder(sub + s("mytrack"));
        const QStringList before = TempLevels::entries(folder);

        // Until finished, no second rename and no New; where the track loads, Save writes it
        // in place.
        folders.selected = folders.open = folder;
        const QString infoFile = folder + (test.stop >= 2 ? s("/mytrack.inf") : s("/toytrack.inf"));
        ASSERT_EQ(edit::loadTrack(state, view, folder), QString());
        if (state.fileLoaded) {
            EXPECT_TRUE(save(s("other")).errors.contains(s("not finished")));
        }
        EXPECT_TRUE(edit::newTrackFile(state, view, folder).contains(s("not finished")));
        EXPECT_EQ(TempLevels::entries(folder), before);
        EXPECT_TRUE(!QFileInfo::exists(in(s("other"))) && edit::isHalfRenamed(folder));
        const QByteArray info = TempLevels::readAll(infoFile);
        ASSERT_FALSE(info.isEmpty());

        const std::optional<edit::InterruptedRename> found = edit::findInterruptedRename(folder);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(std::tuple(found->folderRenamed, found->filesLeft, found->newName.toStdString()),
                  std::tuple(test.stop >= 1, test.left, std::string(*test.folder ? test.folder
                                                                                 : "mytrack")));
        EXPECT_TRUE(found->offer().contains(s("'toytrack' to '") + found->newName + u'\''));
        const edit::SaveResult finished = edit::finishRename(folders, *found);
        EXPECT_TRUE(*test.error ? finished.errors.startsWith(s(test.error))
                                : finished.errors.isEmpty()) << finished.message().toStdString();

        // Where it ended: every file there whole, the journal gone once nothing more can be done.
        const QString now = *test.renamed ? in(s(test.renamed).section(u'.', 0, 0)) : old;
        QStringList expected = words(*test.renamed ? test.renamed : "") << s("readme.txt");
        if (!*test.renamed)
            expected = files + QStringList{journal};
        expected.sort();
        EXPECT_EQ(TempLevels::entries(now), expected);
        const QString nowName = now.section(u'/', -1);
        EXPECT_EQ(TempLevels::readAll(now + u'/' + nowName + s(".inf")), info);
        for (const QString& file : files.mid(1)) {
            const QString there = now + u'/' + QString(file).replace(s("toytrack"), nowName);
            const QString kept = now + u'/' + file;
            EXPECT_EQ(TempLevels::readAll(QFileInfo::exists(kept) ? kept : there), file.toLatin1());
        }
        if (*test.taken && s(test.taken) != s("linked")) {
            EXPECT_EQ(TempLevels::readAll(now + s("/mytrack.w")), "theirs");
        }
        EXPECT_EQ(folders.selected, now);
        EXPECT_EQ(edit::isHalfRenamed(now), !*test.renamed);
        EXPECT_EQ(edit::findInterruptedRename(now).has_value(), !*test.renamed);
    }
}

// A journal cut short while it was written (nothing was renamed after it), or one whose rename
// is done, is no interrupted rename: it goes, and nothing else moves.
TEST_F(SaveTest, journalCutShortOrRenameDone_isRemovedQuietly)
{
    for (const int stop : {1, 2, 9999}) { // bytes of the journal left, or all files renamed
        sub = QString::number(stop) + u'/';
        SCOPED_TRACE(stop);
        const QString old = pick(s("toytrack"), "NAME Toy\r\n", "Toy");
        levels.writeFile(sub + s("toytrack/toytrack.w"), "w");
        ASSERT_EQ(edit::RenameJournal(old, rename, s("toytrack"), s("mytrack")).error(),
                  std::nullopt);
        QString folder = old;
        const QString journal = folder + s("/.kite-rename-journal");
        if (stop < 9999) {
            ASSERT_TRUE(QFile(journal).resize(stop * 12));
        } else {
            folder = in(s("mytrack"));
            ASSERT_EQ(edit::renameNoReplace(old, folder), std::nullopt);
            for (const char* file : {"inf", "w"})
                ASSERT_EQ(edit::renameNoReplace(folder + s("/toytrack.") + s(file),
                                                folder + s("/mytrack.") + s(file)), std::nullopt);
        }
        const QStringList before = TempLevels::entries(folder);
        EXPECT_FALSE(edit::findInterruptedRename(folder).has_value());
        EXPECT_TRUE(before.contains(s(".kite-rename-journal")));
        QStringList after = before;
        after.removeAll(s(".kite-rename-journal"));
        EXPECT_EQ(TempLevels::entries(folder), after);
    }
}

// While another editor renames the track, its journal is held: opening the track offers and
// removes nothing, and neither a second rename, New nor a second finisher starts.
TEST_F(SaveTest, renameInProgress_isLeftToTheEditorRunningIt)
{
    const QString folder = pick(s("toytrack"), "NAME Toy\r\n", "Toy");
    const edit::RenameJournal running(folder, rename, s("toytrack"), s("mytrack"));
    ASSERT_EQ(running.error(), std::nullopt);
    const QStringList before = TempLevels::entries(folder);
    EXPECT_FALSE(edit::findInterruptedRename(folder).has_value());
    EXPECT_TRUE(edit::isHalfRenamed(folder));
    EXPECT_TRUE(save(s("mytrack")).errors.contains(s("not finished")));
    EXPECT_TRUE(edit::newTrackFile(state, view, folder).contains(s("not finished")));
    EXPECT_EQ(edit::RenameJournal(folder).error().value_or(edit::FileError{}).code, EALREADY);
    EXPECT_EQ(TempLevels::entries(folder), before);
    EXPECT_FALSE(QFileInfo::exists(in(s("mytrack"))));
}

// A track folder that cannot take the journal (read-only to the user, in a levels folder that is
// not) is not renamed at all: before, the folder moved and every file kept its old name.
TEST_F(SaveTest, renameOfAReadOnlyTrackFolder_isRefusedBeforeAnythingMoves)
{
    const QString folder = pick(s("toytrack"), "NAME Toy\r\n", "Toy");
    levels.writeFile(s("toytrack/toytrack.w"), "w");
    ASSERT_EQ(chmodPath(levels.path(), 0777) | chmodPath(folder, 0555), 0);
    const QStringList before = TempLevels::entries(folder);
    {
        const AsOrdinaryUser user;
        if (!user.active())
            GTEST_SKIP() << "running as root without a way to give up the privilege";
        EXPECT_TRUE(save(s("mytrack")).errors.endsWith(
            s("Runtime Error '13': Permission denied\r\n")));
    }
    chmodPath(folder, 0755);
    EXPECT_FALSE(QFileInfo::exists(in(s("mytrack"))));
    EXPECT_EQ(TempLevels::entries(folder), before);
}

// New writes the template only where the name is free: never over what holds it, a hidden
// file included, and the track loaded before stays then.
TEST_F(SaveTest, newTrackFile_writesTheTemplateOnlyWhereTheNameIsFree)
{
    pick(s("loaded"), "NAME Loaded\r\n", "Loaded");
    for (const char* place : {"file/toytrack", "hidden/.toytrack"}) {
        SCOPED_TRACE(place);
        const QString folder = levels.makeFolder(s(place));
        const QString name = folder.section(u'/', -1) + s(".inf"), file = folder + u'/' + name;
        levels.writeFile(s(place) + u'/' + name, "Mine");
        EXPECT_EQ(edit::newTrackFile(state, view, folder),
                  s("Could not create '") + file + s("': File exists"));
        EXPECT_EQ(TempLevels::entries(folder), QStringList{name});
        EXPECT_EQ(TempLevels::readAll(file), "Mine");
        EXPECT_EQ(edit::getTagValue(state, s("name")), s("Loaded"));
    }
    const QString folder = levels.makeFolder(s("free/toytrack"));
    EXPECT_EQ(edit::newTrackFile(state, view, folder), QString());
    EXPECT_EQ(TempLevels::entries(folder), QStringList{s("toytrack.inf")});
    QByteArray written = headerBlock; // and 12 names padded to 17 characters, each ending CR LF
    for (const QString& name : words("NAME STARTPOS STARTROT STARTGRID FARCLIP FOGSTART FOGCOLOR "
                                     "VERTFOGSTART VERTFOGEND WORLDRGBPER MODELRGBPER "
                                     "INSTANCERGBPER"))
        written += name.leftJustified(17).toLatin1() + "\r\n";
    EXPECT_EQ(TempLevels::readAll(folder + s("/toytrack.inf")), written);
    EXPECT_TRUE(state.fileLoaded && edit::getTagValue(state, s("name")).isEmpty());
}

} // namespace
