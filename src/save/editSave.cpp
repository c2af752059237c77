#include "save/editSave.h"

#include "document/InfFile.h"
#include "save/Rename.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtGlobal>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <variant>

namespace edit {

namespace {

const QString slash = QStringLiteral("/");
const QString carriageReturn = QStringLiteral("\r");
const QString crlf = QStringLiteral("\r\n");

FileError errnoError(int code)
{
    return FileError{code, qt_error_string(code)};
}

// Hidden, short and unique: a name the loader never mistakes for an info file, and one
// that stays within the file system's name limit whatever the info file is called.
QByteArray temporaryName(const QByteArray& folder, const char* purpose)
{
    const quint64 random = QRandomGenerator::global()->generate64();
    return folder + "/.kite-" + purpose + '-' + QByteArray::number(random, 16) + ".tmp";
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slashAt = path.lastIndexOf('/');
    if (slashAt < 0)
        return QByteArrayLiteral(".");
    if (slashAt == 0)
        return QByteArrayLiteral("/");
    return path.left(slashAt);
}

// Follows symbolic links so that saving replaces the file a link points to, not the link.
// A link to a file that does not exist yet yields that file's path.
std::variant<QByteArray, FileError> followLinks(QByteArray path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0) {
            if (errno == ENOENT)
                return path;
            return errnoError(errno);
        }
        if (!S_ISLNK(info.st_mode))
            return path;
        QByteArray target(qsizetype(info.st_size > 0 ? info.st_size : 256) + 1, '\0');
        const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (length < 0)
            return errnoError(errno);
        if (length >= target.size()) // the link changed while we read it; read it again
            continue;
        target.truncate(length);
        path = target.startsWith('/') ? target : folderOf(path) + '/' + target;
    }
    return errnoError(ELOOP);
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// A new hidden file in the folder holding the bytes, flushed to disk; its path. With
// `like`, it takes that file's owner and permission bits (as far as the file system lets).
std::variant<QByteArray, FileError> writeTemporary(const QByteArray& folder, const char* purpose,
                                                   const QByteArray& bytes,
                                                   const struct stat* like)
{
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryName(folder, purpose);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errnoError(errno);
    }
    if (fd < 0)
        return errnoError(EEXIST);
    if (like) {
        [[maybe_unused]] const int owner = ::fchown(fd, like->st_uid, like->st_gid);
        [[maybe_unused]] const int mode = ::fchmod(fd, like->st_mode & 07777);
    }
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return errnoError(error);
    }
    return temporary;
}

// One rename attempt that never replaces the target; 0 or the errno of the failure.
int renameOnce(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    if (error != EINVAL && error != ENOSYS)
        return error;
    // EINVAL also means "a folder into itself"; the fallback meets the same refusal then.
    const std::optional<FileError> fallback =
        renameNoReplaceFallback(QFile::decodeName(from), QFile::decodeName(to));
    return fallback ? fallback->code : 0;
}

bool sameEntry(const QByteArray& first, const QByteArray& second)
{
    struct stat a {};
    struct stat b {};
    return ::lstat(first.constData(), &a) == 0 && ::lstat(second.constData(), &b) == 0
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The last path component; empty when there is no separator (as the folder chooser's
// selection never is, apart from a bare drive).
QString lastComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(slash))
        path.chop(1);
    const qsizetype slashAt = path.lastIndexOf(slash);
    return slashAt < 0 ? QString() : path.mid(slashAt + 1);
}

// A name typed into the folder field must stay one folder inside the parent folder.
bool isUsableFolderName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
           && !name.contains(slash) && !name.contains(QChar(0));
}

QString printableName(QString name)
{
    return name.replace(QChar(0), QChar(0x2400)); // a NUL would end the message box text
}

// Every (old name, new name) pair of the track files that renaming type 1 renames, in the
// order they are renamed.
template <typename Visit>
void forEachTrackFile(const Rename::Settings& rename, const QString& oldName,
                      const QString& newName, Visit visit)
{
    const QString dot = QStringLiteral(".");
    for (const QString& extension : rename.trackExts) {
        // An extension with a separator would reach outside the track folder.
        if (extension.contains(slash) || extension.contains(QChar(0)))
            continue;
        visit(oldName + dot + extension, newName + dot + extension);
        if (rename.autoTempRename && !extension.isEmpty()) {
            const QString companion = extension.chopped(1) + QStringLiteral("-");
            visit(oldName + dot + companion, newName + dot + companion);
        }
    }
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const QString suffix = QChar::fromLatin1(letter);
        for (const QString& extension : {QStringLiteral(".bmp"), QStringLiteral(".bmq")})
            visit(oldName + suffix + extension, newName + suffix + extension);
    }
}

// The track files of renaming type 1, inside the folder that already has its new name.
// Every failure is ignored: a missing file is the common case, and a file whose new name
// is taken keeps its old one.
void renameTrackFiles(const Rename::Settings& rename, const QString& folder,
                      const QString& oldName, const QString& newName,
                      QString* infoFileNow)
{
    const QString infoFile = newName + QStringLiteral(".inf");
    forEachTrackFile(rename, oldName, newName, [&](const QString& oldFile, const QString& newFile) {
        if (!renameNoReplace(folder + slash + oldFile, folder + slash + newFile)
            && newFile == infoFile)
            *infoFileNow = folder + slash + newFile;
    });
}

// A name that a rename to `newName` would need and the file system cannot take (its limit
// on one name, in the bytes the name takes there): the folder's own, its info file's, or
// with rename type 1 the longest new name of the track files present. Empty when all fit.
QString nameTooLong(const Rename::Settings& rename, const QString& parent, const QString& folder,
                    const QString& oldName, const QString& newName)
{
    const auto limitIn = [](const QString& where) -> qsizetype {
        errno = 0;
        const long limit = ::pathconf(QFile::encodeName(where).constData(), _PC_NAME_MAX);
        if (limit > 0)
            return limit;
        return errno == 0 ? std::numeric_limits<qsizetype>::max() : qsizetype(NAME_MAX);
    };
    const auto fits = [](const QString& name, qsizetype limit) {
        return QFile::encodeName(name).size() <= limit;
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
        const qsizetype bytes = QFile::encodeName(newFile).size();
        if (bytes <= longestBytes)
            return;
        struct stat info {};
        if (::lstat(QFile::encodeName(folder + slash + oldFile).constData(), &info) == 0) {
            longest = newFile;
            longestBytes = bytes;
        }
    });
    return fits(longest, inside) ? QString() : longest;
}

// Why a folder could not be opened, in the file layer's terms.
FileError folderError(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return errnoError(errno);
    if (!S_ISDIR(info.st_mode))
        return errnoError(ENOTDIR);
    if (::faccessat(AT_FDCWD, path.constData(), R_OK | X_OK, AT_EACCESS) != 0)
        return errnoError(errno);
    return errnoError(EIO);
}

} // namespace

QString errorLine(const FileError& error)
{
    return QStringLiteral("Runtime Error '") + QString::number(error.code) + QStringLiteral("': ")
           + error.text + crlf;
}

std::optional<FileError> writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    const std::variant<QByteArray, FileError> resolved = followLinks(QFile::encodeName(path));
    if (const FileError* error = std::get_if<FileError>(&resolved))
        return *error;
    const QByteArray target = std::get<QByteArray>(resolved);

    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return errnoError(errno);
    if (exists && S_ISDIR(old.st_mode))
        return errnoError(EISDIR);
    // A pipe or a device is not a track file; replacing it would be as wrong as writing it.
    if (exists && !S_ISREG(old.st_mode))
        return errnoError(EINVAL);
    // The rename below would replace a write-protected file too; refuse as writing into
    // it would.
    if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return errnoError(errno);

    const QByteArray folder = folderOf(target);
    const std::variant<QByteArray, FileError> written =
        writeTemporary(folder, "save", bytes, exists ? &old : nullptr);
    if (const FileError* error = std::get_if<FileError>(&written))
        return *error;
    const QByteArray temporary = std::get<QByteArray>(written);
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return errnoError(error);
    }
    // Makes the new name itself durable; the content already is.
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return std::nullopt;
}

std::optional<FileError> renameNoReplaceFallback(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    struct stat info {};
    if (::lstat(source.constData(), &info) != 0)
        return errnoError(errno);
    if (!S_ISDIR(info.st_mode)) {
        // A hard link can only be made when the name is free, so nothing is replaced.
        if (::link(source.constData(), target.constData()) == 0) {
            if (::unlink(source.constData()) == 0)
                return std::nullopt;
            const int error = errno;
            ::unlink(target.constData());
            return errnoError(error);
        }
        const int error = errno;
        if (error != EPERM && error != ENOTSUP && error != EMLINK && error != ENOSYS)
            return errnoError(error);
        // No hard links on this file system: check, then rename (below).
    }
    struct stat existing {};
    if (::lstat(target.constData(), &existing) == 0)
        return errnoError(EEXIST);
    if (errno != ENOENT)
        return errnoError(errno);
    if (::rename(source.constData(), target.constData()) != 0)
        return errnoError(errno);
    return std::nullopt;
}

std::optional<FileError> renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    const int error = renameOnce(source, target);
    if (error == 0)
        return std::nullopt;
    // On a file system that ignores letter case, toytrack -> Toytrack finds the entry
    // itself as the "existing" target. Go through a free name instead; each step refuses
    // to replace, so a genuinely different target is still never touched.
    if (error == EEXIST && from != to && from.compare(to, Qt::CaseInsensitive) == 0
        && sameEntry(source, target)) {
        const QByteArray between = temporaryName(folderOf(target), "rename");
        const int first = renameOnce(source, between);
        if (first != 0)
            return errnoError(first);
        const int second = renameOnce(between, target);
        if (second == 0)
            return std::nullopt;
        renameOnce(between, source);
        return errnoError(second);
    }
    return errnoError(error);
}

QString SaveResult::message() const
{
    const QString block = errors.isEmpty()
                              ? QStringLiteral("No Errors Encountered")
                              : QStringLiteral("Errors encountered:") + crlf + errors;
    return summary + crlf + crlf + block;
}

SaveResult saveTrack(State& state, EditorView& view, FolderAccess& folders,
                     const Rename::Settings& rename, const QString& parentPath,
                     const QString& newFolderName)
{
    SaveResult result;
    const auto fail = [&result](const FileError& error) { result.errors += errorLine(error); };

    QString parent = parentPath;
    if (!parent.isEmpty() && !parent.endsWith(slash))
        parent += slash;
    const QString oldName = lastComponent(folders.selectedItem());
    fillEditors(state, view);

    const QString oldFolder = parent + oldName;
    const QString infoFile = oldFolder + slash + oldName + QStringLiteral(".inf");
    bool written = false;
    QByteArray writtenBytes;
    if (oldName.isEmpty()) {
        fail({EINVAL, QStringLiteral("No track folder is selected")});
    } else {
        const EncodeResult encoded = encodeDocument(state.tagList, state.encoding);
        if (!encoded.ok) {
            // A substitute character would silently change the value; keep the old file.
            fail({EILSEQ, encoded.error});
        } else if (const std::optional<FileError> error =
                       writeFileAtomically(infoFile, encoded.bytes)) {
            fail(*error);
        } else {
            written = true;
            writtenBytes = encoded.bytes;
        }
    }

    // Where the file just written is once the renaming below is done.
    QString infoFileNow = infoFile;
    QString trackFolder = oldFolder;
    QString renameLines;
    if (newFolderName != oldName) {
        if (!isUsableFolderName(newFolderName)) {
            fail({EINVAL, QStringLiteral("Invalid folder name '") + printableName(newFolderName)
                              + QStringLiteral("': nothing was renamed")});
        } else if (const QString tooLong =
                       nameTooLong(rename, parent, oldFolder, oldName, newFolderName);
                   !tooLong.isEmpty()) {
            // Checked before anything moves: a folder whose info file or track files cannot
            // follow it would leave the track half renamed.
            fail({ENAMETOOLONG, qt_error_string(ENAMETOOLONG) + QStringLiteral(": '")
                                    + tooLong + QStringLiteral("': nothing was renamed")});
        } else {
            renameLines += carriageReturn + QStringLiteral("Renamed folder '") + oldName
                           + QStringLiteral("' to '") + newFolderName + QStringLiteral("'");
            const QString newFolder = parent + newFolderName;
            if (const std::optional<FileError> error = renameNoReplace(oldFolder, newFolder)) {
                // The files of another folder of that name are not ours to rename.
                fail(*error);
            } else {
                trackFolder = newFolder;
                infoFileNow = newFolder + slash + oldName + QStringLiteral(".inf");
                if (rename.renameKind == 1) {
                    renameTrackFiles(rename, newFolder, oldName, newFolderName, &infoFileNow);
                    renameLines += carriageReturn
                                   + QStringLiteral("Renamed selected file types in '")
                                   + newFolderName + QStringLiteral("'");
                }
            }
        }
    }
    result.summary = QStringLiteral("Saved changes to '") + infoFileNow + QStringLiteral("'")
                     + renameLines;

    // Reload from the folder the track is in now: after a refused or failed rename that is
    // the old folder, never another folder of the new name.
    folders.refresh();
    QString selected = trackFolder;
    if (folders.setPath(trackFolder))
        selected = folders.path();
    else
        fail(folderError(trackFolder));
    folders.setSelectedItem(selected);
    if (written) {
        // Where the file is still the one just written, what it holds is known: the reload
        // parses those bytes rather than reading them back, and changes only the rows whose
        // text the file changed.
        const QString loadError = trackFolder == oldFolder && infoFilePath(selected) == infoFile
                                      ? reloadTrack(state, view, selected, writtenBytes)
                                      : loadTrack(state, view, selected);
        if (!loadError.isEmpty())
            fail({EIO, loadError});
    } else {
        // Reloading would throw away the edits the file could not take; the user keeps them
        // to correct and save again. The editors still show the folder's present name.
        fillEditors(state, view);
    }
    return result;
}

QString newTrackFile(State& state, EditorView& view, const QString& folder)
{
    const QString path = infoFilePath(folder);
    const auto failure = [&path](const FileError& error) -> QString {
        return QStringLiteral("Could not create '") + path + QStringLiteral("': ") + error.text;
    };
    const QByteArray target = QFile::encodeName(path);
    // Written in full under a free name first, then moved to a name that must still be
    // free: an existing file (a hidden one too) is never truncated, and no half-written
    // info file ever appears.
    const std::variant<QByteArray, FileError> written =
        writeTemporary(folderOf(target), "new", newFileTemplate(), nullptr);
    if (const FileError* error = std::get_if<FileError>(&written))
        return failure(*error);
    const QByteArray temporary = std::get<QByteArray>(written);
    if (const std::optional<FileError> renameError =
            renameNoReplace(QFile::decodeName(temporary), path)) {
        ::unlink(temporary.constData());
        return failure(*renameError);
    }
    return loadTrack(state, view, folder);
}

} // namespace edit
