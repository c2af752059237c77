#include "util/fso.h"

#include <QDir>

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace fso {

namespace {

constexpr char16_t firstEscape = 0xDC80; // holds byte 0x80; U+DCFF holds 0xFF
const QLatin1String urlScheme("file://");

// Whether the character at i holds a byte: a lone surrogate of U+DC80..U+DCFF (the second
// half of a surrogate pair belongs to a character).
bool isByte(QStringView path, qsizetype i)
{
    const char16_t c = path[i].unicode();
    return c >= firstEscape && c <= 0xDCFF
        && !(i > 0 && QChar::isHighSurrogate(path[i - 1].unicode()));
}

// The length of the well-formed UTF-8 sequence starting at p (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 when none starts there.
int sequenceLength(const uchar* p, const uchar* end)
{
    const uchar b = *p;
    int length = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        low = b == 0xE0 ? 0xA0 : low;
        high = b == 0xED ? 0x9F : high;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        low = b == 0xF0 ? 0x90 : low;
        high = b == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if (p[k] < 0x80 || p[k] > 0xBF)
            return 0;
    }
    return length;
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

// Windows-1252 from 0x80 to 0x9F; 0 where the code page has no character.
constexpr char16_t windows1252[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
    0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

} // namespace

QString decodeName(QByteArrayView bytes)
{
    // Nearly every name: one pass settles it.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    const auto* const start = reinterpret_cast<const uchar*>(bytes.data());
    const auto* const end = start + bytes.size();
    QString name;
    name.reserve(bytes.size());
    const auto* run = start; // the well-formed bytes not yet converted begin here
    for (const uchar* p = start; p < end;) {
        const int length = *p < 0x80 ? 1 : sequenceLength(p, end);
        if (length > 0) {
            p += length;
            continue;
        }
        name += QString::fromUtf8(reinterpret_cast<const char*>(run), p - run);
        name += QChar(char16_t(firstEscape + (*p - 0x80)));
        run = ++p;
    }
    name += QString::fromUtf8(reinterpret_cast<const char*>(run), end - run);
    return name;
}

QByteArray encodeName(const QString& path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype run = 0; // the text not yet converted begins here
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isByte(path, i))
            continue;
        bytes += QStringView(path).sliced(run, i - run).toUtf8();
        bytes += char(path[i].unicode() - firstEscape + 0x80);
        run = i + 1;
    }
    bytes += QStringView(path).sliced(run).toUtf8();
    return bytes;
}

QString displayPath(const QString& path)
{
    qsizetype i = 0;
    while (i < path.size() && !isByte(path, i))
        ++i;
    if (i == path.size())
        return path;
    QString shown = path.left(i);
    for (; i < path.size(); ++i) {
        if (!isByte(path, i)) {
            shown += path.at(i);
            continue;
        }
        const int byte = path.at(i).unicode() - firstEscape + 0x80;
        if (byte >= 0xA0)
            shown += QChar(char16_t(byte)); // from 0xA0 on, Windows-1252 is Latin-1
        else if (const char16_t c = windows1252[byte - 0x80])
            shown += QChar(c);
        else
            shown += QStringLiteral("\\x") + QString::number(byte, 16).toUpper();
    }
    return shown;
}

QString toStoredText(const QString& path)
{
    // Text without lone surrogates is UTF-8 in the store character for character.
    if (QStringView(path).isValidUtf16())
        return path;
    return urlScheme + QString::fromLatin1(encodeName(path).toPercentEncoding("/"));
}

QString fromStoredText(const QString& text)
{
    // No path the editor stored before is a URL: it always stored absolute paths, "/...".
    if (!text.startsWith(urlScheme))
        return text;
    return decodeName(QByteArray::fromPercentEncoding(text.mid(urlScheme.size()).toLatin1()));
}

QString currentFolder()
{
    char* folder = ::getcwd(nullptr, 0);
    if (!folder)
        return QDir::currentPath();
    const QString path = decodeName(folder);
    std::free(folder);
    return path;
}

QString separator()
{
    return QString(QDir::separator());
}

QString fixPath(const QString& path, bool addSeparator)
{
    const QString sep = separator();
    QString result = path;
    result.replace(QLatin1Char('/'), sep);
    while (result.endsWith(sep))
        result.chop(sep.size());
    // A dot marks a file path (it has an extension): only folder paths get a separator.
    if (addSeparator && !result.contains(QLatin1Char('.')))
        result += sep;
    return result;
}

bool pathExists(QString& path, int attributes)
{
    path = fixPath(path, true);
    // Wildcards would make a search match other entries; a NUL would cut the name short
    // at the system call and test a different path.
    if (path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?'))
        || path.contains(QChar(0)))
        return false;

    struct stat info {};
    if (::stat(encodeName(path).constData(), &info) != 0)
        return false;

    // The entry's own name, without the separator a folder path ends with.
    QString name = path;
    while (name.size() > 1 && name.endsWith(separator()))
        name.chop(separator().size());
    name = name.mid(name.lastIndexOf(separator()) + 1);

    int found = 0;
    if (S_ISDIR(info.st_mode))
        found |= attrDirectory;
    else if (S_ISREG(info.st_mode))
        found |= attrArchive; // every regular file counts as changed since its last backup
    else
        found |= attrSystem; // devices, pipes, sockets
    if (name.startsWith(QLatin1Char('.')))
        found |= attrHidden;
    if (!(info.st_mode & S_IWUSR))
        found |= attrReadOnly;

    // Like a directory search, folders, hidden and system entries are only found when the
    // mask asks for their kind; ordinary files are always found.
    for (const int kind : {attrDirectory, attrHidden, attrSystem}) {
        if ((found & kind) && !(attributes & kind))
            return false;
    }
    return (found & attributes) == attributes;
}

} // namespace fso
