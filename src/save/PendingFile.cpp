#include "save/PendingFile.h"

#include "util/fso.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace edit {

namespace {

// The purposes whose temporary files are only ever a copy in the making: what a kill left of
// one may go. A rename's temporary name is a track file on its way and is never taken.
constexpr const char* disposable[] = {"save", "new"};

// Whether a name is one that temporaryName gives for a disposable purpose.
bool isLeftoverName(const char* name)
{
    if (std::strncmp(name, ".kite-", 6) != 0) // a track folder may hold thousands of files
        return false;
    for (const char* purpose : disposable) {
        const QByteArray prefix = QByteArray(".kite-") + purpose + '-';
        const QByteArray entry(name);
        if (!entry.startsWith(prefix) || !entry.endsWith(".tmp"))
            continue;
        const QByteArray random = entry.mid(prefix.size(), entry.size() - prefix.size() - 4);
        if (random.isEmpty() || random.size() > 16)
            return false;
        for (const char c : random) {
            if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'f'))
                return false;
        }
        return true;
    }
    return false;
}

// Links a file that has no name yet to `path`; never replaces. 0 or the errno of the failure.
int linkUnnamed(int fd, const QByteArray& path)
{
    char procPath[48];
    std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, procPath, AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    return errno;
}

// Makes a folder's entries durable: a new name is as safe on the disk as the content.
void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

PendingFile::PendingFile(const QByteArray& folder, const char* purpose)
    : m_folder(folder), m_purpose(purpose)
{
}

PendingFile::~PendingFile()
{
    // Removed while still locked, so no other editor ever finds it free and half written.
    if (!m_name.isEmpty())
        ::unlink(m_name.constData());
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<FileError> PendingFile::create()
{
    // A file without a name can only be given one through /proc (or with a privilege).
    static const bool canLinkUnnamed = ::access("/proc/self/fd", X_OK) == 0;
    if (canLinkUnnamed) {
        m_fd = ::open(m_folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            // Nobody else can reach it yet; the lock goes with it once it has a name.
            ::flock(m_fd, LOCK_EX);
            return std::nullopt;
        }
        // Older kernels and some file systems have no unnamed files.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errnoError(errno);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName(m_folder, m_purpose);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return errnoError(errno);
        }
        // Between the creation and the lock another editor may have taken the empty file for
        // a leftover: it then holds the lock, or has removed the file. Start again then.
        struct stat info {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) {
            m_fd = fd;
            m_name = name;
            return std::nullopt;
        }
        ::close(fd);
    }
    return errnoError(EEXIST);
}

bool PendingFile::takeOwnerAndMode(const struct stat& like)
{
    // The owner first: changing it clears the set-user and set-group bits.
    [[maybe_unused]] const int owner = ::fchown(m_fd, like.st_uid, like.st_gid);
    [[maybe_unused]] const int mode = ::fchmod(m_fd, like.st_mode & 07777);
    struct stat now {};
    return ::fstat(m_fd, &now) == 0 && now.st_uid == like.st_uid && now.st_gid == like.st_gid
           && (now.st_mode & 07777) == (like.st_mode & 07777);
}

std::optional<FileError> PendingFile::write(const QByteArray& bytes)
{
    if (!writeAll(m_fd, bytes) || ::fsync(m_fd) != 0)
        return errnoError(errno);
    return std::nullopt;
}

std::optional<FileError> PendingFile::nameIt()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName(m_folder, m_purpose);
        const int error = linkUnnamed(m_fd, name);
        if (error == 0) {
            m_name = name;
            return std::nullopt;
        }
        if (error != EEXIST)
            return errnoError(error);
    }
    return errnoError(EEXIST);
}

std::optional<FileError> PendingFile::linkAs(const QByteArray& path)
{
    if (m_name.isEmpty()) {
        if (const int error = linkUnnamed(m_fd, path))
            return errnoError(error);
    } else {
        if (const std::optional<FileError> error =
                renameNoReplace(fso::decodeName(m_name), fso::decodeName(path)))
            return error;
        m_name.clear();
    }
    syncFolder(folderOf(path));
    return std::nullopt;
}

std::optional<FileError> PendingFile::replace(const QByteArray& path)
{
    // rename() is the one step that replaces a file, and it needs a name to start from.
    if (m_name.isEmpty()) {
        if (const std::optional<FileError> error = nameIt())
            return error;
    }
    if (::rename(m_name.constData(), path.constData()) != 0)
        return errnoError(errno);
    m_name.clear();
    syncFolder(folderOf(path));
    return std::nullopt;
}

void removeLeftovers(const QByteArray& folder)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isLeftoverName(entry->d_name))
            continue;
        const QByteArray path = folder + '/' + entry->d_name;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        // Free of locks, nobody is writing it. Still the same file under that name, it is
        // removed while the lock keeps a new editor from starting on it.
        struct stat held {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode)
            && ::lstat(path.constData(), &named) == 0 && named.st_dev == held.st_dev
            && named.st_ino == held.st_ino)
            ::unlink(path.constData());
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace edit
