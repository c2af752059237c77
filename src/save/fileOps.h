#ifndef KITE_SAVE_FILEOPS_H
#define KITE_SAVE_FILEOPS_H

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

#include <sys/stat.h>

// The file operations saving is built from: writing a track file so that it is never torn
// and keeps what the file system knows about it, and renaming without ever replacing what is
// already there. Failures come back as the file layer's own code and text.
namespace edit {

// A failure of the file layer: its own code and text.
struct FileError
{
    int code = 0;
    QString text;
};

// The failure for an errno value, with the system's text for it.
FileError errnoError(int code);

// "Runtime Error '<code>': <text>" followed by CR LF.
QString errorLine(const FileError& error);

// Writes the bytes into the file at `path` (a track file in `trackFolder`), through links
// that stay inside the track folder. The file is replaced by a complete new one, so that it
// always holds either its old or its new content, unless replacing would take something from
// it: a second hard link, an owner or group (or permission bits) the process cannot give a
// new file, or a folder that takes no new file. Then it is written in place; a failure
// leaves the old content, but a kill during that write may leave the new content's start
// followed by the old content's end. A link leading out of the track folder is refused.
std::optional<FileError> writeTrackFile(const QString& trackFolder, const QString& path,
                                        const QByteArray& bytes);
// Where `path` leads once every link in it is followed, as a path without links; a failure
// when that is outside `trackFolder` (its text names the link, its target and ends with
// `refusal`) or cannot be found out.
std::variant<QByteArray, FileError> resolveWithin(const QString& trackFolder, const QString& path,
                                                  const QString& refusal);
// The refusal of resolveWithin when the entry at `path` is a link leading out of
// `trackFolder`; nothing for any other entry, or none.
std::optional<FileError> linkLeadingOut(const QString& trackFolder, const QString& path,
                                        const QString& refusal);

// Renames a file or folder; never replaces an existing target.
// A name that differs only in letter case is accepted, also where the file system ignores case.
std::optional<FileError> renameNoReplace(const QString& from, const QString& to);
// How renameNoReplace works where the file system has no rename that refuses to replace:
// a hard link and unlink for files, a check and then a rename for folders (and for files
// where hard links are not supported). Public so that it can be exercised anywhere.
std::optional<FileError> renameNoReplaceFallback(const QString& from, const QString& to);

// The folder part of a path in the file system's bytes ("." when there is none).
QByteArray folderOf(const QByteArray& path);
// A new hidden name in the folder, ".kite-<purpose>-<random hex>.tmp": one the loader never
// takes for an info file, and short enough for any folder whatever the info file is called.
QByteArray temporaryName(const QByteArray& folder, const char* purpose);
// Writes all the bytes at the file's position; false with errno set when it could not.
bool writeAll(int fd, const QByteArray& bytes);
// Why a folder could not be opened, in the file layer's terms.
FileError folderError(const QString& folder);

} // namespace edit

#endif
