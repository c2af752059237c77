// Bad inputs, each against the real editor (the main window offscreen, or the library the
// Save button runs where a second process is needed): the editor keeps running, tells the
// user what went wrong, and loses nothing: neither the file on disk nor the user's edits.
#include "EditorUnderTest.h"
#include "save/SaveFakes.h"
#include "settings/SqliteStore.h"
#include "support/TempTrack.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <optional>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const QByteArray toyTrack = crlfLines({s("NAME\t\t'Toy World by Ann'"), s("FARCLIP\t\t6000"),
                                       s("FOGCOLOR\t64 96 160"), s("WORLDRGBPER\t80")});

// What an entry is on disk, to tell that nothing was changed: its kind, size and, for a
// readable regular file, a hash of its bytes.
QByteArray fingerprint(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return "missing";
    QByteArray print = QByteArray::number(int(info.st_mode & S_IFMT)) + ':'
                       + QByteArray::number(qint64(info.st_size));
    if (S_ISREG(info.st_mode)) {
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly) && hash.addData(&file))
            print += ':' + hash.result().toHex();
    }
    return print;
}

bool chmodPath(const QString& path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

class BadInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(levels.isValid());
        // Other users (see AsOrdinaryUser) must be able to reach the tracks.
        ASSERT_TRUE(chmodPath(levels.path(), 0755));
        oldCurrent = QDir::currentPath();
        QDir::setCurrent(levels.path());
        goodTrack = levels.makeTrack(s("goodtrack"), toyTrack);
    }
    void TearDown() override { QDir::setCurrent(oldCurrent); }

    // The editor still works: another track loads and shows its name.
    static void expectStillWorking(EditorUnderTest& editor, const QString& track)
    {
        EXPECT_EQ(editor.pick(track), QString());
        EXPECT_TRUE(editor.state.fileLoaded);
        EXPECT_EQ(editor.shownName(), s("Toy World"));
        EXPECT_TRUE(editor.saveEnabled());
    }

    TempLevels levels;
    settings::MemoryStore store;
    QString goodTrack;
    QString oldCurrent;
};

// ---------------------------------------------------------------------------------------
// Info files that are not info files

struct BadFileCase
{
    const char* name;
    // Puts the bad entry at the info file's path; returns why the case cannot run here, or
    // empty text.
    std::function<QString(const QString& infoPath)> make;
    // A text the message shown on picking the track must hold. Empty: any message naming
    // the file. nullopt: the entry is not taken for an info file at all; New must then
    // refuse to replace it, with a message naming it.
    std::optional<const char*> messageHolds;
    bool asOrdinaryUser = false;
    friend void PrintTo(const BadFileCase& bad, std::ostream* out) { *out << bad.name; }
};

QString writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return s("cannot write ") + path;
    return {};
}

const BadFileCase badFiles[] = {
    {"binaryFile",
     [](const QString& path) -> QString {
         // An executable's start, NULs, and random bytes with line ends among them.
         QByteArray bytes("\x7f" "ELF\x02\x01\x01", 7);
         bytes += QByteArray(200, '\0');
         for (int i = 0; i < 64 * 1024; ++i)
             bytes += char(QRandomGenerator::global()->bounded(256));
         bytes += "\r\nNAME binary\r\n";
         return writeBytes(path, bytes);
     },
     "", false},
    {"fiftyMegabytes",
     [](const QString& path) -> QString {
         QByteArray line = "OBJECT\t\t1 2 3 4 5 6 7 8 9\t\t; a plain tag line\r\n";
         QByteArray block;
         while (block.size() < 1024 * 1024)
             block += line;
         QFile file(path);
         if (!file.open(QIODevice::WriteOnly))
             return s("cannot write ") + path;
         for (int i = 0; i < 50; ++i)
             file.write(block);
         return QString();
     },
     "too large", false},
    {"folderNamedLikeTheFile",
     [](const QString& path) -> QString {
         QDir().mkpath(path + s("/inside"));
         return writeBytes(path + s("/inside/keep.txt"), "keep me");
     },
     std::nullopt, false},
    {"namedPipe",
     [](const QString& path) -> QString {
         return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0 ? QString()
                                                                          : s("mkfifo failed");
     },
     std::nullopt, false},
    {"linkToEndlessDevice",
     [](const QString& path) -> QString {
         return QFile::link(s("/dev/zero"), path) ? QString() : s("symlink failed");
     },
     std::nullopt, false},
    {"danglingLink",
     [](const QString& path) -> QString {
         return QFile::link(s("nowhere.inf"), path) ? QString() : s("symlink failed");
     },
     std::nullopt, false},
    {"unreadableFile",
     [](const QString& path) -> QString {
         const QString problem = writeBytes(path, toyTrack);
         if (!problem.isEmpty())
             return problem;
         return chmodPath(path, 0) ? QString() : s("chmod failed");
     },
     "Permission denied", true},
};

class BadInfoFile : public BadInputTest, public ::testing::WithParamInterface<BadFileCase>
{
};

TEST_P(BadInfoFile, isReportedAndLeftUntouched)
{
    const BadFileCase& bad = GetParam();
    const QString track = levels.makeFolder(s("badtrack"));
    const QString infoPath = track + s("/badtrack.inf");
    const QString cannot = bad.make(infoPath);
    if (!cannot.isEmpty())
        GTEST_SKIP() << cannot.toStdString();
    const QByteArray before = fingerprint(infoPath);
    const QStringList entriesBefore = TempLevels::entries(track);

    EditorUnderTest editor(store, levels.path());
    {
        std::optional<AsOrdinaryUser> user;
        if (bad.asOrdinaryUser) {
            user.emplace();
            if (!user->active())
                GTEST_SKIP() << "running as root, which reads any file, and cannot switch user";
        }
        const QString message = editor.pick(track);
        if (bad.messageHolds) {
            EXPECT_TRUE(message.contains(infoPath)) << "message: " << message.toStdString();
            EXPECT_TRUE(message.contains(QString::fromUtf8(*bad.messageHolds)))
                << "message: " << message.toStdString();
            // Nothing of it is taken for a document, so nothing can be saved over it.
            EXPECT_FALSE(editor.state.fileLoaded);
            EXPECT_FALSE(editor.saveEnabled());
            EXPECT_EQ(editor.state.tagList.count(), 0);
        } else {
            EXPECT_EQ(message, QString());
            EXPECT_FALSE(editor.state.fileLoaded);
            ASSERT_TRUE(editor.newEnabled());
            const QString refused = editor.pressNew();
            EXPECT_TRUE(refused.contains(infoPath)) << "message: " << refused.toStdString();
            EXPECT_FALSE(editor.state.fileLoaded);
        }
        // Whatever the buttons still allow, the entry survives it.
        editor.pressSave();
        editor.pressNew();
    }
    EXPECT_EQ(fingerprint(infoPath), before);
    EXPECT_EQ(TempLevels::entries(track), entriesBefore);
    expectStillWorking(editor, goodTrack);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BadInfoFile, ::testing::ValuesIn(badFiles),
                         [](const ::testing::TestParamInfo<BadFileCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------
// Saving where the file system says no

TEST_F(BadInputTest, folderRemovedWhileLoaded_saveReportsAndKeepsTheEdits)
{
    const QString track = levels.makeTrack(s("toytrack"), toyTrack);
    EditorUnderTest editor(store, levels.path());
    ASSERT_EQ(editor.pick(track), QString());
    editor.typeName(s("Edited Name"));
    ASSERT_TRUE(QDir(track).removeRecursively());

    const QString message = editor.pressSave();
    EXPECT_TRUE(message.contains(s("Errors encountered:"))) << message.toStdString();
    EXPECT_TRUE(message.contains(s("No such file or directory"))) << message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(track)) << "the save made the removed folder again";
    // The edit is still in the window and the document, to be saved elsewhere.
    EXPECT_EQ(editor.shownName(), s("Edited Name"));
    EXPECT_EQ(edit::getTagValue(editor.state, s("name")), s("Edited Name by Ann"));
    expectStillWorking(editor, goodTrack);
}

TEST_F(BadInputTest, readOnlyTrackFolder_saveReportsAndChangesNothing)
{
    const QString track = levels.makeTrack(s("toytrack"), toyTrack);
    EditorUnderTest editor(store, levels.path());
    ASSERT_EQ(editor.pick(track), QString());
    editor.typeName(s("Edited Name"));
    editor.typeFolderName(s("renamed"));
    ASSERT_TRUE(chmodPath(track, 0555));
    ASSERT_TRUE(chmodPath(levels.path(), 0555));
    QString message;
    {
        const AsOrdinaryUser user;
        if (!user.active()) {
            chmodPath(levels.path(), 0755);
            GTEST_SKIP() << "running as root, which writes anywhere, and cannot switch user";
        }
        message = editor.pressSave();
    }
    chmodPath(levels.path(), 0755);
    chmodPath(track, 0755);

    EXPECT_TRUE(message.contains(s("Permission denied"))) << message.toStdString();
    EXPECT_EQ(TempLevels::readAll(track + s("/toytrack.inf")), toyTrack);
    EXPECT_EQ(TempLevels::entries(track), QStringList{s("toytrack.inf")});
    EXPECT_EQ(TempLevels::entries(levels.path()), (QStringList{s("goodtrack"), s("toytrack")}));
    EXPECT_EQ(editor.shownName(), s("Edited Name"));
    expectStillWorking(editor, goodTrack);
}

// A tmpfs of a few pages, filled up before the save.
class SmallFileSystem
{
public:
    explicit SmallFileSystem(const QString& folder) : m_folder(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                            "size=256k,mode=0755")
                    == 0;
        m_error = errno;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    int error() const { return m_error; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
    int m_error = 0;
};

// Writes a file until the file system is full.
void fillUp(const QString& path)
{
    QFile filler(path);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
}

TEST_F(BadInputTest, diskFullDuringSave_reportsAndKeepsOldFileAndEdits)
{
    const QString mountPoint = levels.path() + s("/small");
    const SmallFileSystem small(mountPoint);
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small file system here (" << qt_error_string(small.error()).toStdString()
                     << "); diskFullInChild_reportsAndKeepsOldFile covers this with a file size limit";
    const QString track = mountPoint + s("/toytrack");
    QDir().mkpath(track);
    ASSERT_EQ(writeBytes(track + s("/toytrack.inf"), toyTrack), QString());

    EditorUnderTest editor(store, levels.path());
    ASSERT_EQ(editor.pick(track), QString());
    const QString longName = QString(30000, QLatin1Char('x'));
    editor.typeName(longName);
    fillUp(mountPoint + s("/filler"));

    const QString message = editor.pressSave();
    EXPECT_TRUE(message.contains(s("No space left on device"))) << message.toStdString();
    EXPECT_EQ(TempLevels::readAll(track + s("/toytrack.inf")), toyTrack);
    EXPECT_EQ(TempLevels::entries(track), QStringList{s("toytrack.inf")}) << "left-overs";
    EXPECT_EQ(editor.shownName(), longName);

    // With room again, the same Save keeps the edit.
    ASSERT_TRUE(QFile::remove(mountPoint + s("/filler")));
    const QString retried = editor.pressSave();
    EXPECT_TRUE(retried.contains(s("No Errors Encountered"))) << retried.toStdString();
    EXPECT_TRUE(TempLevels::readAll(track + s("/toytrack.inf")).contains(longName.toLatin1()));
    expectStillWorking(editor, goodTrack);
}

// The Save button's work in a child process whose files may not grow past a few kilobytes:
// write() fails with EFBIG, as on a full disk.
TEST_F(BadInputTest, diskFullInChild_reportsAndKeepsOldFile)
{
    const QString track = levels.makeTrack(s("toytrack"), toyTrack);
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(report[0]);
        edit::State state;
        FakeFolders folders;
        folders.selected = folders.open = track;
        RecordingView view(folders);
        Rename::Settings rename;
        if (!edit::loadTrack(state, view, track).isEmpty())
            ::_exit(3);
        edit::setTagValue(state, view, s("name"), QString(30000, QLatin1Char('x')));
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const QByteArray errors =
            edit::saveTrack(state, view, folders, rename, levels.path(), s("toytrack")).errors.toUtf8();
        const bool sent = ::write(report[1], errors.constData(), size_t(errors.size())) == errors.size();
        ::_exit(sent ? 0 : 4);
    }
    ::close(report[1]);
    QByteArray errors;
    char buffer[512];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;)
        errors.append(buffer, n);
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    EXPECT_EQ(errors, QByteArray("Runtime Error '27': File too large\r\n"));
    EXPECT_EQ(TempLevels::readAll(track + s("/toytrack.inf")), toyTrack);
    EXPECT_EQ(TempLevels::entries(track), QStringList{s("toytrack.inf")}) << "left-overs";
}

// ---------------------------------------------------------------------------------------
// Folder names typed into the Folder field

struct FolderNameCase
{
    const char* what;
    QString name;
    bool renames; // a valid name: the folder and its files take it
    const char* errorHolds;
    friend void PrintTo(const FolderNameCase& name, std::ostream* out) { *out << name.what; }
};

class FolderName : public BadInputTest, public ::testing::WithParamInterface<FolderNameCase>
{
};

TEST_P(FolderName, isRefusedWithAMessageOrUsedWhole)
{
    const FolderNameCase& name = GetParam();
    const QString track = levels.makeTrack(s("toytrack"), toyTrack);
    levels.writeFile(s("toytrack/toytrack.taz"), "geometry");
    const QString outside = QFileInfo(levels.path()).absolutePath();
    const QStringList outsideBefore = TempLevels::entries(outside);

    EditorUnderTest editor(store, levels.path());
    ASSERT_EQ(editor.pick(track), QString());
    editor.typeName(s("Edited Name"));
    editor.typeFolderName(name.name);
    const QString message = editor.pressSave();

    EXPECT_EQ(TempLevels::entries(outside), outsideBefore) << "something appeared outside";
    if (name.renames) {
        EXPECT_TRUE(message.contains(s("No Errors Encountered"))) << message.toStdString();
        const QString renamed = levels.path() + QLatin1Char('/') + name.name;
        EXPECT_EQ(TempLevels::entries(renamed),
                  (QStringList{name.name + s(".inf"), name.name + s(".taz")}));
        EXPECT_FALSE(QFileInfo::exists(track));
        EXPECT_TRUE(editor.state.fileLoaded);
    } else {
        EXPECT_TRUE(message.contains(s("Errors encountered:"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(name.errorHolds))) << message.toStdString();
        // The file is saved where it was, and nothing was renamed.
        EXPECT_EQ(TempLevels::entries(levels.path()), (QStringList{s("goodtrack"), s("toytrack")}));
        EXPECT_EQ(TempLevels::entries(track), (QStringList{s("toytrack.inf"), s("toytrack.taz")}));
        EXPECT_TRUE(TempLevels::readAll(track + s("/toytrack.inf")).contains("Edited Name"));
    }
    EXPECT_EQ(editor.shownName(), s("Edited Name"));
    expectStillWorking(editor, goodTrack);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FolderName,
    ::testing::Values(
        FolderNameCase{"separator", s("a/b"), false, "Invalid folder name"},
        FolderNameCase{"upAndOut", s("../escaped"), false, "Invalid folder name"},
        FolderNameCase{"dotDot", s(".."), false, "Invalid folder name"},
        FolderNameCase{"dot", s("."), false, "Invalid folder name"},
        FolderNameCase{"absolutePath", s("/tmp/escaped"), false, "Invalid folder name"},
        FolderNameCase{"empty", QString(), false, "Invalid folder name"},
        FolderNameCase{"nul", s("a") + QChar(0) + s("b"), false, "Invalid folder name"},
        FolderNameCase{"longerThan255Bytes", QString(256, QLatin1Char('n')), false,
                       "File name too long"},
        // 130 two-byte characters: 260 bytes in the file system's encoding.
        FolderNameCase{"wideCharactersOver255Bytes", QString(130, QChar(0xE9)), false,
                       "File name too long"},
        // A folder may take 255 bytes, but its info file could not follow it there: the
        // track would be left without one the game can find.
        FolderNameCase{"noRoomForTheInfoFileName", QString(255, QLatin1Char('m')), false,
                       "File name too long"},
        // Not separators on this system: ordinary names.
        FolderNameCase{"backslash", s("back\\slash"), true, ""},
        FolderNameCase{"spacesAndAccents", s("Pîste d'été 2"), true, ""},
        // 251 bytes and ".inf" fill the file system's 255 exactly.
        FolderNameCase{"longestWithItsInfoFile", QString(251, QLatin1Char('m')), true, ""}),
    [](const ::testing::TestParamInfo<FolderNameCase>& info) { return std::string(info.param.what); });

// ---------------------------------------------------------------------------------------
// Two editors saving the same track

// Two processes load the track and save it over and over, each its own version, while this
// one reads the file: every read is the old file or one version whole.
TEST_F(BadInputTest, twoEditorsSavingOneTrack_fileIsAlwaysOneWholeVersion)
{
    const QString track = levels.makeTrack(s("toytrack"), toyTrack);
    const QString infoFile = track + s("/toytrack.inf");
    // A version is the document with its own name, padded so a torn write would show.
    const auto version = [](char letter) {
        return QString(letter == 'a' ? 20000 : 3000, QLatin1Char(letter));
    };
    const auto bytesOf = [&](const QString& name) {
        edit::State state;
        FakeFolders folders;
        folders.selected = track;
        RecordingView view(folders);
        edit::loadTrack(state, view, track);
        edit::setTagValue(state, view, s("name"), name);
        return edit::encodeDocument(state.tagList, state.encoding).bytes;
    };
    const QByteArray versionA = bytesOf(version('a'));
    const QByteArray versionB = bytesOf(version('b'));
    ASSERT_FALSE(versionA.isEmpty());

    const pid_t parentId = ::getpid();
    const auto startEditor = [&](char letter) {
        const pid_t child = ::fork();
        if (child != 0)
            return child;
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parentId)
            ::_exit(5);
        edit::State state;
        FakeFolders folders;
        folders.selected = folders.open = track;
        RecordingView view(folders);
        Rename::Settings rename;
        int failures = 0;
        for (int i = 0; i < 150; ++i) {
            // Each save reloads whatever is on disk; the user types the name again.
            if (!edit::loadTrack(state, view, track).isEmpty())
                ++failures;
            edit::setTagValue(state, view, s("name"), version(letter));
            if (!edit::saveTrack(state, view, folders, rename, levels.path(), s("toytrack"))
                     .errors.isEmpty())
                ++failures;
        }
        ::_exit(failures == 0 ? 0 : 1);
    };
    pid_t editors[2] = {startEditor('a'), startEditor('b')};
    // A failed check below must not leave the editors running.
    const auto stopEditors = qScopeGuard([&editors] {
        for (pid_t& editor : editors) {
            if (editor > 0) {
                ::kill(editor, SIGKILL);
                ::waitpid(editor, nullptr, 0);
            }
        }
    });
    ASSERT_GT(editors[0], 0);
    ASSERT_GT(editors[1], 0);

    int reads = 0;
    int saw = 0;
    int statuses[2] = {0, 0};
    while (editors[0] > 0 || editors[1] > 0) {
        const QByteArray now = TempLevels::readAll(infoFile);
        ASSERT_TRUE(now == toyTrack || now == versionA || now == versionB)
            << "read " << reads << " found " << now.size() << " bytes of no whole version";
        saw += now == versionA || now == versionB;
        ++reads;
        for (int i = 0; i < 2; ++i) {
            if (editors[i] > 0 && ::waitpid(editors[i], &statuses[i], WNOHANG) == editors[i])
                editors[i] = -1;
        }
    }
    for (const int status : statuses)
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "an editor failed to save";
    const QByteArray last = TempLevels::readAll(infoFile);
    EXPECT_TRUE(last == versionA || last == versionB);
    EXPECT_GT(saw, 0) << "no save was seen in " << reads << " reads";
    EXPECT_EQ(TempLevels::entries(track), QStringList{s("toytrack.inf")}) << "left-overs";
}

} // namespace
