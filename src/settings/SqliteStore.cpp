#include "settings/SqliteStore.h"

#include "settings/SqliteDetail.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <chrono>

namespace settings {

using namespace sqlite;

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

    // The rows of the section that the new pairs keep, in the same order and under the same
    // key, stay where they are (a changed value is updated in place); the other rows go, and
    // the pairs after the last one kept are appended. The result is the same as rewriting the
    // section, but OK, which mostly saves a large section with a few entries changed, writes
    // those few rows, not every one: rewriting 50,000 rows takes far longer than reading them.
    QList<QPair<QByteArray, QByteArray>> wanted;
    wanted.reserve(pairs.size());
    for (const auto& pair : pairs)
        wanted.append({pair.first.toUtf8(), pair.second.toUtf8()});
    QList<QPair<qint64, qint64>> gone;       // first and last row of each run that goes
    QList<QPair<qint64, qsizetype>> changed; // row, and the pair whose value it takes
    qsizetype next = 0;                      // the first pair not matched to a row
    {
        Statement rows(m_db, sectionRowsSql);
        if (!rows.prepared())
            return rollBack();
        rows.bind(1, app);
        rows.bind(2, section);
        bool going = false; // the previous row goes too
        int rc = SQLITE_OK;
        while ((rc = rows.step()) == SQLITE_ROW) {
            const qint64 row = rows.number(0);
            const bool kept = next < wanted.size() && rows.bytes(1) == wanted.at(next).first;
            if (kept && rows.bytes(2) != wanted.at(next).second)
                changed.append({row, next});
            if (kept)
                ++next;
            else if (going)
                gone.last().second = row;
            else
                gone.append({row, row});
            going = !kept;
        }
        if (rc != SQLITE_DONE)
            return rollBack();
    }
    {
        // Deletions first: a pair appended below may take the key of a row that goes.
        Statement remove(m_db, deleteRowsSql);
        Statement update(m_db, updateRowSql);
        Statement insert(m_db, upsertSql);
        if (!remove.prepared() || !update.prepared() || !insert.prepared())
            return rollBack();
        for (const auto& [first, last] : std::as_const(gone)) {
            remove.reset();
            remove.bind(1, app);
            remove.bind(2, section);
            remove.bind(3, first);
            remove.bind(4, last);
            if (remove.step() != SQLITE_DONE)
                return rollBack();
        }
        for (const auto& [row, pair] : std::as_const(changed)) {
            update.reset();
            update.bind(1, row);
            update.bind(2, wanted.at(pair).second);
            if (update.step() != SQLITE_DONE)
                return rollBack();
        }
        for (qsizetype i = next; i < wanted.size(); ++i) {
            insert.reset();
            insert.bind(1, app);
            insert.bind(2, section);
            insert.bind(3, wanted.at(i).first);
            insert.bind(4, wanted.at(i).second);
            if (insert.step() != SQLITE_DONE)
                return rollBack();
        }
    }
    if (!execute(m_db, "COMMIT"))
        return rollBack();
    return true;
}

} // namespace settings
