#ifndef KITE_TESTS_TEMPTRACK_H
#define KITE_TESTS_TEMPTRACK_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A throw-away levels folder for tests: track folders and files are made inside it and
// everything is removed when it goes out of scope, names that are not UTF-8 too.
class TempLevels
{
public:
    TempLevels();
    ~TempLevels();
    TempLevels(const TempLevels&) = delete;
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    // <levels>/<name>, created with its parents.
    QString makeFolder(const QString& name) const;
    // Writes bytes to <levels>/<relativePath>, creating folders as needed; returns the path.
    QString writeFile(const QString& relativePath, const QByteArray& bytes) const;
    // A track folder <name> holding <name>.inf with the given bytes; returns the folder.
    QString makeTrack(const QString& name, const QByteArray& infBytes) const;
    // File names (not paths) in a folder, sorted; hidden ones included.
    static QStringList entries(const QString& folder);
    static QByteArray readAll(const QString& path);

private:
    QTemporaryDir m_dir;
};

// Joins lines with CR LF after every one, as the editor writes files.
QByteArray crlfLines(const QStringList& lines);

// Files and listings by the file system's bytes: QFile and QDir cannot reach a name that is
// not UTF-8 ("Caf\xE9", as archives made on Windows hold it).
bool writeAt(const QByteArray& path, const QByteArray& bytes);
QByteArray readAt(const QByteArray& path);
QList<QByteArray> bytesIn(const QByteArray& folder); // sorted, without "." and ".."

#endif
