// Text helpers (quotes, whitespace, numbers) and the path helpers.
#include "util/fso.h"
#include "util/misc.h"

#include "support/TempTrack.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

static QString u(const char16_t* text) { return QString::fromUtf16(text); }

TEST(misc, stripQuotesAndTrimWhite_changeOnlyTheEnds)
{
    const auto quotes = misc::stripQuotes, white = misc::trimWhite;
    const struct { QString (*apply)(QString&); const char16_t *input, *expected; } cases[] = {
        {quotes, u"'", u""}, {quotes, u"'''", u"'"}, {quotes, u"''a''", u"'a'"},
        {quotes, u"'Toy", u"Toy"}, {quotes, u"Toy'", u"Toy"}, {quotes, u"it's", u"it's"},
        {quotes, u" 'a' ", u" 'a' "}, {quotes, u"\u2019a\u2019", u"\u2019a\u2019"},
        {white, u"\t ab c\r\n", u"ab c"}, {white, u" \t\r\n", u""}, {white, u"", u""},
        {white, u"\x01\x1f" u"a\x1f", u"a"}, {white, u"!a\x7f", u"!a\x7f"},
        {white, u"\u00a0a\u3000", u"\u00a0a\u3000"}, // only codes up to 32 are whitespace
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(u(c.input).toStdString());
        QString text = u(c.input);
        EXPECT_EQ(c.apply(text), u(c.expected));
        EXPECT_EQ(text, u(c.expected)) << "the argument holds the result too";
    }
}

TEST(misc, isNumeric_acceptsPlainDecimalNumbersOnly)
{
    for (const char16_t* text : {u"0", u"-2000", u"+5", u"1.", u".5", u"-.5", u" 42 ", u"1E5",
                                 u"  -1.25e+3 ", u"1e-5", u"123456789012345678901234567890"})
        EXPECT_TRUE(misc::isNumeric(u(text))) << u(text).toStdString();
    for (const char16_t* text : {u"", u" ", u".", u"-", u"1e", u"1e+", u"e5", u"1.2.3", u"1,5",
                                 u"inf", u"nan", u"0x1A", u"&H1A", u"1 2", u"- 1", u"1-", u"++1",
                                 u"1e5.5", u"\t1", u"\u0661", u"\uff11", u"12abc", u"1d5"})
        EXPECT_FALSE(misc::isNumeric(u(text))) << u(text).toStdString();
}

TEST(fso, fixPath_normalisesTrailingSeparatorsAndMarksFolders)
{
    const struct { const char *path; bool addSeparator; const char* expected; } cases[] = {
        {"/a/b//", true, "/a/b/"}, {"/a/b", true, "/a/b/"}, {"", true, "/"},
        {"/a/x.inf", true, "/a/x.inf"}, {"/old.set/track", true, "/old.set/track"},
        {"/a/b///", false, "/a/b"}, {"/", false, ""}, {"a\\b\\", false, "a\\b\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fso::fixPath(QString::fromLatin1(c.path), c.addSeparator),
                  QString::fromLatin1(c.expected)) << c.path << " " << c.addSeparator;
}

// Names are the file system's bytes: "Caf\xE9" is found, not "Café" in UTF-8 beside it.
TEST(fso, pathExists_admitsOnlyTheKindsTheMaskAsksFor)
{
    using namespace fso;
    TempLevels levels;
    const QByteArray root = QFile::encodeName(levels.path()) + '/';
    for (const char* folder : {"track", ".hiddenTrack", "old.set/track", "Caf\xC3\xA9"})
        levels.makeFolder(QString::fromUtf8(folder));
    ASSERT_EQ(::mkdir(QByteArray(root + "Caf\xE9").constData(), 0755), 0);
    for (const char* file :
         {"plain.inf", ".hidden.inf", "readonly.inf", "star*.inf", "Caf\xE9/Caf\xE9.inf"})
        ASSERT_TRUE(writeAt(root + file, "x"));
    ASSERT_EQ(::chmod(QByteArray(root + "readonly.inf").constData(), 0400), 0);
    ASSERT_EQ(::mkfifo(QByteArray(root + "pipe.inf").constData(), 0644), 0);
    ASSERT_EQ(::symlink(QByteArray(root + "missing.inf").constData(),
                        QByteArray(root + "dangling.inf").constData()), 0);
    const struct { const char* entry; int attributes; bool expected; } cases[] = {
        {"plain.inf", 0, true}, {"plain.inf", attrDirectory, false},
        {"plain.inf", attrHidden, false}, {"plain.inf", attrReadOnly, false},
        {"readonly.inf", attrReadOnly, true}, {"plain.inf", attrArchive, true},
        {".hidden.inf", 0, false}, {".hidden.inf", attrHidden, true}, {"dangling.inf", 0, false},
        {"track", 0, false}, {"track//", attrDirectory, true}, {"missing", attrDirectory, false},
        {"old.set/track", attrDirectory, true}, {".hiddenTrack", attrDirectory, false},
        {".hiddenTrack", attrDirectory | attrHidden, true}, {"pipe.inf", 0, false},
        {"pipe.inf", attrSystem, true}, {"plain.inf/x.inf", 0, false},
        {"star*.inf", 0, false}, {"plai?.inf", 0, false}, {"*", attrDirectory, false}, // wildcards
        {"Caf\xE9", attrDirectory, true}, {"Caf\xE9/Caf\xE9.inf", 0, true},
        {"Caf\xC3\xA9/Caf\xC3\xA9.inf", 0, false},
    };
    const auto at = [&](const char* entry) { return decodeName(QByteArray(root + entry)); };
    for (const auto& c : cases) {
        QString path = at(c.entry);
        EXPECT_EQ(pathExists(path, c.attributes), c.expected) << c.entry << " " << c.attributes;
        EXPECT_EQ(path, fixPath(at(c.entry), true)) << "argument fixed";
    }
    QString withNul = at("plain.inf") + QChar(0);
    EXPECT_FALSE(pathExists(withNul, 0)) << "a NUL must not cut the name short";
}

// Names are the file system's bytes. UTF-8 reads as its characters; any other byte is held as
// one lone surrogate and written back as itself, so every name leads back to its own entry.
// Shown, such a byte reads as its Windows-1252 character.
TEST(fso, namesKeepTheFileSystemsBytes_andShowOtherBytesAsWindows1252)
{
    const struct { QByteArray bytes; const char16_t *text, *shown; } cases[] = {
        {"toytrack", u"toytrack", u"toytrack"},
        {"Caf\xC3\xA9 \xE2\x82\xAC", u"Café €", u"Café €"},                 // UTF-8
        {"Caf\xE9", u"Caf\xDCE9", u"Café"},                                   // Windows-1252
        {"\x80\x81\x8D\x9F\xA0\xFF", u"\xDC80\xDC81\xDC8D\xDC9F\xDCA0\xDCFF", // its gaps
         u"€\\x81\\x8DŸ\u00a0ÿ"},
        {"a\xC3", u"a\xDCC3", u"aÃ"}, {"\xC3(", u"\xDCC3(", u"Ã("},         // cut short
        {"\xE2\x82\xAC\xE2\x82", u"€\xDCE2\xDC82", u"€â‚"},
        {"\xC0\x80", u"\xDCC0\xDC80", u"À€"},                                 // overlong
        {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80", u"í\u00a0€"},                 // a surrogate
        {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80", u"ô\\x90€€"},      // past U+10FFFF
        // U+10080 is a pair whose second half lies among the bytes' surrogates: a character.
        {"\xF0\x90\x82\x80\xE9", u"\xD800\xDC80\xDCE9", u"\xD800\xDC80é"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        const QString text = fso::decodeName(c.bytes);
        EXPECT_EQ(text, u(c.text));
        EXPECT_EQ(fso::encodeName(text), c.bytes);
        EXPECT_EQ(fso::displayPath(text), u(c.shown));
        // Stored as text, what is not UTF-8 becomes a file URL; everything else stays itself.
        const QString stored = fso::toStoredText(u"/levels/"_s + text);
        EXPECT_EQ(fso::fromStoredText(stored), u"/levels/"_s + text);
        EXPECT_EQ(stored.startsWith(u"file:///levels/"_s), text != fso::displayPath(text));
    }
    // As every earlier run stored the folder: plain paths, whatever they hold, read as they are.
    for (const QString& earlier : {u"/levels/Caf%E9"_s, u"/a b/file:/c"_s, u""_s, u"relative"_s})
        EXPECT_EQ(fso::fromStoredText(earlier), earlier);
    EXPECT_EQ(fso::toStoredText(u"/l/Caf\xDCE9 %"_s), u"file:///l/Caf%E9%20%25"_s);
}
