// Opening the settings file, and what happens when it cannot be used as it is: a damaged
// or foreign file is moved aside (its name says so) and a fresh one is made; a file that
// cannot be opened at all leaves the editor with settings kept in memory.
#include "settings/SqliteDetail.h"
#include "settings/SqliteStore.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace settings {

using namespace sqlite;

namespace {

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
    if (hasTable.text(0) != QLatin1String("table"))
        return Health::Foreign; // a view or an index: the table could never be made
    // The right column names are not enough. Every write is an UPSERT on the unique key
    // (app, section, key), and rows get their place from seq as the row id: without either,
    // every write would fail from then on.
    for (const char* sql : {probeSql, upsertSql, rowIdSql}) {
        Statement probe(m_db, sql);
        if (!probe.prepared()) {
            if (primaryCode(probe.resultCode()) == SQLITE_ERROR)
                return Health::Foreign; // a settings table of another shape
            return classify(probe.resultCode());
        }
    }
    Statement primaryKey(m_db, primaryKeySql);
    if (!primaryKey.prepared())
        return classify(primaryKey.resultCode());
    const int keyRc = primaryKey.step();
    if (keyRc != SQLITE_ROW)
        return keyRc == SQLITE_DONE ? Health::Foreign : classify(keyRc);
    const bool seqIsRowId = primaryKey.text(0) == QLatin1String("seq")
                            && primaryKey.text(1).compare(QLatin1String("INTEGER"),
                                                          Qt::CaseInsensitive) == 0;
    if (!seqIsRowId || primaryKey.step() != SQLITE_DONE)
        return Health::Foreign;
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
} // namespace settings
