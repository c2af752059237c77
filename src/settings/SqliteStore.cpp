#include "settings/SqliteStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>

namespace settings {

namespace {

const QString memoryPath = QStringLiteral(":memory:");

// The row id doubles as the insertion counter: a new row gets one more than the largest
// id in the table, so a section read in id order comes back in the order its keys were
// first written, and an UPSERT that rewrites a key keeps the row and with it the place.
constexpr const char* createSql =
    "CREATE TABLE IF NOT EXISTS settings ("
    " seq INTEGER PRIMARY KEY,"
    " app TEXT NOT NULL COLLATE NOCASE,"
    " section TEXT NOT NULL COLLATE NOCASE,"
    " key TEXT NOT NULL COLLATE NOCASE,"
    " value TEXT NOT NULL,"
    " UNIQUE (app, section, key))";
constexpr const char* probeSql = "SELECT seq, app, section, key, value FROM settings LIMIT 0";
constexpr const char* hasTableSql =
    "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = 'settings'";
constexpr const char* readSql =
    "SELECT value FROM settings WHERE app = ?1 AND section = ?2 AND key = ?3";
constexpr const char* readSectionSql =
    "SELECT key, value FROM settings WHERE app = ?1 AND section = ?2 ORDER BY seq";
constexpr const char* upsertSql =
    "INSERT INTO settings (app, section, key, value) VALUES (?1, ?2, ?3, ?4)"
    " ON CONFLICT (app, section, key) DO UPDATE SET value = excluded.value";
constexpr const char* deleteSectionSql = "DELETE FROM settings WHERE app = ?1 AND section = ?2";

// One prepared statement, finalised when it goes out of scope; or one the store keeps
// prepared, which is reset instead (ending its read of the file) and keeps no bound values.
// Bind indices start at 1, column indices at 0, as SQLite counts them.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    Statement(sqlite3_stmt* kept, int rc) : m_statement(kept), m_rc(rc), m_kept(true) { }
    ~Statement()
    {
        if (!m_kept) {
            sqlite3_finalize(m_statement);
        } else if (m_statement) {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepared() const { return m_rc == SQLITE_OK && m_statement != nullptr; }
    void bind(int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        // SQLITE_TRANSIENT makes SQLite copy the bytes before utf8 goes away.
        sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    int step()
    {
        m_rc = sqlite3_step(m_statement);
        return m_rc;
    }
    void reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    QString text(int column) const
    {
        // Ask for the text before its length: the length is of the converted text.
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
    }
    int resultCode() const { return m_rc; }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_rc = SQLITE_OK;
    bool m_kept = false;
};

int primaryCode(int rc)
{
    return rc & 0xff;
}

QString errorText(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
}

bool execute(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The file's identity, so a file that another process has already replaced is not moved aside.
bool fileIdentity(const QString& path, dev_t* device, ino_t* inode)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    *device = info.st_dev;
    *inode = info.st_ino;
    return true;
}

} // namespace

SqliteStore::SqliteStore(const QString& databasePath, int busyTimeoutMs)
    : m_path(databasePath), m_busyTimeoutMs(busyTimeoutMs)
{
    open();
}

SqliteStore::~SqliteStore()
{
    closeDatabase();
}

QString SqliteStore::defaultPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        return {};
    const QString folder = base + QStringLiteral("/tarvex-kite");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/settings.sqlite");
}

bool SqliteStore::isOpen() const
{
    return m_db != nullptr;
}

bool SqliteStore::isPersistent() const
{
    return m_db != nullptr && m_persistent;
}

QString SqliteStore::databasePath() const
{
    return m_path;
}

QString SqliteStore::recoveryNotice() const
{
    return m_recoveryNotice;
}

QString SqliteStore::lastError() const
{
    return m_lastError;
}

sqlite3_stmt* SqliteStore::keptStatement(Kept which, const char* sql, int* rc) const
{
    sqlite3_stmt*& kept = m_kept[std::size_t(which)];
    *rc = SQLITE_OK;
    if (!kept) {
        *rc = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &kept, nullptr);
        if (*rc != SQLITE_OK) {
            sqlite3_finalize(kept); // a statement that failed to prepare is tried again later
            kept = nullptr;
        }
    }
    return kept;
}

void SqliteStore::closeDatabase()
{
    for (sqlite3_stmt*& kept : m_kept) {
        sqlite3_finalize(kept);
        kept = nullptr;
    }
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_persistent = false;
    m_schemaReady = false;
}

// SQLite's own busy timeout sleeps ever longer (up to 100 ms) between attempts; with
// another editor writing steadily, the lock is rarely free just then and a write can
// starve past the timeout. Short, slightly random waits catch the gaps between the
// other process's transactions.
int SqliteStore::waitWhileBusy(void* store, int attempt)
{
    auto* self = static_cast<SqliteStore*>(store);
    const qint64 now = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    if (attempt == 0)
        self->m_busySinceMs = now;
    if (now - self->m_busySinceMs >= self->m_busyTimeoutMs)
        return 0;
    sqlite3_sleep(1 + int(QRandomGenerator::global()->bounded(4)));
    return 1;
}

bool SqliteStore::open()
{
    if (m_path == memoryPath) {
        openInMemory({});
        return m_db != nullptr;
    }
    if (m_path.isEmpty()) {
        openInMemory(QStringLiteral("No folder for the settings file could be found. The editor "
                                    "is keeping its settings in memory; changes will not be "
                                    "remembered after it closes."));
        return false;
    }

    const QByteArray fileName = QFile::encodeName(m_path);
    // A second attempt follows a file that was moved aside or replaced by another process;
    // a third covers a fresh file found damaged again, which then ends in memory.
    for (int attempt = 0; attempt < 3; ++attempt) {
        dev_t device = 0;
        ino_t inode = 0;
        const bool existed = fileIdentity(m_path, &device, &inode);

        const int rc = sqlite3_open_v2(fileName.constData(), &m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) {
            const QString reason =
                m_db ? errorText(m_db) : QString::fromUtf8(sqlite3_errstr(rc));
            closeDatabase();
            openInMemory(QStringLiteral("The settings file \"%1\" could not be opened (%2). The "
                                        "editor is keeping its settings in memory; changes will "
                                        "not be remembered after it closes.")
                             .arg(m_path, reason));
            return false;
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_handler(m_db, &SqliteStore::waitWhileBusy, this);

        QString reason;
        const Health health = checkHealth(&reason);
        switch (health) {
        case Health::Healthy:
            m_persistent = true;
            initialise();
            return true;
        case Health::Locked:
            // Keep the file: the other process will let go. The table is made by the
            // first write that gets through, and reads until then come back empty.
            m_persistent = true;
            m_lastError = QStringLiteral("The settings file \"%1\" is in use by another program; "
                                         "settings cannot be read until it is free.")
                              .arg(m_path);
            return true;
        case Health::Unreadable:
            closeDatabase();
            openInMemory(QStringLiteral("The settings file \"%1\" could not be read (%2). The "
                                        "editor is keeping its settings in memory; changes will "
                                        "not be remembered after it closes.")
                             .arg(m_path, reason));
            return false;
        case Health::Damaged:
        case Health::Foreign:
            break;
        }

        closeDatabase();
        dev_t nowDevice = 0;
        ino_t nowInode = 0;
        if (!existed || !fileIdentity(m_path, &nowDevice, &nowInode) || nowDevice != device
            || nowInode != inode) {
            continue; // another editor has already put a fresh file in its place
        }
        const QString suffix = health == Health::Damaged ? QStringLiteral(".corrupt-")
                                                         : QStringLiteral(".unrecognised-");
        QString movedTo;
        QString moveError;
        if (!moveAside(suffix, &movedTo, &moveError)) {
            openInMemory(QStringLiteral("The settings file \"%1\" is damaged (%2) and could not be "
                                        "moved aside (%3). The editor is keeping its settings in "
                                        "memory; changes will not be remembered after it closes.")
                             .arg(m_path, reason, moveError));
            return false;
        }
        const QString what = health == Health::Damaged
                                 ? QStringLiteral("could not be read because it is damaged (%1)")
                                       .arg(reason)
                                 : QStringLiteral("holds data this editor does not recognise");
        if (!m_recoveryNotice.isEmpty())
            m_recoveryNotice += QLatin1Char('\n');
        m_recoveryNotice += QStringLiteral("The settings file %1. It was kept as \"%2\" and the "
                                           "editor started with fresh settings.")
                                .arg(what, movedTo);
    }

    closeDatabase();
    openInMemory(QStringLiteral("No usable settings file could be made at \"%1\". The editor is "
                                "keeping its settings in memory; changes will not be remembered "
                                "after it closes.")
                     .arg(m_path));
    return false;
}

SqliteStore::Health SqliteStore::checkHealth(QString* reason)
{
    const auto classify = [&](int rc) {
        *reason = errorText(m_db);
        switch (primaryCode(rc)) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return Health::Damaged;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return Health::Locked;
        default:
            return Health::Unreadable;
        }
    };

    // A file that is not a database fails here already (SQLITE_NOTADB); damaged pages
    // give SQLITE_CORRUPT or a report row other than "ok".
    {
        Statement check(m_db, "PRAGMA quick_check");
        if (!check.prepared())
            return classify(check.resultCode());
        const int rc = check.step();
        if (rc != SQLITE_ROW)
            return classify(rc);
        const QString verdict = check.text(0);
        if (verdict != QLatin1String("ok")) {
            *reason = verdict;
            return Health::Damaged;
        }
    }

    Statement hasTable(m_db, hasTableSql);
    if (!hasTable.prepared())
        return classify(hasTable.resultCode());
    const int rc = hasTable.step();
    if (rc == SQLITE_DONE)
        return Health::Healthy; // a new or empty file: the table is made next
    if (rc != SQLITE_ROW)
        return classify(rc);
    Statement probe(m_db, probeSql);
    if (!probe.prepared()) {
        if (primaryCode(probe.resultCode()) == SQLITE_ERROR)
            return Health::Foreign; // a settings table of another shape
        return classify(probe.resultCode());
    }
    m_schemaReady = true; // the table is there as this store makes it
    return Health::Healthy;
}

bool SqliteStore::moveAside(const QString& suffix, QString* movedTo, QString* reason)
{
    const QString base =
        m_path + suffix + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = base + QLatin1Char('-') + QString::number(n);

    QFile file(m_path);
    if (!file.rename(target)) {
        *reason = file.errorString();
        return false;
    }
    *movedTo = target;
    // A journal left beside the old file would be played into the fresh one, so the
    // companions go with it (or away).
    for (const QString& companion :
         {QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        const QString source = m_path + companion;
        if (!QFileInfo::exists(source))
            continue;
        if (!QFile::rename(source, target + companion) && !QFile::remove(source)) {
            *reason = QStringLiteral("\"%1\" could not be moved").arg(source);
            return false;
        }
    }
    return true;
}

void SqliteStore::openInMemory(const QString& notice)
{
    closeDatabase();
    if (!notice.isEmpty()) {
        if (!m_recoveryNotice.isEmpty())
            m_recoveryNotice += QLatin1Char('\n');
        m_recoveryNotice += notice;
    }
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        closeDatabase();
        return;
    }
    sqlite3_extended_result_codes(m_db, 1);
    initialise();
}

bool SqliteStore::initialise()
{
    // Failing here is not fatal: a read-only file without the table simply reads as empty.
    return ensureSchema();
}

bool SqliteStore::ensureSchema()
{
    if (m_schemaReady)
        return true;
    if (!m_db || !execute(m_db, createSql))
        return false;
    m_schemaReady = true;
    return true;
}

bool SqliteStore::failWrite(const char* what)
{
    if (!m_db) {
        m_lastError = QStringLiteral("No settings store is open, so the %1 was not saved.")
                          .arg(QLatin1String(what));
        return false;
    }
    const QString detail = errorText(m_db);
    switch (primaryCode(sqlite3_extended_errcode(m_db))) {
    case SQLITE_READONLY:
        m_lastError = QStringLiteral("The settings file \"%1\" or its folder is read-only, so the "
                                     "%2 was not saved.")
                          .arg(m_path, QLatin1String(what));
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        m_lastError = QStringLiteral("The settings file \"%1\" is in use by another program, so "
                                     "the %2 was not saved. Please try again in a moment.")
                          .arg(m_path, QLatin1String(what));
        break;
    case SQLITE_FULL:
        m_lastError = QStringLiteral("The disk holding the settings file \"%1\" is full, so the "
                                     "%2 was not saved.")
                          .arg(m_path, QLatin1String(what));
        break;
    default:
        m_lastError = QStringLiteral("The %1 could not be saved to the settings file \"%2\" (%3).")
                          .arg(QLatin1String(what), m_path, detail);
        break;
    }
    return false;
}

void SqliteStore::failRead(const char* what) const
{
    if (!m_db) {
        m_lastError = QStringLiteral("No settings store is open.");
        return;
    }
    const int code = primaryCode(sqlite3_extended_errcode(m_db));
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
        m_lastError = QStringLiteral("The settings file \"%1\" is in use by another program, so "
                                     "the %2 could not be read.")
                          .arg(m_path, QLatin1String(what));
    } else {
        m_lastError = QStringLiteral("The %1 could not be read from the settings file \"%2\" (%3).")
                          .arg(QLatin1String(what), m_path, errorText(m_db));
    }
}

QString SqliteStore::read(const QString& app, const QString& section, const QString& key) const
{
    m_lastError.clear();
    if (!m_db) {
        failRead("setting");
        return {};
    }
    int rc = SQLITE_OK;
    Statement statement(keptStatement(Kept::Read, readSql, &rc), rc);
    if (!statement.prepared()) {
        // Before the table exists (a read-only or busy file) there is simply nothing stored.
        if (!m_schemaReady && primaryCode(statement.resultCode()) == SQLITE_ERROR)
            return {};
        failRead("setting");
        return {};
    }
    statement.bind(1, app);
    statement.bind(2, section);
    statement.bind(3, key);
    rc = statement.step();
    if (rc == SQLITE_ROW)
        return statement.text(0);
    if (rc != SQLITE_DONE)
        failRead("setting");
    return {};
}

KeyValueList SqliteStore::readSection(const QString& app, const QString& section) const
{
    m_lastError.clear();
    KeyValueList pairs;
    if (!m_db) {
        failRead("settings");
        return pairs;
    }
    int rc = SQLITE_OK;
    Statement statement(keptStatement(Kept::ReadSection, readSectionSql, &rc), rc);
    if (!statement.prepared()) {
        if (!m_schemaReady && primaryCode(statement.resultCode()) == SQLITE_ERROR)
            return pairs;
        failRead("settings");
        return pairs;
    }
    statement.bind(1, app);
    statement.bind(2, section);
    while ((rc = statement.step()) == SQLITE_ROW)
        pairs.append({statement.text(0), statement.text(1)});
    if (rc != SQLITE_DONE) {
        failRead("settings");
        return {};
    }
    return pairs;
}

bool SqliteStore::write(const QString& app, const QString& section, const QString& key,
                        const QString& value)
{
    m_lastError.clear();
    if (app.isEmpty() || section.isEmpty() || key.isEmpty()) {
        m_lastError = QStringLiteral("A setting needs an application, a section and a key name.");
        return false;
    }
    if (!ensureSchema())
        return failWrite("setting");
    int rc = SQLITE_OK;
    Statement statement(keptStatement(Kept::Upsert, upsertSql, &rc), rc);
    if (!statement.prepared())
        return failWrite("setting");
    statement.bind(1, app);
    statement.bind(2, section);
    statement.bind(3, key);
    statement.bind(4, value);
    // Outside an explicit transaction this statement is one transaction of its own.
    if (statement.step() != SQLITE_DONE)
        return failWrite("setting");
    return true;
}

bool SqliteStore::deleteSection(const QString& app, const QString& section)
{
    m_lastError.clear();
    if (!ensureSchema())
        return failWrite("change");
    Statement statement(m_db, deleteSectionSql);
    if (!statement.prepared())
        return failWrite("change");
    statement.bind(1, app);
    statement.bind(2, section);
    if (statement.step() != SQLITE_DONE)
        return failWrite("change");
    return true;
}

bool SqliteStore::replaceSection(const QString& app, const QString& section,
                                 const KeyValueList& pairs)
{
    m_lastError.clear();
    for (const auto& pair : pairs) {
        if (app.isEmpty() || section.isEmpty() || pair.first.isEmpty()) {
            m_lastError =
                QStringLiteral("A setting needs an application, a section and a key name.");
            return false;
        }
    }
    if (!ensureSchema())
        return failWrite("settings section");
    // IMMEDIATE takes the write lock at once (waiting through the busy timeout), so the
    // transaction never has to upgrade a read lock while another writer waits.
    if (!execute(m_db, "BEGIN IMMEDIATE"))
        return failWrite("settings section");

    const auto rollBack = [this] {
        failWrite("settings section");
        const QString error = m_lastError; // keep the cause, not the rollback's result
        execute(m_db, "ROLLBACK");
        m_lastError = error;
        return false;
    };

    {
        Statement remove(m_db, deleteSectionSql);
        if (!remove.prepared())
            return rollBack();
        remove.bind(1, app);
        remove.bind(2, section);
        if (remove.step() != SQLITE_DONE)
            return rollBack();

        Statement insert(m_db, upsertSql);
        if (!insert.prepared())
            return rollBack();
        for (const auto& pair : pairs) {
            insert.reset();
            insert.bind(1, app);
            insert.bind(2, section);
            insert.bind(3, pair.first);
            insert.bind(4, pair.second);
            if (insert.step() != SQLITE_DONE)
                return rollBack();
        }
    }
    if (!execute(m_db, "COMMIT"))
        return rollBack();
    return true;
}

} // namespace settings
