// A bad settings file under the real editor: damaged, locked by another process, or
// read-only. The editor starts, says what is wrong when it matters, and neither the file's
// old contents nor the user's new settings are lost.
#include "EditorUnderTest.h"
#include "save/SaveFakes.h"
#include "settings/SqliteStore.h"
#include "support/TempTrack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <csignal>
#include <functional>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const QString kite = s("Tarvex Kite");
const QString kite2 = s("Tarvex Kite2");
const QString ownExtensions = s("inf;taz;mine");

bool chmodPath(const QString& path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

class BadSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(levels.isValid());
        ASSERT_TRUE(chmodPath(levels.path(), 0755));
        oldCurrent = QDir::currentPath();
        QDir::setCurrent(levels.path());
        track = levels.makeTrack(s("toytrack"), crlfLines({s("NAME\t\t'Toy World by Ann'")}));
        folder = levels.makeFolder(s("config"));
        ASSERT_TRUE(chmodPath(folder, 0755));
        path = folder + s("/settings.sqlite");
    }
    void TearDown() override
    {
        chmodPath(folder, 0755);
        QDir::setCurrent(oldCurrent);
    }

    // A settings file as an earlier run left it: its last folder and one own description.
    void writeEarlierSettings() const
    {
        settings::SqliteStore earlier(path);
        ASSERT_TRUE(earlier.isPersistent());
        ASSERT_TRUE(earlier.write(kite, s("Current"), s("Folder"), track));
        ASSERT_TRUE(earlier.write(kite2, s("Descriptions"), s("MYTAG"), s("My own help text")));
        ASSERT_TRUE(earlier.write(kite, s("Renaming"), s("Extentions"), ownExtensions));
    }
    // What the file holds now, read by a fresh store as the next run would.
    QString storedDescription(const char* label) const
    {
        const settings::SqliteStore later(path);
        return later.read(kite2, s("Descriptions"), QLatin1String(label));
    }

    TempLevels levels;
    QString track;
    QString folder;
    QString path;
    QString oldCurrent;
};

// ---------------------------------------------------------------------------------------
// Damaged

struct DamageCase
{
    const char* name;
    std::function<QByteArray(const QByteArray& healthy)> damage;
    friend void PrintTo(const DamageCase& damage, std::ostream* out) { *out << damage.name; }
};

QByteArray randomBytes(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

const DamageCase damages[] = {
    {"textFile", [](const QByteArray&) -> QByteArray { return QByteArray("Folder=/home/me/levels\n").repeated(50); }},
    {"randomBytes", [](const QByteArray&) -> QByteArray { return randomBytes(8192); }},
    {"overwrittenPages",
     [](const QByteArray& healthy) -> QByteArray {
         // The header stays; the table's pages after it are garbage.
         QByteArray bytes = healthy;
         const QByteArray garbage = randomBytes(int(bytes.size()) - 4096);
         bytes.replace(4096, garbage.size(), garbage);
         return bytes;
     }},
    {"headerOnly", [](const QByteArray& healthy) -> QByteArray { return healthy.left(100); }},
};

class DamagedSettings : public BadSettingsTest, public ::testing::WithParamInterface<DamageCase>
{
};

TEST_P(DamagedSettings, areKeptAsideAndTheEditorStartsFresh)
{
    {
        settings::SqliteStore earlier(path);
        for (int i = 0; i < 300; ++i) // several pages
            earlier.write(kite2, s("Descriptions"), s("TAG%1").arg(i), QString(40, QLatin1Char('d')));
    }
    const QByteArray damaged = GetParam().damage(TempLevels::readAll(path));
    QFile::remove(path);
    levels.writeFile(s("config/settings.sqlite"), damaged);

    settings::SqliteStore store(path);
    EditorUnderTest editor(store, levels.path());
    // As the program does right after start-up.
    ASSERT_FALSE(store.recoveryNotice().isEmpty());
    EXPECT_TRUE(store.recoveryNotice().contains(s("fresh settings")))
        << store.recoveryNotice().toStdString();
    EXPECT_TRUE(store.isPersistent());

    // The damaged bytes are kept, under the name the notice gives.
    QStringList kept;
    for (const QString& name : TempLevels::entries(folder)) {
        if (name.startsWith(s("settings.sqlite.")) && !name.endsWith(s("-journal")))
            kept.append(name);
    }
    ASSERT_EQ(kept.size(), 1) << TempLevels::entries(folder).join(s(", ")).toStdString();
    EXPECT_TRUE(store.recoveryNotice().contains(folder + QLatin1Char('/') + kept.first()));
    EXPECT_EQ(TempLevels::readAll(folder + QLatin1Char('/') + kept.first()), damaged);

    // The fresh store takes new settings and keeps them for the next run.
    editor.pressOptions("cmdDefaults");
    EXPECT_EQ(editor.pressOptions("cmdOK"), QString());
    editor.pick(track);
    EXPECT_TRUE(editor.state.fileLoaded);
    editor.close();
    EXPECT_FALSE(storedDescription("FARCLIP").isEmpty());
    const settings::SqliteStore later(path);
    EXPECT_EQ(later.recoveryNotice(), QString());
    EXPECT_EQ(later.read(kite, s("Current"), s("Folder")), levels.path());
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedSettings, ::testing::ValuesIn(damages),
                         [](const ::testing::TestParamInfo<DamageCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------
// Locked by another process

// Another process holding the settings file under an exclusive transaction until told to
// let go.
class LockingProcess
{
public:
    explicit LockingProcess(const QString& path)
    {
        int locked[2];
        int release[2];
        if (::pipe(locked) != 0 || ::pipe(release) != 0)
            return;
        const pid_t parentId = ::getpid();
        m_child = ::fork();
        if (m_child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parentId)
                ::_exit(5);
            // Only the parent may hold the write end, or closing it would not end the wait.
            ::close(release[1]);
            ::close(locked[0]);
            sqlite3* db = nullptr;
            const QByteArray file = QFile::encodeName(path);
            if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
                || sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
                ::_exit(3);
            char signal = 'L';
            if (::write(locked[1], &signal, 1) != 1)
                ::_exit(4);
            [[maybe_unused]] const ssize_t wait = ::read(release[0], &signal, 1);
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            ::_exit(0);
        }
        ::close(locked[1]);
        ::close(release[0]);
        m_release = release[1];
        char signal = 0;
        m_locked = m_child > 0 && ::read(locked[0], &signal, 1) == 1 && signal == 'L';
        ::close(locked[0]);
    }
    ~LockingProcess() { release(); }
    LockingProcess(const LockingProcess&) = delete;
    LockingProcess& operator=(const LockingProcess&) = delete;

    bool locked() const { return m_locked; }
    // Lets go of the file and ends; true when it ended cleanly.
    bool release()
    {
        if (m_child <= 0)
            return false;
        ::close(m_release);
        int status = 0;
        ::waitpid(m_child, &status, 0);
        m_child = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t m_child = -1;
    int m_release = -1;
    bool m_locked = false;
};

// Short, so the test does not wait long for each refused statement.
constexpr int busyTimeoutMs = 200;

TEST_F(BadSettingsTest, lockedWhenOptionsAreSaved_saysSoAndSavesOnTheNextOk)
{
    writeEarlierSettings();
    settings::SqliteStore store(path, busyTimeoutMs);
    EditorUnderTest editor(store, track);
    ASSERT_NE(editor.descriptions.find(s("MYTAG")), nullptr);
    editor.pressOptions("cmdDefaultsRename");

    LockingProcess other(path);
    ASSERT_TRUE(other.locked());
    const QString message = editor.pressOptions("cmdOK");
    EXPECT_TRUE(message.contains(s("in use by another program"))) << message.toStdString();
    EXPECT_NE(editor.options().result(), int(QDialog::Accepted));

    ASSERT_TRUE(other.release());
    EXPECT_EQ(editor.pressOptions("cmdOK"), QString());
    EXPECT_EQ(storedDescription("MYTAG"), s("My own help text"));
    const settings::SqliteStore later(path);
    EXPECT_EQ(later.read(kite, s("Renaming"), s("Extentions")), Rename::defaultExtensions);
}

// The editor starts while another process holds the file: nothing can be read. Saving the
// options later must not replace what the file held with the empty lists shown meanwhile.
TEST_F(BadSettingsTest, lockedAtStartUp_laterOkKeepsWhatTheFileHeld)
{
    writeEarlierSettings();
    std::unique_ptr<settings::SqliteStore> store;
    std::unique_ptr<EditorUnderTest> editor;
    {
        LockingProcess other(path);
        ASSERT_TRUE(other.locked());
        store = std::make_unique<settings::SqliteStore>(path, busyTimeoutMs);
        editor = std::make_unique<EditorUnderTest>(*store, track);
        ASSERT_TRUE(other.release());
    }
    editor->pressOptions("cmdOK");
    editor->close();
    const settings::SqliteStore later(path);
    EXPECT_EQ(later.read(kite2, s("Descriptions"), s("MYTAG")), s("My own help text"));
    EXPECT_EQ(later.read(kite, s("Renaming"), s("Extentions")), ownExtensions);
}

// ---------------------------------------------------------------------------------------
// Read-only

TEST_F(BadSettingsTest, readOnly_readsTheSettingsAndSaysWhyOkCannotSave)
{
    writeEarlierSettings();
    const QByteArray before = TempLevels::readAll(path);
    ASSERT_TRUE(chmodPath(path, 0444));
    ASSERT_TRUE(chmodPath(folder, 0555));
    {
        const AsOrdinaryUser user;
        if (!user.active())
            GTEST_SKIP() << "running as root, which writes anywhere, and cannot switch user";
        settings::SqliteStore store(path);
        EXPECT_EQ(store.recoveryNotice(), QString());
        EditorUnderTest editor(store, track);
        const cDesc* own = editor.descriptions.find(s("MYTAG"));
        ASSERT_NE(own, nullptr);
        EXPECT_EQ(own->tagDesc, s("My own help text"));

        editor.pressOptions("cmdDefaults");
        const QString message = editor.pressOptions("cmdOK");
        EXPECT_TRUE(message.contains(s("read-only"))) << message.toStdString();
        EXPECT_NE(editor.options().result(), int(QDialog::Accepted));
        editor.pick(track);
        EXPECT_TRUE(editor.state.fileLoaded);
        editor.close();
    }
    EXPECT_EQ(TempLevels::readAll(path), before);
}

} // namespace
