#ifndef KITE_SAVE_FILEOPS_H
#define KITE_SAVE_FILEOPS_H

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

#include <sys/stat.h>

// The file operations saving is built from: writing a file so that it is never torn, and
// renaming without ever replacing what is already there. Failures come back as the file
// layer's own code and text.
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

// Writes the bytes beside the file and then replaces it, so the file always holds either
// its old or its new content.
std::optional<FileError> writeFileAtomically(const QString& path, const QByteArray& bytes);
// Renames a file or folder; never replaces an existing target.
// A name that differs only in letter case is accepted, also where the file system ignores case.
std::optional<FileError> renameNoReplace(const QString& from, const QString& to);
// How renameNoReplace works where the file system has no rename that refuses to replace:
// a hard link and unlink for files, a check and then a rename for folders (and for files
// where hard links are not supported). Public so that it can be exercised anywhere.
std::optional<FileError> renameNoReplaceFallback(const QString& from, const QString& to);

// The folder part of a path in the file system's bytes ("." when there is none).
QByteArray folderOf(const QByteArray& path);
// A new hidden file in the folder holding the bytes, flushed to disk; its path. With
// `like`, it takes that file's owner and permission bits (as far as the file system lets).
std::variant<QByteArray, FileError> writeTemporary(const QByteArray& folder, const char* purpose,
                                                   const QByteArray& bytes,
                                                   const struct stat* like);
// Why a folder could not be opened, in the file layer's terms.
FileError folderError(const QString& folder);

} // namespace edit

#endif
