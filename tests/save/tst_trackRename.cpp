// Renaming a track's folder and files on Save, and finishing a rename that was interrupted.
#include "save/SaveTest.h"
#include "save/renameJournal.h"
#include "save/trackRename.h"
#include "util/fso.h"

#include <QFile>

#include <csignal>
#include <functional>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>

namespace {

// The system call, and the fallback for file systems without it, refuse every taken name:
// "L.w" is a second link to "l.w", which the way round a letter-case rename must not replace.
// Names are the file system's bytes: "Caf\xE9.w" is another entry than "Café.w" in UTF-8.
TEST(RenameNoReplace, neverReplacesAFileOrFolder_andMovesTheEntryOfItsBytes)
{
    using Names = std::pair<const char*, const char*>;
    const Names taken[] = {{"a.w", "a.inf"}, {"full", "empty"}, {"l.w", "L.w"},
                           {"Caf\xE9.w", "Caf\xC3\xA9.w"}};
    const Names moved[] = {{"a.w", "b.w"}, {"Caf\xE9.w", "d\xE9p\xF4t.w"}};
    const Names kept[] = {{"a.inf", "a.inf"}, {"L.w", "l.w"}, {"full/x", "full/x"},
                          {"b.w", "a.w"}, {"d\xE9p\xF4t.w", "Caf\xE9.w"},
                          {"Caf\xC3\xA9.w", "Caf\xC3\xA9.w"}};
    for (const auto function : {&edit::renameNoReplace, &edit::renameNoReplaceFallback}) {
        SCOPED_TRACE(function == &edit::renameNoReplace ? "system call" : "fallback");
        TempLevels levels;
        const QByteArray base = QFile::encodeName(levels.path()) + '/';
        const auto at = [&](const char* name) { return QByteArray(base + name); };
        levels.makeFolder(s("full"));
        levels.makeFolder(s("empty"));
        for (const char* name : {"a.inf", "a.w", "full/x", "l.w", "Caf\xE9.w", "Caf\xC3\xA9.w"})
            ASSERT_TRUE(writeAt(at(name), name));
        ASSERT_EQ(::link(at("l.w").constData(), at("L.w").constData()), 0);
        for (const auto& [from, to] : taken) { // no error reads as code 0
            EXPECT_EQ(function(fso::decodeName(at(from)), fso::decodeName(at(to)))
                          .value_or(edit::FileError{}).code, EEXIST) << from << " to " << to;
        }
        for (const auto& [from, to] : moved)
            EXPECT_EQ(function(fso::decodeName(at(from)), fso::decodeName(at(to))), std::nullopt);
        EXPECT_EQ(bytesIn(base), (QList<QByteArray>{"Caf\xC3\xA9.w", "L.w", "a.inf", "b.w",
                                                    "d\xE9p\xF4t.w", "empty", "full", "l.w"}));
        for (const auto& [name, content] : kept) // contents travel with their names
            EXPECT_EQ(readAt(at(name)), content);
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
        QStringList after = before;
        for (const QString& tail : words(test.renamed))
            after.replaceInStrings(s("toytrack") + tail, test.newName + tail);
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

// A track file that is a link leading out of the track folder, straight or through another
// link, stays as it is when the folder is renamed, and its error line names it and where it
// leads. A link that stays inside, even one leading nowhere, is renamed as any track file.
TEST_F(SaveTest, rename_leavesTrackFilesLinkedOutOfTheTrack)
{
    const QString folder = pick(s("toytrack"), "NAME Toy\r\n", "Edited");
    const QString target = levels.writeFile(s("outside/x.w"), "theirs");
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
                   + QFileInfo(target).canonicalFilePath()
                   + s("', outside the track folder; it was not renamed\r\n");
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

// A rename stopped at any step is found from either name of the folder and finished, nothing
// replaced; until then neither a second rename nor New can bury the track's own files.
TEST_F(SaveTest, interruptedRename_isFoundFinishedAndNeverReplacesAFile)
{
    const QStringList files =
        words("toytrack.inf toytrack.w toytrack.ta- toytracka.bmp readme.txt");
    // stop: after which step the rename stopped (0: its journal written, 1: the folder renamed,
    // 1 + n: n track files renamed too); folder: the name it was given by hand since, if any.
    // taken: a file of the new name already there ("linked": the same file, as a rename through
    // a hard link leaves it when cut short). renamed: the files with the new name at the end.
    // left: the track files still to rename when it is found.
    struct Case { const char* name; int stop, left = 4; const char *taken = "", *folder = "",
                  *renamed = "mytrack.inf mytrack.w mytrack.ta- mytracka.bmp", *error = ""; };
    const Case cases[] = {
        {"journalOnly", 0}, {"folderOnly", 1}, {"twoFiles", 3, 2}, {"linked", 2, 3, "linked"},
        {"nameTaken", 1, 4, "mytrack.w", "", "mytrack.inf mytrack.w mytrack.ta- mytracka.bmp "
         "toytrack.w", "Runtime Error '17': 'toytrack.w' kept the old name"},
        {"renamedByHand", 1, 4, "", "histrack", "histrack.inf histrack.w histrack.ta- "
         "histracka.bmp"},
        {"otherFolderOfTheNewName", 0, 4, "", "", "", "Runtime Error '17': File exists"},
    };
    for (const Case& test : cases) {
        sub = s(test.name) + u'/';
        SCOPED_TRACE(test.name);
        const QString old = pick(s("toytrack"), "NAME Toy\r\n", "Toy");
        for (const QString& name : files.mid(1))
            levels.writeFile(sub + s("toytrack/") + name, name.toLatin1());
        // The steps a save takes, up to where it stopped; the journal stays.
        ASSERT_EQ(edit::RenameJournal(old, rename, s("toytrack"), s("mytrack")).error(),
                  std::nullopt);
        QString folder = old;
        if (test.stop >= 1) {
            folder = in(s(*test.folder ? test.folder : "mytrack"));
            ASSERT_EQ(edit::renameNoReplace(old, folder), std::nullopt);
        }
        int step = 1;
        edit::forEachTrackFile(rename, s("toytrack"), s("mytrack"),
                               [&](const QString& from, const QString& to) {
            if (QFile::exists(folder + u'/' + from) && ++step <= test.stop) {
                EXPECT_EQ(edit::renameNoReplace(folder + u'/' + from, folder + u'/' + to),
                          std::nullopt);
            }
        });
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
        EXPECT_EQ(std::tuple(found->folderRenamed, found->filesLeft, found->newName),
                  std::tuple(test.stop >= 1, test.left, s(*test.folder ? test.folder
                                                                       : "mytrack")));
        EXPECT_TRUE(found->offer().contains(s("'toytrack' to '") + found->newName + u'\''));
        const edit::SaveResult finished = edit::finishRename(folders, *found);
        EXPECT_TRUE(*test.error ? finished.errors.startsWith(s(test.error))
                                : finished.errors.isEmpty()) << finished.message().toStdString();

        // Where it ended: every file there whole, the journal gone once nothing more can be done.
        const QString now = *test.renamed ? in(s(test.renamed).section(u'.', 0, 0)) : old;
        QStringList expected = *test.renamed ? words(test.renamed) << s("readme.txt")
                                             : files + QStringList{s(".kite-rename-journal")};
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

// Runs work in a child process that is killed at its stopAt-th rename that refuses to replace
// (the folder's own is the first of a save's, the first track file's the second), before that
// rename is made. Returns whether the child ended so.
bool killedAtRename(int stopAt, const std::function<void()>& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const long listener = filterSystemCall(__NR_renameat2, 4, BPF_JEQ, RENAME_NOREPLACE,
                                               SECCOMP_RET_USER_NOTIF,
                                               SECCOMP_FILTER_FLAG_NEW_LISTENER);
        if (listener < 0)
            ::_exit(3);
        // The renames wait for this thread's word: made, or the process killed before it.
        std::thread([listener, stopAt] {
            for (int rename = 1;; ++rename) {
                seccomp_notif notice {};
                if (::ioctl(int(listener), SECCOMP_IOCTL_NOTIF_RECV, &notice) != 0)
                    ::_exit(4);
                if (rename == stopAt)
                    ::kill(::getpid(), SIGKILL);
                seccomp_notif_resp answer {};
                answer.id = notice.id;
                answer.flags = SECCOMP_USER_NOTIF_FLAG_CONTINUE;
                ::ioctl(int(listener), SECCOMP_IOCTL_NOTIF_SEND, &answer);
            }
        }).detach();
        work();
        ::_exit(5); // the stop was never reached
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFSIGNALED(status)
           && WTERMSIG(status) == SIGKILL;
}

// A save renaming a track whose info file is named in other letter case, killed before the
// folder's rename or after it (before any file's): opening the track finishes the rename, the
// info file's too.
TEST_F(SaveTest, saveKilledAroundTheFolderRename_isFinishedWithAnInfoFileInOtherCase)
{
    for (const int stopAt : {1, 2}) {
        SCOPED_TRACE(stopAt);
        sub = QString::number(stopAt) + u'/';
        levels.writeFile(sub + s("toytrack/TOYTRACK.Inf"), "NAME Toy\r\n");
        levels.writeFile(sub + s("toytrack/toytrack.w"), "w");
        const QString old = in(s("toytrack")), now = in(s("mytrack"));
        const QString left = stopAt == 1 ? old : now;
        folders.selected = folders.open = old;
        ASSERT_EQ(edit::loadTrack(state, view, old), QString());
        edit::setTagValue(state, view, s("name"), s("Mine"));
        ASSERT_TRUE(killedAtRename(stopAt, [&] { save(s("mytrack")); }));
        EXPECT_EQ(TempLevels::entries(left), words(".kite-rename-journal TOYTRACK.Inf toytrack.w"));
        const QByteArray written = TempLevels::readAll(left + s("/TOYTRACK.Inf"));
        ASSERT_TRUE(written.contains("Mine")); // the save wrote it before the rename

        const std::optional<edit::InterruptedRename> found = edit::findInterruptedRename(left);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->filesLeft, 2);
        EXPECT_EQ(edit::finishRename(folders, *found).errors, QString());
        EXPECT_EQ(TempLevels::entries(now), words("mytrack.inf mytrack.w"));
        EXPECT_EQ(TempLevels::readAll(now + s("/mytrack.inf")), written);
    }
}

// A journal cut short while it was written (nothing was renamed after it), or one whose rename
// is done, is no rename to finish: it goes, and nothing else moves. One that another editor
// holds while it renames is left to it: nothing is offered or removed, and neither a second
// rename, New nor a second finisher starts.
TEST_F(SaveTest, journalCutShortDoneOrHeld_isNoRenameToFinish)
{
    for (const int stop : {1, 2, 9999, 0}) { // twelve-byte pieces left, all renamed, or held
        sub = QString::number(stop) + u'/';
        SCOPED_TRACE(stop);
        const QString old = pick(s("toytrack"), "NAME Toy\r\n", "Toy");
        levels.writeFile(sub + s("toytrack/toytrack.w"), "w");
        std::optional<edit::RenameJournal> held;
        ASSERT_EQ(held.emplace(old, rename, s("toytrack"), s("mytrack")).error(), std::nullopt);
        QString folder = old;
        if (stop)
            held.reset();
        if (stop == 9999) {
            folder = in(s("mytrack"));
            ASSERT_EQ(edit::renameNoReplace(old, folder), std::nullopt);
            for (const char* file : {"inf", "w"})
                ASSERT_EQ(edit::renameNoReplace(folder + s("/toytrack.") + s(file),
                                                folder + s("/mytrack.") + s(file)), std::nullopt);
        } else if (stop) {
            ASSERT_TRUE(QFile(folder + s("/.kite-rename-journal")).resize(stop * 12));
        }
        QStringList after = TempLevels::entries(folder);
        if (held) {
            EXPECT_TRUE(edit::isHalfRenamed(folder));
            EXPECT_TRUE(save(s("mytrack")).errors.contains(s("not finished")));
            EXPECT_TRUE(edit::newTrackFile(state, view, folder).contains(s("not finished")));
            EXPECT_EQ(edit::RenameJournal(folder).error().value_or(edit::FileError{}).code,
                      EALREADY);
            EXPECT_FALSE(QFileInfo::exists(in(s("mytrack"))));
        } else {
            ASSERT_EQ(after.removeAll(s(".kite-rename-journal")), 1);
        }
        EXPECT_FALSE(edit::findInterruptedRename(folder).has_value());
        EXPECT_EQ(TempLevels::entries(folder), after);
    }
}

} // namespace
