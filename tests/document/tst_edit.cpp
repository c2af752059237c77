// Loading a track folder and the binding between its tags and the window's editors, with a
// recording view standing in for the window.
#include "document/edit.h"

#include "Printing.h"
#include "RecordingView.h"
#include "support/TempTrack.h"

#include <QDir>
#include <QFile>
#include <QScopedValueRollback>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using edit::Encoding;
using edit::Rgb;

QString u(const char16_t* text)
{
    return QString::fromUtf16(text);
}

struct Record
{
    QString label;
    QString value;
    QString comment;
};

void expectDocument(const edit::State& state, const QList<Record>& expected)
{
    ASSERT_EQ(state.tagList.count(), expected.size());
    for (int i = 0; i < state.tagList.count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(state.tagList.at(i).tagLabel, expected.at(i).label);
        EXPECT_EQ(state.tagList.at(i).tagValue, expected.at(i).value);
        EXPECT_EQ(state.tagList.at(i).tagComment, expected.at(i).comment);
    }
}

// The rows the attribute list must show for the loaded document.
QList<RecordingView::Row> rowsOf(const edit::State& state)
{
    QList<RecordingView::Row> rows;
    for (const cInfTag& tag : state.tagList)
        rows.append({tag.tagLabel.toLower(), tag.tagLabel, tag.tagValue});
    return rows;
}

void expectClearedEditors(const RecordingView& view)
{
    EXPECT_EQ(view.name, QString());
    EXPECT_EQ(view.author, QString());
    EXPECT_EQ(view.folderName, QString());
    for (int position : view.sliders)
        EXPECT_EQ(position, 0);
    for (const QString& text : view.numerics)
        EXPECT_EQ(text, QString());
    EXPECT_EQ(view.swatch, (Rgb{0, 0, 0}));
    EXPECT_EQ(view.caption, QStringLiteral("Red:\nGreen:\nBlue:"));
    EXPECT_TRUE(view.rows.isEmpty());
}

class Loading : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(levels.isValid()); }

    QString load(const QString& folder)
    {
        view.selected = folder;
        return edit::loadTrack(state, view, folder);
    }

    TempLevels levels;
    edit::State state;
    RecordingView view{state};
};

TEST_F(Loading, fixturesReadIntoTheDocumentInFileOrder)
{
    struct Case
    {
        const char* fixture;
        QList<Record> records;
        Encoding encoding;
    };
    const Case cases[] = {
        {"crlfLineEnds",
         {{u"NAME"_qs, u"'Toy World by Ann'"_qs, {}},
          {u"FARCLIP"_qs, u"6000"_qs, u"; far"_qs},
          {u"FOGCOLOR"_qs, u"255 128 0"_qs, {}}},
         Encoding::Windows1252},
        {"lfLineEnds",
         {{u"NAME"_qs, u"Line Feeds"_qs, {}},
          {u"FARCLIP"_qs, u"5000"_qs, {}},
          {u"FOGSTART"_qs, u"2500"_qs, {}}},
         Encoding::Windows1252},
        {"crLineEnds",
         {{u"NAME"_qs, u"Carriage Returns"_qs, {}},
          {u"FARCLIP"_qs, u"4000"_qs, {}},
          {u"FOGSTART"_qs, u"2000"_qs, {}}},
         Encoding::Windows1252},
        {"noFinalLineEnd",
         {{u"NAME"_qs, u"No End"_qs, {}}, {u"MP3"_qs, u"last.mp3"_qs, {}}},
         Encoding::Windows1252},
        {"emptyFile", {}, Encoding::Windows1252},
        {"onlyComments", {}, Encoding::Windows1252},
        {"repeatedTags",
         {{u"NAME"_qs, u"Twice"_qs, {}},
          {u"STARTPOS"_qs, u"1 2 3"_qs, u"; first grid"_qs},
          {u"MIRRORS"_qs, u"1 0.5 0.2 100"_qs, {}},
          {u"startpos"_qs, u"4 5 6"_qs, u"; second grid"_qs},
          {u"STARTPOS"_qs, u"7 8 9"_qs, {}}},
         Encoding::Windows1252},
        {"windows1252Text",
         {{u"NAME"_qs, u(u"'Caf\u00e9 \u20ac by Ren\u00e9'"), {}},
          {u"MP3"_qs, u(u"caf\u00e9.mp3"), u(u"; \u00e9t\u00e9")}},
         Encoding::Windows1252},
        {"utf8Text",
         {{u"NAME"_qs, u(u"'Caf\u00e9 \u20ac by Ren\u00e9'"), {}},
          {u"MP3"_qs, u(u"caf\u00e9.mp3"), u(u"; \u00e9t\u00e9")}},
         Encoding::Utf8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const QString folder = levels.copyFixture(QString::fromLatin1(c.fixture));
        EXPECT_EQ(load(folder), QString());
        EXPECT_TRUE(state.fileLoaded);
        EXPECT_FALSE(state.loading);
        EXPECT_EQ(state.encoding, c.encoding);
        expectDocument(state, c.records);
        EXPECT_EQ(view.rows, rowsOf(state)) << "one row per tag line, in file order";
        EXPECT_EQ(view.folderName, QString::fromLatin1(c.fixture));
    }
}

TEST_F(Loading, editorsShowTheTagsAndNothingIsWrittenBackWhileFilling)
{
    const QString folder = levels.copyFixture(QStringLiteral("fullTrack"));
    ASSERT_EQ(load(folder), QString());

    EXPECT_EQ(view.name, QStringLiteral("Toy World"));
    EXPECT_EQ(view.author, QStringLiteral("Ann"));
    EXPECT_EQ(view.folderName, QStringLiteral("fullTrack"));
    // FARCLIP 6000.5, FOGSTART 6001.5, WORLDRGBPER 99.5, MODELRGBPER 101, INSTANCERGBPER 0.5
    EXPECT_EQ(view.sliders, (std::array<int, 5>{6000, 6002, 100, 0, 0}));
    EXPECT_EQ(view.numerics[0], QStringLiteral("-2000"));
    EXPECT_EQ(view.numerics[1], QStringLiteral("abc")); // shown unchanged, even when not a number
    EXPECT_EQ(view.swatch, (Rgb{255, 128, 0}));
    EXPECT_EQ(view.caption, QStringLiteral("Red: 300\nGreen: 128\nBlue: 0"));

    // The view's handlers saw `loading` on every call, so no value was rewritten from the
    // controls (sliders would have turned "6000.5" into "6000" and "101" into "0").
    EXPECT_FALSE(view.loadingDuringCall.contains(false)) << view.calls.join(u' ').toStdString();
    EXPECT_FALSE(state.loading);
    EXPECT_EQ(edit::getTagValue(state, QStringLiteral("FARCLIP")), QStringLiteral("6000.5"));
    EXPECT_EQ(edit::getTagValue(state, QStringLiteral("MODELRGBPER")), QStringLiteral("101"));
    EXPECT_EQ(edit::getTagValue(state, QStringLiteral("NAME")),
              QStringLiteral("'Toy World by Ann'"));
    EXPECT_FALSE(view.calls.join(u' ').contains(QStringLiteral("setRowValue")));
    EXPECT_EQ(view.rows, rowsOf(state));
}

TEST_F(Loading, folderWithoutUsableInfoFileEmptiesEverything)
{
    struct Case
    {
        const char* what;
        QString folder;
    };
    const QString base = levels.path();
    levels.makeFolder(QStringLiteral("noInfFile"));
    levels.makeFolder(QStringLiteral("infIsFolder/infIsFolder.inf"));
    levels.makeFolder(QStringLiteral("infIsPipe"));
    ::mkfifo(QFile::encodeName(base + QStringLiteral("/infIsPipe/infIsPipe.inf")).constData(),
             0644);
    levels.makeTrack(QStringLiteral("wild*"), "NAME x\r\n");
    levels.makeFolder(QStringLiteral("danglingLink"));
    QFile::link(base + QStringLiteral("/gone.inf"),
                base + QStringLiteral("/danglingLink/danglingLink.inf"));
    const Case cases[] = {
        {"no info file", base + QStringLiteral("/noInfFile")},
        {"hidden info file", levels.copyFixture(QStringLiteral(".hiddenInfFile"))},
        {"folder named like the file", base + QStringLiteral("/infIsFolder")},
        {"pipe named like the file", base + QStringLiteral("/infIsPipe")},
        {"folder that does not exist", base + QStringLiteral("/missing")},
        {"wildcard in the name", base + QStringLiteral("/wild*")},
        {"dangling link", base + QStringLiteral("/danglingLink")},
        {"empty path", QString()},
    };
    const QString previous = levels.copyFixture(QStringLiteral("crlfLineEnds"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(load(previous), QString());
        ASSERT_TRUE(state.fileLoaded);
        view.forgetCalls();

        EXPECT_EQ(load(c.folder), QString()) << "an absent file is not an error";
        EXPECT_FALSE(state.fileLoaded);
        EXPECT_FALSE(state.loading);
        EXPECT_TRUE(state.tagList.isEmpty());
        EXPECT_EQ(state.encoding, Encoding::Windows1252);
        expectClearedEditors(view);
        EXPECT_FALSE(view.loadingDuringCall.contains(false));
    }
}

TEST_F(Loading, unreadableFileIsReportedAndLeavesAnEmptyDocument)
{
    const QString pathWithNoPermission
        = levels.makeTrack(QStringLiteral("noPermission"), "NAME secret\r\n");
    const QString file = pathWithNoPermission + QStringLiteral("/noPermission.inf");
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::Permissions()));
    QFile probe(file);
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "this user reads files without read permission (root)";

    ASSERT_EQ(load(levels.copyFixture(QStringLiteral("crlfLineEnds"))), QString());
    const QString reason = load(pathWithNoPermission);
    EXPECT_TRUE(reason.contains(file)) << reason.toStdString();
    EXPECT_FALSE(state.fileLoaded);
    EXPECT_FALSE(state.loading);
    EXPECT_TRUE(state.tagList.isEmpty());
    expectClearedEditors(view);
}

TEST_F(Loading, readErrorIsReportedAndLeavesAnEmptyDocument)
{
    // A file whose reading fails after it opened: the process's own memory file, which
    // gives an input/output error at offset 0. Runs as root too.
    const QString folder = levels.makeFolder(QStringLiteral("readError"));
    const QString file = folder + QStringLiteral("/readError.inf");
    if (!QFile::exists(QStringLiteral("/proc/self/mem"))
        || !QFile::link(QStringLiteral("/proc/self/mem"), file))
        GTEST_SKIP() << "no /proc/self/mem here";

    ASSERT_EQ(load(levels.copyFixture(QStringLiteral("crlfLineEnds"))), QString());
    const QString reason = load(folder);
    EXPECT_TRUE(reason.contains(file)) << reason.toStdString();
    EXPECT_FALSE(state.fileLoaded);
    EXPECT_FALSE(state.loading);
    EXPECT_TRUE(state.tagList.isEmpty());
    expectClearedEditors(view);
}

TEST_F(Loading, fileFarTooLargeIsReported)
{
    const QString folder = levels.makeTrack(QStringLiteral("huge"), "NAME x\r\n");
    QFile file(folder + QStringLiteral("/huge.inf"));
    ASSERT_TRUE(file.resize(16 * 1024 * 1024 + 1)); // sparse: costs no disk
    const QString reason = load(folder);
    EXPECT_TRUE(reason.contains(QStringLiteral("too large"))) << reason.toStdString();
    EXPECT_FALSE(state.fileLoaded);
    EXPECT_TRUE(state.tagList.isEmpty());
    expectClearedEditors(view);
}

TEST_F(Loading, secondLoadKeepsNothingOfTheFirst)
{
    ASSERT_EQ(load(levels.copyFixture(QStringLiteral("repeatedTags"))), QString());
    ASSERT_EQ(state.tagList.count(), 5);
    ASSERT_EQ(load(levels.copyFixture(QStringLiteral("lfLineEnds"))), QString());
    ASSERT_EQ(state.tagList.count(), 3);
    EXPECT_EQ(view.rows, rowsOf(state));
    EXPECT_EQ(state.tagList.indexOf(QStringLiteral("STARTPOS")), -1);
}

TEST_F(Loading, folderPathFormsAreAccepted)
{
    const QString plain = levels.makeTrack(QStringLiteral("toytrack"), "NAME Toy\r\n");
    const QString dotted = levels.makeTrack(QStringLiteral("my.track"), "NAME Dotted\r\n");
    const QString dottedParent = levels.makeFolder(QStringLiteral("old.set/inner"));
    levels.writeFile(QStringLiteral("old.set/inner/inner.inf"), "NAME Inner\r\n");
    struct Case
    {
        QString folder;
        const char* name;
    };
    const Case cases[] = {
        {plain, "Toy"},
        {plain + QStringLiteral("/"), "Toy"},
        {plain + QStringLiteral("//"), "Toy"},
        {dotted, "Dotted"},
        {dottedParent, "Inner"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        EXPECT_EQ(load(c.folder), QString());
        EXPECT_TRUE(state.fileLoaded);
        EXPECT_EQ(edit::getTagValue(state, QStringLiteral("name")), QString::fromLatin1(c.name));
    }
}

TEST_F(Loading, savedBytesReadBackInTheSameEncoding)
{
    struct Case
    {
        const char* fixture;
        Encoding encoding;
        QByteArray eAcute;
    };
    const Case cases[] = {
        {"windows1252Text", Encoding::Windows1252, "\xE9"},
        {"utf8Text", Encoding::Utf8, "\xC3\xA9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const QString folder = levels.copyFixture(QString::fromLatin1(c.fixture));
        ASSERT_EQ(load(folder), QString());
        const QList<Record> before
            = {{state.tagList.at(0).tagLabel, state.tagList.at(0).tagValue, {}},
               {state.tagList.at(1).tagLabel, state.tagList.at(1).tagValue,
                state.tagList.at(1).tagComment}};
        const edit::EncodeResult encoded = edit::encodeDocument(state.tagList, state.encoding);
        ASSERT_TRUE(encoded.ok) << encoded.error.toStdString();
        EXPECT_TRUE(encoded.bytes.contains(QByteArray(QByteArray("Caf") + c.eAcute)));
        levels.writeFile(QString::fromLatin1(c.fixture) + QLatin1Char('/')
                             + QString::fromLatin1(c.fixture) + QStringLiteral(".inf"),
                         encoded.bytes);
        ASSERT_EQ(load(folder), QString());
        EXPECT_EQ(state.encoding, c.encoding);
        expectDocument(state, before);
    }
}

TEST_F(Loading, characterTheFileCannotHoldIsReportedWithItsTag)
{
    ASSERT_EQ(load(levels.copyFixture(QStringLiteral("windows1252Text"))), QString());
    edit::setTagValue(state, view, QStringLiteral("mp3"), u(u"snow\u2603.mp3"));
    const edit::EncodeResult encoded = edit::encodeDocument(state.tagList, state.encoding);
    EXPECT_FALSE(encoded.ok);
    EXPECT_TRUE(encoded.error.contains(QStringLiteral("\"MP3\""))) << encoded.error.toStdString();

    ASSERT_EQ(load(levels.copyFixture(QStringLiteral("utf8Text"))), QString());
    edit::setTagValue(state, view, QStringLiteral("mp3"), u(u"snow\u2603.mp3"));
    EXPECT_TRUE(edit::encodeDocument(state.tagList, state.encoding).ok) << "UTF-8 holds it";
}

TEST(Binding, nameAndAuthorSplitAtTheFirstBy)
{
    struct Case
    {
        const char16_t* value;
        const char16_t* name;
        const char16_t* author;
    };
    const Case cases[] = {
        {u"'Toy World by Ann'", u"Toy World", u"Ann"},
        {u"Toy World BY Ann", u"Toy World", u"Ann"},
        {u"Toy World By Ann", u"Toy World", u"Ann"},
        {u"Byzantium", u"Byzantium", u""},
        {u"Toy by Ann by Bob", u"Toy", u"Ann by Bob"},
        {u"Toy Worldby Ann", u"Toy Worldby Ann", u""},
        {u"Toy\tby Ann", u"Toy\tby Ann", u""}, // only spaces around "by" count
        {u" by Ann", u"", u"Ann"},
        {u"Toy by ", u"Toy", u""},
        {u"'Quoted'", u"Quoted", u""},
        {u"''Twice''", u"'Twice'", u""},
        {u"'Toy' by 'Ann'", u"Toy", u"Ann"},
        {u"It's by O'Neil", u"It's", u"O'Neil"},
        {u"", u"", u""},
        // A character whose lower case is two characters must not shift the split.
        {u"\u0130stanbul by Ann", u"\u0130stanbul", u"Ann"},
        {u"\u0130\u0130\u0130 BY \u0130", u"\u0130\u0130\u0130", u"\u0130"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u(c.value).toStdString());
        const edit::NameAndAuthor split = edit::splitNameAndAuthor(u(c.value));
        EXPECT_EQ(split.name, u(c.name));
        EXPECT_EQ(split.author, u(c.author));
    }
}

TEST(Binding, nameAndAuthorJoinedForWriting)
{
    EXPECT_EQ(edit::joinNameAndAuthor(u"Toy World"_qs, u"Ann"_qs), u"Toy World by Ann"_qs);
    EXPECT_EQ(edit::joinNameAndAuthor(u"Toy World"_qs, QString()), u"Toy World"_qs);
    EXPECT_EQ(edit::joinNameAndAuthor(QString(), u"Ann"_qs), u" by Ann"_qs);
    EXPECT_EQ(edit::joinNameAndAuthor(QString(), QString()), QString());
}

TEST(Binding, sliderPositionRoundsHalvesToEvenAndZeroesTheRest)
{
    struct Case
    {
        const char16_t* value;
        int maximum;
        int position;
    };
    const Case cases[] = {
        {u"6000", 20000, 6000},   {u"6000.5", 20000, 6000}, {u"6001.5", 20000, 6002},
        {u"6000.49", 20000, 6000}, {u"6000.51", 20000, 6001}, {u"25000", 20000, 0},
        {u"20000", 20000, 20000}, {u"20000.4", 20000, 0},  {u"0", 20000, 0},
        {u"0.5", 100, 0},         {u"1.5", 100, 2},         {u"2.5", 100, 2},
        {u"99.5", 100, 100},      {u"100.5", 100, 0},       {u"-1", 100, 0},
        {u"-0.4", 100, 0},        {u" 50 ", 100, 50},       {u"5e1", 100, 50},
        {u"1e999", 20000, 0},     {u"abc", 20000, 0},       {u"", 20000, 0},
        {u"50,5", 100, 0},        {u"0x20", 100, 0},        {u"inf", 100, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(edit::sliderPositionFor(u(c.value), 0, c.maximum), c.position)
            << u(c.value).toStdString();
}

TEST(Binding, fogColourAndCaptionFromTheValue)
{
    struct Case
    {
        const char16_t* value;
        std::optional<Rgb> colour;
        const char16_t* caption; // nullptr: the caption step fails
    };
    const Case cases[] = {
        {u"255 128 0", Rgb{255, 128, 0}, u"Red: 255\nGreen: 128\nBlue: 0"},
        {u"300 0 0", Rgb{255, 0, 0}, u"Red: 300\nGreen: 0\nBlue: 0"},
        {u"0 0 255 ", Rgb{0, 0, 255}, u"Red: 0\nGreen: 0\nBlue: 255"},
        {u"1 2", std::nullopt, nullptr},
        {u"", std::nullopt, nullptr},
        {u"1 2 3 4", Rgb{1, 2, 3}, u"Red: 1\nGreen: 2\nBlue: 3"},
        {u"1  2 3", std::nullopt, u"Red: 1\nGreen: \nBlue: 2"}, // two spaces make an empty part
        {u"1\t2\t3", std::nullopt, nullptr},
        {u"a b c", std::nullopt, u"Red: a\nGreen: b\nBlue: c"},
        {u"-1 0 0", std::nullopt, u"Red: -1\nGreen: 0\nBlue: 0"},
        {u"-0.4 0 0", Rgb{0, 0, 0}, u"Red: -0.4\nGreen: 0\nBlue: 0"}, // rounds to 0
        {u"64.6 0.5 1.5", Rgb{65, 0, 2}, u"Red: 64.6\nGreen: 0.5\nBlue: 1.5"},
        {u"32767 0 0", Rgb{255, 0, 0}, u"Red: 32767\nGreen: 0\nBlue: 0"},
        {u"32767.5 0 0", std::nullopt, u"Red: 32767.5\nGreen: 0\nBlue: 0"},
        {u"32768 0 0", std::nullopt, u"Red: 32768\nGreen: 0\nBlue: 0"},
        {u"0 0 1e999", std::nullopt, u"Red: 0\nGreen: 0\nBlue: 1e999"},
        {u"1,5 0 0", std::nullopt, u"Red: 1,5\nGreen: 0\nBlue: 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u(c.value).toStdString());
        EXPECT_EQ(edit::fogColourFrom(u(c.value)), c.colour);
        const std::optional<QString> caption = edit::fogCaptionFrom(u(c.value));
        if (c.caption)
            EXPECT_EQ(caption, std::optional<QString>(u(c.caption)));
        else
            EXPECT_FALSE(caption.has_value());
    }
}

TEST(Binding, chosenColourIsWrittenWithTrailingSpace)
{
    EXPECT_EQ(edit::fogColourValue(Rgb{0, 0, 255}), QStringLiteral("0 0 255 "));
    EXPECT_EQ(edit::fogCaption(Rgb{0, 0, 255}), QStringLiteral("Red: 0\nGreen: 0\nBlue: 255"));
    EXPECT_EQ(edit::emptyFogCaption(), QStringLiteral("Red:\nGreen:\nBlue:"));
    for (const Rgb colour : {Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{12, 200, 7}})
        EXPECT_EQ(edit::fogColourFrom(edit::fogColourValue(colour)), colour);
}

class Editing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(levels.isValid());
        ASSERT_EQ(edit::loadTrack(state, view, levels.copyFixture(QStringLiteral("repeatedTags"))),
                  QString());
        view.forgetCalls();
    }

    cInfTag& at(int index) { return state.tagList[index]; }

    TempLevels levels;
    edit::State state;
    RecordingView view{state};
};

TEST_F(Editing, setTagValueChangesTheFirstRecordOfTheLabelAndItsRow)
{
    edit::setTagValue(state, view, QStringLiteral("StartPos"), QStringLiteral("9 9 9"));
    EXPECT_EQ(at(1).tagValue, QStringLiteral("9 9 9"));
    EXPECT_EQ(at(3).tagValue, QStringLiteral("4 5 6"));
    EXPECT_EQ(at(4).tagValue, QStringLiteral("7 8 9"));
    EXPECT_EQ(view.rows.at(1).value, QStringLiteral("9 9 9"));
    EXPECT_EQ(view.rows.at(3).value, QStringLiteral("4 5 6"));
    EXPECT_EQ(view.calls, QStringList{QStringLiteral("setRowValue1")});
    EXPECT_EQ(at(1).tagComment, QStringLiteral("; first grid")) << "only the value changes";
    EXPECT_EQ(edit::getTagValue(state, QStringLiteral("STARTPOS")), QStringLiteral("9 9 9"));
}

TEST_F(Editing, setTagValueNeverCreatesARecord)
{
    edit::setTagValue(state, view, QStringLiteral("farclip"), QStringLiteral("8000"));
    edit::setTagValue(state, view, QString(), QStringLiteral("x"));
    EXPECT_EQ(state.tagList.count(), 5);
    EXPECT_EQ(edit::getTagValue(state, QStringLiteral("farclip")), QString());
    EXPECT_TRUE(view.calls.isEmpty());
    EXPECT_EQ(view.rows, rowsOf(state));
}

TEST_F(Editing, whileLoadingTheRowIsNotTouched)
{
    {
        const QScopedValueRollback<bool> filling(state.loading, true);
        edit::setTagValue(state, view, QStringLiteral("name"), QStringLiteral("Quiet"));
    }
    EXPECT_EQ(at(0).tagValue, QStringLiteral("Quiet"));
    EXPECT_EQ(view.rows.at(0).value, QStringLiteral("Twice"));
    EXPECT_TRUE(view.calls.isEmpty());
}

TEST_F(Editing, setTagValueAtEditsOneRowByPosition)
{
    edit::setTagValueAt(state, view, 3, QStringLiteral("0 0 0"));
    EXPECT_EQ(at(3).tagValue, QStringLiteral("0 0 0"));
    EXPECT_EQ(at(1).tagValue, QStringLiteral("1 2 3"));
    EXPECT_EQ(view.rows.at(3).value, QStringLiteral("0 0 0"));

    view.forgetCalls();
    edit::setTagValueAt(state, view, -1, QStringLiteral("x"));
    edit::setTagValueAt(state, view, 5, QStringLiteral("x"));
    EXPECT_TRUE(view.calls.isEmpty());
    EXPECT_EQ(view.rows, rowsOf(state));
}

TEST_F(Editing, userChangesAreWrittenBackOnlyToExistingTags)
{
    // The view's handlers write back like the window's once loading is over.
    view.showNameAndAuthor(QStringLiteral("Toy"), QStringLiteral("Ann"));
    EXPECT_EQ(at(0).tagValue, QStringLiteral("Toy by Ann"));
    EXPECT_EQ(view.rows.at(0).value, QStringLiteral("Toy by Ann"));
    view.showNameAndAuthor(QStringLiteral("Toy"), QString());
    EXPECT_EQ(at(0).tagValue, QStringLiteral("Toy"));

    // This track has no FARCLIP: moving its slider changes nothing.
    view.forgetCalls();
    view.setSliderPosition(0, 8000);
    EXPECT_EQ(state.tagList.count(), 5);
    EXPECT_EQ(view.rows, rowsOf(state));
    EXPECT_EQ(view.calls, QStringList{QStringLiteral("slider0")});
}

TEST_F(Editing, missingTagsShowEmptyEditorsAndKeepTheFogSwatch)
{
    edit::fillEditors(state, view);
    EXPECT_EQ(view.name, QStringLiteral("Twice"));
    EXPECT_EQ(view.author, QString());
    EXPECT_EQ(view.sliders, (std::array<int, 5>{0, 0, 0, 0, 0}));
    EXPECT_EQ(view.numerics[0], QString());
    EXPECT_EQ(view.numerics[1], QString());
    EXPECT_EQ(view.swatch, (Rgb{1, 2, 3})) << "no FOGCOLOR: the swatch keeps what it showed";
    EXPECT_EQ(view.caption, QStringLiteral("<untouched>"));
    EXPECT_FALSE(state.loading);
    EXPECT_FALSE(view.loadingDuringCall.contains(false)) << "filling must not write back";
    EXPECT_EQ(view.rows, rowsOf(state));
}

TEST_F(Editing, unreadableFogColourLeavesOnlyItsFailingStepUndone)
{
    levels.writeFile(QStringLiteral("repeatedTags/repeatedTags.inf"), "FOGCOLOR a b c\r\n");
    ASSERT_EQ(edit::loadTrack(state, view, levels.path() + QStringLiteral("/repeatedTags")),
              QString());
    EXPECT_EQ(view.swatch, (Rgb{1, 2, 3}));
    EXPECT_EQ(view.caption, QStringLiteral("Red: a\nGreen: b\nBlue: c"));

    levels.writeFile(QStringLiteral("repeatedTags/repeatedTags.inf"), "FOGCOLOR 1 2\r\n");
    ASSERT_EQ(edit::loadTrack(state, view, levels.path() + QStringLiteral("/repeatedTags")),
              QString());
    EXPECT_EQ(view.swatch, (Rgb{1, 2, 3}));
    EXPECT_EQ(view.caption, QStringLiteral("Red: a\nGreen: b\nBlue: c"));
}

TEST_F(Editing, clearEditorsEmptiesEveryEditorAndRow)
{
    edit::clearEditors(state, view);
    expectClearedEditors(view);
    EXPECT_FALSE(state.loading);
    EXPECT_FALSE(view.loadingDuringCall.contains(false));
    EXPECT_EQ(state.tagList.count(), 5) << "the document itself is not the editors'";

    // A caller that is filling controls itself keeps its flag.
    {
        const QScopedValueRollback<bool> filling(state.loading, true);
        edit::clearEditors(state, view);
        edit::fillEditors(state, view);
        EXPECT_TRUE(state.loading);
    }
    EXPECT_FALSE(state.loading);
}

} // namespace
