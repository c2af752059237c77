// Saving a track, renaming its folder and files, and New, on real throw-away folders.
#include "save/editSave.h"

#include "save/Rename.h"
#include "save/SaveFakes.h"
#include "save/renameJournal.h"
#include "save/trackRename.h"
#include "support/TempTrack.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <cstddef>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <fcntl.h>
#include <iostream>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>

// Failure messages show texts, not bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

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
// was and the typed name in memory. An ordinary user saves unless the folder is 0755: a
// read-only folder takes no new file, so a writable info file in it is written in place.
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
        {"roFolder", "Changed", old, headerBlock + "NAME\t\tChanged\r\n", {}, 0555, 0666},
        {"roFolderAndFile", "Changed", old, old, s("Runtime Error '13': Permission denied\r\n"),
         0555, 0444},
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

// What the file system knows about the info file outlives a save: a second hard link, an
// owner and group the saving user could not give a new file (it is then written in place), the
// permission bits, and a link that stays in the track folder. A link that leads out of the
// track folder is never written through: the error line names the link and where it leads.
TEST_F(SaveTest, save_keepsLinksOwnerGroupAndMode_andNeverWritesOutsideTheTrack)
{
    // file: where the info file's content is, from the case's folder; link: the info file is
    // a link with this text ("@" stands for the case's folder); sub: the text of a link
    // "sub" in the track folder.
    struct Case { const char *name, *file, *link = nullptr, *sub = nullptr; nlink_t links = 1;
                  uid_t uid = 0; gid_t gid = 0; int mode = 0644; bool asNobody = false,
                  inPlace = false, refused = false; };
    const Case cases[] = {
        {"plain", "toytrack/toytrack.inf"},
        {.name = "hardLink", .file = "toytrack/toytrack.inf", .links = 2, .inPlace = true},
        {.name = "foreignOwner", .file = "toytrack/toytrack.inf", .gid = 65534, .mode = 0664,
         .asNobody = true, .inPlace = true},
        {.name = "ownersKept", .file = "toytrack/toytrack.inf", .uid = 65534, .gid = 65534,
         .mode = 0604},
        {"linkInside", "toytrack/data/real.inf", "data/real.inf"},
        {.name = "linkOutside", .file = "outside/victim.conf", .link = "../outside/victim.conf",
         .refused = true},
        {.name = "absoluteLinkOutside", .file = "outside/victim.conf",
         .link = "@outside/victim.conf", .refused = true},
        {.name = "linkToAnotherTrack", .file = "goodtrack/goodtrack.inf",
         .link = "../goodtrack/goodtrack.inf", .refused = true},
        {.name = "linkThroughLinkedFolder", .file = "outside/victim.conf",
         .link = "sub/victim.conf", .sub = "@outside", .refused = true},
    };
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(chmodPath(levels.path(), 0755), 0);
    for (const Case& test : cases) {
        if (!root && (test.uid != 0 || test.gid != 0 || test.asNobody))
            continue; // only root can give a file another owner
        sub = QString::number(&test - cases) + u'/';
        SCOPED_TRACE(test.name);
        const auto at = [this](const char* text) {
            return QString::fromLatin1(text).replace(u'@', in(QString()));
        };
        const QString folder = in(s("toytrack")), info = folder + s("/toytrack.inf"),
                      file = in(s(test.file)), shared = in(s("shared.inf"));
        const QByteArray old = "NAME Old\r\n; a comment\r\n";
        levels.writeFile(sub + s(test.file), old);
        levels.makeFolder(sub + s("toytrack"));
        const QString subFolder = folder + s("/sub");
        ASSERT_TRUE(!test.link || ::symlink(qPrintable(at(test.link)), qPrintable(info)) == 0);
        ASSERT_TRUE(!test.sub || ::symlink(qPrintable(at(test.sub)), qPrintable(subFolder)) == 0);
        ASSERT_TRUE(test.links == 1 || ::link(qPrintable(file), qPrintable(shared)) == 0);
        ASSERT_TRUE(!root || ::chown(qPrintable(file), test.uid, test.gid) == 0);
        ASSERT_EQ(chmodPath(file, test.mode) | chmodPath(folder, test.asNobody ? 0777 : 0755), 0);
        folders.selected = folders.open = folder;
        ASSERT_EQ(edit::loadTrack(state, view, folder), QString());
        edit::setTagValue(state, view, s("name"), s("Changed"));
        const QStringList entries = TempLevels::entries(folder);
        struct stat before {}, after {};
        ASSERT_EQ(::stat(qPrintable(file), &before), 0);
        {
            std::optional<AsOrdinaryUser> user;
            if (test.asNobody && !user.emplace().active())
                GTEST_SKIP() << "running as root without a way to give up the privilege";
            const QString refusal =
                s("Runtime Error '1': '") + info + s("' is a link to '")
                + QFileInfo(file).canonicalFilePath()
                + s("', outside the track folder; nothing was written to it\r\n");
            EXPECT_EQ(save(s("toytrack")).message(), saved + info + u'\''
                      + (test.refused ? errorsFollow + refusal : noErrors));
        }
        EXPECT_EQ(TempLevels::readAll(file),
                  test.refused ? old : headerBlock + "NAME\t\tChanged\r\n");
        ASSERT_EQ(::stat(qPrintable(file), &after), 0);
        EXPECT_EQ(std::tuple(after.st_uid, after.st_gid, after.st_mode, after.st_nlink),
                  std::tuple(before.st_uid, before.st_gid, before.st_mode, test.links));
        EXPECT_EQ(after.st_ino == before.st_ino, test.inPlace || test.refused);
        EXPECT_EQ(TempLevels::readAll(shared), test.links == 2 ? TempLevels::readAll(file) : "");
        EXPECT_EQ(QFileInfo(info).isSymLink(), test.link != nullptr);
        EXPECT_EQ(TempLevels::entries(folder), entries); // nothing left, nothing made
        EXPECT_EQ(edit::getTagValue(state, s("name")), s("Changed"));
    }
}

// A track folder copied from a system that ignores letter case: its one info file in other
// letter case is loaded, saved under its own name and renamed with the folder. Two or more
// load nothing and say which they are. New never writes a file beside any of them.
TEST_F(SaveTest, infoFileInOtherLetterCase_isTheTracksWhenItIsTheOnlyOne)
{
    // files: the folder's entries (a "/" ends a folder's name); loaded: the info file's name.
    struct Case { const char *files, *loaded = nullptr; };
    const Case cases[] = {
        {"toytrack.inf", "toytrack.inf"},
        {"TOYTRACK.INF ToyTrack.INF/ readme.txt", "TOYTRACK.INF"}, // a folder is no info file
        {"TOYTRACK.inf toytrack.inf"},
        {"TOYTRACK.inf ToyTrack.Inf toytrack.inf"},
    };
    for (const Case& test : cases) {
        sub = QString::number(&test - cases) + u'/';
        SCOPED_TRACE(test.files);
        const QString folder = levels.makeFolder(sub + s("ToyTrack"));
        QStringList variants, ambiguous; // New's refusal names them all, the load only files
        for (const QString& name : words(test.files)) {
            const bool isFolder = name.endsWith(u'/');
            if (isFolder)
                levels.makeFolder(sub + s("ToyTrack/") + name.chopped(1));
            else
                levels.writeFile(sub + s("ToyTrack/") + name, "NAME " + name.toLatin1());
            if (!name.contains(s(".inf/"), Qt::CaseInsensitive)
                && !name.endsWith(s(".inf"), Qt::CaseInsensitive))
                continue;
            variants << u'\'' + name.chopped(isFolder) + u'\'';
            if (!isFolder)
                ambiguous << u'"' + name + u'"';
        }
        const QStringList entries = TempLevels::entries(folder);
        const QString canonical = folder + s("/ToyTrack.inf");
        const QString why = test.loaded ? QString()
            : s("The info file \"") + canonical + s("\" is ambiguous: ")
              + ambiguous.join(s(", ")) + s(" differ from its name only in letter case.");
        folders.selected = folders.open = folder;
        EXPECT_EQ(edit::loadTrack(state, view, folder),
                  why + s(test.loaded ? "" : " None of them was loaded."));
        EXPECT_EQ(state.fileLoaded, test.loaded != nullptr);
        EXPECT_EQ(edit::getTagValue(state, s("name")), s(test.loaded));
        EXPECT_EQ(edit::newTrackFile(state, view, folder),
                  s("Could not create '") + canonical
                  + s("': File exists in other letter case: ") + variants.join(s(", ")));
        EXPECT_EQ(TempLevels::entries(folder), entries);
        edit::setTagValue(state, view, s("name"), s("Edited"));
        const QString info = test.loaded ? folder + u'/' + s(test.loaded) : canonical;
        EXPECT_EQ(save(s("ToyTrack")).message(), saved + info + u'\''
                  + (test.loaded ? noErrors : errorsFollow + s("Runtime Error '22': ") + why
                                                  + s(" Nothing was written.\r\n")));
        EXPECT_EQ(TempLevels::entries(folder), entries);
        if (!test.loaded) {
            for (const QString& name : entries)
                EXPECT_EQ(TempLevels::readAll(folder + u'/' + name), "NAME " + name.toLatin1());
            continue;
        }
        EXPECT_EQ(TempLevels::readAll(info), headerBlock + "NAME\t\tEdited\r\n");
        // Renamed with its folder, it takes the name the game looks for.
        EXPECT_EQ(save(s("MyTrack")).message(),
                  saved + in(s("MyTrack/MyTrack.inf'\rRenamed folder 'ToyTrack' to 'MyTrack'\r"
                               "Renamed selected file types in 'MyTrack'")) + noErrors);
        QStringList renamed = entries;
        renamed.replaceInStrings(s(test.loaded), s("MyTrack.inf"));
        renamed.sort();
        EXPECT_EQ(TempLevels::entries(in(s("MyTrack"))), renamed);
        EXPECT_TRUE(state.fileLoaded);
    }
}

// Makes openat() in this process fail with EOPNOTSUPP for O_TMPFILE, as it does on file
// systems without unnamed files.
bool refuseUnnamedFiles()
{
    const __u32 unnamed = O_TMPFILE & ~O_DIRECTORY;
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])), // the flags
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, unnamed, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{sizeof filter / sizeof filter[0], filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0
           && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Killing saves: two documents of a track made of `line` repeated, saved once each here (their
// files in `bytes`) and then in turn by a child until it is killed at a random moment.
struct KillTest : SaveTest
{
    edit::State documents[2];
    QByteArray bytes[2];
    int spread = 0; // microseconds: as long as `saves` saves, however fast or slow the disk is
    QString file;

    void prepare(const QByteArray& line, int lines, int saves)
    {
        file = pick(s("toytrack"), line.repeated(lines), "") + s("/toytrack.inf");
        QElapsedTimer timer;
        for (timer.start(); int i : {0, 1}) {
            edit::setTagValue(state, view, s("tag"), QString(1 + 9000 * i, u'x'));
            documents[i] = state;
            ASSERT_EQ(save(s("toytrack")).errors, QString());
            bytes[i] = TempLevels::readAll(file);
        }
        spread = int(qMax<qint64>(2000, timer.nsecsElapsed() / 2000 * saves));
    }
    // One round; false when the child did not die of the kill. Without unnamed files the
    // child saves as on a file system that has none (open() refuses O_TMPFILE).
    bool saveUntilKilled(bool unnamedFiles = true)
    {
        const pid_t parentId = ::getpid();
        const pid_t child = ::fork();
        if (child < 0)
            return false; // never kill(-1)
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (!unnamedFiles && !refuseUnnamedFiles())
                ::_exit(2);
            for (int i = 0; ::getppid() == parentId; ++i) {
                state = documents[i % 2];
                save(s("toytrack"));
            }
            ::_exit(1);
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(spread)));
        ::kill(child, SIGKILL);
        int status = 0;
        return ::waitpid(child, &status, 0) == child && WIFSIGNALED(status);
    }
    // 0 or 1 for the document the file holds whole, -1 for anything else.
    int whole() const
    {
        const QByteArray now = TempLevels::readAll(file);
        return now == bytes[0] ? 0 : now == bytes[1] ? 1 : -1;
    }
};

// Every kill leaves one of the two documents whole.
TEST_F(KillTest, killedWhileSaving_leavesWholeOldOrNewFile)
{
    prepare("TAG value ; note\r\n", 3000, 4);
    int seen[2] = {0, 0};
    for (int round = 0; round < 500 && (round < 60 || seen[0] < 3 || seen[1] < 3); ++round) {
        ASSERT_TRUE(saveUntilKilled());
        const int now = whole();
        ASSERT_GE(now, 0) << round << ": " << TempLevels::readAll(file).size() << " bytes";
        ++seen[now];
    }
    EXPECT_TRUE(seen[0] >= 3 && seen[1] >= 3) << "kills among saves " << seen[0] << "/" << seen[1];
}

// A large file, so that most kills land while it is being written. Every other round the
// child saves as on a file system without unnamed files, where its new file has a hidden name
// from the start. Whatever a kill leaves in the track folder is counted; the next save of the
// folder leaves nothing but the info file.
TEST_F(KillTest, killedWhileSaving_leavesNothingOnceTheFolderIsSavedAgain)
{
    prepare("TAG value ; note\r\n", 50000, 2);
    const QString folder = in(s("toytrack"));
    const QStringList alone{s("toytrack.inf")};
    int rounds = 0, leftAfterKill[2] = {0, 0}, leftAfterNextSave = 0;
    for (; rounds < 200; ++rounds) {
        const int unnamed = rounds % 2;
        ASSERT_TRUE(saveUntilKilled(unnamed)) << rounds;
        ASSERT_GE(whole(), 0) << rounds;
        leftAfterKill[unnamed] += TempLevels::entries(folder) != alone;
        state = documents[rounds % 2];
        ASSERT_EQ(save(s("toytrack")).errors, QString());
        const QStringList after = TempLevels::entries(folder);
        leftAfterNextSave += after != alone;
        EXPECT_EQ(after, alone) << rounds;
    }
    std::cout << "[ tally    ] " << rounds << " kills: " << leftAfterKill[1] << " of "
              << rounds / 2 << " left a file in the folder, " << leftAfterKill[0] << " of "
              << rounds / 2 << " without unnamed files; " << leftAfterNextSave
              << " still after the next save\n";
    EXPECT_EQ(leftAfterNextSave, 0);
}

// What a killed save left goes with the next save of the folder. A temporary file that another
// running editor holds (it keeps the file locked while it writes it) stays, and so does every
// other file: the file in the middle of a rename is the track's own.
TEST_F(SaveTest, nextSave_removesWhatAKilledSaveLeft_notWhatAnotherEditorHolds)
{
    const QString folder = pick(s("toytrack"), "NAME Old\r\n", "New");
    const QStringList gone = words(".kite-save-1f2e3d4c5b6a7988.tmp .kite-new-9a.tmp");
    const QStringList kept = words(".kite-save-77.tmp .kite-rename-5e.tmp .kite-save-notes.txt "
                                   "my.tmp toytrack.inf");
    for (const QString& name : gone + kept)
        if (name != kept.last())
            levels.writeFile(s("toytrack/") + name, "NAME Half");
    int held[2];
    ASSERT_EQ(::pipe(held), 0);
    const pid_t editor = ::fork();
    ASSERT_GE(editor, 0);
    if (editor == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int fd = ::open(qPrintable(folder + s("/.kite-save-77.tmp")), O_RDWR);
        const bool locked = fd >= 0 && ::flock(fd, LOCK_EX) == 0;
        static_cast<void>(::write(held[1], locked ? "1" : "0", 1) == 1 && ::pause());
        ::_exit(1);
    }
    char locked = 0;
    ASSERT_TRUE(::read(held[0], &locked, 1) == 1 && locked == '1');
    EXPECT_EQ(save(s("toytrack")).message(), saved + folder + s("/toytrack.inf'") + noErrors);
    ::kill(editor, SIGKILL);
    ::waitpid(editor, nullptr, 0);
    QStringList left = kept;
    left.sort();
    EXPECT_EQ(TempLevels::entries(folder), left);
    EXPECT_EQ(TempLevels::readAll(folder + s("/.kite-save-77.tmp")), "NAME Half");
    // Now that nobody holds it, it is a leftover too.
    ASSERT_EQ(save(s("toytrack")).errors, QString());
    left.removeOne(s(".kite-save-77.tmp"));
    EXPECT_EQ(TempLevels::entries(folder), left);
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
    for (const QString& name :
         {QString(), s("."), s(".."), s(".trk"), s("a/b"), s("/abs"), s("a\0b", 3)})
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

// A track file that is a link leading out of the track folder, straight or through another
// link, stays as it is when the folder is renamed, and its error line names it and where it
// leads. A link that stays inside, even one leading nowhere, is renamed as any track file.
TEST_F(SaveTest, rename_leavesTrackFilesLinkedOutOfTheTrack)
{
    const QString folder = pick(s("toytrack"), "NAME Toy\r\n", "Edited");
    const QString target = levels.writeFile(s("outside/x.w"), "theirs");
    const QString targetPath = QFileInfo(target).canonicalFilePath();
    const std::pair<const char*, QString> links[] = {
        {"toytrack.w", s("../outside/x.w")}, {"toytracka.bmp", target},
        {"toytrack.taz", s("toytrack.w")}, // inside, but on to the outside
        {"toytrack.cam", s("data/cam")}, {"toytrack.fan", s("missing")}};
    levels.writeFile(s("toytrack/data/cam"), "cam");
    for (const auto& [name, to] : links)
        ASSERT_EQ(::symlink(qPrintable(to), qPrintable(folder + u'/' + s(name))), 0);
    QString refused;
    for (const char* name : {"toytrack.taz", "toytrack.w", "toytracka.bmp"}) // renaming order
        refused += s("Runtime Error '1': '") + in(s("mytrack/")) + s(name) + s("' is a link to '")
                   + targetPath + s("', outside the track folder; it was not renamed\r\n");
    EXPECT_EQ(save(s("mytrack")).message(),
              saved + in(s("mytrack/mytrack.inf'\rRenamed folder 'toytrack' to 'mytrack'\r"
                           "Renamed selected file types in 'mytrack'")) + errorsFollow + refused);
    EXPECT_EQ(TempLevels::entries(in(s("mytrack"))),
              words("data mytrack.cam mytrack.fan mytrack.inf toytrack.taz toytrack.w "
                    "toytracka.bmp"));
    EXPECT_EQ(TempLevels::readAll(in(s("mytrack/mytrack.cam"))), "cam");
    EXPECT_EQ(TempLevels::readAll(target), "theirs");
    EXPECT_EQ(TempLevels::entries(in(s("outside"))), QStringList{s("x.w")});
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
