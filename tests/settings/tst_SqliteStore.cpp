// The settings store: order, names ignoring case, persistence, two editors writing at once,
// a killed writer, damaged, foreign, read-only, locked and unopenable files.
#include "settings/SqliteStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <grp.h>
#include <signal.h>

#include <cstdio>
#include <functional>
#include <memory>

using settings::KeyValueList;
using settings::MemoryStore;
using settings::SqliteStore;
using settings::Store;

using namespace Qt::StringLiterals;

namespace {

const QString app = QStringLiteral("Tarvex Kite");

QString fileIn(const QTemporaryDir& dir, const QString& name = QStringLiteral("settings.sqlite"))
{
    return dir.path() + QLatin1Char('/') + name;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Runs SQL on the file through a connection of its own, returning the first column of the
// first row (or the error text).
QString rawQuery(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
            if (sqlite3_step(statement) == SQLITE_ROW)
                result = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        } else {
            result = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_finalize(statement);
    } else {
        result = QStringLiteral("cannot open");
    }
    sqlite3_close_v2(db);
    return result;
}

QStringList keysOf(const KeyValueList& pairs)
{
    QStringList keys;
    for (const auto& pair : pairs)
        keys << pair.first;
    return keys;
}

QStringList filesStartingWith(const QString& folder, const QString& prefix)
{
    return QDir(folder).entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
}

// ---------------------------------------------------------------------------------------
// Behaviour both stores share. Each case gets a fresh store from its factory.

struct StoreFactory
{
    const char* name;
    std::function<std::unique_ptr<Store>(const QString& folder)> make;
};

void PrintTo(const StoreFactory& factory, std::ostream* out)
{
    *out << factory.name;
}

class StoreBehaviour : public ::testing::TestWithParam<StoreFactory>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_store = GetParam().make(m_dir.path());
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Store> m_store;
};

TEST_P(StoreBehaviour, sectionComesBackInFirstWrittenOrder_rewriteKeepsPlace)
{
    Store& store = *m_store;
    const QString section = QStringLiteral("Descriptions");
    for (const char* key : {"ZULU", "alpha", "Mike", "bravo"})
        ASSERT_TRUE(store.write(app, section, QLatin1String(key), QLatin1String(key) + u"-1"_s));
    ASSERT_TRUE(store.write(app, section, QStringLiteral("alpha"), QStringLiteral("alpha-2")));
    ASSERT_TRUE(store.write(app, section, QStringLiteral("ZULU"), QStringLiteral("zulu-2")));

    const KeyValueList expected{{u"ZULU"_s, u"zulu-2"_s},
                                {u"alpha"_s, u"alpha-2"_s},
                                {u"Mike"_s, u"Mike-1"_s},
                                {u"bravo"_s, u"bravo-1"_s}};
    EXPECT_EQ(store.readSection(app, section), expected);

    // After the section is deleted, keys written again take the order of the new writes.
    ASSERT_TRUE(store.deleteSection(app, section));
    ASSERT_TRUE(store.write(app, section, QStringLiteral("bravo"), QStringLiteral("b")));
    ASSERT_TRUE(store.write(app, section, QStringLiteral("ZULU"), QStringLiteral("z")));
    EXPECT_EQ(keysOf(store.readSection(app, section)), (QStringList{u"bravo"_s, u"ZULU"_s}));
}

TEST_P(StoreBehaviour, namesMatchIgnoringAsciiCase)
{
    Store& store = *m_store;
    ASSERT_TRUE(store.write(u"Tarvex Kite"_s, u"Renaming"_s, u"Rename Type"_s, u"1"_s));
    ASSERT_TRUE(store.write(u"Tarvex Kite"_s, u"Renaming"_s, u"Extentions"_s, u"inf"_s));

    struct Case
    {
        QString app, section, key;
    };
    const Case spellings[] = {
        {u"Tarvex Kite"_s, u"Renaming"_s, u"Rename Type"_s},
        {u"TARVEX KITE"_s, u"renaming"_s, u"rename type"_s},
        {u"tarvex kite"_s, u"RENAMING"_s, u"ReNaMe TyPe"_s},
    };
    for (const Case& c : spellings) {
        SCOPED_TRACE(QString(c.app + u'/' + c.section + u'/' + c.key).toStdString());
        EXPECT_EQ(store.read(c.app, c.section, c.key), u"1"_s);
        EXPECT_EQ(store.readSection(c.app, c.section).size(), 2);
    }

    // A rewrite under another case is the same entry: no second key, same place.
    ASSERT_TRUE(store.write(u"tarvex kite"_s, u"renaming"_s, u"RENAME TYPE"_s, u"0"_s));
    const KeyValueList pairs = store.readSection(u"Tarvex Kite"_s, u"Renaming"_s);
    ASSERT_EQ(pairs.size(), 2);
    EXPECT_EQ(pairs.at(0).first.toLower(), u"rename type"_s);
    EXPECT_EQ(pairs.at(0).second, u"0"_s);

    ASSERT_TRUE(store.deleteSection(u"TARVEX kite"_s, u"RENAMING"_s));
    EXPECT_TRUE(store.readSection(u"Tarvex Kite"_s, u"Renaming"_s).isEmpty());

    // Only ASCII letters fold; other letters are compared exactly.
    ASSERT_TRUE(store.write(app, u"S"_s, u"\u00c9T\u00c9"_s, u"upper"_s));
    EXPECT_EQ(store.read(app, u"S"_s, u"\u00e9t\u00e9"_s), QString());
    EXPECT_EQ(store.read(app, u"s"_s, u"\u00c9t\u00c9"_s), u"upper"_s);
}

TEST_P(StoreBehaviour, missingEntriesReadEmpty_deletingMissingSectionSucceeds)
{
    Store& store = *m_store;
    ASSERT_TRUE(store.write(app, u"Current"_s, u"Folder"_s, u"/levels/toytrack"_s));

    EXPECT_EQ(store.read(app, u"Current"_s, u"Nope"_s), QString());
    EXPECT_EQ(store.read(app, u"Nope"_s, u"Folder"_s), QString());
    EXPECT_EQ(store.read(u"Tarvex Kite2"_s, u"Current"_s, u"Folder"_s), QString());
    EXPECT_TRUE(store.readSection(app, u"Nope"_s).isEmpty());
    EXPECT_TRUE(store.lastError().isEmpty());

    EXPECT_TRUE(store.deleteSection(u"Tarvex Kite2"_s, u"Descriptions"_s));
    EXPECT_TRUE(store.lastError().isEmpty());
    EXPECT_EQ(store.read(app, u"Current"_s, u"Folder"_s), u"/levels/toytrack"_s);
}

TEST_P(StoreBehaviour, awkwardTextRoundTripsExactly)
{
    Store& store = *m_store;
    const KeyValueList pairs{
        {u"it's"_s, u"O'Brien said \"hi\"; DROP TABLE settings; --"_s},
        {u"100%"_s, u"a_b%c"_s},
        {u"a_c"_s, u"underscore"_s},
        {u"empty"_s, QString()},
        {u"lines"_s, u"one\r\ntwo\tthree "_s},
        {u"unicode \u00e4\u00df\u20ac"_s, u"\u65e5\u672c \U0001F600"_s},
    };
    for (const auto& pair : pairs)
        ASSERT_TRUE(store.write(app, u"Odd"_s, pair.first, pair.second))
            << store.lastError().toStdString();
    EXPECT_EQ(store.readSection(app, u"Odd"_s), pairs);
    for (const auto& pair : pairs)
        EXPECT_EQ(store.read(app, u"Odd"_s, pair.first), pair.second);
    // Wildcard characters are plain text: "abc" is not "a_c", "100x" is not "100%".
    EXPECT_EQ(store.read(app, u"Odd"_s, u"abc"_s), QString());
    EXPECT_EQ(store.read(app, u"Odd"_s, u"100x"_s), QString());
}

TEST_P(StoreBehaviour, replaceSectionDropsOldKeysAndWritesInGivenOrder)
{
    Store& store = *m_store;
    ASSERT_TRUE(store.write(app, u"D"_s, u"OLD"_s, u"old"_s));
    ASSERT_TRUE(store.write(app, u"D"_s, u"B"_s, u"b-old"_s));
    ASSERT_TRUE(store.write(app, u"Other"_s, u"Keep"_s, u"kept"_s));

    const KeyValueList fresh{{u"B"_s, u"b"_s}, {u"A"_s, u"a"_s}, {u"C"_s, u"c"_s}};
    ASSERT_TRUE(store.replaceSection(app, u"d"_s, fresh));
    EXPECT_EQ(store.readSection(app, u"D"_s), fresh);
    EXPECT_EQ(store.read(app, u"Other"_s, u"Keep"_s), u"kept"_s);

    ASSERT_TRUE(store.replaceSection(app, u"D"_s, {}));
    EXPECT_TRUE(store.readSection(app, u"D"_s).isEmpty());
}

TEST_P(StoreBehaviour, writeWithoutAName_isRefusedWithAnError)
{
    Store& store = *m_store;
    EXPECT_FALSE(store.write(app, u"S"_s, QString(), u"v"_s));
    EXPECT_FALSE(store.lastError().isEmpty());
    EXPECT_FALSE(store.write(QString(), u"S"_s, u"k"_s, u"v"_s));
    EXPECT_TRUE(store.write(app, u"S"_s, u"k"_s, u"v"_s));
    EXPECT_TRUE(store.lastError().isEmpty());
    EXPECT_EQ(store.readSection(app, u"S"_s).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Stores, StoreBehaviour,
    ::testing::Values(
        StoreFactory{"Memory", [](const QString&) { return std::make_unique<MemoryStore>(); }},
        StoreFactory{"SqliteInMemory",
                     [](const QString&) { return std::make_unique<SqliteStore>(u":memory:"_s); }},
        StoreFactory{"SqliteFile",
                     [](const QString& folder) {
                         return std::make_unique<SqliteStore>(folder + u"/settings.sqlite"_s);
                     }}),
    [](const ::testing::TestParamInfo<StoreFactory>& info) {
        return std::string(info.param.name);
    });

// ---------------------------------------------------------------------------------------
// The file store on its own.

TEST(SqliteStore, valuesAndOrderSurviveReopening)
{
    QTemporaryDir dir;
    const QString path = fileIn(dir);
    {
        SqliteStore store(path);
        ASSERT_TRUE(store.isPersistent());
        EXPECT_TRUE(store.recoveryNotice().isEmpty());
        for (const char* key : {"WORLDRGBPER", "FARCLIP", "NAME"})
            ASSERT_TRUE(
                store.write(u"Tarvex Kite2"_s, u"Descriptions"_s, QLatin1String(key), u"x"_s));
        ASSERT_TRUE(store.write(u"Tarvex Kite2"_s, u"Descriptions"_s, u"farclip"_s, u"far"_s));
    }
    SqliteStore again(path);
    EXPECT_TRUE(again.recoveryNotice().isEmpty());
    const KeyValueList expected{
        {u"WORLDRGBPER"_s, u"x"_s}, {u"FARCLIP"_s, u"far"_s}, {u"NAME"_s, u"x"_s}};
    EXPECT_EQ(again.readSection(u"Tarvex Kite2"_s, u"Descriptions"_s), expected);
    EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), u"ok"_s);
}

TEST(SqliteStore, defaultPathFollowsXdgConfigHome)
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    QStandardPaths::setTestModeEnabled(false);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    const QString path = SqliteStore::defaultPath();
    qputenv("XDG_CONFIG_HOME", saved);
    QStandardPaths::setTestModeEnabled(true);

    EXPECT_EQ(path, dir.path() + u"/tarvex-kite/settings.sqlite"_s);
    EXPECT_TRUE(QFileInfo(dir.path() + u"/tarvex-kite"_s).isDir());
}

// Garbage, text and damaged databases are moved aside under a name that says so; the
// editor goes on with a fresh store and is told once.
struct DamageCase
{
    const char* name;
    std::function<void(const QString& path)> spoil;
    const char* asidePrefix;
};

void PrintTo(const DamageCase& damage, std::ostream* out)
{
    *out << damage.name;
}

class DamagedFile : public ::testing::TestWithParam<DamageCase>
{
};

void fillWithKeys(const QString& path, int count)
{
    SqliteStore store(path);
    const QString longText(300, QLatin1Char('v'));
    KeyValueList pairs;
    for (int i = 0; i < count; ++i)
        pairs.append({u"key%1"_s.arg(i), longText});
    ASSERT_TRUE(store.replaceSection(app, u"Bulk"_s, pairs));
}

void overwriteRange(const QString& path, qint64 offset, qint64 length)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GT(file.size(), offset + length);
    file.seek(offset);
    QByteArray junk(length, '\0');
    for (char& c : junk)
        c = char(QRandomGenerator::global()->bounded(256));
    file.write(junk);
}

TEST_P(DamagedFile, isMovedAside_freshStoreWorks_noticeGivenOnce)
{
    QTemporaryDir dir;
    const QString path = fileIn(dir);
    GetParam().spoil(path);
    if (::testing::Test::HasFatalFailure())
        return;
    const QByteArray original = readBytes(path);
    ASSERT_FALSE(original.isEmpty());

    {
        SqliteStore store(path);
        EXPECT_TRUE(store.isPersistent());
        const QStringList aside =
            filesStartingWith(dir.path(), QLatin1String(GetParam().asidePrefix));
        ASSERT_EQ(aside.size(), 1) << QDir(dir.path()).entryList().join(u' ').toStdString();
        EXPECT_EQ(readBytes(dir.path() + QLatin1Char('/') + aside.first()), original);
        EXPECT_TRUE(store.recoveryNotice().contains(aside.first()))
            << store.recoveryNotice().toStdString();

        EXPECT_EQ(store.read(app, u"Bulk"_s, u"key1"_s), QString());
        ASSERT_TRUE(store.write(app, u"Current"_s, u"Folder"_s, u"/levels/a"_s));
        EXPECT_EQ(store.read(app, u"Current"_s, u"Folder"_s), u"/levels/a"_s);
    }
    SqliteStore again(path);
    EXPECT_TRUE(again.recoveryNotice().isEmpty()) << again.recoveryNotice().toStdString();
    EXPECT_EQ(again.read(app, u"Current"_s, u"Folder"_s), u"/levels/a"_s);
    EXPECT_EQ(filesStartingWith(dir.path(), QLatin1String(GetParam().asidePrefix)).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFile,
    ::testing::Values(
        DamageCase{"randomBytes",
                   [](const QString& path) {
                       QByteArray junk(8192, '\0');
                       for (char& c : junk)
                           c = char(QRandomGenerator::global()->bounded(256));
                       writeBytes(path, junk);
                   },
                   "settings.sqlite.corrupt-"},
        DamageCase{"textFile",
                   [](const QString& path) {
                       const QByteArray text("[Renaming]\r\nExtentions=inf;w\r\n");
                       writeBytes(path, text.repeated(40));
                   },
                   "settings.sqlite.corrupt-"},
        DamageCase{"shortFile", [](const QString& path) { writeBytes(path, "SQLite"); },
                   "settings.sqlite.corrupt-"},
        DamageCase{"schemaPageOverwritten",
                   [](const QString& path) {
                       fillWithKeys(path, 200);
                       overwriteRange(path, 100, 3000);
                   },
                   "settings.sqlite.corrupt-"},
        DamageCase{"dataPageOverwritten",
                   [](const QString& path) {
                       fillWithKeys(path, 200);
                       overwriteRange(path, 4096 * 3, 4096);
                   },
                   "settings.sqlite.corrupt-"},
        DamageCase{"foreignSettingsTable",
                   [](const QString& path) {
                       sqlite3* db = nullptr;
                       sqlite3_open(QFile::encodeName(path).constData(), &db);
                       sqlite3_exec(db, "CREATE TABLE settings (name TEXT, data BLOB);"
                                        "INSERT INTO settings VALUES ('a', x'00');",
                                    nullptr, nullptr, nullptr);
                       sqlite3_close(db);
                   },
                   "settings.sqlite.unrecognised-"}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(SqliteStore, companionFilesOfDamagedFileDoNotStayBesideFreshStore)
{
    QTemporaryDir dir;
    const QString path = fileIn(dir);
    writeBytes(path, QByteArray(4096, 'x'));
    writeBytes(path + u"-journal"_s, QByteArray(2048, 'j'));
    writeBytes(path + u"-wal"_s, QByteArray(2048, 'w'));

    SqliteStore store(path);
    ASSERT_TRUE(store.isPersistent());
    EXPECT_FALSE(store.recoveryNotice().isEmpty());
    ASSERT_TRUE(store.write(app, u"S"_s, u"k"_s, u"v"_s));
    EXPECT_FALSE(QFileInfo::exists(path + u"-wal"_s));
    EXPECT_FALSE(QFileInfo::exists(path + u"-journal"_s));
    // SQLite itself may already have discarded the stale companions; either way none is
    // left to be played into the fresh store.
    const QStringList aside = filesStartingWith(dir.path(), u"settings.sqlite.corrupt-"_s);
    ASSERT_FALSE(aside.isEmpty());
    EXPECT_EQ(readBytes(dir.path() + QLatin1Char('/') + aside.first()), QByteArray(4096, 'x'));
    EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), u"ok"_s);
}

TEST(SqliteStore, unopenableFile_fallsBackToMemoryAndSaysSo)
{
    QTemporaryDir dir;
    const QString blocker = fileIn(dir, u"plainfile"_s);
    writeBytes(blocker, "not a folder");
    const QString cases[] = {
        blocker + u"/settings.sqlite"_s, // a file where the folder should be
        dir.path(),                      // a folder where the file should be
        QString(),                       // no configuration folder at all
    };
    for (const QString& path : cases) {
        SCOPED_TRACE(path.toStdString());
        SqliteStore store(path);
        EXPECT_TRUE(store.isOpen());
        EXPECT_FALSE(store.isPersistent());
        EXPECT_FALSE(store.recoveryNotice().isEmpty());
        EXPECT_TRUE(store.recoveryNotice().contains(u"not be remembered"_s));
        EXPECT_TRUE(store.write(app, u"S"_s, u"k"_s, u"v"_s));
        EXPECT_EQ(store.read(app, u"S"_s, u"k"_s), u"v"_s);
    }
    EXPECT_EQ(readBytes(blocker), QByteArray("not a folder"));
}

TEST(SqliteStore, lockedByAnotherConnection_writesFailClearly_thenRecover)
{
    QTemporaryDir dir;
    const QString path = fileIn(dir);
    {
        SqliteStore first(path);
        ASSERT_TRUE(first.write(app, u"Current"_s, u"Folder"_s, u"/a"_s));
    }
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    SqliteStore store(path, 100);
    EXPECT_TRUE(store.isPersistent());
    EXPECT_TRUE(store.recoveryNotice().isEmpty());
    EXPECT_TRUE(filesStartingWith(dir.path(), u"settings.sqlite."_s).isEmpty()) << "moved aside";

    EXPECT_FALSE(store.write(app, u"Current"_s, u"Folder"_s, u"/b"_s));
    EXPECT_TRUE(store.lastError().contains(u"in use by another program"_s))
        << store.lastError().toStdString();
    EXPECT_FALSE(store.replaceSection(app, u"Current"_s, {{u"Folder"_s, u"/c"_s}}));
    EXPECT_FALSE(store.lastError().isEmpty());
    EXPECT_EQ(store.read(app, u"Current"_s, u"Folder"_s), QString());
    EXPECT_FALSE(store.lastError().isEmpty());

    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);

    EXPECT_EQ(store.read(app, u"Current"_s, u"Folder"_s), u"/a"_s);
    EXPECT_TRUE(store.lastError().isEmpty());
    ASSERT_TRUE(store.write(app, u"Current"_s, u"Folder"_s, u"/b"_s));
    EXPECT_EQ(store.read(app, u"Current"_s, u"Folder"_s), u"/b"_s);
}

// ---------------------------------------------------------------------------------------
// Other processes. The helper tests below run only inside a child started by the tests
// that follow them (they are disabled otherwise and skip without their environment).

struct ChildResult
{
    int exitCode = -1;
    QString output;
};

QProcess* startHelper(const char* helperName, const QProcessEnvironment& environment,
                      bool dropPrivileges = false)
{
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setProcessEnvironment(environment);
    if (dropPrivileges) {
        process->setChildProcessModifier([] {
            // Root ignores file modes; a read-only file is only read-only to someone else.
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                _exit(97);
        });
    }
    process->start(QCoreApplication::applicationFilePath(),
                   {u"--gtest_also_run_disabled_tests"_s,
                    u"--gtest_filter=SqliteStoreHelper.DISABLED_"_s + QLatin1String(helperName)});
    return process;
}

ChildResult finish(QProcess* process, int timeoutMs = 120000)
{
    ChildResult result;
    process->waitForFinished(timeoutMs);
    result.output = QString::fromLocal8Bit(process->readAll());
    result.exitCode = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    delete process;
    return result;
}

bool helperPassed(const ChildResult& result)
{
    return result.exitCode == 0 && result.output.contains(u"[  PASSED  ] 1 test"_s);
}

QString helperEnv(const char* name)
{
    return qEnvironmentVariable(name);
}

constexpr int writesPerChild = 300;

TEST(SqliteStoreHelper, DISABLED_ConcurrentWriter)
{
    const QString path = helperEnv("KITE_HELPER_DB");
    const QString tag = helperEnv("KITE_HELPER_TAG");
    const QString go = helperEnv("KITE_HELPER_GO");
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as a helper process";
    for (int waited = 0; !QFileInfo::exists(go) && waited < 20000; waited += 5)
        QThread::msleep(5);

    SqliteStore store(path);
    ASSERT_TRUE(store.isPersistent()) << store.recoveryNotice().toStdString();
    int failures = 0;
    for (int i = 0; i < writesPerChild; ++i) {
        const QString key = tag + QString::number(i);
        if (!store.write(app, u"Shared"_s, key, key + u"-value"_s)) {
            if (failures++ == 0)
                ADD_FAILURE() << store.lastError().toStdString();
        }
        if (i % 30 == 0) {
            const KeyValueList batch{{u"first"_s, QString::number(i)},
                                     {u"second"_s, QString::number(i)}};
            if (!store.replaceSection(app, u"Batch "_s + tag, batch) && failures++ == 0)
                ADD_FAILURE() << store.lastError().toStdString();
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(SqliteStore, twoProcessesWritingAtOnce_bothSucceedAndNoKeyIsLost)
{
    QTemporaryDir dir;
    const QString path = fileIn(dir);
    const QString go = fileIn(dir, u"go"_s);
    // No file yet: both children create the store at the same moment.
    QProcess* children[2];
    const char* tags[2] = {"a", "b"};
    for (int c = 0; c < 2; ++c) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"KITE_HELPER_DB"_s, path);
        env.insert(u"KITE_HELPER_TAG"_s, QLatin1String(tags[c]));
        env.insert(u"KITE_HELPER_GO"_s, go);
        children[c] = startHelper("ConcurrentWriter", env);
        ASSERT_TRUE(children[c]->waitForStarted());
    }
    writeBytes(go, "go");
    for (QProcess* child : children) {
        const ChildResult result = finish(child);
        EXPECT_TRUE(helperPassed(result)) << result.output.toStdString();
    }

    SqliteStore store(path);
    EXPECT_TRUE(store.recoveryNotice().isEmpty());
    const QStringList keys = keysOf(store.readSection(app, u"Shared"_s));
    ASSERT_EQ(keys.size(), 2 * writesPerChild);
    for (const char* tag : tags) {
        // Each child's keys are all there, in the order that child wrote them.
        QStringList own;
        for (const QString& key : keys) {
            if (key.startsWith(QLatin1String(tag)))
                own << key;
        }
        ASSERT_EQ(own.size(), writesPerChild);
        for (int i = 0; i < writesPerChild; ++i) {
            EXPECT_EQ(own.at(i), QLatin1String(tag) + QString::number(i));
            EXPECT_EQ(store.read(app, u"Shared"_s, own.at(i)), own.at(i) + u"-value"_s);
        }
        const KeyValueList batch = store.readSection(app, u"Batch "_s + QLatin1String(tag));
        const QString last = QString::number((writesPerChild - 1) / 30 * 30);
        EXPECT_EQ(batch, (KeyValueList{{u"first"_s, last}, {u"second"_s, last}}));
    }
    EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), u"ok"_s);
}

constexpr int keysPerGeneration = 300;

TEST(SqliteStoreHelper, DISABLED_ReplaceUntilKilled)
{
    const QString path = helperEnv("KITE_HELPER_DB");
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as a helper process";
    SqliteStore store(path);
    ASSERT_TRUE(store.isPersistent());
    const QString filler(200, QLatin1Char('d'));
    for (int generation = 1; generation < 100000; ++generation) {
        KeyValueList pairs;
        for (int i = 0; i < keysPerGeneration; ++i)
            pairs.append({u"K%1"_s.arg(i), u"%1 %2"_s.arg(generation).arg(filler)});
        ASSERT_TRUE(store.replaceSection(u"Tarvex Kite2"_s, u"Descriptions"_s, pairs));
        ASSERT_TRUE(store.write(app, u"Single"_s, u"k%1"_s.arg(generation), u"v"_s));
        std::printf("committed %d\n", generation);
        std::fflush(stdout);
    }
}

TEST(SqliteStore, writerKilledMidWrite_leavesConsistentStore)
{
    QTemporaryDir dir;
    const QString path = fileIn(dir);
    int journalsLeft = 0;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"KITE_HELPER_DB"_s, path);
        QProcess* child = startHelper("ReplaceUntilKilled", env);
        ASSERT_TRUE(child->waitForStarted());
        // Kill at a different point each round, once a few generations are committed.
        const int killAfter = 2 + round;
        QByteArray seen;
        int committed = 0;
        while (committed < killAfter && child->state() == QProcess::Running) {
            child->waitForReadyRead(2000);
            seen += child->readAll();
            committed = int(seen.count("committed "));
        }
        QThread::msleep(QRandomGenerator::global()->bounded(20));
        ::kill(pid_t(child->processId()), SIGKILL);
        child->waitForFinished();
        ASSERT_GE(committed, killAfter) << seen.toStdString();
        delete child;
        if (QFileInfo::exists(path + u"-journal"_s))
            ++journalsLeft;

        SqliteStore store(path);
        ASSERT_TRUE(store.isPersistent());
        EXPECT_TRUE(store.recoveryNotice().isEmpty()) << store.recoveryNotice().toStdString();
        EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), u"ok"_s);

        // The section is one whole generation: never emptied, never mixed.
        const KeyValueList pairs = store.readSection(u"Tarvex Kite2"_s, u"Descriptions"_s);
        ASSERT_EQ(pairs.size(), keysPerGeneration);
        const QString generation = pairs.first().second.section(QLatin1Char(' '), 0, 0);
        EXPECT_GE(generation.toInt(), committed);
        for (int i = 0; i < keysPerGeneration; ++i) {
            EXPECT_EQ(pairs.at(i).first, u"K%1"_s.arg(i));
            EXPECT_EQ(pairs.at(i).second.section(QLatin1Char(' '), 0, 0), generation);
        }
        ASSERT_TRUE(store.write(app, u"After"_s, u"k"_s, u"v"_s))
            << store.lastError().toStdString();
    }
    RecordProperty("journalsLeftByKills", journalsLeft);
}

TEST(SqliteStoreHelper, DISABLED_ReadOnlyFiles)
{
    const QString readOnly = helperEnv("KITE_HELPER_DB");
    const QString writableInLockedFolder = helperEnv("KITE_HELPER_DB2");
    const QString damaged = helperEnv("KITE_HELPER_DAMAGED");
    if (readOnly.isEmpty())
        GTEST_SKIP() << "runs only as a helper process";
    ASSERT_NE(::access(QFile::encodeName(readOnly).constData(), W_OK), 0) << "file is writable";

    {
        SqliteStore store(readOnly);
        EXPECT_TRUE(store.isPersistent());
        EXPECT_TRUE(store.recoveryNotice().isEmpty()) << store.recoveryNotice().toStdString();
        EXPECT_EQ(store.read(app, u"Current"_s, u"Folder"_s), u"/levels/kept"_s);
        EXPECT_EQ(store.readSection(app, u"Current"_s).size(), 1);

        EXPECT_FALSE(store.write(app, u"Current"_s, u"Folder"_s, u"/other"_s));
        EXPECT_TRUE(store.lastError().contains(u"read-only"_s)) << store.lastError().toStdString();
        EXPECT_FALSE(store.deleteSection(app, u"Current"_s));
        EXPECT_FALSE(store.lastError().isEmpty());
        EXPECT_FALSE(store.replaceSection(app, u"Current"_s, {}));
        EXPECT_FALSE(store.lastError().isEmpty());
        EXPECT_EQ(store.read(app, u"Current"_s, u"Folder"_s), u"/levels/kept"_s);
    }
    {
        // The file may be written but no journal can be made beside it.
        SqliteStore store(writableInLockedFolder);
        EXPECT_EQ(store.read(app, u"Current"_s, u"Folder"_s), u"/levels/kept"_s);
        EXPECT_FALSE(store.write(app, u"Current"_s, u"Folder"_s, u"/other"_s));
        EXPECT_FALSE(store.lastError().isEmpty());
        EXPECT_EQ(store.read(app, u"Current"_s, u"Folder"_s), u"/levels/kept"_s);
    }
    {
        // A damaged file that cannot be moved aside is left alone; the editor runs in memory.
        const QByteArray before = readBytes(damaged);
        SqliteStore store(damaged);
        EXPECT_FALSE(store.isPersistent());
        EXPECT_TRUE(store.recoveryNotice().contains(u"not be remembered"_s))
            << store.recoveryNotice().toStdString();
        EXPECT_TRUE(store.write(app, u"S"_s, u"k"_s, u"v"_s));
        EXPECT_EQ(readBytes(damaged), before);
    }
}

TEST(SqliteStore, readOnlyStore_readsWork_writesFailWithError)
{
    QTemporaryDir dir;
    const QString path = fileIn(dir);
    const QString second = fileIn(dir, u"second.sqlite"_s);
    const QString damaged = fileIn(dir, u"damaged.sqlite"_s);
    for (const QString& file : {path, second}) {
        SqliteStore store(file);
        ASSERT_TRUE(store.write(app, u"Current"_s, u"Folder"_s, u"/levels/kept"_s));
    }
    writeBytes(damaged, QByteArray(4096, '#'));
    const QByteArray before = readBytes(path);

    ::chmod(QFile::encodeName(path).constData(), 0444);
    ::chmod(QFile::encodeName(damaged).constData(), 0444);
    ::chmod(QFile::encodeName(second).constData(), 0666);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0555);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"KITE_HELPER_DB"_s, path);
    env.insert(u"KITE_HELPER_DB2"_s, second);
    env.insert(u"KITE_HELPER_DAMAGED"_s, damaged);
    QProcess* child = startHelper("ReadOnlyFiles", env, ::geteuid() == 0);
    const bool started = child->waitForStarted();
    const ChildResult result = finish(child);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    if (!started)
        GTEST_SKIP() << "the test program cannot be started as an unprivileged user";

    EXPECT_TRUE(helperPassed(result)) << result.output.toStdString();
    EXPECT_EQ(readBytes(path), before);
    EXPECT_TRUE(filesStartingWith(dir.path(), u"damaged.sqlite."_s).isEmpty());
}

} // namespace
