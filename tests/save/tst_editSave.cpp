// Saving a track's info file, and New, on real throw-away folders; saves killed at random.
#include "save/SaveTest.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <sys/file.h>
#include <sys/wait.h>

namespace {

// The file's own header, blank and comment lines give way to the header block, and the second
// save writes the same. What the file system knows about the file outlives a save: a second
// hard link, an owner and group the saving user could not give a new file, the permission bits,
// a read-only folder (written in place then) and a link inside the track folder. A value the
// file cannot hold, or a link leading out of the track folder, is one error line and leaves the
// file as it was; the typed name stays in memory.
TEST_F(SaveTest, save_keepsLinksOwnerGroupAndMode_andNeverWritesOutsideTheTrack)
{
    // file: where the info file's content is; link: the info file is a link with this text
    // ("@" stands for the case's folder); sub: the text of a link "sub" in the track folder.
    struct Case { const char *name, *file = "toytrack/toytrack.inf", *link = nullptr,
                  *sub = nullptr, *typed = "Changed"; QByteArray input = "NAME Old\r\n; a\r\n",
                  output = {}; QString error = {}; nlink_t links = 1; uid_t uid = 0; gid_t gid = 0;
                  int mode = 0644, folderMode = 0755; bool asNobody = false, inPlace = false,
                  refused = false; };
    const Case cases[] = {
        {.name = "own", .typed = "Caf\xc3\xa9", .input = "; my own header\r\n\r\nNAME Toy\r\n"
         "  ; comment only\r\nFOGCOLOR 0 0 0     ; black\r\n\r\nMP3", .output = headerBlock
         + "NAME\t\tCaf\xe9\r\nFOGCOLOR\t0 0 0\t\t\t\t; black\r\nMP3\t\t\r\n"},
        {.name = "star", .typed = "Snow \xe2\x98\x85", .error = QStringLiteral(
         "Runtime Error '84': The value of tag \"NAME\" holds the character \"\u2605\" (U+2605), "
         "which a Windows-1252 file cannot hold.\r\n"), .inPlace = true},
        {.name = "readOnlyFolder", .mode = 0666, .folderMode = 0555, .asNobody = true,
         .inPlace = true},
        {.name = "hardLink", .links = 2, .inPlace = true},
        {.name = "foreignOwner", .gid = 65534, .mode = 0664, .folderMode = 0777,
         .asNobody = true, .inPlace = true},
        {.name = "ownersKept", .uid = 65534, .gid = 65534, .mode = 0604},
        {.name = "linkInside", .file = "toytrack/data/real.inf", .link = "data/real.inf"},
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
    ASSERT_EQ(::chmod(qPrintable(levels.path()), 0755), 0);
    for (const Case& test : cases) {
        if (!root && (test.uid != 0 || test.gid != 0 || test.asNobody))
            continue; // only root can give a file another owner, or take another user's part
        sub = QString::number(&test - cases) + u'/';
        SCOPED_TRACE(test.name);
        const auto at = [this](const char* text) { return s(text).replace(u'@', in({})); };
        const QString folder = in(s("toytrack")), info = folder + s("/toytrack.inf"),
                      file = in(s(test.file)), shared = in(s("shared.inf"));
        levels.writeFile(sub + s(test.file), test.input);
        levels.makeFolder(sub + s("toytrack"));
        ASSERT_TRUE(!test.link || ::symlink(qPrintable(at(test.link)), qPrintable(info)) == 0);
        ASSERT_TRUE(!test.sub
                    || ::symlink(qPrintable(at(test.sub)), qPrintable(folder + s("/sub"))) == 0);
        ASSERT_TRUE(test.links == 1 || ::link(qPrintable(file), qPrintable(shared)) == 0);
        ASSERT_TRUE(!root || ::chown(qPrintable(file), test.uid, test.gid) == 0);
        ASSERT_EQ(::chmod(qPrintable(file), test.mode), 0);
        folders.selected = folders.open = folder;
        ASSERT_EQ(edit::loadTrack(state, view, folder), QString());
        edit::setTagValue(state, view, s("name"), QString::fromUtf8(test.typed));
        const QStringList entries = TempLevels::entries(folder);
        struct stat before {}, after {};
        ASSERT_EQ(::stat(qPrintable(file), &before), 0);
        const QString error = !test.refused ? test.error
            : s("Runtime Error '1': '") + info + s("' is a link to '")
              + QFileInfo(file).canonicalFilePath()
              + s("', outside the track folder; nothing was written to it\r\n");
        const QByteArray output = !error.isEmpty() ? test.input : !test.output.isEmpty()
            ? test.output : headerBlock + "NAME\t\t" + test.typed + "\r\n";
        ASSERT_EQ(::chmod(qPrintable(folder), test.folderMode), 0);
        for (int time = 0; time < 2; ++time) {
            std::optional<AsOrdinaryUser> user;
            if (test.asNobody && !user.emplace().active())
                GTEST_SKIP() << "running as root without a way to give up the privilege";
            EXPECT_EQ(save(s("toytrack")).message(), saved + info + u'\''
                      + (error.isEmpty() ? noErrors : errorsFollow + error));
            EXPECT_EQ(TempLevels::readAll(file), output);
            ASSERT_TRUE(time > 0 || ::stat(qPrintable(file), &after) == 0); // inodes are reused
        }
        ASSERT_EQ(::chmod(qPrintable(folder), 0755), 0);
        EXPECT_EQ(std::tuple(after.st_uid, after.st_gid, after.st_mode, after.st_nlink),
                  std::tuple(before.st_uid, before.st_gid, before.st_mode, test.links));
        EXPECT_EQ(after.st_ino == before.st_ino, test.inPlace || test.refused);
        EXPECT_EQ(TempLevels::readAll(shared), test.links == 2 ? output : "");
        EXPECT_EQ(QFileInfo(info).isSymLink(), test.link != nullptr);
        EXPECT_EQ(TempLevels::entries(folder), entries); // nothing left, nothing made
        EXPECT_EQ(folders.openRequests, QStringList{folder});
        EXPECT_EQ(edit::getTagValue(state, s("name")), QString::fromUtf8(test.typed));
    }
}

// Copied from a system that ignores letter case: the folder's one info file in other letter
// case is loaded, saved under its own name and renamed with the folder. Two or more load
// nothing and say which they are. New never writes a file beside any of them.
TEST_F(SaveTest, infoFileInOtherLetterCase_isTheTracksWhenItIsTheOnlyOne)
{
    // files: the folder's entries ("/" ends a folder); loaded: the info file; variants: what
    // New names; ambiguous: what the load names when there are two or more.
    const struct { const char *files, *loaded, *variants, *ambiguous = ""; } cases[] = {
        {"toytrack.inf", "toytrack.inf", "'toytrack.inf'"},
        {"TOYTRACK.INF ToyTrack.INF/ readme.txt", "TOYTRACK.INF", // a folder is no info file
         "'TOYTRACK.INF', 'ToyTrack.INF'"},
        {"TOYTRACK.inf toytrack.inf", "", "'TOYTRACK.inf', 'toytrack.inf'",
         "\"TOYTRACK.inf\", \"toytrack.inf\""},
        {"TOYTRACK.inf ToyTrack.Inf toytrack.inf", "",
         "'TOYTRACK.inf', 'ToyTrack.Inf', 'toytrack.inf'",
         "\"TOYTRACK.inf\", \"ToyTrack.Inf\", \"toytrack.inf\""},
    };
    for (const auto& test : cases) {
        sub = QString::number(&test - cases) + u'/';
        SCOPED_TRACE(test.files);
        const QString folder = levels.makeFolder(sub + s("ToyTrack")), loaded = s(test.loaded);
        for (const QString& name : words(test.files)) {
            if (name.endsWith(u'/'))
                levels.makeFolder(sub + s("ToyTrack/") + name);
            else
                levels.writeFile(sub + s("ToyTrack/") + name, "NAME " + name.toLatin1());
        }
        const QStringList entries = TempLevels::entries(folder);
        const QString canonical = folder + s("/ToyTrack.inf");
        const QString why = !loaded.isEmpty() ? QString()
            : s("The info file \"") + canonical + s("\" is ambiguous: ") + s(test.ambiguous)
              + s(" differ from its name only in letter case.");
        folders.selected = folders.open = folder;
        EXPECT_EQ(edit::loadTrack(state, view, folder),
                  why + s(loaded.isEmpty() ? " None of them was loaded." : ""));
        EXPECT_EQ(state.fileLoaded, !loaded.isEmpty());
        EXPECT_EQ(edit::getTagValue(state, s("name")), loaded);
        EXPECT_EQ(edit::newTrackFile(state, view, folder), s("Could not create '") + canonical
                  + s("': File exists in other letter case: ") + s(test.variants));
        EXPECT_EQ(TempLevels::entries(folder), entries);
        edit::setTagValue(state, view, s("name"), s("Edited"));
        const QString info = loaded.isEmpty() ? canonical : folder + u'/' + loaded;
        EXPECT_EQ(save(s("ToyTrack")).message(), saved + info + u'\''
                  + (!loaded.isEmpty() ? noErrors : errorsFollow + s("Runtime Error '22': ") + why
                                                        + s(" Nothing was written.\r\n")));
        EXPECT_EQ(TempLevels::entries(folder), entries);
        if (loaded.isEmpty()) {
            for (const QString& name : entries)
                EXPECT_EQ(TempLevels::readAll(folder + u'/' + name), "NAME " + name.toLatin1());
            continue;
        }
        EXPECT_EQ(TempLevels::readAll(info), headerBlock + "NAME\t\tEdited\r\n");
        EXPECT_EQ(save(s("MyTrack")).message(),
                  saved + in(s("MyTrack/MyTrack.inf'\rRenamed folder 'ToyTrack' to 'MyTrack'\r"
                               "Renamed selected file types in 'MyTrack'")) + noErrors);
        QStringList renamed = QStringList(entries).replaceInStrings(loaded, s("MyTrack.inf"));
        renamed.sort();
        EXPECT_EQ(TempLevels::entries(in(s("MyTrack"))), renamed);
        EXPECT_TRUE(state.fileLoaded);
    }
}

// New writes the template only where the name is free: never over what holds it, a hidden
// file included, and the track loaded before stays then.
TEST_F(SaveTest, newTrackFile_writesTheTemplateOnlyWhereTheNameIsFree)
{
    pick(s("loaded"), "NAME Loaded\r\n", "Loaded");
    const QString hidden = levels.makeFolder(s(".toytrack")), taken = s("/.toytrack.inf");
    levels.writeFile(s(".toytrack") + taken, "Mine");
    EXPECT_EQ(edit::newTrackFile(state, view, hidden),
              s("Could not create '") + hidden + taken + s("': File exists"));
    EXPECT_EQ(TempLevels::entries(hidden), QStringList{taken.mid(1)});
    EXPECT_EQ(TempLevels::readAll(hidden + taken), "Mine");
    EXPECT_EQ(edit::getTagValue(state, s("name")), s("Loaded"));
    const QString folder = levels.makeFolder(s("toytrack"));
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

// A temporary file that another running editor holds (locked while it writes it) stays, and
// so does every other file: the one in the middle of a rename is the track's own.
TEST_F(SaveTest, nextSave_removesWhatAKilledSaveLeft_notWhatAnotherEditorHolds)
{
    const QString folder = pick(s("toytrack"), "NAME Old\r\n", "New");
    const QStringList gone = words(".kite-save-1f2e3d4c5b6a7988.tmp .kite-new-9a.tmp");
    QStringList kept = words(".kite-rename-5e.tmp .kite-save-77.tmp .kite-save-notes.txt my.tmp "
                             "toytrack.inf");
    for (const QString& name : gone + kept.mid(0, 4))
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
    EXPECT_EQ(TempLevels::entries(folder), kept);
    EXPECT_EQ(TempLevels::readAll(folder + s("/.kite-save-77.tmp")), "NAME Half");
    // Now that nobody holds it, it is a leftover too.
    ASSERT_EQ(save(s("toytrack")).errors, QString());
    kept.removeOne(s(".kite-save-77.tmp"));
    EXPECT_EQ(TempLevels::entries(folder), kept);
}

// A child saves two documents of a large track in turn (most kills land while the file is
// written) until it is killed at a random moment; every other round it saves as on a file
// system without unnamed files, where its new file has a hidden name from the start. Each
// kill leaves one document whole; what it leaves in the folder is counted, and the next save
// of the folder leaves nothing but the info file.
TEST_F(SaveTest, killedWhileSaving_leavesAWholeFile_andNothingOnceTheFolderIsSavedAgain)
{
    const QString folder = pick(s("toytrack"), QByteArray("TAG value ; note\r\n").repeated(50000),
                                ""), file = folder + s("/toytrack.inf");
    edit::State documents[2];
    QByteArray bytes[2];
    QElapsedTimer timer;
    for (timer.start(); int i : {0, 1}) {
        edit::setTagValue(state, view, s("tag"), QString(1 + 9000 * i, u'x'));
        documents[i] = state;
        ASSERT_EQ(save(s("toytrack")).errors, QString());
        bytes[i] = TempLevels::readAll(file);
    }
    const int spread = int(qMax<qint64>(2000, timer.nsecsElapsed() / 1000)); // two saves, in µs
    const QStringList alone{s("toytrack.inf")};
    constexpr int rounds = 200;
    int seen[2] = {0, 0}, leftAfterKill[2] = {0, 0}, leftAfterNextSave = 0;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(round);
        const int unnamed = round % 2;
        const pid_t parent = ::getpid(), child = ::fork();
        ASSERT_GE(child, 0); // never kill(-1)
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            // openat() of an unnamed file fails as on file systems without them.
            if (!unnamed && filterSystemCall(__NR_openat, 2, BPF_JSET, O_TMPFILE & ~O_DIRECTORY,
                                             SECCOMP_RET_ERRNO | EOPNOTSUPP) != 0)
                ::_exit(2);
            for (int i = 0; ::getppid() == parent; ++i) {
                state = documents[i % 2];
                save(s("toytrack"));
            }
            ::_exit(1);
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(spread)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_TRUE(::waitpid(child, &status, 0) == child && WIFSIGNALED(status)) << status;
        const QByteArray now = TempLevels::readAll(file);
        ASSERT_TRUE(now == bytes[0] || now == bytes[1]) << now.size() << " bytes";
        ++seen[now == bytes[1]];
        leftAfterKill[unnamed] += TempLevels::entries(folder) != alone;
        state = documents[round % 2];
        ASSERT_EQ(save(s("toytrack")).errors, QString());
        leftAfterNextSave += TempLevels::entries(folder) != alone;
    }
    std::cout << "[ tally    ] " << rounds << " kills: " << leftAfterKill[1] << " of "
              << rounds / 2 << " left a file in the folder, " << leftAfterKill[0] << " of "
              << rounds / 2 << " without unnamed files; " << leftAfterNextSave
              << " still after the next save; old and new whole " << seen[0] << "/" << seen[1]
              << "\n";
    EXPECT_EQ(leftAfterNextSave, 0);
    EXPECT_TRUE(seen[0] >= 3 && seen[1] >= 3) << "the kills did not land among the saves";
}

} // namespace
