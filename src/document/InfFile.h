#ifndef KITE_DOCUMENT_INFFILE_H
#define KITE_DOCUMENT_INFFILE_H

#include "document/TagList.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The track info file as bytes: its name, its encoding, its lines, and the fixed layout
// in which saving writes it back.
namespace edit {

// Files are Windows-1252. Track makers' newer tools also write UTF-8: a file whose bytes
// are valid UTF-8 and hold non-ASCII characters is read, and saved back, as UTF-8.
enum class Encoding { Windows1252, Utf8 };

// The last component of a folder path ("/" and trailing separators accepted); the whole
// path when it has no separator.
QString folderName(const QString& folderPath);

// <folder>/<folder name>.inf for a folder path; "/" and trailing separators accepted.
QString infoFilePath(const QString& folderPath);

// The names of the folder's entries that differ from <folder name>.inf only in letter case,
// as files copied from a system that ignores letter case may be named; sorted.
QStringList infoFileCaseVariants(const QString& folderPath);

struct InfoFileLookup
{
    QString path;      // the info file to load and save
    QString ambiguity; // when not empty, why there is none: which files could be it
};
// Where a folder's info file is: infoFilePath, or where nothing has that name, the one
// ordinary file whose name differs from it only in letter case. Two or more such files leave
// the usual path, and say which they are.
InfoFileLookup findInfoFile(const QString& folderPath);

Encoding detectEncoding(const QByteArray& bytes);
QString decode(const QByteArray& bytes, Encoding encoding);

// Lines end at CR LF, a lone CR or a lone LF. A last line without terminator is a line;
// an empty text has no lines.
QStringList splitLines(const QString& text);

// Every tag line of the text, in order; blank and comment-only lines are dropped.
TagList parseDocument(const QString& text);
// The same document, sharing with the record at the same position of `like` every text
// that equals its own (for reading a file again that `like` was just written as).
TagList parseDocument(const QString& text, const TagList& like);

// The four header lines every saved file starts with (the last one empty).
QStringList headerLines();

// Header block and one line per record, CR LF after every line.
QString formatDocument(const TagList& tags);

struct EncodeResult
{
    bool ok = false;
    QByteArray bytes;
    QString error; // when !ok: names the tag (or header) whose text the encoding cannot hold
};
EncodeResult encodeDocument(const TagList& tags, Encoding encoding);

// The 16 lines of a new info file, CR LF after each, in Windows-1252.
QByteArray newFileTemplate();

} // namespace edit

#endif
