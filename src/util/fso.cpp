#include "util/fso.h"

#include <QDir>
#include <QFileInfo>

namespace fso {

QString separator()
{
    return QString(QDir::separator());
}

QString fixPath(const QString& path, bool addSeparator)
{
    const QString sep = separator();
    QString result = path;
    result.replace(QLatin1Char('/'), sep);
    while (result.endsWith(sep))
        result.chop(sep.size());
    // A dot marks a file path (it has an extension): only folder paths get a separator.
    if (addSeparator && !result.contains(QLatin1Char('.')))
        result += sep;
    return result;
}

bool pathExists(QString& path, int attributes)
{
    path = fixPath(path, true);
    // Wildcards would make a search match other entries; a NUL would cut the name short
    // at the system call and test a different path.
    if (path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?'))
        || path.contains(QChar(0)))
        return false;

    const QFileInfo info(path);
    if (!info.exists())
        return false;

    // The entry's own name, without the separator a folder path ends with.
    QString name = path;
    while (name.size() > 1 && name.endsWith(separator()))
        name.chop(separator().size());
    name = name.mid(name.lastIndexOf(separator()) + 1);

    int found = 0;
    if (info.isDir())
        found |= attrDirectory;
    else if (info.isFile())
        found |= attrArchive; // every regular file counts as changed since its last backup
    else
        found |= attrSystem; // devices, pipes, sockets
    if (name.startsWith(QLatin1Char('.')))
        found |= attrHidden;
    if (!(info.permissions() & QFileDevice::WriteOwner))
        found |= attrReadOnly;

    // Like a directory search, folders, hidden and system entries are only found when the
    // mask asks for their kind; ordinary files are always found.
    for (const int kind : {attrDirectory, attrHidden, attrSystem}) {
        if ((found & kind) && !(attributes & kind))
            return false;
    }
    return (found & attributes) == attributes;
}

} // namespace fso
