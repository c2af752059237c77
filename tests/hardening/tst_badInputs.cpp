// Bad inputs against the real editor (or the Save button's library in a second process): it keeps
// running, tells the user what went wrong, and loses nothing, on disk or in the user's edits.
#include "EditorUnderTest.h"
#include "save/SaveFakes.h"
#include "save/renameJournal.h"
#include "settings/SqliteStore.h"
#include "support/TempTrack.h"
#include "util/fso.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <sqlite3.h>

#include <csignal>
#include <optional>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

const QByteArray toyTrack = crlfLines({u"NAME\t\t'Toy World by Ann'"_s, u"FARCLIP\t\t6000"_s});
const QString edited = u"Edited "_s + QString(30000, u'x'); // more than a full disk takes
const QString ownExtensions = u"inf;taz;mine"_s, ownHelp = u"My own help text"_s;
const QString noErrors = u"No Errors Encountered"_s;

bool chmodPath(const QString& path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}
bool writeBytes(const QString& path, const QByteArray& bytes)
{
    return writeAt(QFile::encodeName(path), bytes);
}
::testing::AssertionResult holds(const QString& message, const QString& part)
{
    return (message.contains(part) ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << '"' << message.left(400).toStdString() << "\" must hold \"" << part.toStdString()
           << '"';
}
QStringList tree(const QString& folder)
{
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    paths.sort();
    return paths;
}
// Runs `body` in a child process that dies with this one; returns the child's id.
pid_t inChild(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 ? body() : 5);
    return child;
}
// Another process holding the settings file in an exclusive transaction; calling the result
// ends it.
std::function<bool()> lockedByAnother(const QString& path)
{
    const pid_t child = inChild([&] {
        sqlite3* db = nullptr;
        const bool held = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK
                          && sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == 0;
        return held ? ::raise(SIGSTOP) : 3; // stopped, it holds on
    });
    int status = 0;
    if (child <= 0 || ::waitpid(child, &status, WUNTRACED) != child || !WIFSTOPPED(status))
        return {};
    return [child] { return ::kill(child, SIGKILL) == 0 && ::waitpid(child, nullptr, 0) == child; };
}

// Files may not grow past a few kilobytes: writes fail (EFBIG) as on a full disk.
rlimit normalLimit{};
bool limitFileSize()
{
    const rlimit small{8192, ::getrlimit(RLIMIT_FSIZE, &normalLimit) ? 0 : normalLimit.rlim_max};
    return ::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
}
bool unlimitFileSize(const QString&) { return ::setrlimit(RLIMIT_FSIZE, &normalLimit) == 0; }

// A track's info file that is no info file, or a save the file system or the name refuses.
struct Trouble
{
    const char* name;
    const char* messageHolds; // besides the info file's path
    bool loaded = true, asNobody = false; // the track loaded and its name edited first
    QString folderName = u"toytrack"_s; // typed into the Folder field before Save
    std::function<bool(const QString& info)> breakIt = {}, mendIt = {};
};
struct BadInput : ::testing::TestWithParam<Trouble>
{
    void SetUp() override
    {
        // Anything escaping the levels folder shows in the private folder; "nobody" reaches in.
        ASSERT_TRUE(temp.isValid() && chmodPath(temp.path(), 0755));
        for (const char* name : {"goodtrack", "toytrack"})
            temp.writeFile(u"levels/%1/%1.inf"_s.arg(QLatin1String(name)), toyTrack);
    }
    // A settings file as an earlier run left it: own extensions and an own description.
    QString earlierSettings() const
    {
        const QString path = temp.makeFolder(u"config"_s) + u"/settings.sqlite"_s;
        settings::SqliteStore earlier(path);
        return earlier.write(u"Tarvex Kite"_s, u"Renaming"_s, u"Extentions"_s, ownExtensions)
                       && earlier.write(u"Tarvex Kite2"_s, u"Descriptions"_s, u"MYTAG"_s, ownHelp)
                   ? path : QString();
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

const Trouble troubles[] = {
    {.name = "binaryFile", .messageHolds = "not a text file", .loaded = false,
     .breakIt = [](auto& info) {
         return writeBytes(info, "\x7f" "ELF" + QByteArray(200, 0) + "\nNAME a");
     }},
    {.name = "fiftyMegabytes", .messageHolds = "too large", .loaded = false,
     .breakIt = [](auto& info) {
         return writeBytes(info, QByteArray("OBJECT\t1 2\r\n").repeated(1 << 22));
     }},
    {.name = "folder", .messageHolds = "", .loaded = false, // New must not replace it
     .breakIt = [](auto& info) { return QFile::remove(info) && QDir().mkpath(info + u"/in"_s); }},
    {.name = "unreadable", .messageHolds = "Permission denied", .loaded = false, .asNobody = true,
     .breakIt = [](auto& info) { return chmodPath(info, 0); }},
    {.name = "folderRemovedWhileLoaded", .messageHolds = "No such file or directory",
     .breakIt = [](auto& info) { return QDir(QFileInfo(info).path()).removeRecursively(); },
     .mendIt = [](auto& info) { return QDir().mkpath(QFileInfo(info).path()); }},
    // With a writable info file a read-only folder saves (in place); here neither is writable.
    {.name = "readOnlyTrackFolderAndFile", .messageHolds = "Permission denied", .asNobody = true,
     .breakIt = [](auto& info) {
         return chmodPath(info, 0444) && chmodPath(QFileInfo(info).path(), 0555);
     }, .mendIt = [](auto& info) {
         return chmodPath(QFileInfo(info).path(), 0755) && chmodPath(info, 0644);
     }},
    // A folder that takes no rename journal is not renamed: its files could not follow safely.
    {.name = "renameOfAReadOnlyTrackFolder", .messageHolds = "Permission denied", .asNobody = true,
     .folderName = u"mytrack"_s, .breakIt = [](auto& info) {
         const QString folder = QFileInfo(info).path();
         return chmodPath(info, 0666) && chmodPath(folder + u"/.."_s, 0777)
                && chmodPath(folder, 0555);
     }, .mendIt = [](auto& info) { return chmodPath(QFileInfo(info).path(), 0755); }},
    {.name = "diskFull", .messageHolds = "File too large",
     .breakIt = [](auto&) { return limitFileSize(); }, .mendIt = unlimitFileSize},
    // The same for a file with a second hard link, which is written in place.
    {.name = "diskFullWritingInPlace", .messageHolds = "File too large", .breakIt = [](auto& info) {
         const QByteArray path = QFile::encodeName(info);
         return ::link(path.constData(), QByteArray(path + ".link").constData()) == 0
                && limitFileSize();
     }, .mendIt = unlimitFileSize},
    // A dot name would hide the track: it would vanish from the folder list once renamed.
    {.name = "folderNameBeginningWithDot", .messageHolds = "Invalid folder name",
     .folderName = u".trk"_s},
    {.name = "folderNameOver255Bytes", .messageHolds = "File name too long",
     .folderName = QString(130, QChar(0xE9))}, // two bytes each
    // The folder could take 255 bytes, but its info file could not follow it.
    {.name = "folderNameLeavingNoRoomForTheInfoFile", .messageHolds = "File name too long",
     .folderName = QString(255, u'm')},
};
TEST_P(BadInput, isReportedAndLosesNeitherFileNorEdits)
{
    const Trouble& trouble = GetParam();
    EditorUnderTest editor(store, levels);
    if (trouble.loaded) {
        ASSERT_EQ(editor.pick(track), QString());
        editor.field(u"txtName"_s)->setText(edited);
        editor.field(u"txtFolder"_s)->setText(trouble.folderName);
    }
    ASSERT_TRUE(!trouble.breakIt || trouble.breakIt(info));
    const auto before = std::pair(tree(temp.path()), TempLevels::readAll(info));
    std::optional<AsOrdinaryUser> user;
    if (trouble.asNobody && !user.emplace().active())
        GTEST_SKIP() << "running as root, which may do anything, and cannot switch user";
    // A file changed on disk since it was loaded is written over only when the user says so.
    editor.prompts.overwriteAnswers = {true};
    QString message = trouble.loaded ? editor.press(u"cmdSave"_s) : editor.pick(track);
    if (!trouble.loaded) // New must not replace the entry, nor Save write over it
        message += editor.press(u"cmdNew"_s) + editor.press(u"cmdSave"_s);
    user.reset();
    const auto after = std::pair(tree(temp.path()), TempLevels::readAll(info));
    EXPECT_TRUE(!trouble.mendIt || trouble.mendIt(info));
    EXPECT_TRUE(holds(message, info));
    EXPECT_TRUE(holds(message, QLatin1String(trouble.messageHolds)));
    // Nothing moved, escaped or was left over; the file is as it was, or holds the whole edit.
    EXPECT_EQ(after.first, before.first);
    EXPECT_TRUE(after.second == before.second || after.second.contains(edited.toLatin1()));
    if (trouble.loaded) { // the edit is kept, and once the cause is mended Save keeps it
        editor.field(u"txtFolder"_s)->setText(u"toytrack"_s);
        EXPECT_TRUE(holds(editor.press(u"cmdSave"_s), noErrors));
        EXPECT_TRUE(TempLevels::readAll(info).contains(edited.toLatin1()));
    }
    // The editor still works: another track loads and saves.
    EXPECT_EQ(editor.pick(good), QString());
    EXPECT_TRUE(holds(editor.press(u"cmdSave"_s), noErrors));
}
INSTANTIATE_TEST_SUITE_P(Kinds, BadInput, ::testing::ValuesIn(troubles),
                         [](const auto& info) { return std::string(info.param.name); });

// Up to the load limit: a track with a 10 MB value, one with a 10 MB NAME, a 10 MB description.
// No edit can store a cut copy, Save and OK write each whole, the description shows its start.
TEST_F(BadInput, hugeValueNameAndDescription_shownShortened_savedByteForByte)
{
    const QByteArray huge = QByteArray("abcdefghi ").repeated(1 << 20) + "end"; // 10 MB
    temp.writeFile(u"levels/value/value.inf"_s, toyTrack + "MIRRORS\t\t" + huge + "\r\n");
    temp.writeFile(u"levels/name/name.inf"_s, "NAME\t\t'" + huge + " by Ann'\r\n");
    store.write(u"Tarvex Kite2"_s, u"Descriptions"_s, u"MIRRORS"_s, QString::fromLatin1(huge));
    EditorUnderTest editor(store, levels);
    ASSERT_EQ(editor.pick(levels + u"/value"_s), QString());
    editor.press(u"optFrames3"_s);
    auto* list = child<QTreeView>(editor.window.get(), u"listviewAttr"_s);
    const int row = columnTexts(list, 1).indexOf(u"MIRRORS"_s);
    clickRow(list, row, true); // a double-click: no editor could hold the value whole
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor.prompts.informationTexts.isEmpty(); }));
    EXPECT_TRUE(holds(editor.said(), u"too many to edit here"_s));
    EXPECT_TRUE(holds(editor.press(u"cmdSave"_s), noErrors));
    EXPECT_TRUE(TempLevels::readAll(levels + u"/value/value.inf"_s)
                    .contains(QByteArray("\t" + huge + "\r\n")));

    ASSERT_EQ(editor.pick(levels + u"/name"_s), QString());
    for (const QString& name : {u"txtName"_s, u"txtAuthor"_s}) // read-only: typing stores nothing
        QTest::keyClicks(editor.field(name), u"x"_s);
    EXPECT_TRUE(holds(editor.press(u"cmdSave"_s), noErrors));
    EXPECT_TRUE(TempLevels::readAll(levels + u"/name/name.inf"_s)
                    .contains(QByteArray("'" + huge + " by Ann'\r\n")));

    frmOptions* options = editor.options();
    clickRow(child<QTreeWidget>(options, u"listviewDesc"_s), 0);
    auto* text = child<QLineEdit>(options, u"txtDesc"_s);
    EXPECT_TRUE(text->isReadOnly() && text->text().size() < 1100);
    QTest::keyClicks(text, u"x"_s);
    EXPECT_EQ(editor.press(u"cmdOK"_s, options), QString());
    EXPECT_TRUE(store.read(u"Tarvex Kite2"_s, u"Descriptions"_s, u"MIRRORS"_s).toLatin1() == huge);
    EXPECT_EQ(editor.pick(good), QString()); // and the editor goes on as before
    EXPECT_TRUE(holds(editor.press(u"cmdSave"_s), noErrors));
}

// Folder names as archives made on Windows hold them: Windows-1252 bytes, not UTF-8 ("Caf\xE9"),
// the info file in other letter case too. Picked in the browser, where it reads "Café", such a
// track loads and saves; New works in such a folder, and an interrupted rename of it is finished;
// the open folder is stored at Exit and opened at the next start; a name typed in the Folder
// field renames the track. The file system's bytes are what is read, written and kept.
TEST_F(BadInput, folderNamesNotInUtf8_openLoadSaveNewAreRememberedAndRename)
{
    const QByteArray at = QFile::encodeName(levels); // the levels folder's own name is ASCII
    const QByteArray cafe = at + "/Caf\xE9", empty = at + "/Vid\xE9";
    ASSERT_TRUE(::mkdir(cafe.constData(), 0755) == 0 && ::mkdir(empty.constData(), 0755) == 0);
    ASSERT_TRUE(writeAt(cafe + "/CAF\xE9.INF", toyTrack) && writeAt(cafe + "/Caf\xE9.taz", "3d"));
    const QString settingsFile = temp.makeFolder(u"config"_s) + u"/settings.sqlite"_s;
    auto store = std::make_unique<settings::SqliteStore>(settingsFile);
    auto editor = std::make_unique<EditorUnderTest>(*store, levels);
    const auto pickRow = [&](const QString& shown) { // a click on the row as it reads
        auto* list = child<QListView>(editor->window.get(), u"objDir"_s);
        const int row = int(columnTexts(list).indexOf(shown));
        EXPECT_GE(row, 0) << columnTexts(list).join(u" | "_s).toStdString();
        if (row >= 0)
            clickRow(list, row);
        return editor->said();
    };
    const auto nameAndFolder = [&]() -> QString {
        return editor->field(u"txtName"_s)->text() + u'|' + editor->field(u"txtFolder"_s)->text();
    };
    const auto saveButton = [&] {
        return editor->window->findChild<QPushButton*>(u"cmdSave"_s)->isEnabled();
    };
    EXPECT_EQ(pickRow(u"Vidé"_s), QString());
    EXPECT_TRUE(editor->press(u"cmdNew"_s).isEmpty() && saveButton());
    EXPECT_EQ(bytesIn(empty), QList<QByteArray>{"Vid\xE9.inf"});
    // Killed after the folder's rename: the journal names the track's files by their bytes.
    ASSERT_TRUE(writeAt(empty + "/Vid\xE9.taz", "3d"));
    ASSERT_EQ(edit::RenameJournal(fso::decodeName(empty), editor->rename,
                                  fso::decodeName("Vid\xE9"), u"Video"_s).error(), std::nullopt);
    ASSERT_EQ(::rename(empty.constData(), QByteArray(at + "/Video").constData()), 0);
    editor->prompts.questionAnswers = {true};
    EXPECT_EQ(editor->pick(levels + u"/Video"_s), u"Finishing the rename of the track 'Vidé' to "
              u"'Video'\rRenamed selected file types in 'Video'\r\n\r\n"_s + noErrors);
    EXPECT_TRUE(editor->prompts.questions.value(0).startsWith(u"Renaming the track 'Vidé' to "
                                                              u"'Video' was interrupted"_s));
    EXPECT_EQ(bytesIn(at + "/Video"), (QList<QByteArray>{"Video.inf", "Video.taz"}));
    EXPECT_EQ(pickRow(u"Café"_s), QString());
    EXPECT_EQ(nameAndFolder(), u"Toy World|Café"_s);
    editor->field(u"txtName"_s)->setText(u"Edited"_s);
    EXPECT_EQ(editor->press(u"cmdSave"_s),
              u"Saved changes to '%1/Café/CAFé.INF'\r\n\r\n"_s.arg(levels) + noErrors);
    EXPECT_TRUE(readAt(cafe + "/CAF\xE9.INF").contains("\tEdited by Ann\r"));
    EXPECT_EQ(bytesIn(cafe), (QList<QByteArray>{"CAF\xE9.INF", "Caf\xE9.taz"}));
    // Saving opened the track's folder in the browser: Exit keeps it, the next start opens it.
    editor->press(u"cmdExit"_s);
    editor.reset();
    store = std::make_unique<settings::SqliteStore>(settingsFile);
    const QString stored = store->read(u"Tarvex Kite"_s, u"Current"_s, u"Folder"_s);
    editor = std::make_unique<EditorUnderTest>(*store, stored);
    EXPECT_EQ(nameAndFolder(), u"Edited|Café"_s);
    EXPECT_TRUE(saveButton());
    // Typed in the Folder field, even a name that reads the same gives the track that name.
    retype(editor->field(u"txtFolder"_s), u"Caf"_s);
    QTest::sendKeyEvent(QTest::Click, editor->field(u"txtFolder"_s), Qt::Key_Eacute, u"é"_s, {});
    EXPECT_TRUE(holds(editor->press(u"cmdSave"_s), u"Renamed folder 'Café' to 'Café'"_s));
    const QByteArray renamed = at + "/Caf\xC3\xA9";
    EXPECT_EQ(bytesIn(renamed), (QList<QByteArray>{"Caf\xC3\xA9.inf", "Caf\xC3\xA9.taz"}));
    EXPECT_TRUE(::access(cafe.constData(), F_OK) != 0 && readAt(renamed + "/Caf\xC3\xA9.inf")
                                                             .contains("\tEdited by Ann\r"));
    EXPECT_EQ(editor->pick(good), QString()); // and the editor goes on as before
    EXPECT_TRUE(holds(editor->press(u"cmdSave"_s), noErrors));
}

// Two processes save the track over and over, each its own version: every read finds one whole.
TEST_F(BadInput, twoEditorsSavingOneTrack_fileIsAlwaysOneWholeVersion)
{
    FakeFolders folders;
    folders.selected = folders.open = track;
    RecordingView view(folders);
    Rename::Settings rename;
    // Load, type version i's name (long or short: a torn write shows), save; the file, or nothing.
    const auto saveVersion = [&](int i) {
        edit::State state;
        const bool loaded = edit::loadTrack(state, view, track).isEmpty();
        edit::setTagValue(state, view, u"name"_s, QString(i ? 3000 : 20000, u"ab"[i]));
        const bool saved = loaded && edit::saveTrack(state, view, folders, rename, levels,
                                                     u"toytrack"_s).errors.isEmpty();
        return saved ? TempLevels::readAll(info) : QByteArray();
    };
    const QByteArray versions[] = {saveVersion(0), saveVersion(1)};
    ASSERT_FALSE(versions[0].isEmpty() || versions[1].isEmpty());
    pid_t editors[2];
    for (int i = 0; i < 2; ++i)
        editors[i] = inChild([&] {
            int failures = 0;
            for (int round = 0; round < 150; ++round) {
                const QByteArray now = saveVersion(i);
                failures += now != versions[0] && now != versions[1];
            }
            return failures;
        });
    for (int status = -1; const pid_t editor : editors)
        EXPECT_TRUE(editor > 0 && ::waitpid(editor, &status, 0) == editor && status == 0) << status;
    EXPECT_EQ(TempLevels::entries(track), QStringList{u"toytrack.inf"_s}) << "left-overs";
}

// A save renaming a track of 2,000 files is killed at a random moment of the rename, round after
// round; each time the track is then opened in the editor under whichever name its folder has,
// and the offer to finish is accepted. Every round ends with every file under the new name,
// none lost and nothing left over.
TEST_F(BadInput, renameKilledAtAnyPoint_isFinishedWhenOpened_noFileLost)
{
    constexpr int fileCount = 2000, rounds = 100;
    const QString names[2] = {u"trackA"_s, u"trackB"_s};
    Rename::Settings rename{{u"inf"_s}, 1, true}; // every file of the folder is a track file
    for (int i = 1; i < fileCount; ++i)
        rename.trackExts << u"x%1"_s.arg(i, 4, 10, QChar(u'0'));
    const auto folder = [&](int which) -> QString { return levels + u'/' + names[which]; };
    temp.writeFile(u"levels/trackA/trackA.inf"_s, toyTrack);
    for (const QString& extension : rename.trackExts.mid(1)) // each file holds its extension
        ASSERT_TRUE(writeBytes(folder(0) + u"/trackA."_s + extension, extension.toLatin1()));
    const auto save = [&](int from) { // the Save button's calls, renaming to the other name
        FakeFolders folders;
        folders.selected = folders.open = folder(from);
        RecordingView view(folders);
        edit::State state;
        return edit::loadTrack(state, view, folder(from)).isEmpty()
               && edit::saveTrack(state, view, folders, rename, levels, names[1 - from])
                      .errors.isEmpty();
    };
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(save(0));
    const qint64 saveMicroseconds = timer.nsecsElapsed() / 1000;
    const QByteArray savedInfo = TempLevels::readAll(folder(1) + u"/trackB.inf"_s);
    // What is wrong with the track under names[at]: files missing or changed, or left over.
    const auto problems = [&](int at) {
        QStringList wrong = TempLevels::entries(levels), left = TempLevels::entries(folder(at));
        wrong.removeAll(u"goodtrack"_s), wrong.removeAll(u"toytrack"_s), wrong.removeAll(names[at]);
        for (const QString& extension : std::as_const(rename.trackExts)) {
            const QString file = names[at] + u'.' + extension;
            if (!left.removeOne(file) || TempLevels::readAll(folder(at) + u'/' + file)
                                             != (extension == u"inf"_s ? savedInfo
                                                                       : extension.toLatin1()))
                wrong << u"lost: "_s + file;
        }
        return wrong + left;
    };
    ASSERT_EQ(problems(1), QStringList());

    EditorUnderTest editor(store, levels);
    editor.rename = rename;
    int landed[3] = {}, leftovers = 0, losses = 0;
    for (int round = 0, at = 1; round < rounds; ++round, at = 1 - at) {
        SCOPED_TRACE(round);
        // The kill comes at a random moment from the making of the journal to the save's end.
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(folder(at)).constData(), IN_CREATE),
                  0);
        const pid_t child = inChild([&] { return save(at) ? 0 : 4; });
        ASSERT_GT(child, 0);
        for (bool begun = false; !begun;) {
            pollfd wait{watch, POLLIN, 0};
            ASSERT_EQ(::poll(&wait, 1, 10000), 1) << "the rename did not begin";
            alignas(inotify_event) char events[4096];
            const ssize_t size = ::read(watch, events, sizeof events);
            for (ssize_t i = 0; i < size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + i);
                begun = begun || (event->len && qstrcmp(event->name, ".kite-rename-journal") == 0);
                i += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(saveMicroseconds)));
        ::kill(child, SIGKILL);
        ::close(watch);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) == 0) << status;

        // Where the kill landed, as the disk shows it.
        const bool moved = !QFileInfo::exists(folder(at));
        const QString now = folder(moved ? 1 - at : at);
        const QByteArray journal = TempLevels::readAll(now + u"/.kite-rename-journal"_s);
        const int renamed = int(TempLevels::entries(now).filter(names[1 - at] + u'.').size());
        const bool unfinished = moved ? !journal.isEmpty() && renamed < fileCount
                                      : journal.endsWith("\nend\n"); // written whole
        const std::string where = !moved ? "folder not renamed" : !unfinished ? "all renamed"
                                  : "folder and " + std::to_string(renamed) + " files renamed";
        ++landed[!moved ? 0 : unfinished ? 1 : 2];
        editor.prompts.questionAnswers = {true};
        const QString said = editor.pick(now);
        EXPECT_EQ(editor.prompts.questions.size(), unfinished ? 1 : 0) << where;
        EXPECT_TRUE(!unfinished || holds(said, noErrors)) << where;
        editor.prompts.questions.clear();
        if (!QFileInfo::exists(folder(1 - at))) { // nothing was renamed: the user saves again
            editor.field(u"txtFolder"_s)->setText(names[1 - at]);
            EXPECT_TRUE(holds(editor.press(u"cmdSave"_s), noErrors)) << where;
        }
        const QStringList wrong = problems(1 - at);
        EXPECT_EQ(wrong, QStringList()) << where;
        for (const QString& problem : wrong)
            ++(problem.startsWith(u"lost: "_s) ? losses : leftovers);
        EXPECT_TRUE(editor.window->findChild<QPushButton*>(u"cmdSave"_s)->isEnabled()) << where;
    }
    std::printf("kill test: %d rounds of a %d-file rename; killed before the folder's rename %d, "
                "after it %d, after the last file's %d; leftovers: %d; files lost: %d\n", rounds,
                fileCount, landed[0], landed[1], landed[2], leftovers, losses);
}

// Damaged files, another program's, and settings tables no write could go into (the unique key
// on other columns than the one a write updates, a row id that is not seq, a view): each is kept
// aside byte for byte under a name that says which and that the notice gives, and a fresh file
// takes new settings and keeps them for the next run.
TEST_F(BadInput, damagedOrForeignSettings_areKeptAsideAndTheEditorStartsFresh)
{
    const QByteArray header("SQLite format 3\0", 16);
    const char* const redo = "DROP TABLE settings; CREATE TABLE settings ";
    const QString corrupt = u"corrupt"_s, unrecognised = u"unrecognised"_s;
    // The file made by `sql` after an earlier run, then `bytes` written at `at` (-1: alone).
    const struct { const char* name; QByteArray sql, bytes; qint64 at; QString kept; } kinds[] = {
        {"text", {}, "[Renaming]\r\nExtentions=w\r\n", -1, corrupt},
        {"damaged", {}, header + QByteArray(8176, '\xa5'), -1, corrupt},
        {"torn", "CREATE TABLE t AS SELECT zeroblob(9e3)", QByteArray(9, 'x'), 4096, corrupt},
        {"malformedSchema", "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = "
         "'CREATE TABLE settings (' WHERE name = 'settings'", {}, 0, corrupt},
        {"foreign", redo + QByteArray("(name, data)"), {}, 0, unrecognised},
        {"keyOnTwoColumns", redo + QByteArray("(seq INTEGER PRIMARY KEY, app, section, key, "
                                              "value, UNIQUE (app, key))"), {}, 0, unrecognised},
        {"seqNotTheRowId", redo + QByteArray("(seq INTEGER NOT NULL, app, section, key, value, "
                                             "UNIQUE (app, section, key))"), {}, 0, unrecognised},
        {"view", "ALTER TABLE settings RENAME TO t; CREATE VIEW Settings AS SELECT * FROM t", {},
         0, unrecognised},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString path = earlierSettings(), folder = QFileInfo(path).path();
        sqlite3* db = nullptr;
        ASSERT_TRUE(kind.sql.isEmpty()
                    || (sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK
                        && sqlite3_exec(db, kind.sql.constData(), nullptr, nullptr, nullptr) == 0));
        sqlite3_close(db);
        QFile file(path);
        ASSERT_TRUE(file.open(kind.at < 0 ? QIODevice::WriteOnly : QIODevice::ReadWrite)
                    && file.seek(qMax(kind.at, 0)) && file.write(kind.bytes) == kind.bytes.size());
        file.close();
        const QByteArray bad = TempLevels::readAll(path);
        settings::SqliteStore store(path);
        EditorUnderTest editor(store, levels);
        const QStringList kept =
            QDir(folder).entryList({u"settings.sqlite.%1-*[^l]"_s.arg(kind.kept)}); // no journal
        ASSERT_EQ(kept.size(), 1) << TempLevels::entries(folder).join(u", "_s).toStdString();
        EXPECT_TRUE(holds(store.recoveryNotice(), folder + u'/' + kept.first()));
        EXPECT_EQ(TempLevels::readAll(folder + u'/' + kept.first()), bad);
        editor.prompts.inputAnswers = {u"mine"_s};
        editor.press(u"cmdAddRename"_s, editor.options());
        EXPECT_EQ(editor.press(u"cmdOK"_s, editor.options()), QString());
        editor.window.reset();
        const settings::SqliteStore next(path);
        EXPECT_TRUE(next.recoveryNotice().isEmpty()) << next.recoveryNotice().toStdString();
        EXPECT_TRUE(next.read(u"Tarvex Kite"_s, u"Renaming"_s, u"Extentions"_s)
                        .endsWith(u";mine"_s));
        ASSERT_TRUE(QDir(folder).removeRecursively());
    }
}

TEST_F(BadInput, lockedSettings_okSaysSoAndNeverSavesOverWhatItCouldNotRead)
{
    const QString path = earlierSettings();
    auto release = lockedByAnother(path);
    ASSERT_TRUE(release);
    settings::SqliteStore store(path, 200); // a short wait for each refused statement
    EditorUnderTest editor(store, good);    // reads nothing
    ASSERT_TRUE(release());
    // The lists shown empty meanwhile must not replace what the file holds.
    EXPECT_TRUE(holds(editor.press(u"cmdOK"_s, editor.options()), u"Nothing was saved"_s));
    EXPECT_EQ(stored(path, u"Renaming"_s, u"Extentions"_s), ownExtensions);
    // Locked when OK saves: the user is told, the dialog stays, and the next OK saves.
    editor.press(u"cmdDefaultsRename"_s, editor.options());
    ASSERT_TRUE(release = lockedByAnother(path));
    EXPECT_TRUE(holds(editor.press(u"cmdOK"_s, editor.options()), u"in use by another program"_s));
    EXPECT_NE(editor.options()->result(), int(QDialog::Accepted));
    ASSERT_TRUE(release());
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
    const AsOrdinaryUser user;
    if (!user.active())
        GTEST_SKIP() << "running as root, which writes anywhere, and cannot switch user";
    settings::SqliteStore store(path);
    EditorUnderTest editor(store, good);
    const cDesc* own = editor.descriptions.find(u"MYTAG"_s);
    EXPECT_EQ(own ? own->tagDesc : QString(), ownHelp);
    editor.press(u"cmdDefaults"_s, editor.options());
    EXPECT_TRUE(holds(editor.press(u"cmdOK"_s, editor.options()), u"read-only"_s));
    editor.window->close(); // storing the folder at shutdown fails quietly
    EXPECT_TRUE(store.recoveryNotice().isEmpty()) << store.recoveryNotice().toStdString();
    EXPECT_EQ(TempLevels::entries(folder), QStringList{u"settings.sqlite"_s}) << "set aside";
    EXPECT_EQ(TempLevels::readAll(path), before);
}

} // namespace
