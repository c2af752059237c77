#include "document/InfFile.h"

#include "util/fso.h"
#include "util/misc.h"

#include <QStringDecoder>
#include <QStringEncoder>

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
    bool nonAscii = false;
    return isWellFormedUtf8(bytes, nonAscii) && nonAscii ? Encoding::Utf8 : Encoding::Windows1252;
}

QString decode(const QByteArray& bytes, Encoding encoding)
{
    // A leading UTF-8 byte order mark is dropped by the decoder, so it never sticks to the
    // first label; saving does not write one back, as the game reads plain 8-bit text.
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

TagList parseDocument(const QString& text)
{
    TagList tags;
    const QStringList lines = splitLines(text);
    for (const QString& line : lines) {
        cInfTag tag;
        tag.setOrigLine(line);
        // Blank and comment-only lines are not part of the document.
        if (!tag.tagLabel.isEmpty())
            tags.append(tag);
    }
    return tags;
}

QStringList headerLines()
{
    const QString rule = QStringLiteral(";----------------------------");
    return {rule, QStringLiteral("; Tarvex .INF file structure"), rule, QString()};
}

QString formatDocument(const TagList& tags)
{
    QString text;
    for (const QString& line : headerLines())
        text += line + crlf;
    for (const cInfTag& tag : tags)
        text += tag.formatLine() + crlf;
    return text;
}

EncodeResult encodeDocument(const TagList& tags, Encoding encoding)
{
    EncodeResult result;
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

    QStringEncoder encoder(codecName(encoding));
    result.bytes = encoder(formatDocument(tags));
    if (encoder.hasError() || !encoder.isValid()) {
        result.bytes.clear();
        result.error
            = QStringLiteral("The text could not be converted to %1.").arg(encodingName(encoding));
        return result;
    }
    result.ok = true;
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
