#ifndef KITE_SAVE_TRACKRENAME_H
#define KITE_SAVE_TRACKRENAME_H

#include "save/Rename.h"

#include <QChar>
#include <QString>

// Renaming a track's files after its folder: which names renaming type 1 touches, and
// whether the file system can take the new names at all.
namespace edit {

// Every (old name, new name) pair of the track files that renaming type 1 renames, in the
// order they are renamed.
template <typename Visit>
void forEachTrackFile(const Rename::Settings& rename, const QString& oldName,
                      const QString& newName, Visit visit)
{
    const QString dot = QStringLiteral(".");
    for (const QString& extension : rename.trackExts) {
        // An extension with a separator would reach outside the track folder.
        if (extension.contains(QLatin1Char('/')) || extension.contains(QChar(0)))
            continue;
        visit(QString(oldName + dot + extension), QString(newName + dot + extension));
        if (rename.autoTempRename && !extension.isEmpty()) {
            const QString companion = extension.chopped(1) + QStringLiteral("-");
            visit(QString(oldName + dot + companion), QString(newName + dot + companion));
        }
    }
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const QString suffix = QChar::fromLatin1(letter);
        for (const QString& extension : {QStringLiteral(".bmp"), QStringLiteral(".bmq")})
            visit(QString(oldName + suffix + extension), QString(newName + suffix + extension));
    }
}

// The track files of renaming type 1, inside the folder that already has its new name.
// Failures are ignored: a missing file is the common case, and a file whose new name is
// taken keeps its old one. *infoFileNow, the info file's path in that folder (its name may
// differ from <oldName>.inf in letter case), becomes its new path when it was renamed. A
// link leading out of the folder is not renamed: one error line each is returned.
QString renameTrackFiles(const Rename::Settings& rename, const QString& folder,
                         const QString& oldName, const QString& newName, QString* infoFileNow);

// A name that a rename to `newName` would need and the file system cannot take (its limit
// on one name, in the bytes the name takes there): the folder's own, its info file's, or
// with rename type 1 the longest new name of the track files present. Empty when all fit.
QString nameTooLong(const Rename::Settings& rename, const QString& parent, const QString& folder,
                    const QString& oldName, const QString& newName);

} // namespace edit

#endif
