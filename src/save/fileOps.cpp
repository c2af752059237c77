#include "save/fileOps.h"

#include "save/PendingFile.h"
#include "util/fso.h"

#include <QRandomGenerator>
#include <QtGlobal>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <variant>

namespace edit {

namespace {

const QString crlf = QStringLiteral("\r\n");

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
        renameNoReplaceFallback(fso::decodeName(from), fso::decodeName(to));
    return fallback ? fallback->code : 0;
}

bool sameEntry(const QByteArray& first, const QByteArray& second)
{
    struct stat a {};
    struct stat b {};
    return ::lstat(first.constData(), &a) == 0 && ::lstat(second.constData(), &b) == 0
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The path with every link and "." or ".." in it resolved; the file must exist.
std::variant<QByteArray, FileError> realPath(const QByteArray& path)
{
    char* resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return errnoError(errno);
    const QByteArray result(resolved);
    std::free(resolved);
    return result;
}

// All of the file from its start; false when it could not be read.
bool readAll(int fd, QByteArray& bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, off_t(bytes.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, got);
    }
}

// The bytes from the file's start, then the file cut to their length; false with errno set.
bool overwrite(int fd, const QByteArray& bytes)
{
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes)
           && ::ftruncate(fd, off_t(bytes.size())) == 0;
}

// Writes over the file itself, which keeps its inode and with it every name, its owner, group
// and permissions. Room for the new bytes is taken first where the file system can, and when
// a write fails all the same, the old bytes are written back.
std::optional<FileError> writeInPlace(const QByteArray& target, const QByteArray& bytes)
{
    int fd = ::open(target.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    const bool readable = fd >= 0;
    if (!readable && errno == EACCES)
        fd = ::open(target.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errnoError(errno);
    QByteArray old;
    const bool restorable = readable && readAll(fd, old);
    int error = 0;
    if (bytes.size() > old.size()
        && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS)
        error = errno;
    if (error == 0 && !overwrite(fd, bytes)) {
        error = errno;
        if (restorable)
            overwrite(fd, old);
    }
    if (::fsync(fd) != 0 && error == 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error == 0 ? std::nullopt : std::optional<FileError>(errnoError(error));
}

} // namespace

FileError errnoError(int code)
{
    return FileError{code, qt_error_string(code)};
}

QByteArray temporaryName(const QByteArray& folder, const char* purpose)
{
    const quint64 random = QRandomGenerator::global()->generate64();
    return folder + "/.kite-" + purpose + '-' + QByteArray::number(random, 16) + ".tmp";
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

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slashAt = path.lastIndexOf('/');
    if (slashAt < 0)
        return QByteArrayLiteral(".");
    if (slashAt == 0)
        return QByteArrayLiteral("/");
    return path.left(slashAt);
}

// Why a folder could not be opened, in the file layer's terms.
FileError folderError(const QString& folder)
{
    const QByteArray path = fso::encodeName(folder);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return errnoError(errno);
    if (!S_ISDIR(info.st_mode))
        return errnoError(ENOTDIR);
    if (::faccessat(AT_FDCWD, path.constData(), R_OK | X_OK, AT_EACCESS) != 0)
        return errnoError(errno);
    return errnoError(EIO);
}

QString errorLine(const FileError& error)
{
    return QStringLiteral("Runtime Error '") + QString::number(error.code) + QStringLiteral("': ")
           + error.text + crlf;
}

std::variant<QByteArray, FileError> resolveWithin(const QString& trackFolder, const QString& path,
                                                  const QString& refusal)
{
    const std::variant<QByteArray, FileError> folder = realPath(fso::encodeName(trackFolder));
    if (const FileError* error = std::get_if<FileError>(&folder))
        return *error;
    const std::variant<QByteArray, FileError> followed = followLinks(fso::encodeName(path));
    if (const FileError* error = std::get_if<FileError>(&followed))
        return *error;
    const QByteArray last = std::get<QByteArray>(followed);
    // The last link may name a file still to be made; its folder must exist all the same.
    struct stat info {};
    const bool exists = ::lstat(last.constData(), &info) == 0;
    if (!exists && errno != ENOENT)
        return errnoError(errno);
    const std::variant<QByteArray, FileError> real = realPath(exists ? last : folderOf(last));
    if (const FileError* error = std::get_if<FileError>(&real))
        return *error;
    QByteArray resolved = std::get<QByteArray>(real);
    if (!exists)
        resolved += (resolved.endsWith('/') ? "" : "/") + last.mid(last.lastIndexOf('/') + 1);
    const QByteArray inside = std::get<QByteArray>(folder);
    if (resolved == inside || resolved.startsWith(inside.endsWith('/') ? inside : inside + '/'))
        return resolved;
    return FileError{EPERM, QStringLiteral("'") + fso::displayPath(path)
                                + QStringLiteral("' is a link to '")
                                + fso::displayPath(fso::decodeName(resolved))
                                + QStringLiteral("', outside the track folder; ") + refusal};
}

std::optional<FileError> linkLeadingOut(const QString& trackFolder, const QString& path,
                                        const QString& refusal)
{
    struct stat info {};
    if (::lstat(fso::encodeName(path).constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return std::nullopt;
    const std::variant<QByteArray, FileError> resolved = resolveWithin(trackFolder, path, refusal);
    const FileError* error = std::get_if<FileError>(&resolved);
    // A link that leads nowhere (a loop, a missing folder) leads nowhere outside either.
    if (error && error->code == EPERM)
        return *error;
    return std::nullopt;
}

std::optional<FileError> writeTrackFile(const QString& trackFolder, const QString& path,
                                        const QByteArray& bytes)
{
    const std::variant<QByteArray, FileError> resolved =
        resolveWithin(trackFolder, path, QStringLiteral("nothing was written to it"));
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
    removeLeftovers(folder);
    // A new file would leave the other names of the file with the old content.
    if (exists && old.st_nlink > 1)
        return writeInPlace(target, bytes);
    PendingFile file(folder, "save");
    if (const std::optional<FileError> error = file.create()) {
        // A folder that takes no new file may still hold a writable one.
        if (exists && (error->code == EACCES || error->code == EPERM))
            return writeInPlace(target, bytes);
        return error;
    }
    // A new file belongs to whoever saves it: where it cannot keep the old owner and group
    // (another user's file in a shared folder), the file is kept and written in place.
    if (exists && !file.takeOwnerAndMode(old))
        return writeInPlace(target, bytes);
    if (const std::optional<FileError> error = file.write(bytes))
        return error;
    return file.replace(target);
}

std::optional<FileError> renameNoReplaceFallback(const QString& from, const QString& to)
{
    const QByteArray source = fso::encodeName(from);
    const QByteArray target = fso::encodeName(to);
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
    const QByteArray source = fso::encodeName(from);
    const QByteArray target = fso::encodeName(to);
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

} // namespace edit
