#include "save/renameJournal.h"

#include "save/trackRename.h"
#include "util/fso.h"

#include <QFile>
#include <QScopeGuard>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace edit {

namespace {

const QString slash = QStringLiteral("/");
const QString crlf = QStringLiteral("\r\n");

// Hidden, so the folder browser and the loader pass it by; a name no track file can have,
// since those all start with the folder's name followed by a dot or a letter.
const QByteArray journalName = QByteArrayLiteral(".kite-rename-journal");
const QByteArray firstLine = QByteArrayLiteral("Tarvex Kite rename journal");
const QByteArray lastLine = QByteArrayLiteral("end");
// A journal lists every extension of the rename settings: some kilobytes at most.
constexpr qint64 largestJournal = 4 * 1024 * 1024;

// InProgress: a live rename holds the journal locked.
enum class Found { None, InProgress, Incomplete, Complete };

struct Journal
{
    QString oldName;
    QString newName;
    QString infoFile; // the info file's name, where it differs from <old name>.inf in letter case
    Rename::Settings rename;
};

QByteArray journalPath(const QString& folder)
{
    return fso::encodeName(folder) + '/' + journalName;
}

// Names are kept in the file system's bytes, percent-encoded: any byte may occur in a name
// but a line break, a space or a percent sign then never does.
QByteArray field(const QString& text)
{
    return fso::encodeName(text).toPercentEncoding();
}

QString fromField(const QByteArray& bytes)
{
    return fso::decodeName(QByteArray::fromPercentEncoding(bytes));
}

bool isFolderName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
           && !name.contains(slash) && !name.contains(QChar(0));
}

// The journal as a RenameJournal writes it. One cut short (no last line) was being written
// when the editor was stopped, before anything was renamed; so is one that cannot be
// understood, since only this editor makes that name.
Found readJournal(const QString& folder, Journal* journal)
{
    const int fd = ::open(journalPath(folder).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Found::None;
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        return Found::InProgress;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly) || file.size() > largestJournal)
        return Found::None;
    const QList<QByteArray> lines = file.readAll().split('\n');
    // The text ends with a line break, so the last part is empty.
    if (lines.size() < 6 || lines.first() != firstLine || lines.at(lines.size() - 2) != lastLine
        || !lines.last().isEmpty())
        return Found::Incomplete;
    Journal read;
    read.rename.trackExts.clear();
    read.rename.renameKind = 1;
    for (qsizetype i = 1; i < lines.size() - 2; ++i) {
        const QByteArray& line = lines.at(i);
        const qsizetype space = line.indexOf(' ');
        const QByteArray key = line.left(space);
        const QByteArray value = space < 0 ? QByteArray() : line.mid(space + 1);
        if (key == "from")
            read.oldName = fromField(value);
        else if (key == "to")
            read.newName = fromField(value);
        else if (key == "temp")
            read.rename.autoTempRename = value == "1";
        else if (key == "ext")
            read.rename.trackExts.append(fromField(value));
        else if (key == "info")
            read.infoFile = fromField(value);
        else
            return Found::Incomplete;
    }
    if (!isFolderName(read.oldName) || !isFolderName(read.newName)
        || (!read.infoFile.isEmpty() && !isFolderName(read.infoFile)))
        return Found::Incomplete;
    *journal = std::move(read);
    return Found::Complete;
}

// Removes a journal that no rename holds. A new one is locked from the moment it is made, and
// its writer checks afterwards that its name still leads to it, so one found empty at that
// moment is never lost: it is made again.
void removeUnheld(const QString& folder)
{
    const QByteArray path = journalPath(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::unlink(path.constData());
    ::close(fd);
}

// Makes the folder's entries (names made, renamed or removed in it) durable.
void syncFolder(const QString& folder)
{
    const QByteArray path = folder.isEmpty() ? QByteArrayLiteral(".") : fso::encodeName(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString parentOf(const QString& folder)
{
    return folder.left(folder.lastIndexOf(slash) + 1);
}

QString nameOf(const QString& folder)
{
    return folder.mid(folder.lastIndexOf(slash) + 1);
}

// Whether the name still leads to the open file.
bool namesOpenFile(const QByteArray& path, int fd)
{
    struct stat named {};
    struct stat open {};
    return ::stat(path.constData(), &named) == 0 && ::fstat(fd, &open) == 0
           && named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

bool sameFile(const QByteArray& first, const QByteArray& second)
{
    struct stat a {};
    struct stat b {};
    return ::lstat(first.constData(), &a) == 0 && ::lstat(second.constData(), &b) == 0
           && S_ISREG(a.st_mode) && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// At most this many names are listed in a message; the rest are counted.
constexpr int namesListed = 10;

QString listed(const QStringList& names)
{
    QString text = QLatin1Char('\'')
                   + fso::displayPath(names.mid(0, namesListed).join(QStringLiteral("', '")))
                   + QLatin1Char('\'');
    if (names.size() > namesListed)
        text += QStringLiteral(" and %1 more").arg(names.size() - namesListed);
    return text;
}

} // namespace

QString InterruptedRename::nameNow(const QString& oldFile) const
{
    return !infoFile.isEmpty() && oldFile == oldName + QStringLiteral(".inf") ? infoFile : oldFile;
}

QString InterruptedRename::offer() const
{
    const QString where =
        folderRenamed
            ? QStringLiteral("The folder \"%1\" has its new name, and %2 of its track files still "
                             "have the old one.")
            : QStringLiteral("The folder \"%1\" still has its old name, and so do %2 of its track "
                             "files.");
    return QStringLiteral("Renaming the track '%1' to '%2' was interrupted before it was done.")
               .arg(fso::displayPath(oldName), fso::displayPath(newName))
           + crlf + where.arg(fso::displayPath(folder)).arg(filesLeft) + crlf + crlf
           + QStringLiteral("Finish the rename now? No file will be replaced.");
}

QString InterruptedRename::leftHalfRenamed() const
{
    return QStringLiteral("The track in \"%1\" is left half renamed ('%2' to '%3'); nothing was "
                          "renamed. New is not offered for this folder, so that no new info file "
                          "takes the place of the track's own. Open the track again to finish "
                          "the rename.")
        .arg(fso::displayPath(folder), fso::displayPath(oldName), fso::displayPath(newName));
}

std::optional<InterruptedRename> findInterruptedRename(const QString& folder)
{
    Journal journal;
    const Found found = readJournal(folder, &journal);
    if (found == Found::None || found == Found::InProgress)
        return std::nullopt;
    if (found == Found::Incomplete) {
        removeUnheld(folder);
        return std::nullopt;
    }
    InterruptedRename interrupted;
    interrupted.folder = folder;
    interrupted.oldName = journal.oldName;
    interrupted.infoFile = journal.infoFile;
    interrupted.rename = journal.rename;
    const QString name = nameOf(folder);
    interrupted.folderRenamed = name != journal.oldName;
    // A folder given yet another name since then is the track's name now: its files follow it.
    interrupted.newName = interrupted.folderRenamed ? name : journal.newName;
    forEachTrackFile(journal.rename, journal.oldName, interrupted.newName,
                     [&](const QString& oldFile, const QString&) {
                         struct stat info {};
                         const QByteArray path =
                             fso::encodeName(folder + slash + interrupted.nameNow(oldFile));
                         if (::lstat(path.constData(), &info) == 0)
                             ++interrupted.filesLeft;
                     });
    if (interrupted.folderRenamed && interrupted.filesLeft == 0) {
        // Stopped after the last rename, before the journal was removed: nothing is left to do.
        removeUnheld(folder);
        return std::nullopt;
    }
    return interrupted;
}

SaveResult finishRename(FolderAccess& folders, const InterruptedRename& interrupted)
{
    SaveResult result;
    const QString parent = parentOf(interrupted.folder);
    const QString& oldName = interrupted.oldName;
    const QString& newName = interrupted.newName;
    result.summary = QStringLiteral("Finishing the rename of the track '%1' to '%2'")
                         .arg(fso::displayPath(oldName), fso::displayPath(newName));
    QString folder = interrupted.folder;
    RenameJournal journal(folder);
    if (const std::optional<FileError> error = journal.error()) {
        result.errors += errorLine(*error);
        return result;
    }
    if (!interrupted.folderRenamed) {
        result.summary += QStringLiteral("\rRenamed folder '%1' to '%2'")
                              .arg(fso::displayPath(oldName), fso::displayPath(newName));
        if (const std::optional<FileError> error = renameNoReplace(folder, parent + newName)) {
            // Nothing inside was renamed either; the journal stays for another try.
            result.errors += errorLine(*error);
            return result;
        }
        folder = parent + newName;
        folders.refresh();
        QString selected = folder;
        if (folders.setPath(folder))
            selected = folders.path();
        else
            result.errors += errorLine(folderError(folder));
        folders.setSelectedItem(selected);
    }

    QStringList kept;
    QStringList failed;
    FileError firstFailure;
    forEachTrackFile(interrupted.rename, oldName, newName,
                     [&](const QString& listedFile, const QString& newFile) {
        const QString oldFile = interrupted.nameNow(listedFile);
        const QByteArray from = fso::encodeName(folder + slash + oldFile);
        struct stat info {};
        if (::lstat(from.constData(), &info) != 0)
            return; // renamed already, or never there
        const std::optional<FileError> error =
            renameNoReplace(folder + slash + oldFile, folder + slash + newFile);
        if (!error)
            return;
        if (error->code == EEXIST) {
            // Where renames go through a hard link, one cut short leaves the file under both
            // names: dropping the old name loses nothing.
            const QByteArray to = fso::encodeName(folder + slash + newFile);
            if (sameFile(from, to) && ::unlink(from.constData()) == 0)
                return;
            kept.append(oldFile);
            return;
        }
        if (failed.isEmpty())
            firstFailure = *error;
        failed.append(oldFile);
    });
    result.summary +=
        QStringLiteral("\rRenamed selected file types in '%1'").arg(fso::displayPath(newName));
    if (!kept.isEmpty())
        result.errors += errorLine(
            {EEXIST, QStringLiteral("%1 kept the old name, since a file of the new name is there "
                                    "already (nothing is replaced)")
                         .arg(listed(kept))});
    if (!failed.isEmpty()) {
        // The journal stays: once the cause is mended, opening the track offers this again.
        result.errors += errorLine(
            {firstFailure.code, QStringLiteral("%1: %2 could not be renamed")
                                    .arg(firstFailure.text, listed(failed))});
        return result;
    }
    journal.remove(folder);
    return result;
}

bool isHalfRenamed(const QString& folder)
{
    Journal journal;
    const Found found = readJournal(folder, &journal);
    return found == Found::Complete || found == Found::InProgress;
}

RenameJournal::RenameJournal(const QString& folder, const Rename::Settings& rename,
                             const QString& oldName, const QString& newName,
                             const QString& infoFile)
{
    QByteArray text = firstLine + '\n';
    text += "from " + field(oldName) + '\n';
    text += "to " + field(newName) + '\n';
    if (!infoFile.isEmpty() && infoFile != oldName + QStringLiteral(".inf"))
        text += "info " + field(infoFile) + '\n';
    text += QByteArray("temp ") + (rename.autoTempRename ? '1' : '0') + '\n';
    for (const QString& extension : rename.trackExts)
        text += "ext " + field(extension) + '\n';
    text += lastLine + '\n';

    const QByteArray path = journalPath(folder);
    for (int attempt = 0; attempt < 3 && m_fd < 0; ++attempt) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int error = errno;
            Journal existing;
            if (error == EEXIST && readJournal(folder, &existing) == Found::Incomplete) {
                removeUnheld(folder); // cut short by a kill: nothing was renamed after it
                continue;
            }
            m_error = errnoError(error);
            return;
        }
        // Locked before anything is in it. One who found it empty and removed it meanwhile
        // leaves this file without a name; then it is made again.
        if (::flock(fd, LOCK_EX) == 0 && namesOpenFile(path, fd))
            m_fd = fd;
        else
            ::close(fd);
    }
    if (m_fd < 0) {
        m_error = errnoError(EAGAIN);
        return;
    }
    // On disk before the first rename, so no rename can outlive the journal in a power loss.
    if (!writeAll(m_fd, text) || ::fsync(m_fd) != 0) {
        m_error = errnoError(errno);
        remove(folder);
        return;
    }
    syncFolder(folder);
}

RenameJournal::RenameJournal(const QString& folder)
{
    const QByteArray path = journalPath(folder);
    m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = errnoError(errno);
    } else if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_error = FileError{EALREADY, QStringLiteral("Another editor is renaming this track now")};
        ::close(m_fd);
        m_fd = -1;
    }
}

RenameJournal::~RenameJournal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void RenameJournal::remove(const QString& folderNow)
{
    // No flush of the renames first: a journaling file system (ext4, XFS, btrfs) puts changes
    // of names on disk in the order they were made, so after a power loss the journal is never
    // gone while a rename made before its removal is undone. Flushing 2,000 renames would cost
    // about as much as making them.
    if (m_fd < 0)
        return;
    ::unlink(journalPath(folderNow).constData());
    ::close(m_fd);
    m_fd = -1;
}

} // namespace edit
