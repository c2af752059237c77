#ifndef KITE_SETTINGS_SQLITESTORE_H
#define KITE_SETTINGS_SQLITESTORE_H

#include "settings/SettingsStore.h"

struct sqlite3;

namespace settings {

// The settings store in one SQLite database file. Statements use bound parameters only;
// a busy timeout lets two editor processes write at once. A file that is corrupt or not
// a database is moved aside (its name says so) and a fresh store is used; recoveryNotice()
// then holds the text to tell the user once.
class SqliteStore final : public Store
{
public:
    explicit SqliteStore(const QString& databasePath);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    // <XDG config folder>/tarvex-kite/settings.sqlite, found with QStandardPaths.
    static QString defaultPath();

    bool isOpen() const;
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

private:
    bool open();
    bool initialise();
    void closeDatabase();

    QString m_path;
    sqlite3* m_db = nullptr;
    QString m_recoveryNotice;
    mutable QString m_lastError;
};

// A store held in memory only, for tests and for running without a settings file.
class MemoryStore final : public Store
{
public:
    QString read(const QString& app, const QString& section, const QString& key) const override;
    bool write(const QString& app, const QString& section, const QString& key,
               const QString& value) override;
    KeyValueList readSection(const QString& app, const QString& section) const override;
    bool deleteSection(const QString& app, const QString& section) override;
    QString lastError() const override { return {}; }

private:
    struct Entry
    {
        QString app, section, key, value;
    };
    QList<Entry> m_entries;
};

} // namespace settings

#endif
