// Text helpers: quote stripping, whitespace trimming, path splitting and number recognition.
#include "util/misc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

QString u(const char16_t* text)
{
    return QString::fromUtf16(text);
}

struct TextCase
{
    const char16_t* input;
    const char16_t* expected;
};

TEST(misc, stripQuotes_removesAtMostOneApostropheFromEachEnd)
{
    const TextCase cases[] = {
        {u"'", u""},           {u"''", u""},         {u"'''", u"'"},
        {u"''a''", u"'a'"},    {u"a", u"a"},         {u"'a", u"a"},
        {u"a'", u"a"},         {u"'Toy World'", u"Toy World"},
        {u"it's", u"it's"},    {u"", u""},           {u" 'a' ", u" 'a' "},
        {u"\u2019a\u2019", u"\u2019a\u2019"}, // typographic quotes are text
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(u(c.input).toStdString());
        QString text = u(c.input);
        const QString result = misc::stripQuotes(text);
        EXPECT_EQ(result, u(c.expected));
        EXPECT_EQ(text, u(c.expected)) << "the argument holds the result too";
    }
}

TEST(misc, trimWhite_removesEveryControlCodeAndSpaceFromBothEnds)
{
    const TextCase cases[] = {
        {u"\t ab c\t", u"ab c"},
        {u" \t\r\n \t", u""},
        {u"", u""},
        {u"\x01\x1f" u"a\x1f\x01", u"a"},
        {u"a b\tc", u"a b\tc"},       // inner whitespace stays
        {u"\u00a0a\u00a0", u"\u00a0a\u00a0"}, // a non-breaking space is not whitespace here
        {u"!a!", u"!a!"},             // 33 is the first code that stops trimming
        {u"\x7f" u"a", u"\x7f" u"a"}, // DEL is above 32
        {u" \u3000a", u"\u3000a"},    // nor is an ideographic space
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(u(c.input).toStdString());
        QString text = u(c.input);
        EXPECT_EQ(misc::trimWhite(text), u(c.expected));
        EXPECT_EQ(text, u(c.expected));
    }
    QString withNul = QStringLiteral("a");
    withNul.prepend(QChar(0));
    withNul.append(QChar(0));
    EXPECT_EQ(misc::trimWhite(withNul), QStringLiteral("a"));
}

TEST(misc, splitPart_followsTheFlags)
{
    struct Case
    {
        const char16_t* text;
        const char16_t* delimiter;
        bool after;
        bool fromStart;
        bool keep;
        const char16_t* expected;
    };
    const Case cases[] = {
        // The only use in the editor: the last component of a path.
        {u"/a/b", u"/", true, false, false, u"b"},
        {u"C:", u"/", true, false, false, u""},
        {u"/a/b/", u"/", true, false, false, u""},
        {u"a\\b", u"/", true, false, false, u""}, // a backslash is an ordinary character
        {u"x/a/b", u"/", true, false, true, u"/b"},
        {u"x/a/b", u"/", false, false, true, u"x/a/"},
        {u"x/a/b", u"/", false, false, false, u"x/a"},
        {u"x/a/b", u"/", true, true, false, u"a/b"},
        {u"x/a/b", u"/", true, true, true, u"/a/b"},
        {u"x/a/b", u"/", false, true, true, u"x/"},
        {u"x/a/b", u"/", false, true, false, u"x"},
        {u"/lead", u"/", false, true, false, u""},
        {u"Toy by Ann by Bob", u" by ", true, true, false, u"Ann by Bob"},
        {u"Toy by Ann by Bob", u" by ", false, true, true, u"Toy by "},
        {u"Toy by Ann by Bob", u" by ", false, false, false, u"Toy by Ann"},
        {u"Toy", u"", true, true, false, u""}, // an empty delimiter never occurs
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u(c.text).toStdString() + " | " + u(c.delimiter).toStdString());
        EXPECT_EQ(misc::splitPart(u(c.text), u(c.delimiter), c.after, c.fromStart, c.keep),
                  u(c.expected));
    }
}

TEST(misc, isNumeric_acceptsPlainDecimalNumbersOnly)
{
    const char16_t* accepted[] = {
        u"0", u"6000", u"-2000", u"+5", u"1.5", u"1.", u".5", u"-.5", u"00012",
        u" 42 ", u"   -1.25e+3  ", u"1e5", u"1E5", u"1e-5", u"2.5E+10", u".5e1",
        u"123456789012345678901234567890", u"1e999",
    };
    for (const char16_t* text : accepted)
        EXPECT_TRUE(misc::isNumeric(u(text))) << u(text).toStdString();

    const char16_t* rejected[] = {
        u"", u" ", u".", u"-", u"+", u"-.", u"1e", u"1e+", u"e5", u".e5", u"1.2.3",
        u"1,5", u"1,000", u"inf", u"-inf", u"Infinity", u"nan", u"NaN", u"0x1A", u"&H1A",
        u"1 2", u"- 1", u"1-", u"++1", u"1e5.5", u"\t1", u"1\t", u"\u0661",
        u"\uff11", u"1 e5", u"abc", u"12abc", u"$5", u"1d5",
    };
    for (const char16_t* text : rejected)
        EXPECT_FALSE(misc::isNumeric(u(text))) << u(text).toStdString();
}

TEST(misc, toNumber_readsTheValueWithAPointAsDecimalSeparator)
{
    struct Case
    {
        const char16_t* text;
        double expected;
    };
    const Case cases[] = {
        {u"6000", 6000.0}, {u"-2000", -2000.0}, {u"+5", 5.0},     {u"1.5", 1.5},
        {u"1.", 1.0},      {u".5", 0.5},        {u" 42 ", 42.0},  {u"-1.25e+3", -1250.0},
        {u"5E1", 50.0},    {u"1e-5", 1e-5},     {u"1,5", 0.0},    {u"abc", 0.0},
        {u"", 0.0},        {u"inf", 0.0},       {u"0x10", 0.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(misc::toNumber(u(c.text)), c.expected) << u(c.text).toStdString();

    // Out of a double's range: the nearest answers, so range checks still reject them.
    EXPECT_TRUE(std::isinf(misc::toNumber(QStringLiteral("1e999"))));
    EXPECT_GT(misc::toNumber(QStringLiteral("1e999")), 0.0);
    EXPECT_LT(misc::toNumber(QStringLiteral("-1e999")), 0.0);
    EXPECT_EQ(misc::toNumber(QStringLiteral("1e-999")), 0.0);
}

} // namespace
