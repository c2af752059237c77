// The rename settings: first-run defaults, "0"/"1" normalisation, the Defaults button,
// adding and deleting extensions, and confirming the page.
#include "save/Rename.h"
#include "settings/SqliteStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString app = u"Tarvex Kite"_s;
const QString section = u"Renaming"_s;

const QStringList defaultList{u"cam"_s, u"fan"_s, u"fin"_s, u"fob"_s, u"inf"_s, u"lit"_s,
                              u"ncp"_s, u"pan"_s, u"taz"_s, u"vis"_s, u"tri"_s, u"por"_s,
                              u"fld"_s, u"rim"_s, u"ace"_s, u"w"_s};

// The renaming page as the settings see it: a list box, two option buttons, a check box.
class RecordingPage final : public Rename::RenamePage
{
public:
    void clearExtensionRows() override { rows.clear(); }
    void appendExtensionRow(const QString& extension) override { rows.append(extension); }
    bool removeExtensionRow(const QString& extension) override
    {
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (rows.at(i).compare(extension, Qt::CaseInsensitive) == 0) {
                rows.removeAt(i);
                return true;
            }
        }
        return false;
    }
    void selectRenameType(int index) override { selectedType = index; }
    bool renameTypeZeroSelected() const override { return selectedType == 0; }
    void setAutoTempChecked(bool checked) override { autoTemp = checked; }
    bool autoTempChecked() const override { return autoTemp; }

    QStringList rows{u"layout row"_s};
    int selectedType = -1;
    bool autoTemp = false;
};

// A settings file that can be read but not written.
class ReadOnlyStore final : public settings::Store
{
public:
    settings::MemoryStore contents;

    QString read(const QString& a, const QString& s, const QString& k) const override
    {
        return contents.read(a, s, k);
    }
    bool write(const QString&, const QString&, const QString&, const QString&) override
    {
        ++refusedWrites;
        return false;
    }
    settings::KeyValueList readSection(const QString& a, const QString& s) const override
    {
        return contents.readSection(a, s);
    }
    bool deleteSection(const QString&, const QString&) override { return false; }
    QString lastError() const override { return u"read-only"_s; }

    int refusedWrites = 0;
};

QString stored(const settings::Store& store, const QString& key)
{
    return store.read(app, section, key);
}

TEST(RenameSettings, firstRun_storesDefaults_selectsTypeOne_checksBox)
{
    settings::MemoryStore store;
    RecordingPage page;
    Rename::Settings rename;
    rename.renameKind = 0;
    rename.autoTempRename = false;

    rename.loadRenameSettings(store, page, false);

    EXPECT_EQ(stored(store, u"Extentions"_s), defaultList.join(u';'));
    EXPECT_EQ(stored(store, u"Rename Type"_s), u"1"_s);
    EXPECT_EQ(stored(store, u"Auto Temp Edit File"_s), u"1"_s);
    EXPECT_EQ(rename.trackExts, defaultList);
    EXPECT_EQ(page.rows, defaultList);
    EXPECT_EQ(page.selectedType, 1);
    EXPECT_TRUE(page.autoTemp);
    EXPECT_EQ(rename.renameKind, 1);
    EXPECT_TRUE(rename.autoTempRename);
}

TEST(RenameSettings, storedFlagsAreNormalisedToZeroOrOne_andStoredBack)
{
    struct Case
    {
        QString storedValue;
        bool isZero;
    };
    const Case cases[] = {{u"0"_s, true},    {u"1"_s, false},   {u"2"_s, false},
                          {u"yes"_s, false}, {u"no"_s, false},  {u" 0"_s, false},
                          {u"00"_s, false},  {u"-1"_s, false},  {u"true"_s, false},
                          {QString(), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("stored: '" + c.storedValue.toStdString() + "'");
        settings::MemoryStore store;
        if (!c.storedValue.isNull()) {
            ASSERT_TRUE(store.write(app, section, u"Rename Type"_s, c.storedValue));
            ASSERT_TRUE(store.write(app, section, u"Auto Temp Edit File"_s, c.storedValue));
        }
        RecordingPage page;
        Rename::Settings rename;
        rename.loadRenameSettings(store, page, false);

        const QString expected = c.isZero ? u"0"_s : u"1"_s;
        EXPECT_EQ(stored(store, u"Rename Type"_s), expected);
        EXPECT_EQ(stored(store, u"Auto Temp Edit File"_s), expected);
        EXPECT_EQ(rename.renameKind, c.isZero ? 0 : 1);
        EXPECT_EQ(page.selectedType, c.isZero ? 0 : 1);
        EXPECT_EQ(rename.autoTempRename, !c.isZero);
        EXPECT_EQ(page.autoTemp, !c.isZero);
    }
}

TEST(RenameSettings, storedListIsSplitAtEverySemicolon_emptyPiecesKept)
{
    struct Case
    {
        QString storedValue;
        QStringList entries;
    };
    const Case cases[] = {
        {u"inf;;w"_s, {u"inf"_s, QString(), u"w"_s}},
        {u"inf"_s, {u"inf"_s}},
        {u";"_s, {QString(), QString()}},
        {u"TAZ;.w; ace "_s, {u"TAZ"_s, u".w"_s, u" ace "_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedValue.toStdString());
        settings::MemoryStore store;
        ASSERT_TRUE(store.write(app, section, u"Extentions"_s, c.storedValue));
        RecordingPage page;
        Rename::Settings rename;
        rename.loadRenameSettings(store, page, false);
        EXPECT_EQ(rename.trackExts, c.entries);
        EXPECT_EQ(page.rows, c.entries);
        EXPECT_EQ(stored(store, u"Extentions"_s), c.storedValue);
    }
}

TEST(RenameSettings, defaultsButton_resetsListUnstored_rereadsTypeAndBoxFromStore)
{
    settings::MemoryStore store;
    ASSERT_TRUE(store.write(app, section, u"Extentions"_s, u"inf;w"_s));
    ASSERT_TRUE(store.write(app, section, u"Rename Type"_s, u"0"_s));
    ASSERT_TRUE(store.write(app, section, u"Auto Temp Edit File"_s, u"0"_s));
    RecordingPage page;
    Rename::Settings rename;
    rename.loadRenameSettings(store, page, false);
    ASSERT_EQ(page.rows, (QStringList{u"inf"_s, u"w"_s}));

    // Unconfirmed changes on the page.
    rename.addRenameExt(page, u"zip"_s);
    page.selectRenameType(1);
    page.setAutoTempChecked(true);

    rename.loadRenameSettings(store, page, true);
    EXPECT_EQ(rename.trackExts, defaultList);
    EXPECT_EQ(page.rows, defaultList);
    EXPECT_EQ(stored(store, u"Extentions"_s), u"inf;w"_s);
    EXPECT_EQ(page.selectedType, 0);
    EXPECT_FALSE(page.autoTemp);
    EXPECT_EQ(rename.renameKind, 0);
    EXPECT_FALSE(rename.autoTempRename);

    // Confirming stores the reset list; type 0 stays selected and is stored again.
    ASSERT_TRUE(rename.saveRenameSettings(store, page));
    EXPECT_EQ(stored(store, u"Extentions"_s), defaultList.join(u';'));
    EXPECT_EQ(stored(store, u"Rename Type"_s), u"0"_s);
    EXPECT_EQ(stored(store, u"Auto Temp Edit File"_s), u"0"_s);
}

TEST(RenameSettings, deleteRemovesFirstMatchIgnoringCase_fromPageAndList)
{
    struct Case
    {
        QString storedList;
        QString deleted;
        QStringList after;
    };
    const Case cases[] = {
        {u"inf;TAZ;w;taz"_s, u"taz"_s, {u"inf"_s, u"w"_s, u"taz"_s}},
        {u"inf;taz;w;TAZ"_s, u"TAZ"_s, {u"inf"_s, u"w"_s, u"TAZ"_s}},
        {u"inf;taz;taz"_s, u"taz"_s, {u"inf"_s, u"taz"_s}},
        {u"inf;w"_s, u"zip"_s, {u"inf"_s, u"w"_s}},
        {u"inf;w"_s, QString(), {u"inf"_s, u"w"_s}},
        {u"inf;;w"_s, QString(), {u"inf"_s, u"w"_s}},
        {u"inf"_s, u"INF"_s, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedList.toStdString() + " minus '" + c.deleted.toStdString() + "'");
        settings::MemoryStore store;
        ASSERT_TRUE(store.write(app, section, u"Extentions"_s, c.storedList));
        RecordingPage page;
        Rename::Settings rename;
        rename.loadRenameSettings(store, page, false);

        rename.removeRenameExt(page, c.deleted);
        EXPECT_EQ(page.rows, c.after);
        EXPECT_EQ(rename.trackExts, c.after);
        EXPECT_EQ(stored(store, u"Extentions"_s), c.storedList) << "stored only on OK";
    }
}

TEST(RenameSettings, addAppendsAsTyped_emptyIgnored_duplicatesKept)
{
    settings::MemoryStore store;
    ASSERT_TRUE(store.write(app, section, u"Extentions"_s, u"taz"_s));
    RecordingPage page;
    Rename::Settings rename;
    rename.loadRenameSettings(store, page, false);

    rename.addRenameExt(page, u".TAZ"_s);
    rename.addRenameExt(page, QString());
    rename.addRenameExt(page, u"taz"_s);
    rename.addRenameExt(page, u" ace"_s);
    const QStringList expected{u"taz"_s, u".TAZ"_s, u"taz"_s, u" ace"_s};
    EXPECT_EQ(page.rows, expected);
    EXPECT_EQ(rename.trackExts, expected);

    // One Delete with either "taz" row selected removes the first of them.
    rename.removeRenameExt(page, u"taz"_s);
    EXPECT_EQ(rename.trackExts, (QStringList{u".TAZ"_s, u"taz"_s, u" ace"_s}));
}

TEST(RenameSettings, confirmingTakesTypeAndBoxFromPage_onlyThen)
{
    settings::MemoryStore store;
    RecordingPage page;
    Rename::Settings rename;
    rename.loadRenameSettings(store, page, false);

    page.setAutoTempChecked(false);
    page.selectRenameType(0);
    EXPECT_TRUE(rename.autoTempRename) << "unconfirmed";
    EXPECT_EQ(rename.renameKind, 1) << "unconfirmed";

    ASSERT_TRUE(rename.saveRenameSettings(store, page));
    EXPECT_FALSE(rename.autoTempRename);
    EXPECT_EQ(rename.renameKind, 0);
    EXPECT_EQ(stored(store, u"Auto Temp Edit File"_s), u"0"_s);
    EXPECT_EQ(stored(store, u"Rename Type"_s), u"0"_s);

    page.setAutoTempChecked(true);
    page.selectRenameType(1);
    ASSERT_TRUE(rename.saveRenameSettings(store, page));
    EXPECT_TRUE(rename.autoTempRename);
    EXPECT_EQ(rename.renameKind, 1);
    EXPECT_EQ(stored(store, u"Auto Temp Edit File"_s), u"1"_s);
    EXPECT_EQ(stored(store, u"Rename Type"_s), u"1"_s);
}

TEST(RenameSettings, emptyListStored_nextStartGivesDefaults)
{
    settings::MemoryStore store;
    {
        RecordingPage page;
        Rename::Settings rename;
        ASSERT_TRUE(store.write(app, section, u"Extentions"_s, u"inf"_s));
        rename.loadRenameSettings(store, page, false);
        rename.removeRenameExt(page, u"inf"_s);
        ASSERT_TRUE(rename.trackExts.isEmpty());
        ASSERT_TRUE(rename.saveRenameSettings(store, page));
        EXPECT_EQ(stored(store, u"Extentions"_s), QString());
        EXPECT_EQ(store.readSection(app, section).size(), 3);
    }
    RecordingPage page;
    Rename::Settings rename;
    rename.loadRenameSettings(store, page, false);
    EXPECT_EQ(rename.trackExts, defaultList);
    EXPECT_EQ(page.rows, defaultList);
    EXPECT_EQ(stored(store, u"Extentions"_s), defaultList.join(u';'));
}

TEST(RenameSettings, unwritableStore_loadStillFillsPage_saveReportsFailure)
{
    ReadOnlyStore store;
    ASSERT_TRUE(store.contents.write(app, section, u"Rename Type"_s, u"yes"_s));
    RecordingPage page;
    Rename::Settings rename;
    rename.loadRenameSettings(store, page, false);
    EXPECT_EQ(page.rows, defaultList);
    EXPECT_EQ(page.selectedType, 1);
    EXPECT_TRUE(page.autoTemp);
    EXPECT_GT(store.refusedWrites, 0);

    page.setAutoTempChecked(false);
    EXPECT_FALSE(rename.saveRenameSettings(store, page));
    // The confirmed choice still applies for this run.
    EXPECT_FALSE(rename.autoTempRename);
}

TEST(RenameSettings, addedExtensionSurvivesRestartWithRealSettingsFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/settings.sqlite"_s;
    {
        settings::SqliteStore store(path);
        RecordingPage page;
        Rename::Settings rename;
        rename.loadRenameSettings(store, page, false);
        rename.addRenameExt(page, u"zip"_s);
        rename.removeRenameExt(page, u"CAM"_s);
        page.setAutoTempChecked(false);
        ASSERT_TRUE(rename.saveRenameSettings(store, page)) << store.lastError().toStdString();
    }
    settings::SqliteStore store(path);
    RecordingPage page;
    Rename::Settings rename;
    rename.loadRenameSettings(store, page, false);
    QStringList expected = defaultList.mid(1);
    expected << u"zip"_s;
    EXPECT_EQ(rename.trackExts, expected);
    EXPECT_FALSE(page.autoTemp);
    EXPECT_FALSE(rename.autoTempRename);
    // Keys keep the order in which the first start wrote them.
    QStringList keys;
    for (const auto& pair : store.readSection(app, section))
        keys << pair.first;
    EXPECT_EQ(keys, (QStringList{u"Extentions"_s, u"Rename Type"_s, u"Auto Temp Edit File"_s}));
}

} // namespace
