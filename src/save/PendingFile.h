#ifndef KITE_SAVE_PENDINGFILE_H
#define KITE_SAVE_PENDINGFILE_H

#include "save/fileOps.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

#include <sys/stat.h>

namespace edit {

// A new file being written in a folder, which nobody sees before it is complete: it has no
// name while it is written where the file system allows that (O_TMPFILE), and otherwise a
// hidden temporary one. The editor holds it locked (flock) from its creation until it has its
// final name, so removeLeftovers in another editor never takes it. A kill at any moment
// leaves nothing, or a hidden temporary file that nobody holds and the next save removes.
class PendingFile
{
public:
    // `purpose` becomes part of a temporary name: "save" or "new".
    PendingFile(const QByteArray& folder, const char* purpose);
    // Closes the file; a temporary name it still has is removed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    std::optional<FileError> create();
    // Gives the file the owner, group and permission bits of `like`; false when the process
    // may not set all three (the file then does not have them).
    bool takeOwnerAndMode(const struct stat& like);
    // Writes all the bytes and flushes them to the disk.
    std::optional<FileError> write(const QByteArray& bytes);
    // Gives the complete file the name `path` in its folder, which must be free: an existing
    // file of that name is never replaced.
    std::optional<FileError> linkAs(const QByteArray& path);
    // Puts the complete file in the place of `path` in its folder, in one step.
    std::optional<FileError> replace(const QByteArray& path);

private:
    // A hidden temporary name for a file that has none yet.
    std::optional<FileError> nameIt();

    QByteArray m_folder;
    const char* m_purpose;
    int m_fd = -1;
    QByteArray m_name; // its temporary name while it has one
};

// Removes the hidden temporary files that saves and New of an editor killed before they were
// done left in the folder. A file that a running editor holds is left alone, and so is every
// other file (the temporary name of a rename holds a track file).
void removeLeftovers(const QByteArray& folder);

} // namespace edit

#endif
