// The info file as bytes: its name, encoding detection, line splitting, the document's
// lines, the saved layout and the encoding check that keeps characters from being lost.
#include "document/InfFile.h"

#include "Printing.h"

#include <gtest/gtest.h>

namespace {

using edit::Encoding;

QString u(const char16_t* text)
{
    return QString::fromUtf16(text);
}

TEST(InfFile, infoFilePath_isNamedAfterTheFolder)
{
    struct Case
    {
        const char* folder;
        const char* file;
    };
    const Case cases[] = {
        {"/games/levels/toytrack", "/games/levels/toytrack/toytrack.inf"},
        {"/games/levels/toytrack/", "/games/levels/toytrack/toytrack.inf"},
        {"/a/b//", "/a/b/b.inf"},
        {"/old.set/track", "/old.set/track/track.inf"}, // a dot in a parent folder
        {"/levels/my.track", "/levels/my.track/my.track.inf"},
        {"/levels/a\\b", "/levels/a\\b/a\\b.inf"}, // a backslash is part of the name
        {"toytrack", "toytrack/toytrack.inf"},
        {"/levels/.hidden", "/levels/.hidden/.hidden.inf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(edit::infoFilePath(QString::fromLatin1(c.folder)), QString::fromLatin1(c.file))
            << c.folder;
}

TEST(InfFile, detectEncoding_utf8OnlyForValidTextBeyondAscii)
{
    struct Case
    {
        QByteArray bytes;
        Encoding expected;
        const char* why;
    };
    const Case cases[] = {
        {"", Encoding::Windows1252, "empty"},
        {"NAME\tToy\r\n", Encoding::Windows1252, "ASCII only"},
        {"NAME\tCaf\xE9 \x80\r\n", Encoding::Windows1252, "Windows-1252 e-acute and euro"},
        {"NAME\tCaf\xC3\xA9\r\n", Encoding::Utf8, "UTF-8 e-acute"},
        {"NAME\t\xE2\x82\xAC", Encoding::Utf8, "UTF-8 euro at the end"},
        {"NAME\t\xF0\x9F\x8F\x81", Encoding::Utf8, "four-byte sequence"},
        {"\xEF\xBB\xBFNAME\tToy", Encoding::Utf8, "byte order mark"},
        {"\xC3", Encoding::Windows1252, "truncated sequence"},
        {"\xE2\x82", Encoding::Windows1252, "truncated three-byte sequence"},
        {"\xC0\xAF", Encoding::Windows1252, "overlong slash"},
        {"\xE0\x80\xAF", Encoding::Windows1252, "overlong three-byte"},
        {"\xED\xA0\x80", Encoding::Windows1252, "encoded surrogate"},
        {"\xF4\x90\x80\x80", Encoding::Windows1252, "above U+10FFFF"},
        {"\xF5\x80\x80\x80", Encoding::Windows1252, "invalid lead byte"},
        {"\xC3\xA9\xE9", Encoding::Windows1252, "valid then invalid"},
        {"\x80\x81", Encoding::Windows1252, "continuation bytes alone"},
        {"\xC3\xA9\xC3\x28", Encoding::Windows1252, "bad continuation"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(edit::detectEncoding(c.bytes), c.expected) << c.why;
}

TEST(InfFile, decode_usesTheRealCodePage)
{
    EXPECT_EQ(edit::decode("Caf\xE9 \x80 \x9C \x8A", Encoding::Windows1252),
              u"Caf\u00e9 \u20ac \u0153 \u0160");
    EXPECT_EQ(edit::decode("Caf\xC3\xA9 \xE2\x82\xAC", Encoding::Utf8), u"Caf\u00e9 \u20ac");
    // The byte order mark does not become part of the first label.
    EXPECT_EQ(edit::decode("\xEF\xBB\xBFNAME", Encoding::Utf8), QStringLiteral("NAME"));
}

TEST(InfFile, everyWindows1252ByteComesBackUnchanged)
{
    // Even the five bytes the code page leaves undefined must survive a load and a save.
    QByteArray all = "X\t";
    for (int b = 0x21; b <= 0xFF; ++b) {
        if (b != ';')
            all += char(b);
    }
    const TagList tags = edit::parseDocument(edit::decode(all, Encoding::Windows1252));
    ASSERT_EQ(tags.count(), 1);
    const edit::EncodeResult encoded = edit::encodeDocument(tags, Encoding::Windows1252);
    ASSERT_TRUE(encoded.ok) << encoded.error.toStdString();
    EXPECT_TRUE(encoded.bytes.endsWith(QByteArray(all.mid(2) + "\r\n")));
}

TEST(InfFile, splitLines_atEveryKindOfLineEnd)
{
    struct Case
    {
        const char16_t* text;
        QStringList lines;
    };
    const Case cases[] = {
        {u"", {}},
        {u"a", {u"a"_qs}},
        {u"a\r\nb\r\n", {u"a"_qs, u"b"_qs}},
        {u"a\r\nb", {u"a"_qs, u"b"_qs}},
        {u"a\nb\n", {u"a"_qs, u"b"_qs}},
        {u"a\rb\r", {u"a"_qs, u"b"_qs}},
        {u"a\r\r\nb", {u"a"_qs, u""_qs, u"b"_qs}},
        {u"a\n\rb", {u"a"_qs, u""_qs, u"b"_qs}},
        {u"\r\n", {u""_qs}},
        {u"\n\n", {u""_qs, u""_qs}},
        {u"\r", {u""_qs}},
        {u"a\r\n\r\nb", {u"a"_qs, u""_qs, u"b"_qs}},
        {u"a\tb \r\n", {u"a\tb "_qs}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(edit::splitLines(u(c.text)), c.lines) << u(c.text).toStdString();
}

TEST(InfFile, parseDocument_keepsTagLinesInOrderWithRepeats)
{
    const TagList tags = edit::parseDocument(QStringLiteral(
        ";----\r\n; header\r\n\r\nNAME\tToy\r\n   \t\r\nSTARTPOS 1 2 3 ; first\r\n"
        "; between\r\nstartpos 4 5 6\r\nMP3"));
    ASSERT_EQ(tags.count(), 4);
    EXPECT_EQ(tags.at(0).tagLabel, QStringLiteral("NAME"));
    EXPECT_EQ(tags.at(1).tagLabel, QStringLiteral("STARTPOS"));
    EXPECT_EQ(tags.at(1).tagComment, QStringLiteral("; first"));
    EXPECT_EQ(tags.at(2).tagLabel, QStringLiteral("startpos"));
    EXPECT_EQ(tags.at(2).tagValue, QStringLiteral("4 5 6"));
    EXPECT_EQ(tags.at(3).tagLabel, QStringLiteral("MP3"));
    // Lookups ignore case and find the first line of a label.
    EXPECT_EQ(tags.indexOf(QStringLiteral("StartPos")), 1);
    EXPECT_EQ(tags.find(QStringLiteral("STARTPOS"))->tagValue, QStringLiteral("1 2 3"));
    EXPECT_EQ(tags.indexOf(QStringLiteral("mp")), -1);
    EXPECT_EQ(tags.find(QStringLiteral("nothing")), nullptr);
}

const QByteArray header = ";----------------------------\r\n"
                          "; Tarvex .INF file structure\r\n"
                          ";----------------------------\r\n"
                          "\r\n";

TEST(InfFile, formatDocument_headerThenOneLinePerTag)
{
    EXPECT_EQ(edit::headerLines().size(), 4);
    EXPECT_EQ(edit::formatDocument(TagList()).toLatin1(), header);

    const TagList tags = edit::parseDocument(QStringLiteral(
        "; old header\nNAME 'Toy by Ann'\nFOGCOLOR 0 0 0 ; black\n\nFARCLIP\t6000\nMP3\nMP3 x"));
    EXPECT_EQ(edit::formatDocument(tags).toLatin1(),
              header
                  + "NAME\t\t'Toy by Ann'\r\n"
                    "FOGCOLOR\t0 0 0\t\t\t\t; black\r\n"
                    "FARCLIP\t\t6000\r\n"
                    "MP3\t\t\r\n"
                    "MP3\t\tx\r\n");
}

TEST(InfFile, formattedDocumentParsesBackToTheSameTags)
{
    const QString original = QStringLiteral(
        "NAME\t'Caf\u00e9 by Ann'\r\nSTARTPOS 1 2 3\t; start\r\nA_VERY_LONG_LABEL_NAME_HERE 5\r\n"
        "X\t\t\t\t0123456789012345678901234567890123456789012345;c\r\nREPEAT 1\r\nrepeat 2\r\n");
    const TagList first = edit::parseDocument(original);
    const TagList second = edit::parseDocument(edit::formatDocument(first));
    ASSERT_EQ(second.count(), first.count());
    for (int i = 0; i < first.count(); ++i) {
        EXPECT_EQ(second.at(i).tagLabel, first.at(i).tagLabel);
        EXPECT_EQ(second.at(i).tagValue, first.at(i).tagValue);
        EXPECT_EQ(second.at(i).tagComment, first.at(i).tagComment);
    }
}

TagList oneTag(const QString& label, const QString& value, const QString& comment = QString())
{
    cInfTag tag;
    tag.tagLabel = label;
    tag.tagValue = value;
    tag.tagComment = comment;
    TagList tags;
    tags.append(tag);
    return tags;
}

TEST(InfFile, encodeDocument_writesTheDocumentsEncoding)
{
    const TagList tags = oneTag(QStringLiteral("NAME"), u"Caf\u00e9 \u20ac"_qs);
    const edit::EncodeResult ansi = edit::encodeDocument(tags, Encoding::Windows1252);
    ASSERT_TRUE(ansi.ok);
    EXPECT_EQ(ansi.bytes, header + "NAME\t\tCaf\xE9 \x80\r\n");
    EXPECT_TRUE(ansi.error.isEmpty());

    // U+FEFF inside a value is an ordinary character, not a byte order mark.
    const edit::EncodeResult zeroWidth
        = edit::encodeDocument(oneTag(u"NAME"_qs, u"\ufeffToy"_qs), Encoding::Utf8);
    ASSERT_TRUE(zeroWidth.ok) << zeroWidth.error.toStdString();
    EXPECT_EQ(zeroWidth.bytes, header + "NAME\t\t\xEF\xBB\xBFToy\r\n");

    const edit::EncodeResult utf8 = edit::encodeDocument(tags, Encoding::Utf8);
    ASSERT_TRUE(utf8.ok);
    EXPECT_EQ(utf8.bytes, header + "NAME\t\tCaf\xC3\xA9 \xE2\x82\xAC\r\n");
}

TEST(InfFile, encodeDocument_reportsWhatCannotBeWritten)
{
    struct Case
    {
        TagList tags;
        Encoding encoding;
        QStringList mentions;
    };
    QString loneSurrogate = QStringLiteral("a");
    loneSurrogate += QChar(0xD800);
    const Case cases[] = {
        {oneTag(QStringLiteral("NAME"), u"Snow \u2603"_qs),
         Encoding::Windows1252,
         {u"NAME"_qs, u"value"_qs, u"U+2603"_qs, u"Windows-1252"_qs}},
        {oneTag(QStringLiteral("STARTPOS"), QStringLiteral("1 2 3"), u"; \u0416"_qs),
         Encoding::Windows1252,
         {u"STARTPOS"_qs, u"comment"_qs, u"U+0416"_qs}},
        {oneTag(QStringLiteral("NAME"), u"\U0001F3C1"_qs),
         Encoding::Windows1252,
         {u"NAME"_qs, u"U+1F3C1"_qs}},
        {oneTag(QStringLiteral("NAME"), loneSurrogate), Encoding::Utf8, {u"NAME"_qs, u"U+D800"_qs}},
        {oneTag(QStringLiteral("NAME"), QStringLiteral("Toy\nBY Ann")),
         Encoding::Utf8,
         {u"NAME"_qs, u"line break"_qs}},
        {oneTag(QStringLiteral("NAME"), QStringLiteral("Toy\rAnn")),
         Encoding::Windows1252,
         {u"NAME"_qs, u"line break"_qs}},
    };
    for (const Case& c : cases) {
        const edit::EncodeResult result = edit::encodeDocument(c.tags, c.encoding);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.bytes.isEmpty()) << "nothing half-converted is handed out";
        for (const QString& word : c.mentions)
            EXPECT_TRUE(result.error.contains(word))
                << result.error.toStdString() << " lacks " << word.toStdString();
    }
}

TEST(InfFile, encodeDocument_countsEveryBadTag)
{
    TagList tags;
    for (const char16_t* value : {u"\u2603", u"ok", u"\u2602", u"\u2601"}) {
        cInfTag tag;
        tag.tagLabel = QStringLiteral("T%1").arg(tags.count());
        tag.tagValue = u(value);
        tags.append(tag);
    }
    const edit::EncodeResult result = edit::encodeDocument(tags, Encoding::Windows1252);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(QStringLiteral("\"T0\""))) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QStringLiteral("2 more"))) << result.error.toStdString();
}

TEST(InfFile, newFileTemplate_isTheSixteenLines)
{
    const QByteArray expected = header
        + "NAME             \r\n"
          "STARTPOS         \r\n"
          "STARTROT         \r\n"
          "STARTGRID        \r\n"
          "FARCLIP          \r\n"
          "FOGSTART         \r\n"
          "FOGCOLOR         \r\n"
          "VERTFOGSTART     \r\n"
          "VERTFOGEND       \r\n"
          "WORLDRGBPER      \r\n"
          "MODELRGBPER      \r\n"
          "INSTANCERGBPER   \r\n";
    const QByteArray bytes = edit::newFileTemplate();
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.count("\r\n"), 16);
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 4; i < 16; ++i)
        EXPECT_EQ(lines.at(i).size(), 18) << "17 characters and the CR: line " << i + 1;

    const TagList tags = edit::parseDocument(edit::decode(bytes, edit::detectEncoding(bytes)));
    ASSERT_EQ(tags.count(), 12);
    EXPECT_EQ(tags.at(0).tagLabel, QStringLiteral("NAME"));
    EXPECT_EQ(tags.at(11).tagLabel, QStringLiteral("INSTANCERGBPER"));
    for (const cInfTag& tag : tags) {
        EXPECT_TRUE(tag.tagValue.isEmpty()) << tag.tagLabel.toStdString();
        EXPECT_TRUE(tag.tagComment.isEmpty()) << tag.tagLabel.toStdString();
    }
}

} // namespace
