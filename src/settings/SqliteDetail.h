#ifndef KITE_SETTINGS_SQLITEDETAIL_H
#define KITE_SETTINGS_SQLITEDETAIL_H

// What the settings store's queries and its damaged-file recovery share: the table's
// shape, the statements run on it, and a small wrapper around a prepared statement.
// Private to the settings library.

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

namespace settings::sqlite {

inline const QString memoryPath = QStringLiteral(":memory:");

// The row id doubles as the insertion counter: a new row gets one more than the largest
// id in the table, so a section read in id order comes back in the order its keys were
// first written, and an UPSERT that rewrites a key keeps the row and with it the place.
inline constexpr const char* createSql =
    "CREATE TABLE IF NOT EXISTS settings ("
    " seq INTEGER PRIMARY KEY,"
    " app TEXT NOT NULL COLLATE NOCASE,"
    " section TEXT NOT NULL COLLATE NOCASE,"
    " key TEXT NOT NULL COLLATE NOCASE,"
    " value TEXT NOT NULL,"
    " UNIQUE (app, section, key))";
inline constexpr const char* probeSql =
    "SELECT seq, app, section, key, value FROM settings LIMIT 0";
// Whatever holds the name: a view or an index of that name keeps the table from being made.
// Names are compared as SQLite compares them; triggers have names of their own.
inline constexpr const char* hasTableSql =
    "SELECT type FROM sqlite_schema WHERE name = 'settings' COLLATE NOCASE AND type <> 'trigger'";
// The columns that make up the primary key: the row id alias seq alone, where rows get their
// insertion counter.
inline constexpr const char* primaryKeySql =
    "SELECT name, type FROM pragma_table_info('settings') WHERE pk > 0";
// Prepares only on a table that has its own row ids (not WITHOUT ROWID).
inline constexpr const char* rowIdSql = "SELECT rowid FROM settings LIMIT 0";
inline constexpr const char* readSql =
    "SELECT value FROM settings WHERE app = ?1 AND section = ?2 AND key = ?3";
inline constexpr const char* readSectionSql =
    "SELECT key, value FROM settings WHERE app = ?1 AND section = ?2 ORDER BY seq";
inline constexpr const char* upsertSql =
    "INSERT INTO settings (app, section, key, value) VALUES (?1, ?2, ?3, ?4)"
    " ON CONFLICT (app, section, key) DO UPDATE SET value = excluded.value";
inline constexpr const char* deleteSectionSql =
    "DELETE FROM settings WHERE app = ?1 AND section = ?2";
inline constexpr const char* sectionRowsSql =
    "SELECT seq, key, value FROM settings WHERE app = ?1 AND section = ?2 ORDER BY seq";
inline constexpr const char* deleteRowsSql =
    "DELETE FROM settings WHERE app = ?1 AND section = ?2 AND seq BETWEEN ?3 AND ?4";
inline constexpr const char* updateRowSql = "UPDATE settings SET value = ?2 WHERE seq = ?1";


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
    void bind(int index, const QString& text) { bind(index, text.toUtf8()); }
    void bind(int index, const QByteArray& utf8)
    {
        // SQLITE_TRANSIENT makes SQLite copy the bytes before utf8 goes away.
        sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, qint64 number) { sqlite3_bind_int64(m_statement, index, number); }
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
    // The text as the file holds it (UTF-8), valid until the next step.
    QByteArrayView bytes(int column) const
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return QByteArrayView(bytes, sqlite3_column_bytes(m_statement, column));
    }
    qint64 number(int column) const { return sqlite3_column_int64(m_statement, column); }
    int resultCode() const { return m_rc; }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_rc = SQLITE_OK;
    bool m_kept = false;
};

inline int primaryCode(int rc)
{
    return rc & 0xff;
}

inline QString errorText(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
}

inline bool execute(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace settings::sqlite

#endif
