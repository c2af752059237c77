// Text helpers (quotes, whitespace, splitting, numbers) and the path helpers.
#include "util/fso.h"
#include "util/misc.h"

#include "support/TempTrack.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

static QString u(const char16_t* text)
{
    return QString::fromUtf16(text);
}

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

TEST(misc, splitPart_followsTheFlags)
{
    struct Split { const char16_t *text, *delim; bool after, first, keep; const char16_t* out; };
    const Split cases[] = {
        {u"/a/b", u"/", true, false, false, u"b"}, {u"/a/b/", u"/", true, false, false, u""},
        {u"a\\b", u"/", true, false, false, u""}, {u"x/a/b", u"/", true, false, true, u"/b"},
        {u"x/a/b", u"/", false, false, true, u"x/a/"}, {u"x/a/b", u"/", true, true, false, u"a/b"},
        {u"x/a/b", u"/", false, false, false, u"x/a"}, {u"x/a/b", u"/", false, true, true, u"x/"},
        {u"Toy by Ann by Bob", u" by ", true, true, false, u"Ann by Bob"},
        {u"Toy by Ann by Bob", u" by ", false, false, true, u"Toy by Ann by "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(misc::splitPart(u(c.text), u(c.delim), c.after, c.first, c.keep), u(c.out))
            << u(c.text).toStdString() << " " << c.after << c.first << c.keep;
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

TEST(fso, pathExists_admitsOnlyTheKindsTheMaskAsksFor)
{
    using namespace fso;
    TempLevels levels;
    ASSERT_TRUE(levels.isValid());
    const QString root = levels.path() + QLatin1Char('/');
    for (const char* file : {"plain.inf", ".hidden.inf", "readonly.inf", "star*.inf"})
        levels.writeFile(QString::fromLatin1(file), "x");
    QFile::setPermissions(root + QStringLiteral("readonly.inf"), QFileDevice::ReadOwner);
    for (const char* folder : {"track", ".hiddenTrack", "old.set/track"})
        levels.makeFolder(QString::fromLatin1(folder));
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + QStringLiteral("pipe.inf")).constData(), 0644), 0);
    QFile::link(root + QStringLiteral("missing.inf"), root + QStringLiteral("dangling.inf"));
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
    };
    for (const auto& c : cases) {
        QString path = root + QString::fromLatin1(c.entry);
        EXPECT_EQ(pathExists(path, c.attributes), c.expected) << c.entry << " " << c.attributes;
        EXPECT_EQ(path, fixPath(root + QString::fromLatin1(c.entry), true)) << "argument fixed";
    }
    QString withNul = root + QStringLiteral("plain.inf");
    withNul += QChar(0);
    EXPECT_FALSE(pathExists(withNul, 0)) << "a NUL must not cut the name short";
}
