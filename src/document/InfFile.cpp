#include "document/InfFile.h"

#include "util/fso.h"
#include "util/misc.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <sys/stat.h>

namespace edit {

QString folderName(const QString& folderPath)
{
    const QString folder = fso::fixPath(folderPath, false);
    const qsizetype last = folder.lastIndexOf(fso::separator());
    return last < 0 ? folder : folder.mid(last + fso::separator().size());
}

QString infoFilePath(const QString& folderPath)
{
    return fso::fixPath(folderPath, false) + fso::separator() + folderName(folderPath)
        + QStringLiteral(".inf");
}

QStringList infoFileCaseVariants(const QString& folderPath)
{
    const QString name = folderName(folderPath) + QStringLiteral(".inf");
    QStringList variants;
    // The folder infoFilePath puts the info file in (fixPath leaves nothing of "/").
    const QByteArray folder = fso::encodeName(fso::fixPath(folderPath, false));
    DIR* entries = ::opendir(folder.isEmpty() ? "/" : folder.constData());
    if (!entries)
        return variants;
    while (const dirent* entry = ::readdir(entries)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        const QString entryName = fso::decodeName(entry->d_name);
        if (entryName != name && entryName.compare(name, Qt::CaseInsensitive) == 0)
            variants.append(entryName);
    }
    ::closedir(entries);
    std::sort(variants.begin(), variants.end());
    return variants;
}

InfoFileLookup findInfoFile(const QString& folderPath)
{
    const QString path = infoFilePath(folderPath);
    // Whatever has the name itself (a folder, a link leading nowhere) is what the game finds.
    struct stat entry {};
    if (::lstat(fso::encodeName(path).constData(), &entry) == 0 || errno != ENOENT)
        return {path, {}};
    const QString folder = path.left(path.lastIndexOf(fso::separator()) + 1);
    QStringList files;
    for (const QString& name : infoFileCaseVariants(folderPath)) {
        QString probe = folder + name; // an ordinary, not hidden file, as the info file must be
        if (fso::pathExists(probe, 0))
            files.append(name);
    }
    if (files.size() == 1)
        return {folder + files.first(), {}};
    if (files.isEmpty())
        return {path, {}};
    return {path, QStringLiteral("The info file \"%1\" is ambiguous: \"%2\" differ from its name "
                                 "only in letter case.")
                      .arg(fso::displayPath(path),
                           fso::displayPath(files.join(QStringLiteral("\", \""))))};
}

namespace {

// Well-formed UTF-8 as the standard defines it: no overlong forms, no surrogates, nothing
// above U+10FFFF, no truncated sequence. Sets nonAscii when any multi-byte sequence occurs.
bool isWellFormedUtf8(const QByteArray& bytes, bool& nonAscii)
{
    nonAscii = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (n - i < length)
            return false;
        if (p[i + 1] < low || p[i + 1] > high)
            return false;
        for (int k = 2; k < length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        }
        i += length;
    }
    return true;
}

// Whether every byte is below 0x80: such bytes read the same in both encodings. Eight
// bytes at a time, as a large file is checked on every load and save.
bool isAscii(QByteArrayView bytes)
{
    const char* p = bytes.data();
    qsizetype n = bytes.size();
    for (; n >= 8; p += 8, n -= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; n > 0; ++p, --n) {
        if (uchar(*p) >= 0x80)
            return false;
    }
    return true;
}

struct TextScan
{
    bool ascii = true;
    qsizetype carriageReturns = 0;
    qsizetype lineFeeds = 0;
};

// One pass over a text: whether it is all ASCII (the same bytes in both encodings) and how
// many CRs and LFs it holds.
TextScan scanText(QStringView text)
{
    char16_t bits = 0;
    qsizetype returns = 0;
    qsizetype feeds = 0;
    const char16_t* const end = text.utf16() + text.size();
    for (const char16_t* p = text.utf16(); p != end; ++p) {
        const char16_t c = *p;
        bits |= c;
        returns += c == u'\r';
        feeds += c == u'\n';
    }
    return {bits < 0x80, returns, feeds};
}

const char* codecName(Encoding encoding)
{
    return encoding == Encoding::Utf8 ? "UTF-8" : "windows-1252";
}

QString encodingName(Encoding encoding)
{
    return encoding == Encoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252");
}

// Whether the text survives encoding: converted and read back unchanged.
bool encodes(const QString& text, Encoding encoding)
{
    QStringEncoder encoder(codecName(encoding));
    const QByteArray bytes = encoder(text);
    if (encoder.hasError())
        return false;
    // A U+FEFF at the start of the piece is text here, not a byte order mark to drop.
    QStringDecoder decoder(codecName(encoding), QStringDecoder::Flag::ConvertInitialBom);
    const QString back = decoder(bytes);
    return !decoder.hasError() && back == text;
}

QString describeCharacter(const QString& text, qsizetype index)
{
    const char32_t code = text.at(index).isHighSurrogate() && index + 1 < text.size()
            && text.at(index + 1).isLowSurrogate()
        ? QChar::surrogateToUcs4(text.at(index), text.at(index + 1))
        : text.at(index).unicode();
    const QString shown = code > 32 && !QChar::isSurrogate(code)
        ? QStringLiteral("\"") + QString::fromUcs4(&code, 1) + QStringLiteral("\" ")
        : QString();
    return shown + QStringLiteral("(U+%1)").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
}

// The first character of `text` that the encoding cannot hold, described for a message;
// empty when there is none.
QString firstUnencodable(const QString& text, Encoding encoding)
{
    if (encodes(text, encoding))
        return {};
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            length = 2;
        if (!encodes(text.mid(i, length), encoding))
            return describeCharacter(text, i);
        i += length - 1;
    }
    return QStringLiteral("(a character)");
}

// Why a record cannot be written, or empty text when it can.
QString recordProblem(const cInfTag& tag, Encoding encoding)
{
    const QString label = tag.tagLabel;
    const struct
    {
        const QString& text;
        const char16_t* what;
    } fields[] = {{tag.tagLabel, u"label"}, {tag.tagValue, u"value"}, {tag.tagComment, u"comment"}};
    for (const auto& field : fields) {
        const QString what = QString::fromUtf16(field.what);
        // A line break inside a field would split the record into two lines of the file.
        if (field.text.contains(QLatin1Char('\r')) || field.text.contains(QLatin1Char('\n')))
            return QStringLiteral("The %1 of tag \"%2\" holds a line break, which the file "
                                  "cannot keep inside one line.")
                .arg(what, label);
        const QString bad = firstUnencodable(field.text, encoding);
        if (!bad.isEmpty())
            return QStringLiteral("The %1 of tag \"%2\" holds the character %3, which a %4 "
                                  "file cannot hold.")
                .arg(what, label, bad, encodingName(encoding));
    }
    return {};
}

const QLatin1String crlf("\r\n");

} // namespace

Encoding detectEncoding(const QByteArray& bytes)
{
    if (isAscii(bytes))
        return Encoding::Windows1252; // most files: one quick pass settles them
    bool nonAscii = false;
    return isWellFormedUtf8(bytes, nonAscii) && nonAscii ? Encoding::Utf8 : Encoding::Windows1252;
}

QString decode(const QByteArray& bytes, Encoding encoding)
{
    // A leading UTF-8 byte order mark is dropped by the decoder, so it never sticks to the
    // first label; saving does not write one back, as the game reads plain 8-bit text.
    // ASCII reads the same in both encodings and holds no byte order mark.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(codecName(encoding));
    // Only without a codec library, never on a normal install.
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder(bytes);
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

namespace {

// The lines as splitLines cuts them, each parsed as it is found.
TagList parseLines(const QString& text, const TagList* like)
{
    const QStringView all(text);
    const qsizetype n = all.size();
    TagList tags;
    // A record per line at most: exact for CR LF and LF line ends, a hint for lone CRs.
    const qsizetype lineFeeds = std::count(all.utf16(), all.utf16() + n, u'\n');
    tags.reserve(int(std::min<qsizetype>(lineFeeds + 1, n)));
    const auto take = [&tags, like](QStringView line) {
        cInfTag tag;
        if (like && tags.count() < like->count())
            tag.setOrigLine(line, like->at(tags.count()));
        else
            tag.setOrigLine(line.toString());
        // Blank and comment-only lines are not part of the document.
        if (!tag.tagLabel.isEmpty())
            tags.append(std::move(tag));
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = all[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        take(all.sliced(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && all[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        take(all.sliced(start));
    return tags;
}

} // namespace

TagList parseDocument(const QString& text)
{
    return parseLines(text, nullptr);
}

TagList parseDocument(const QString& text, const TagList& like)
{
    return parseLines(text, &like);
}

QStringList headerLines()
{
    const QString rule = QStringLiteral(";----------------------------");
    return {rule, QStringLiteral("; Tarvex .INF file structure"), rule, QString()};
}

QString formatDocument(const TagList& tags)
{
    QString text;
    qsizetype size = 0;
    for (const cInfTag& tag : tags)
        size += tag.tagLabel.size() + tag.tagValue.size() + tag.tagComment.size() + 10;
    text.reserve(100 + size);
    for (const QString& line : headerLines())
        text += line + crlf;
    for (const cInfTag& tag : tags) {
        tag.appendLine(text);
        text += crlf;
    }
    return text;
}

EncodeResult encodeDocument(const TagList& tags, Encoding encoding)
{
    EncodeResult result;
    // The usual case in one pass over the whole text. Each line adds one CR LF, so any
    // other CR or LF lies inside a field. Without one, ASCII text is the same bytes in both
    // encodings, and other text is written when it converts and reads back unchanged. Only
    // otherwise is every record examined, to name the tags that cannot be written.
    const QString text = formatDocument(tags);
    const qsizetype lines = headerLines().size() + tags.count();
    const TextScan scan = scanText(text);
    if (scan.lineFeeds == lines && scan.carriageReturns == lines) {
        if (scan.ascii) {
            result.bytes = text.toLatin1();
            result.ok = true;
            return result;
        }
        QStringEncoder encoder(codecName(encoding));
        QByteArray bytes = encoder(text);
        if (!encoder.hasError() && encoder.isValid()) {
            QStringDecoder decoder(codecName(encoding), QStringDecoder::Flag::ConvertInitialBom);
            const QString back = decoder(bytes);
            if (!decoder.hasError() && back == text) {
                result.bytes = std::move(bytes);
                result.ok = true;
                return result;
            }
        }
    }

    QString firstProblem;
    int problems = 0;
    for (const cInfTag& tag : tags) {
        const QString problem = recordProblem(tag, encoding);
        if (problem.isEmpty())
            continue;
        if (problems == 0)
            firstProblem = problem;
        ++problems;
    }
    if (problems > 0) {
        result.error = firstProblem;
        if (problems > 1)
            result.error
                += QStringLiteral(" %1 more tags cannot be written either.").arg(problems - 1);
        return result;
    }
    // Every record can be written, yet the whole text did not convert: only without a
    // codec library, never on a normal install.
    result.error
        = QStringLiteral("The text could not be converted to %1.").arg(encodingName(encoding));
    return result;
}

QByteArray newFileTemplate()
{
    static const char* const labels[] = {"NAME", "STARTPOS", "STARTROT", "STARTGRID",
                                         "FARCLIP", "FOGSTART", "FOGCOLOR", "VERTFOGSTART",
                                         "VERTFOGEND", "WORLDRGBPER", "MODELRGBPER",
                                         "INSTANCERGBPER"};
    QString text;
    for (const QString& line : headerLines())
        text += line + crlf;
    // Each label is padded with spaces to 17 characters and has no value yet.
    for (const char* label : labels)
        text += QString::fromLatin1(label).leftJustified(17, QLatin1Char(' ')) + crlf;
    return text.toLatin1();
}

} // namespace edit
