// Bad inputs against the real editor (its window offscreen; the Save button's library where a
// second process is needed): it keeps running, tells the user what went wrong, and loses
// nothing, neither what is on disk nor the user's edits.
#include "EditorUnderTest.h"
#include "save/SaveFakes.h"
#include "settings/SqliteStore.h"
#include "support/TempTrack.h"

#include <QDirIterator>
#include <QScopeGuard>

#include <sqlite3.h>

#include <csignal>
#include <optional>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

const QByteArray toyTrack = crlfLines({u"NAME\t\t'Toy World by Ann'"_s, u"FARCLIP\t\t6000"_s});
const QString edited = u"Edited "_s + QString(30000, u'x'); // saved, it takes ~30 kB
const QString ownExtensions = u"inf;taz;mine"_s, ownHelp = u"My own help text"_s;

bool chmodPath(const QString& path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}
bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
::testing::AssertionResult holds(const QString& message, const QString& part)
{
    return (message.contains(part) ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << '"' << message.left(400).toStdString() << "\" must hold \"" << part.toStdString() << '"';
}
// Every path under a folder, sorted.
QStringList tree(const QString& folder)
{
    QStringList paths;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories); it.hasNext();)
        paths << it.next();
    paths.sort();
    return paths;
}
// Runs `body` in a child process that dies with this one; returns the child's id.
pid_t inChild(const std::function<int()>& body)
{
    const pid_t parent = ::getpid(), child = ::fork();
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::_exit(::getppid() == parent ? body() : 5);
    }
    return child;
}
// Another process holding the settings file in an exclusive transaction until it is killed.
pid_t lockingProcess(const QString& path)
{
    const pid_t child = inChild([&] {
        sqlite3* db = nullptr;
        return sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK
                       && sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK
                   ? ::raise(SIGSTOP) : 3; // stopped, it holds on
    });
    int status = 0;
    return child > 0 && ::waitpid(child, &status, WUNTRACED) == child && WIFSTOPPED(status) ? child : -1;
}
bool kill(pid_t child)
{
    return child > 0 && ::kill(child, SIGKILL) == 0 && ::waitpid(child, nullptr, 0) == child;
}

class BadInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The levels folder sits in a private one, so anything escaping it shows; others
        // (see AsOrdinaryUser) must reach the tracks.
        ASSERT_TRUE(temp.isValid() && chmodPath(temp.path(), 0755));
        for (const char* name : {"goodtrack", "toytrack"})
            temp.writeFile(u"levels/%1/%1.inf"_s.arg(QLatin1String(name)), toyTrack);
    }
    // A settings file as an earlier run left it: its folder, own extensions, and descriptions
    // over several pages, one of them the user's own.
    QString earlierSettings() const
    {
        const QString path = temp.makeFolder(u"config"_s) + u"/settings.sqlite"_s;
        settings::SqliteStore earlier(path);
        bool written = earlier.write(u"Tarvex Kite"_s, u"Current"_s, u"Folder"_s, good)
                       && earlier.write(u"Tarvex Kite"_s, u"Renaming"_s, u"Extentions"_s, ownExtensions);
        for (int i = 0; i < 300; ++i)
            written = written && earlier.write(u"Tarvex Kite2"_s, u"Descriptions"_s,
                                               i ? u"TAG%1"_s.arg(i) : u"MYTAG"_s, i ? edited.left(40) : ownHelp);
        return written ? path : QString();
    }
    // What the next run reads from the settings file.
    static QString stored(const QString& path, const QString& section, const QString& key)
    {
        const QString app = section == u"Descriptions"_s ? u"Tarvex Kite2"_s : u"Tarvex Kite"_s;
        return settings::SqliteStore(path).read(app, section, key);
    }

    TempLevels temp;
    settings::MemoryStore store;
    const QString levels = temp.path() + u"/levels"_s, good = levels + u"/goodtrack"_s,
                  track = levels + u"/toytrack"_s, info = track + u"/toytrack.inf"_s;
};

// A track's info file that is no info file, or a save the file system or the name refuses.
rlimit normalLimit{};
struct Trouble
{
    const char* name;
    const char* messageHolds; // besides the info file's path
    bool beforeLoading = false; // else the track is loaded and its name edited first
    bool asNobody = false;
    QString folderName = {}; // typed into the Folder field before Save
    std::function<bool(const QString& info)> breakIt = {}, mendIt = {};
};
const Trouble troubles[] = {
    {.name = "binaryFile", .messageHolds = "not a text file", .beforeLoading = true, .breakIt = [](auto& info) {
         return writeBytes(info, "\x7f" "ELF\2\1\1" + QByteArray(200, '\0') + "\r\nNAME a\r\n");
     }},
    {.name = "fiftyMegabytes", .messageHolds = "too large", .beforeLoading = true, .breakIt = [](auto& info) {
         return writeBytes(info, QByteArray("OBJECT\t\t1 2 3 4 5 6 7 8 9\r\n").repeated(2 << 20));
     }},
    {.name = "folder", .messageHolds = "", .beforeLoading = true, // New must not replace it
     .breakIt = [](auto& info) { return QFile::remove(info) && QDir().mkpath(info + u"/in"_s); }},
    {.name = "unreadable", .messageHolds = "Permission denied", .beforeLoading = true, .asNobody = true,
     .breakIt = [](auto& info) { return chmodPath(info, 0); }},
    {.name = "folderRemovedWhileLoaded", .messageHolds = "No such file or directory",
     .breakIt = [](auto& info) { return QDir(QFileInfo(info).path()).removeRecursively(); },
     .mendIt = [](auto& info) { return QDir().mkpath(QFileInfo(info).path()); }},
    {.name = "readOnlyTrackFolder", .messageHolds = "Permission denied", .asNobody = true,
     .breakIt = [](auto& info) { return chmodPath(QFileInfo(info).path(), 0555); },
     .mendIt = [](auto& info) { return chmodPath(QFileInfo(info).path(), 0755); }},
    // Files may not grow past a few kilobytes: writes fail (EFBIG) as on a full disk.
    {.name = "diskFull", .messageHolds = "File too large", .breakIt = [](auto&) {
         const rlimit small{8192, ::getrlimit(RLIMIT_FSIZE, &normalLimit) == 0 ? normalLimit.rlim_max : 0};
         return ::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
     }, .mendIt = [](auto&) { return ::setrlimit(RLIMIT_FSIZE, &normalLimit) == 0; }},
    {.name = "folderNameWithSeparator", .messageHolds = "Invalid folder name", .folderName = u"a/b"_s},
    {.name = "folderNameDotDot", .messageHolds = "Invalid folder name", .folderName = u".."_s},
    {.name = "folderNameOver255Bytes", .messageHolds = "File name too long", .folderName = QString(130, QChar(0xE9))},
    // The folder could take 255 bytes, but its info file could not follow it.
    {.name = "folderNameLeavingNoRoomForTheInfoFile", .messageHolds = "File name too long",
     .folderName = QString(255, u'm')},
};
class Troubled : public BadInput, public ::testing::WithParamInterface<Trouble>
{
};

TEST_P(Troubled, isReportedAndLosesNeitherFileNorEdits)
{
    const Trouble& trouble = GetParam();
    EditorUnderTest editor(store, levels);
    if (!trouble.beforeLoading) {
        ASSERT_EQ(editor.pick(track), QString());
        editor.field(u"txtName"_s)->setText(edited);
        editor.field(u"txtFolder"_s)->setText(trouble.folderName.isNull() ? u"toytrack"_s : trouble.folderName);
    }
    ASSERT_TRUE(!trouble.breakIt || trouble.breakIt(info));
    const QStringList before = tree(temp.path());
    const QByteArray old = TempLevels::readAll(info);
    std::optional<AsOrdinaryUser> user;
    if (trouble.asNobody && !user.emplace().active()) {
        static_cast<void>(trouble.mendIt && trouble.mendIt(info));
        GTEST_SKIP() << "running as root, which may do anything, and cannot switch user";
    }
    QString message = trouble.beforeLoading ? editor.pick(track) : editor.press(u"cmdSave"_s);
    if (trouble.beforeLoading) { // nothing is loaded, and New must not replace the entry
        EXPECT_FALSE(editor.state.fileLoaded);
        message += editor.press(u"cmdNew"_s) + editor.press(u"cmdSave"_s);
    }
    user.reset();
    const QStringList after = tree(temp.path());
    const QByteArray now = TempLevels::readAll(info);
    EXPECT_TRUE(!trouble.mendIt || trouble.mendIt(info));
    EXPECT_TRUE(holds(message, info));
    EXPECT_TRUE(holds(message, QLatin1String(trouble.messageHolds)));
    // Nothing moved, escaped or was left over; the file is as it was, or holds the whole edit.
    EXPECT_EQ(after, before);
    EXPECT_TRUE(now == old || now.contains(edited.toLatin1())) << now.size() << " bytes";
    if (!trouble.beforeLoading) { // the edit is kept, and once the cause is mended Save keeps it
        EXPECT_EQ(editor.field(u"txtName"_s)->text(), edited);
        editor.field(u"txtFolder"_s)->setText(u"toytrack"_s);
        EXPECT_TRUE(holds(editor.press(u"cmdSave"_s), u"No Errors Encountered"_s));
        EXPECT_TRUE(TempLevels::readAll(info).contains(edited.toLatin1()));
    }
    // The editor still works: another track loads, shows its name and saves.
    EXPECT_EQ(editor.pick(good), QString());
    EXPECT_EQ(editor.field(u"txtName"_s)->text(), u"Toy World"_s);
    EXPECT_TRUE(holds(editor.press(u"cmdSave"_s), u"No Errors Encountered"_s));
}
INSTANTIATE_TEST_SUITE_P(Kinds, Troubled, ::testing::ValuesIn(troubles),
                         [](const auto& info) { return std::string(info.param.name); });

// Two processes load the track and save it over and over, each its own version, and read the
// file after each save: every read finds one version whole.
TEST_F(BadInput, twoEditorsSavingOneTrack_fileIsAlwaysOneWholeVersion)
{
    FakeFolders folders;
    folders.selected = folders.open = track;
    RecordingView view(folders);
    Rename::Settings rename;
    // Loads what is on disk and types the version's name: long or short, so a torn write shows.
    const auto typeOver = [&](edit::State& state, int version) {
        const bool loaded = edit::loadTrack(state, view, track).isEmpty();
        edit::setTagValue(state, view, u"name"_s, QString(version ? 3000 : 20000, u"ab"[version]));
        return loaded;
    };
    QByteArray versions[2];
    for (int i = 0; i < 2; ++i) {
        edit::State state;
        ASSERT_TRUE(typeOver(state, i));
        versions[i] = edit::encodeDocument(state.tagList, state.encoding).bytes;
    }
    pid_t editors[2];
    for (int i = 0; i < 2; ++i) {
        editors[i] = inChild([&] {
            int failures = 0;
            for (int round = 0; round < 150; ++round) {
                edit::State state;
                failures += !typeOver(state, i)
                            || !edit::saveTrack(state, view, folders, rename, levels, u"toytrack"_s).errors.isEmpty();
                const QByteArray now = TempLevels::readAll(info);
                failures += now != versions[0] && now != versions[1];
            }
            return failures;
        });
    }
    for (const pid_t editor : editors) {
        int status = -1;
        EXPECT_TRUE(editor > 0 && ::waitpid(editor, &status, 0) == editor && status == 0)
            << "failed saves or torn files: " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    EXPECT_EQ(TempLevels::entries(track), QStringList{u"toytrack.inf"_s}) << "left-overs";
}

// A settings file that is damaged, locked by another process, or read-only.
TEST_F(BadInput, damagedSettings_areKeptAsideAndTheEditorStartsFresh)
{
    const QString path = earlierSettings(), folder = QFileInfo(path).path();
    const QByteArray healthy = TempLevels::readAll(path); // its header stays, its pages are garbage
    const QByteArray damaged = healthy.left(4096) + QByteArray(healthy.size() - 4096, '\xa5');
    ASSERT_TRUE(writeBytes(path, damaged));
    settings::SqliteStore store(path);
    EditorUnderTest editor(store, levels);
    // The damaged bytes are kept, under the name the notice gives.
    const QStringList kept = QDir(folder).entryList({u"settings.sqlite.*[^l]"_s}); // no journal
    ASSERT_EQ(kept.size(), 1) << TempLevels::entries(folder).join(u", "_s).toStdString();
    EXPECT_TRUE(holds(store.recoveryNotice(), u"fresh settings"_s));
    EXPECT_TRUE(holds(store.recoveryNotice(), folder + u'/' + kept.first()));
    EXPECT_EQ(TempLevels::readAll(folder + u'/' + kept.first()), damaged);
    // The fresh file takes new settings and keeps them for the next run.
    editor.press(u"cmdDefaults"_s, editor.options());
    EXPECT_EQ(editor.press(u"cmdOK"_s, editor.options()), QString());
    editor.window->close();
    EXPECT_FALSE(stored(path, u"Descriptions"_s, u"FARCLIP"_s).isEmpty());
    EXPECT_EQ(stored(path, u"Current"_s, u"Folder"_s), levels);
}

TEST_F(BadInput, lockedSettings_okSaysSoAndNeverSavesOverWhatItCouldNotRead)
{
    const QString path = earlierSettings();
    pid_t other = lockingProcess(path);
    ASSERT_GT(other, 0);
    settings::SqliteStore store(path, 200); // a short wait for each refused statement
    EditorUnderTest editor(store, good);    // reads nothing
    ASSERT_TRUE(kill(other));
    // The lists shown empty meanwhile must not replace what the file holds.
    EXPECT_TRUE(holds(editor.press(u"cmdOK"_s, editor.options()), u"Nothing was saved"_s));
    EXPECT_EQ(stored(path, u"Descriptions"_s, u"MYTAG"_s), ownHelp);
    EXPECT_EQ(stored(path, u"Renaming"_s, u"Extentions"_s), ownExtensions);
    // Locked when OK saves: the user is told, the dialog stays, and the next OK saves.
    ASSERT_NE(editor.descriptions.find(u"MYTAG"_s), nullptr);
    editor.press(u"cmdDefaultsRename"_s, editor.options());
    ASSERT_GT(other = lockingProcess(path), 0);
    EXPECT_TRUE(holds(editor.press(u"cmdOK"_s, editor.options()), u"in use by another program"_s));
    EXPECT_NE(editor.options()->result(), int(QDialog::Accepted));
    ASSERT_TRUE(kill(other));
    EXPECT_EQ(editor.press(u"cmdOK"_s, editor.options()), QString());
    EXPECT_EQ(stored(path, u"Descriptions"_s, u"MYTAG"_s), ownHelp);
    EXPECT_EQ(stored(path, u"Renaming"_s, u"Extentions"_s), Rename::defaultExtensions);
}

TEST_F(BadInput, readOnlySettings_areReadAndOkSaysWhyItCannotSave)
{
    const QString path = earlierSettings(), folder = QFileInfo(path).path();
    const QByteArray before = TempLevels::readAll(path);
    const auto writable = qScopeGuard([&] { chmodPath(folder, 0755); });
    ASSERT_TRUE(chmodPath(path, 0444) && chmodPath(folder, 0555));
    {
        const AsOrdinaryUser user;
        if (!user.active())
            GTEST_SKIP() << "running as root, which writes anywhere, and cannot switch user";
        settings::SqliteStore store(path);
        EditorUnderTest editor(store, good);
        const cDesc* own = editor.descriptions.find(u"MYTAG"_s);
        EXPECT_EQ(own ? own->tagDesc : QString(), ownHelp);
        editor.press(u"cmdDefaults"_s, editor.options());
        EXPECT_TRUE(holds(editor.press(u"cmdOK"_s, editor.options()), u"read-only"_s));
        EXPECT_NE(editor.options()->result(), int(QDialog::Accepted));
        editor.window->close();
    }
    EXPECT_EQ(TempLevels::readAll(path), before);
}

} // namespace
