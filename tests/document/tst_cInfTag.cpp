// The tag record: the line grammar, the line rule of saved files, and the guarantee that
// every written line reads back as the record it came from.
#include "document/cInfTag.h"

#include "Printing.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QString u(const char16_t* text)
{
    return QString::fromUtf16(text);
}

cInfTag parsed(const QString& line)
{
    cInfTag tag;
    tag.setOrigLine(line);
    return tag;
}

std::string show(const QString& text)
{
    std::string out;
    for (const QChar c : text) {
        if (c.unicode() < 32 || c.unicode() > 126)
            out += "\\u"
                   + QString::number(c.unicode(), 16)
                         .rightJustified(4, QLatin1Char('0'))
                         .toStdString();
        else
            out += char(c.unicode());
    }
    return out;
}

TEST(cInfTag, parsesLinesByTheGrammar)
{
    struct Case
    {
        const char16_t* line;
        const char16_t* label;
        const char16_t* value;
        const char16_t* comment;
    };
    const Case cases[] = {
        {u"NAME\t'Toy World 1'", u"NAME", u"'Toy World 1'", u""},
        {u"FOGCOLOR 0 0 0     ; black", u"FOGCOLOR", u"0 0 0", u"; black"},
        {u"   ; comment only", u"", u"", u"; comment only"},
        {u"MP3", u"MP3", u"", u""},
        {u"FARCLIP\t6000 ;far", u"FARCLIP", u"6000", u";far"},
        {u"NAME 'A;B'", u"NAME", u"'A", u";B'"}, // quotes mean nothing to the reader
        {u"FOGCOLOR  1 2 3", u"FOGCOLOR", u"1 2 3", u""},
        {u"FOGCOLOR 1  2 3", u"FOGCOLOR", u"1  2 3", u""},
        {u"AB CD\tE", u"AB", u"CD\tE", u""}, // a tab after a space does not split
        {u"AB\tCD E", u"AB", u"CD E", u""},
        {u"\t STARTPOS\t1 2 3\t ", u"STARTPOS", u"1 2 3", u""},
        {u" \t \t ", u"", u"", u""},
        {u"", u"", u"", u""},
        {u";", u"", u"", u";"},
        {u"X;", u"X", u"", u";"},
        {u"X ;a;b ; ", u"X", u"", u";a;b ;"},
        {u"LABEL\x01 value", u"LABEL", u"value", u""}, // control codes at the label's end go
        {u"A\x01" u"B C", u"A\x01" u"B", u"C", u""},    // but inside it they stay
        {u"A\u00a0B C", u"A\u00a0B", u"C", u""},        // a non-breaking space is text
        {u"NAME\t\t'Caf\u00e9 \u20ac'\t\t; \u00e9", u"NAME", u"'Caf\u00e9 \u20ac'", u"; \u00e9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(show(u(c.line)));
        const cInfTag tag = parsed(u(c.line));
        EXPECT_EQ(tag.tagLabel, u(c.label));
        EXPECT_EQ(tag.tagValue, u(c.value));
        EXPECT_EQ(tag.tagComment, u(c.comment));
    }
}

TEST(cInfTag, origLineIsTrimmedOnlyWhenThereIsNoComment)
{
    EXPECT_EQ(parsed(QStringLiteral("  FARCLIP 6000\t")).origLine(),
              QStringLiteral("FARCLIP 6000"));
    EXPECT_EQ(parsed(QStringLiteral("  FARCLIP 6000 ; far ")).origLine(),
              QStringLiteral("  FARCLIP 6000 ; far "));
}

TEST(cInfTag, parsingAssignsOnlyWhatItFinds)
{
    cInfTag tag;
    tag.tagValue = QStringLiteral("kept");
    tag.tagComment = QStringLiteral(";kept");
    tag.setOrigLine(QStringLiteral("MP3"));
    EXPECT_EQ(tag.tagLabel, QStringLiteral("MP3"));
    EXPECT_EQ(tag.tagValue, QStringLiteral("kept"));
    EXPECT_EQ(tag.tagComment, QStringLiteral(";kept"));
}

cInfTag record(const QString& label, const QString& value, const QString& comment = QString())
{
    cInfTag tag;
    tag.tagLabel = label;
    tag.tagValue = value;
    tag.tagComment = comment;
    return tag;
}

TEST(cInfTag, formatLine_tabsAfterLabelAtEveryLength)
{
    // Tab stops every 8 columns put values in column 16; labels of 16 or more characters
    // still get one tab so the value stays apart.
    for (int length = 0; length <= 25; ++length) {
        SCOPED_TRACE(length);
        const QString label(length, QLatin1Char('L'));
        const int tabs = length <= 7 ? 2 : 1;
        EXPECT_EQ(record(label, QStringLiteral("v")).formatLine(),
                  label + QString(tabs, QLatin1Char('\t')) + QStringLiteral("v"));
        if (length > 0) {
            const cInfTag back = parsed(record(label, QStringLiteral("v")).formatLine());
            EXPECT_EQ(back.tagLabel, label);
            EXPECT_EQ(back.tagValue, QStringLiteral("v"));
        }
    }
}

TEST(cInfTag, formatLine_tabsBeforeCommentAtEveryWidth)
{
    // The first part is "ABC", two tabs and a value: width = 5 + value length.
    struct Case
    {
        int width;
        int tabs;
    };
    const Case cases[] = {
        {5, 5},  {7, 5},  {8, 4},  {15, 4}, {16, 3}, {23, 3}, {24, 2}, {31, 2}, {32, 1},
        {39, 1}, {40, 0}, {47, 0}, {48, 1}, {49, 1}, {55, 1}, {56, 1}, {200, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const QString value(c.width - 5, QLatin1Char('9'));
        const cInfTag tag = record(QStringLiteral("ABC"), value, QStringLiteral("; note"));
        const QString first = QStringLiteral("ABC\t\t") + value;
        ASSERT_EQ(first.size(), c.width);
        EXPECT_EQ(tag.formatLine(),
                  first + QString(c.tabs, QLatin1Char('\t')) + QStringLiteral("; note"));
        const cInfTag back = parsed(tag.formatLine());
        EXPECT_EQ(back.tagLabel, QStringLiteral("ABC"));
        EXPECT_EQ(back.tagValue, value);
        EXPECT_EQ(back.tagComment, QStringLiteral("; note"));
    }
}

TEST(cInfTag, formatLine_knownShapes)
{
    EXPECT_EQ(record(QStringLiteral("NAME"), QString()).formatLine(), QStringLiteral("NAME\t\t"));
    EXPECT_EQ(record(QStringLiteral("FOGCOLOR"), QStringLiteral("0 0 0"), QStringLiteral("; black"))
                  .formatLine(),
              QStringLiteral("FOGCOLOR\t0 0 0\t\t\t\t; black"));
    EXPECT_EQ(record(QStringLiteral("FARCLIP"), QStringLiteral("6000")).formatLine(),
              QStringLiteral("FARCLIP\t\t6000"));
    // Spaces around a value are written as they are and trimmed by the next read.
    EXPECT_EQ(record(QStringLiteral("FOGCOLOR"), QStringLiteral("0 0 255 ")).formatLine(),
              QStringLiteral("FOGCOLOR\t0 0 255 "));
    EXPECT_EQ(parsed(QStringLiteral("FOGCOLOR\t0 0 255 ")).tagValue, QStringLiteral("0 0 255"));
    // A value holding ";" is written as such; its tail becomes the comment when read again.
    const cInfTag semicolon
        = parsed(record(QStringLiteral("NAME"), QStringLiteral("A;B")).formatLine());
    EXPECT_EQ(semicolon.tagValue, QStringLiteral("A"));
    EXPECT_EQ(semicolon.tagComment, QStringLiteral(";B"));
}

// Random text from an alphabet that stresses the grammar: separators, control codes,
// semicolons, apostrophes and characters beyond ASCII.
class TextMaker
{
public:
    explicit TextMaker(unsigned seed) : m_random(seed) {}

    QString text(int maximumLength, const QString& alphabet)
    {
        const int length = std::uniform_int_distribution<int>(0, maximumLength)(m_random);
        QString out;
        for (int i = 0; i < length; ++i)
            out += alphabet.at(
                std::uniform_int_distribution<int>(0, int(alphabet.size()) - 1)(m_random));
        return out;
    }
    bool coin() { return std::uniform_int_distribution<int>(0, 1)(m_random) == 1; }

private:
    std::mt19937 m_random;
};

const QString anyCharacter
    = u(u"ABCxyz019 \t\t  ;;'\"=-.,\x01\x1f\x7f\r\n\u00a0\u00e9\u20ac\u3000");

bool sameRecord(const cInfTag& a, const cInfTag& b)
{
    return a.tagLabel == b.tagLabel && a.tagValue == b.tagValue && a.tagComment == b.tagComment;
}

TEST(cInfTag, anyParsedLineSurvivesFormatAndParse)
{
    TextMaker maker(20240611u);
    for (int i = 0; i < 20000; ++i) {
        const QString line = maker.text(70, anyCharacter);
        const cInfTag first = parsed(line);
        if (first.tagLabel.isEmpty())
            continue; // blank and comment-only lines are never written
        const QString written = first.formatLine();
        const cInfTag second = parsed(written);
        ASSERT_TRUE(sameRecord(first, second))
            << "line " << show(line) << "\nwritten " << show(written) << "\nlabel "
            << show(second.tagLabel) << " value " << show(second.tagValue) << " comment "
            << show(second.tagComment);
    }
}

TEST(cInfTag, editedValuesReadBackTrimmed)
{
    // Records as the editor holds them after an edit: a label from a file, any value
    // without ";" (spaces and tabs around it included) and a comment from a file.
    TextMaker maker(7u);
    const QString labelCharacters = u(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789\u00e9\x01");
    const QString valueCharacters = u(u"0123456789 .-\t'abcXYZ\x01\u00a0\u20ac");
    for (int i = 0; i < 20000; ++i) {
        QString label = maker.text(30, labelCharacters);
        while (!label.isEmpty() && label.front().unicode() <= 32)
            label.remove(0, 1);
        while (!label.isEmpty() && label.back().unicode() <= 32)
            label.chop(1);
        if (label.isEmpty())
            label = QStringLiteral("X");
        const QString value = maker.text(60, valueCharacters);
        QString comment;
        if (maker.coin()) {
            comment = QStringLiteral(";") + maker.text(20, valueCharacters + QStringLiteral(";"));
            while (comment.back().unicode() <= 32)
                comment.chop(1);
        }
        const cInfTag tag = record(label, value, comment);
        const cInfTag back = parsed(tag.formatLine());
        QString trimmedValue = value;
        while (!trimmedValue.isEmpty() && trimmedValue.front().unicode() <= 32)
            trimmedValue.remove(0, 1);
        while (!trimmedValue.isEmpty() && trimmedValue.back().unicode() <= 32)
            trimmedValue.chop(1);
        ASSERT_EQ(back.tagLabel, label) << show(tag.formatLine());
        ASSERT_EQ(back.tagValue, trimmedValue) << show(tag.formatLine());
        ASSERT_EQ(back.tagComment, comment) << show(tag.formatLine());
    }
}

} // namespace
