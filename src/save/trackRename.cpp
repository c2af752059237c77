#include "save/trackRename.h"

#include "save/fileOps.h"
#include "util/fso.h"

#include <cerrno>
#include <climits>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace edit {

namespace {

const QString slash = QStringLiteral("/");

} // namespace

QString renameTrackFiles(const Rename::Settings& rename, const QString& folder,
                         const QString& oldName, const QString& newName,
                         QString* infoFileNow)
{
    const QString infoFile = newName + QStringLiteral(".inf");
    // An info file named in other letter case is renamed as the one it stands for.
    const QString oldInfoFile = oldName + QStringLiteral(".inf");
    const QString infoFileHas = infoFileNow->mid(infoFileNow->lastIndexOf(slash) + 1);
    QString errors;
    forEachTrackFile(rename, oldName, newName, [&](const QString& oldFile, const QString& newFile) {
        const QString from = folder + slash + (oldFile == oldInfoFile ? infoFileHas : oldFile);
        // Most names of the list are not in the folder; only what is there needs a look.
        struct stat entry {};
        if (::lstat(fso::encodeName(from).constData(), &entry) != 0)
            return;
        if (S_ISLNK(entry.st_mode)) {
            if (const std::optional<FileError> out =
                    linkLeadingOut(folder, from, QStringLiteral("it was not renamed"))) {
                errors += errorLine(*out);
                return;
            }
        }
        if (!renameNoReplace(from, folder + slash + newFile) && newFile == infoFile)
            *infoFileNow = folder + slash + newFile;
    });
    return errors;
}

QString nameTooLong(const Rename::Settings& rename, const QString& parent, const QString& folder,
                    const QString& oldName, const QString& newName)
{
    const auto limitIn = [](const QString& where) -> qsizetype {
        errno = 0;
        const long limit = ::pathconf(fso::encodeName(where).constData(), _PC_NAME_MAX);
        if (limit > 0)
            return limit;
        return errno == 0 ? std::numeric_limits<qsizetype>::max() : qsizetype(NAME_MAX);
    };
    const auto fits = [](const QString& name, qsizetype limit) {
        return fso::encodeName(name).size() <= limit;
    };
    if (!fits(newName, limitIn(parent.isEmpty() ? QStringLiteral(".") : parent)))
        return newName;
    const qsizetype inside = limitIn(folder);
    // Even where the info file keeps its old name, the folder must be able to hold the one
    // the game looks for.
    const QString infoFile = newName + QStringLiteral(".inf");
    if (!fits(infoFile, inside))
        return infoFile;
    if (rename.renameKind != 1)
        return {};
    // A track file whose new name cannot be made would be left behind under the old one.
    QString longest;
    qsizetype longestBytes = 0;
    forEachTrackFile(rename, oldName, newName, [&](const QString& oldFile, const QString& newFile) {
        const qsizetype bytes = fso::encodeName(newFile).size();
        if (bytes <= longestBytes)
            return;
        struct stat info {};
        if (::lstat(fso::encodeName(folder + slash + oldFile).constData(), &info) == 0) {
            longest = newFile;
            longestBytes = bytes;
        }
    });
    return fits(longest, inside) ? QString() : longest;
}

} // namespace edit
