#ifndef KITE_UTIL_FSO_H
#define KITE_UTIL_FSO_H

#include <QString>

// Path helpers. "The separator" is the platform's native one: "/" on Linux, where "\" is
// an ordinary character of a file name.
namespace fso {

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
