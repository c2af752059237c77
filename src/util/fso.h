#ifndef KITE_UTIL_FSO_H
#define KITE_UTIL_FSO_H

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Path helpers. "The separator" is the platform's native one: "/" on Linux, where "\" is
// an ordinary character of a file name.
namespace fso {

// A path in the file system is bytes, in memory it is text. Bytes that are UTF-8 read as their
// characters; every other byte (names unpacked from archives made on Windows hold Windows-1252
// bytes: "Caf\xE9") is held as one of the lone surrogates U+DC80..U+DCFF and turned back into
// the same byte, so a name read from the file system always leads back to the same entry.
// Every path handed to the file system, and every name read from it, goes through these two.
QString decodeName(QByteArrayView bytes);
QByteArray encodeName(const QString& path);

// The path as the user is shown it: each byte that is not UTF-8 as its Windows-1252 character
// (the five bytes that code page leaves undefined as "\x81" and the like); any other path
// unchanged. Only for showing: it may lead to another entry, or none.
QString displayPath(const QString& path);

// The path as text that a text store (SQLite's UTF-8) keeps exactly: the path itself when it
// is all UTF-8, as it has always been stored, otherwise "file://" and its bytes
// percent-encoded, as a file URL. fromStoredText reads both forms back.
QString toStoredText(const QString& path);
QString fromStoredText(const QString& text);

// The process's working folder, in the file system's bytes.
QString currentFolder();

// Attribute bits understood by pathExists. On Linux "hidden" means a name beginning
// with "." and "system" means anything that is neither a regular file nor a folder.
inline constexpr int attrReadOnly = 1;
inline constexpr int attrHidden = 2;
inline constexpr int attrSystem = 4;
inline constexpr int attrDirectory = 16;
inline constexpr int attrArchive = 32;

// The platform's separator as text ("/" on Linux).
QString separator();

// Turns every "/" into the native separator, removes all trailing separators and, when
// addSeparator is true and the result contains no "." anywhere, appends one separator.
QString fixPath(const QString& path, bool addSeparator);

// Replaces `path` by fixPath(path, true), then tells whether an entry of that path exists
// whose kind is admitted by `attributes` and whose attributes hold every bit of it.
// With 0 only an ordinary, not hidden file counts; with attrDirectory a folder counts.
// A path with wildcard characters never exists. Never reports an error: it returns false.
bool pathExists(QString& path, int attributes);

} // namespace fso

#endif
