// The info file end to end: the line grammar and line rule, loading real track folders,
// the bytes saving produces, and the binding between the tags and the window's editors.
#include "document/edit.h"
#include "util/misc.h"

#include "support/TempTrack.h"

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using edit::Rgb;

// Failures show text with control codes and non-ASCII characters as \uXXXX.
void PrintTo(const QString& text, std::ostream* out)
{
    for (const QChar c : QString(u'"' + text + u'"'))
        *out << (c.unicode() < 127 && c.isPrint()
                     ? QString(c)
                     : u"\\u%1"_s.arg(uint(c.unicode()), 4, 16, QChar(u'0'))).toStdString();
}

namespace {

cInfTag parsed(const QString& line)
{
    cInfTag tag;
    tag.setOrigLine(line);
    return tag;
}

// "label|value|comment" of each record, one per line; takes a TagList or {tag, ...}.
template <typename Tags = std::initializer_list<cInfTag>>
QString fields(const Tags& tags)
{
    QStringList lines;
    for (const cInfTag& tag : tags)
        lines.append(tag.tagLabel + u'|' + tag.tagValue + u'|' + tag.tagComment);
    return lines.join(u'\n');
}

TEST(cInfTag, parsesLinesByTheGrammar)
{
    const struct { QString line, fields; } cases[] = {
        {u"NAME\t'Toy World 1'"_s, u"NAME|'Toy World 1'|"_s}, {u"MP3"_s, u"MP3||"_s},
        {u"FOGCOLOR 0 0 0     ; black"_s, u"FOGCOLOR|0 0 0|; black"_s},
        {u"   ; comment only"_s, u"||; comment only"_s}, {u" \t \t "_s, u"||"_s},
        {u"NAME 'A;B'"_s, u"NAME|'A|;B'"_s}, // quotes mean nothing to the reader
        {u"FOGCOLOR 1  2 3"_s, u"FOGCOLOR|1  2 3|"_s}, {u"X ;a;b ; "_s, u"X||;a;b ;"_s},
        {u"AB CD\tE"_s, u"AB|CD\tE|"_s}, {u"AB\tCD E"_s, u"AB|CD E|"_s}, // the first one splits
        {u"\t STARTPOS\t1 2 3\t "_s, u"STARTPOS|1 2 3|"_s}, {u"A\x01 B\x01"_s, u"A|B|"_s},
        {u"A\x01" u"B C"_s, u"A\x01" u"B|C|"_s}, {u"A\u00a0B C"_s, u"A\u00a0B|C|"_s},
        {u"NAME\t\t'Caf\u00e9 \u20ac'\t\t; \u00e9"_s, u"NAME|'Caf\u00e9 \u20ac'|; \u00e9"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fields({parsed(c.line)}), c.fields) << testing::PrintToString(c.line);
}

TEST(cInfTag, formatLine_tabsAtEveryWidthBoundary)
{
    // Values start at column 16 and comments at column 40 (tab stops every 8); long labels keep
    // one tab, a line of 40 to 47 characters before its comment gets none, a longer one one.
    for (const auto& [length, tabs] : {std::pair(7, 2), {8, 1}, {15, 1}, {16, 1}, {24, 1}}) {
        const QString label(length, u'L');
        EXPECT_EQ(parsed(label + u" v"_s).formatLine(), label + QString(tabs, u'\t') + u'v');
    }
    const std::pair<int, int> widths[] = {{5, 5},  {8, 4},  {16, 3}, {24, 2}, {31, 2}, {32, 1},
                                          {39, 1}, {40, 0}, {47, 0}, {48, 1}, {200, 1}};
    for (const auto& [width, tabs] : widths) { // "ABC", 2 tabs, value, comment
        const QString first = u"ABC\t\t"_s + QString(width - 5, u'9');
        EXPECT_EQ(parsed(first + u"; c"_s).formatLine(), first + QString(tabs, u'\t') + u"; c"_s);
    }
}

TEST(cInfTag, anyLineSurvivesFormatAndParse)
{
    // Random lines over an alphabet that stresses the grammar; the seed keeps runs alike.
    const QString alphabet = u"ABCxyz019 \t\t  ;;'\"=-.,\x01\x1f\x7f\r\n\u00a0\u00e9\u20ac"_s;
    std::mt19937 random(20240611u);
    for (int i = 0; i < 20000; ++i) {
        QString line;
        for (auto n = random() % 71; n > 0; --n)
            line += alphabet.at(random() % alphabet.size());
        const cInfTag first = parsed(line);
        if (first.tagLabel.isEmpty())
            continue; // blank and comment-only lines are never written
        ASSERT_EQ(fields({parsed(first.formatLine())}), fields({first}))
            << testing::PrintToString(line);
        // A value typed in the editor (no ";") reads back without whitespace at its ends.
        cInfTag edited = first;
        edited.tagValue = line.remove(u';');
        const QString out = edited.formatLine();
        ASSERT_EQ(parsed(out).tagValue, misc::trimWhite(line)) << testing::PrintToString(out);
    }
}

// Stands in for the window: keeps what each editor shows and, like the window's change
// handlers, writes a changed name or slider back unless the program is filling controls.
struct View : edit::EditorView
{
    explicit View(edit::State& state) : state(state) {}
    void showNameAndAuthor(const QString& newName, const QString& newAuthor) override
    {
        std::tie(name, author) = std::tie(newName, newAuthor);
        if (!state.loading)
            edit::setTagValue(state, *this, u"name"_s, edit::joinNameAndAuthor(name, author));
    }
    void setSliderPosition(int index, int position) override
    {
        sliders.at(index) = position;
        if (!state.loading)
            edit::setTagValue(state, *this, QString::fromLatin1(edit::sliderTags.at(index)),
                              QString::number(position));
    }
    void setRowValue(int row, const QString& value) override
    {
        ASSERT_TRUE(row >= 0 && row < rows.size()) << row;
        rows[row][2] = value, ++rowUpdates;
    }
    void appendRow(const QString& key, const QString& label, const QString& value) override
    {
        EXPECT_TRUE(state.loading) << "the program fills the list";
        rows.append({key, label, value});
    }
    void showFolderName(const QString& text) override { folder = text; }
    QString selectedFolder() const override { return selected; }
    void setNumericText(int index, const QString& text) override { numerics.at(index) = text; }
    void showFogSwatch(Rgb colour) override { swatch = colour; }
    void showFogCaption(const QString& text) override { caption = text; }
    void clearRows() override { rows.clear(), ++rowClears; }

    // What the text editors and the caption show, then the sliders and swatch as text.
    QStringList texts() const
    {
        QStringList shown{name, author, folder, numerics[0], numerics[1], caption};
        for (const int position : sliders)
            shown << QString::number(position);
        return shown << u"%1 %2 %3"_s.arg(swatch.red).arg(swatch.green).arg(swatch.blue);
    }

    edit::State& state;
    QString selected, name, author, folder, caption;
    std::array<int, edit::sliderCount> sliders{};
    std::array<QString, edit::numericCount> numerics;
    Rgb swatch;
    QList<QStringList> rows;
    int rowUpdates = 0, rowClears = 0;
};

const QByteArray fullTrack = "NAME 'Toy World by Ann'\r\nSTARTPOS 1 2 3 ; a\r\nstartpos 4 5 6\r\n"
                             "FARCLIP 6000.5 ; far\r\nFOGSTART 6001.5\r\nFOGCOLOR 300 128 0\r\n"
                             "VERTFOGSTART -2000\r\nVERTFOGEND abc\r\nWORLDRGBPER 99.5\r\n"
                             "MODELRGBPER 101\r\nINSTANCERGBPER 0.5\r\n";

class Track : public testing::Test
{
protected:
    QString load(const QString& folder)
    { return edit::loadTrack(state, view, view.selected = folder); }
    // One row per record in document order: lower-case key, label, value.
    QList<QStringList> rowsOfDocument() const
    {
        QList<QStringList> rows;
        for (const cInfTag& tag : state.tagList)
            rows.append({tag.tagLabel.toLower(), tag.tagLabel, tag.tagValue});
        return rows;
    }
    void expectCleared() const
    {
        EXPECT_EQ(view.texts().join(u'|'), u"|||||Red:\nGreen:\nBlue:|0|0|0|0|0|0 0 0"_s);
        EXPECT_TRUE(view.rows.isEmpty() && !state.loading);
    }

    TempLevels levels;
    edit::State state;
    View view{state};
};

TEST_F(Track, loadsEveryTagLineInFileOrder)
{
    const auto ansi = edit::Encoding::Windows1252, utf8 = edit::Encoding::Utf8;
    const QString cafe = u"NAME|'Caf\u00e9 \u20ac'|\nMP3|x|; \u00e9"_s;
    struct Case { QString folder; QByteArray bytes; QString fields; edit::Encoding encoding; };
    const Case cases[] = {
        {u"crlf"_s, "; head\r\n\r\nNAME\t'Toy by Ann'\r\nFARCLIP\t6000 ; far\r\n",
         u"NAME|'Toy by Ann'|\nFARCLIP|6000|; far"_s, ansi},
        {u"lf"_s, "NAME\tLine Feeds\nFARCLIP 5000\n", u"NAME|Line Feeds|\nFARCLIP|5000|"_s, ansi},
        {u"lone.cr"_s, "NAME\tReturns\rFARCLIP 4000\r", u"NAME|Returns|\nFARCLIP|4000|"_s, ansi},
        {u"mixedNoFinal"_s, "A 1\r\r\nB 2\n\rC 3", u"A|1|\nB|2|\nC|3|"_s, ansi},
        {u"empty"_s, "", QString(), ansi},
        {u"comments"_s, ";---\r\n; only\r\n\r\n  \t\r\n   ; indented\r\n", QString(), ansi},
        {u"repeated"_s, "NAME Two\r\nSTARTPOS 1 ; a\r\nX 1\r\nstartpos 2 ; b\r\nSTARTPOS 3\r\n",
         u"NAME|Two|\nSTARTPOS|1|; a\nX|1|\nstartpos|2|; b\nSTARTPOS|3|"_s, ansi},
        {u"ansi"_s, "NAME\t'Caf\xE9 \x80'\r\nMP3 x ; \xE9\r\n", cafe, ansi},
        {u"utf8"_s, "NAME\t'Caf\xC3\xA9 \xE2\x82\xAC'\r\nMP3 x ; \xC3\xA9\r\n", cafe, utf8},
        {u"bom"_s, "\xEF\xBB\xBFNAME Toy\r\n", u"NAME|Toy|"_s, utf8}, // the mark is no label
        {u"badUtf8"_s, "A \xC3\xA9\xC3\x28", u"A|\u00c3\u00a9\u00c3(|"_s, ansi},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        EXPECT_EQ(load(levels.makeTrack(c.folder, c.bytes)), QString());
        EXPECT_TRUE(state.fileLoaded && !state.loading && state.encoding == c.encoding);
        EXPECT_EQ(fields(state.tagList), c.fields);
        EXPECT_EQ(view.rows, rowsOfDocument());
    }
}

// An absent or unusable file is no error; one that exists but cannot be read is reported.
// Either way nothing of the track loaded before stays. (Binary, huge and unreadable info
// files: tst_badInputs.)
TEST_F(Track, folderWithoutReadableInfoFileEmptiesEverything)
{
    const QString base = levels.path() + u'/';
    for (const char* name : {".hidden", "wild*"})
        levels.makeTrack(QLatin1String(name), "NAME x\r\n");
    levels.makeFolder(u"isPipe"_s); // opening a pipe to read it would wait for ever
    ASSERT_EQ(::mkfifo(QFile::encodeName(base + u"isPipe/isPipe.inf"_s).constData(), 0644), 0);
    // The process's memory file opens but fails to read at offset 0, even for root.
    levels.makeFolder(u"readError"_s);
    QFile::link(u"/proc/self/mem"_s, base + u"readError/readError.inf"_s);
    for (const auto& [name, reported] : {std::pair(".hidden", false), {"wild*", false},
             {"isPipe", false}, {"missing", false}, {"", false}, {"readError", true}}) {
        SCOPED_TRACE(name);
        const QString folder = *name ? base + QString::fromLatin1(name) : QString();
        ASSERT_EQ(load(levels.makeTrack(u"full"_s, fullTrack)), QString());
        const QString why = load(folder);
        EXPECT_TRUE(reported ? why.contains(edit::infoFilePath(folder)) : why.isEmpty())
            << why.toStdString();
        EXPECT_TRUE(!state.fileLoaded && state.tagList.isEmpty());
        expectCleared();
    }
}

TEST_F(Track, savedBytesKeepTheEncodingAndRefuseWhatItCannotHold)
{
    const auto save = [this] { return edit::encodeDocument(state.tagList, state.encoding); };
    const QByteArray header = edit::formatDocument({}).toLatin1();
    // Every Windows-1252 byte, the five undefined ones too, comes back unchanged.
    QByteArray all;
    for (int b = 0x21; b <= 0xFF; ++b)
        all += b == ';' ? ':' : char(b);
    ASSERT_EQ(load(levels.makeTrack(u"allBytes"_s, "X " + all + "\n")), QString());
    EXPECT_EQ(save().bytes, header + "X\t\t" + all + "\r\n") << save().error.toStdString();
    for (const QString& broken : {u"Toy\nby Ann"_s, u"Toy\rby Ann"_s, u"\u00e9\r\n"_s}) {
        edit::setTagValue(state, view, u"x"_s, broken);
        EXPECT_TRUE(save().error.contains(u"line break"_s)) << save().error.toStdString();
    }
    ASSERT_EQ(load(levels.makeTrack(u"three"_s, "A \xE9\nB x\nC \x80\n")), QString());
    edit::setTagValue(state, view, u"a"_s, u"\u2603"_s);
    edit::setTagValue(state, view, u"c"_s, u"\u2603"_s);
    const edit::EncodeResult refused = save(); // nothing half-converted is handed out
    EXPECT_TRUE(!refused.ok && refused.bytes.isEmpty()
                && refused.error.endsWith(u"\"A\" holds the character \"\u2603\" (U+2603), "
                                          u"which a Windows-1252 file cannot hold. 1 more tags "
                                          u"cannot be written either."_s))
        << refused.error.toStdString();

    ASSERT_EQ(load(levels.makeTrack(u"utf8"_s, "NAME Caf\xC3\xA9\n")), QString());
    EXPECT_EQ(save().bytes, header + "NAME\t\tCaf\xC3\xA9\r\n") << save().error.toStdString();
    edit::setTagValue(state, view, u"name"_s, u"Snow \u2603"_s);
    EXPECT_TRUE(save().ok) << "UTF-8 holds it";
}

// After each edit the document is saved and shown again from the bytes written: all as a
// fresh load of the file shows it, with only the rows whose value the file changed updated
// while the labels stay, and the rows rebuilt when they do not.
TEST_F(Track, reloadAfterSave_equalsAFreshLoadAndShowsOnlyWhatChanged)
{
    const struct { const char* what; std::function<void(edit::State&, View&)> edit;
                   int updates; bool rebuilt; } cases[] = {
        {"nothing", [](edit::State&, View&) {}, 0, false},
        {"fog colour keeps no trailing space", [](edit::State& s, View& v) {
             edit::setTagValue(s, v, u"fogcolor"_s, edit::fogColourValue({1, 2, 3}));
         }, 1, false},
        {"a value's ';' starts a comment", [](edit::State& s, View& v) {
             edit::setTagValue(s, v, u"startpos"_s, u"7 ;8"_s);
             edit::setTagValue(s, v, u"name"_s, u"  Spaced  "_s);
         }, 2, false},
        {"a label that splits", [](edit::State& s, View&) { s.tagList[2].tagLabel = u"A B"_s; },
         0, true},
        {"a NUL is refused as on loading", [](edit::State& s, View& v) {
             edit::setTagValue(s, v, u"mp3"_s, QString(QChar(0)));
         }, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder =
            levels.makeTrack(u"saved"_s, "; head\r\n" + fullTrack + "MP3 \xE9\r\n");
        ASSERT_EQ(load(folder), QString());
        c.edit(state, view);
        const edit::EncodeResult saved = edit::encodeDocument(state.tagList, state.encoding);
        ASSERT_TRUE(saved.ok) << saved.error.toStdString();
        levels.writeFile(u"saved/saved.inf"_s, saved.bytes);
        std::tie(view.rowUpdates, view.rowClears) = std::pair(0, 0);
        const QString reloaded = edit::reloadTrack(state, view, folder, saved.bytes);

        edit::State fresh;
        View shown(fresh);
        EXPECT_EQ(reloaded, edit::loadTrack(fresh, shown, shown.selected = folder));
        ASSERT_EQ(state.tagList.count(), fresh.tagList.count());
        for (qsizetype i = 0; i < state.tagList.count(); ++i)
            EXPECT_EQ(state.tagList[i].origLine(), fresh.tagList[i].origLine()) << i;
        EXPECT_EQ(fields(state.tagList), fields(fresh.tagList));
        EXPECT_EQ(std::tuple(state.fileLoaded, state.encoding, state.loading,
                             edit::isModified(state)),
                  std::tuple(fresh.fileLoaded, fresh.encoding, false, false));
        EXPECT_EQ(view.rows, shown.rows);
        EXPECT_EQ(view.texts(), shown.texts());
        EXPECT_EQ(std::pair(view.rowUpdates, view.rowClears > 0), std::pair(c.updates, c.rebuilt));
    }
}

TEST_F(Track, editorsShowTheTagsAndEditsChangeOnlyTheirRecord)
{
    ASSERT_EQ(load(levels.makeTrack(u"full"_s, fullTrack) + u"//"_s), QString());
    EXPECT_EQ(view.texts().join(u'|'), u"Toy World|Ann|full|-2000|abc|Red: 300\nGreen: 128\n"
                                       u"Blue: 0|6000|6002|100|0|0|255 128 0"_s);
    // Written back, the sliders would have made "6000.5" "6000" and "101" "0", and the
    // name would have lost its quotes.
    EXPECT_EQ(fields(state.tagList), fields(edit::parseDocument(QString::fromLatin1(fullTrack))));
    state.loading = true; // no row changes while loading
    edit::setTagValue(state, view, u"name"_s, u"Quiet"_s);
    state.loading = false;
    EXPECT_EQ(edit::getTagValue(state, u"NAME"_s) + view.rows.at(0).at(2),
              u"Quiet'Toy World by Ann'"_s);
    edit::setTagValue(state, view, u"name"_s, u"Toy"_s);
    edit::setTagValue(state, view, u"StartPos"_s, u"9 9 9"_s); // the first of a repeated label
    edit::setTagValueAt(state, view, 2, u"0 0 0"_s);          // the row edited in the list
    for (const int outOfRange : {-1, 11})
        edit::setTagValueAt(state, view, outOfRange, u"x"_s);
    edit::setTagValue(state, view, u"mirrors"_s, u"1"_s); // a missing label creates nothing
    EXPECT_EQ(fields(state.tagList), fields(edit::parseDocument(QString::fromLatin1(fullTrack)
        .replace(u"'Toy World by Ann'"_s, u"Toy"_s).replace(u"1 2 3"_s, u"9 9 9"_s)
        .replace(u"4 5 6"_s, u"0 0 0"_s))));
    EXPECT_EQ(view.rows, rowsOfDocument());

    edit::clearEditors(state, view);
    EXPECT_EQ(state.tagList.count(), 11) << "the document is not the editors'";
    expectCleared();
}

// Whether the info file is still the one read: its size, then its content (a new modification
// time alone is no change); a file gone, or none loaded, is missing. (The editor's own saves:
// tst_frmMainSafety.)
TEST_F(Track, diskStateTellsAnotherProgramsChangeFromTheFileAsRead)
{
    const QString folder = levels.makeFolder(u"full"_s), file = folder + u"/full.inf"_s;
    const QDateTime earlier = QDateTime::currentDateTime().addSecs(-60), now = earlier.addSecs(60);
    const auto write = [&](const QByteArray& bytes, const QDateTime& time) {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size()
               && out.setFileTime(time, QFileDevice::FileModificationTime);
    };
    using D = edit::DiskState;
    const struct { QByteArray bytes; QDateTime time; D seen; } cases[] = {
        {fullTrack, now, D::Unchanged},
        {fullTrack + "MP3 x\r\n", now, D::Changed},
        {QByteArray(fullTrack).replace("6000.5", "6000.6"), earlier, D::Changed}, // size, time kept
        {{}, {}, D::Missing}, // removed
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(write(fullTrack, earlier));
        ASSERT_EQ(load(folder), QString());
        ASSERT_TRUE(c.bytes.isNull() ? QFile::remove(file) : write(c.bytes, c.time));
        EXPECT_EQ(edit::diskState(state), c.seen) << c.bytes.size();
    }
    ASSERT_EQ(load(levels.makeFolder(u"none"_s)), QString());
    EXPECT_EQ(edit::diskState(state), D::Missing);
}

TEST(Binding, nameAndAuthorSplitAtTheFirstBy)
{
    const struct { QString value, name, author; } cases[] = {
        {u"'Toy World by Ann'"_s, u"Toy World"_s, u"Ann"_s}, {u"Toy BY Ann"_s, u"Toy"_s, u"Ann"_s},
        {u"Byzantium"_s, u"Byzantium"_s, {}}, {u"Toy by Ann by Bob"_s, u"Toy"_s, u"Ann by Bob"_s},
        {u"Toy\tby Ann"_s, u"Toy\tby Ann"_s, {}}, {u" by Ann"_s, {}, u"Ann"_s},
        {u"'Toy' by 'Ann'"_s, u"Toy"_s, u"Ann"_s}, {u"It's by O'Neil"_s, u"It's"_s, u"O'Neil"_s},
        // A character whose lower case is two characters must not shift the split.
        {u"\u0130\u0130\u0130 BY \u0130"_s, u"\u0130\u0130\u0130"_s, u"\u0130"_s},
        {u"\U0001D400 bY \U0001D401"_s, u"\U0001D400"_s, u"\U0001D401"_s}, // two units each
    };
    for (const auto& c : cases) {
        const auto [name, author] = edit::splitNameAndAuthor(c.value);
        EXPECT_EQ(name + u'|' + author, c.name + u'|' + c.author);
    }
}

TEST(Binding, sliderPositionRoundsHalvesToEvenAndZeroesTheRest)
{
    const struct { QString value; int max, position; } cases[] = {
        {u"6000.5"_s, 20000, 6000}, {u"6001.5"_s, 20000, 6002}, {u"6000.51"_s, 20000, 6001},
        {u"2.5"_s, 100, 2}, {u"99.5"_s, 100, 100}, {u"100"_s, 100, 100}, {u"100.4"_s, 100, 0},
        {u"25000"_s, 20000, 0}, {u"-1"_s, 100, 0}, {u" 50 "_s, 100, 50}, {u"5e1"_s, 100, 50},
        {u"1e999"_s, 20000, 0}, {u"abc"_s, 100, 0}, {QString(), 100, 0}, {u"50,5"_s, 100, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edit::sliderPositionFor(c.value, 0, c.max), c.position) << c.value.toStdString();
}

TEST_F(Track, fogColourShowsWhatItCanAndLeavesTheRestAsItWas)
{
    ASSERT_EQ(load(levels.makeTrack(u"fog"_s, "FOGCOLOR 0 0 0\r\n")), QString());
    const Rgb kept{1, 2, 3};
    const struct { QString value; std::optional<Rgb> colour; QString caption; } cases[] = {
        {u"255 128 0"_s, Rgb{255, 128, 0}, u"Red: 255\nGreen: 128\nBlue: 0"_s},
        {u"300 0 0 4"_s, Rgb{255, 0, 0}, u"Red: 300\nGreen: 0\nBlue: 0"_s},
        {u"64.6 0.5 1.5"_s, Rgb{65, 0, 2}, u"Red: 64.6\nGreen: 0.5\nBlue: 1.5"_s},
        {u"-0.4 0 32767"_s, Rgb{0, 0, 255}, u"Red: -0.4\nGreen: 0\nBlue: 32767"_s},
        {u"1 2"_s, {}, {}}, {QString(), {}, {}}, {u"1\t2\t3"_s, {}, {}},
        {u"1  2 3"_s, {}, u"Red: 1\nGreen: \nBlue: 2"_s}, // two spaces make an empty part
        {u"a b c"_s, {}, u"Red: a\nGreen: b\nBlue: c"_s},
        {u"-1 0 0"_s, {}, u"Red: -1\nGreen: 0\nBlue: 0"_s},
        {u"32767.5 0 0"_s, {}, u"Red: 32767.5\nGreen: 0\nBlue: 0"_s},
        {u"1 2 "_s, {}, u"Red: 1\nGreen: 2\nBlue: "_s},
        {u"9 8 7"_s + u" 1"_s.repeated(100000), Rgb{9, 8, 7}, u"Red: 9\nGreen: 8\nBlue: 7"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        std::tie(view.swatch, view.caption) = std::tuple(kept, u"kept"_s);
        edit::setTagValue(state, view, u"fogcolor"_s, c.value);
        edit::fillEditors(state, view);
        EXPECT_EQ(std::pair(view.swatch, view.caption),
                  std::pair(c.colour.value_or(kept), c.caption.isNull() ? u"kept"_s : c.caption));
    }
}

} // namespace
