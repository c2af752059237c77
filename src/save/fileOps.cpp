#include "save/fileOps.h"

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

const QString crlf = QStringLiteral("\r\n");

// Hidden, short and unique: a name the loader never mistakes for an info file, and one
// that stays within the file system's name limit whatever the info file is called.
QByteArray temporaryName(const QByteArray& folder, const char* purpose)
{
    const quint64 random = QRandomGenerator::global()->generate64();
    return folder + "/.kite-" + purpose + '-' + QByteArray::number(random, 16) + ".tmp";
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
} // namespace

FileError errnoError(int code)
{
    return FileError{code, qt_error_string(code)};
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

} // namespace edit
