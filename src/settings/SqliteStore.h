#ifndef KITE_SETTINGS_SQLITESTORE_H
#define KITE_SETTINGS_SQLITESTORE_H

#include "settings/SettingsStore.h"

#include <array>

struct sqlite3;
struct sqlite3_stmt;

namespace settings {

// The settings store in one SQLite database file. Statements use bound parameters only;
// a busy timeout lets two editor processes write at once. A file that is corrupt or not
// a database is moved aside (its name says so) and a fresh store is used; recoveryNotice()
// then holds the text to tell the user once.
class SqliteStore final : public Store
{
public:
    // How long a statement waits for another process that holds the file locked.
    static constexpr int defaultBusyTimeoutMs = 5000;

    // ":memory:" gives a store that lives only as long as the object.
    explicit SqliteStore(const QString& databasePath, int busyTimeoutMs = defaultBusyTimeoutMs);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    // <XDG config folder>/tarvex-kite/settings.sqlite, found with QStandardPaths; the
    // folder is created. Empty when the system names no configuration folder.
    static QString defaultPath();

    // True when a database is in use: the file, or the in-memory stand-in.
    bool isOpen() const;
    // True when values go to the file and will be there at the next start.
    bool isPersistent() const;
    QString databasePath() const;
    // Non-empty after a damaged store was moved aside, or when no store could be opened
    // at all (the editor then runs without remembering anything).
    QString recoveryNotice() const;

    QString read(const QString& app, const QString& section, const QString& key) const override;
    bool write(const QString& app, const QString& section, const QString& key,
               const QString& value) override;
    KeyValueList readSection(const QString& app, const QString& section) const override;
    bool deleteSection(const QString& app, const QString& section) override;
    QString lastError() const override;
    // One transaction: the section is either fully replaced or left as it was.
    bool replaceSection(const QString& app, const QString& section,
                        const KeyValueList& pairs) override;

private:
    enum class Health { Healthy, Damaged, Foreign, Locked, Unreadable };
    // The statements run again and again, kept prepared while the file is open.
    enum class Kept { Read, ReadSection, Upsert, Count };

    bool open();
    bool initialise();
    void closeDatabase();
    Health checkHealth(QString* reason);
    bool moveAside(const QString& suffix, QString* movedTo, QString* reason);
    void openInMemory(const QString& notice);
    bool ensureSchema();
    bool failWrite(const char* what);
    static int waitWhileBusy(void* store, int attempt);
    void failRead(const char* what) const;
    // The kept statement, prepared on first use; nullptr (and *rc says why) when it cannot be.
    sqlite3_stmt* keptStatement(Kept which, const char* sql, int* rc) const;

    QString m_path;
    sqlite3* m_db = nullptr;
    mutable std::array<sqlite3_stmt*, std::size_t(Kept::Count)> m_kept{};
    int m_busyTimeoutMs = defaultBusyTimeoutMs;
    qint64 m_busySinceMs = 0;
    bool m_persistent = false;
    bool m_schemaReady = false;
    QString m_recoveryNotice;
    mutable QString m_lastError;
};

// A store held in memory only, for tests and for running without a settings file.
// Names compare like the file store's: ignoring ASCII letter case only.
class MemoryStore final : public Store
{
public:
    QString read(const QString& app, const QString& section, const QString& key) const override;
    bool write(const QString& app, const QString& section, const QString& key,
               const QString& value) override;
    KeyValueList readSection(const QString& app, const QString& section) const override;
    bool deleteSection(const QString& app, const QString& section) override;
    QString lastError() const override { return m_lastError; }

private:
    struct Entry
    {
        QString app, section, key, value;
    };
    QList<Entry> m_entries;
    QString m_lastError;
};

// Whether two setting names are equal ignoring ASCII letter case (as SQLite's NOCASE).
bool sameName(const QString& a, const QString& b);

} // namespace settings

#endif
