// The tag description store: lookups ignoring case, appending and removing, saving and
// loading in store order, and the 18 built-in descriptions.
#include "descriptions/desc.h"
#include "settings/SqliteStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString app2 = u"Tarvex Kite2"_s;
const QString section = u"Descriptions"_s;

// Records what the options dialog's description list would show.
class RecordingList final : public desc::DescriptionList
{
public:
    void clearDescriptionRows() override
    {
        rows.clear();
        ++clears;
    }
    void appendDescriptionRow(const QString& label, const QString& text) override
    {
        rows.append({label, text});
    }

    settings::KeyValueList rows;
    int clears = 0;
};

// A store that can no longer be written, as a read-only or locked settings file is.
class UnwritableStore final : public settings::Store
{
public:
    QString read(const QString& a, const QString& s, const QString& k) const override
    {
        return m_inner.read(a, s, k);
    }
    bool write(const QString&, const QString&, const QString&, const QString&) override
    {
        return fail();
    }
    settings::KeyValueList readSection(const QString& a, const QString& s) const override
    {
        return m_inner.readSection(a, s);
    }
    bool deleteSection(const QString&, const QString&) override { return fail(); }
    bool replaceSection(const QString&, const QString&, const settings::KeyValueList&) override
    {
        return fail();
    }
    QString lastError() const override { return m_error; }
    settings::MemoryStore& inner() { return m_inner; }

private:
    bool fail()
    {
        m_error = u"read-only"_s;
        return false;
    }
    settings::MemoryStore m_inner;
    QString m_error;
};

QStringList labelsOf(const settings::KeyValueList& pairs)
{
    QStringList labels;
    for (const auto& pair : pairs)
        labels << pair.first;
    return labels;
}

QStringList labelsOf(const desc::Store& store)
{
    QStringList labels;
    for (int i = 0; i < store.count(); ++i)
        labels << store.at(i).forTag;
    return labels;
}

// The built-in table as the user sees it, typed out independently of the code.
const settings::KeyValueList expectedBuiltIns{
    {u"FARCLIP"_s, u"The distance you can see things."_s},
    {u"FOGCOLOR"_s, u"The color of fog."_s},
    {u"FOGSTART"_s, u"The distance you can see in fog."_s},
    {u"INSTANCERGBPER"_s, u"How much instances receive. 0-100"_s},
    {u"MIRRORS"_s,
     u"4 numbers. Type(0-1), Mix(0-1), Intensity Start(0-.5), Distance.  Last is how far "
     u"things can be from mirror to still get mirrored. 0 1 0 256 is a good mirror."_s},
    {u"MODELRGBPER"_s, u"How much light models receive (eg. Cars, Pickups). 0-100"_s},
    {u"MP3"_s, u"No use. Will not play music."_s},
    {u"NAME"_s, u"The name of the track."_s},
    {u"REDBOOK"_s,
     u"2 track numbers off the Tarvex CD. Plays random tracks in between and including "
     u"those 2 numbers. 1-15."_s},
    {u"STARTGRID"_s, u"Unknown. Should be 3 otherwise cars start ontop of each other."_s},
    {u"STARTGRIDREV"_s,
     u"Unknown. Should be 3 otherwise cars start ontop of each other in reversed mode."_s},
    {u"STARTPOS"_s, u"3 numbers. The X,Y,Z coordinates of the starting point."_s},
    {u"STARTPOSREV"_s,
     u"3 numbers. The X,Y,Z coordinates of the starting point in reversed mode."_s},
    {u"STARTROT"_s, u"Which way cars are facing at start. 0-1."_s},
    {u"STARTROTREV"_s, u"Which way cars are facing at start of reversed race. 0-1."_s},
    {u"VERTFOGEND"_s, u"The lower boundary of fog. The bottom of TE tracks is 0."_s},
    {u"VERTFOGSTART"_s, u"The upper boundary of fog. The top of TE tracks is -2000."_s},
    {u"WORLDRGBPER"_s, u"How much light the whole track receives. 0-100"_s},
};

desc::Store storeWith(std::initializer_list<cDesc> entries)
{
    desc::Store store;
    for (const cDesc& entry : entries)
        EXPECT_TRUE(store.append(entry)) << entry.forTag.toStdString();
    return store;
}

TEST(descStore, builtInsAreTheEighteenTableEntriesExactly)
{
    const QList<cDesc> builtIns = desc::Store::builtInDescriptions();
    ASSERT_EQ(builtIns.size(), expectedBuiltIns.size());
    for (qsizetype i = 0; i < builtIns.size(); ++i) {
        SCOPED_TRACE(expectedBuiltIns.at(i).first.toStdString());
        EXPECT_EQ(builtIns.at(i).forTag, expectedBuiltIns.at(i).first);
        EXPECT_EQ(builtIns.at(i).tagDesc, expectedBuiltIns.at(i).second);
    }
}

TEST(descStore, lookupIgnoresCaseAndReturnsStoredLabel)
{
    const desc::Store store = storeWith({{u"FARCLIP"_s, u"far"_s}, {u"fogStart"_s, u"fog"_s}});
    struct Case
    {
        QString asked;
        QString found; // empty: none
    };
    const Case cases[] = {
        {u"FARCLIP"_s, u"FARCLIP"_s}, {u"Farclip"_s, u"FARCLIP"_s}, {u"farclip"_s, u"FARCLIP"_s},
        {u"FOGSTART"_s, u"fogStart"_s}, {u"FARCLI"_s, {}},            {u"FARCLIP "_s, {}},
        {QString(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked.toStdString());
        const cDesc* entry = store.find(c.asked);
        if (c.found.isEmpty()) {
            EXPECT_EQ(entry, nullptr);
        } else {
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->forTag, c.found);
        }
    }
}

TEST(descStore, appendAndRemoveFailOnDuplicateMissingOrEmptyLabel)
{
    desc::Store store =
        storeWith({{u"NAME"_s, u"n"_s}, {u"MP3"_s, u"m"_s}, {u"REDBOOK"_s, u"r"_s}});

    EXPECT_FALSE(store.append({u"name"_s, u"other"_s}));
    EXPECT_FALSE(store.append({QString(), u"no label"_s}));
    EXPECT_EQ(store.count(), 3);
    EXPECT_EQ(store.find(u"NAME"_s)->tagDesc, u"n"_s);

    EXPECT_FALSE(store.remove(u"FARCLIP"_s));
    EXPECT_EQ(store.count(), 3);
    EXPECT_TRUE(store.remove(u"mp3"_s));
    EXPECT_FALSE(store.remove(u"MP3"_s));
    EXPECT_EQ(labelsOf(store), (QStringList{u"NAME"_s, u"REDBOOK"_s}));

    // Appending the removed label again places it last.
    EXPECT_TRUE(store.append({u"Mp3"_s, u"again"_s}));
    EXPECT_EQ(labelsOf(store), (QStringList{u"NAME"_s, u"REDBOOK"_s, u"Mp3"_s}));
}

TEST(descStore, saveReplacesSectionInStoreOrder_extraKeysGone_otherSettingsKept)
{
    settings::MemoryStore settings;
    ASSERT_TRUE(settings.write(app2, section, u"OLDTAG"_s, u"stale"_s));
    ASSERT_TRUE(settings.write(app2, section, u"NAME"_s, u"old name text"_s));
    ASSERT_TRUE(settings.write(app2, u"Other"_s, u"Keep"_s, u"kept"_s));
    ASSERT_TRUE(settings.write(u"Tarvex Kite"_s, section, u"Keep"_s, u"kept too"_s));

    const desc::Store store =
        storeWith({{u"WORLDRGBPER"_s, u"w"_s}, {u"Name"_s, u"new"_s}, {u"FARCLIP"_s, QString()}});
    ASSERT_TRUE(store.saveDescriptions(settings));

    const settings::KeyValueList expected{
        {u"WORLDRGBPER"_s, u"w"_s}, {u"Name"_s, u"new"_s}, {u"FARCLIP"_s, QString()}};
    EXPECT_EQ(settings.readSection(app2, section), expected);
    EXPECT_EQ(settings.read(app2, u"Other"_s, u"Keep"_s), u"kept"_s);
    EXPECT_EQ(settings.read(u"Tarvex Kite"_s, section, u"Keep"_s), u"kept too"_s);

    // An empty store leaves the section without keys, and that loads as an empty store.
    ASSERT_TRUE(desc::Store().saveDescriptions(settings));
    EXPECT_TRUE(settings.readSection(app2, section).isEmpty());
    desc::Store loaded = storeWith({{u"LEFTOVER"_s, u"x"_s}});
    loaded.loadDescriptions(settings);
    EXPECT_EQ(loaded.count(), 0);
}

TEST(descStore, loadReplacesStoreWithSectionInOrder_skippingUnfileableKeys)
{
    settings::MemoryStore settings;
    // "É" and "é" are different keys to the settings store (ASCII folding only) but one
    // label to the description store: the later one cannot be filed and is skipped.
    for (const auto& [key, value] : settings::KeyValueList{{u"STARTPOS"_s, u"s"_s},
                                                           {u"\u00c9T\u00c9"_s, u"upper"_s},
                                                           {u"farclip"_s, u"f"_s},
                                                           {u"\u00e9t\u00e9"_s, u"lower"_s}})
        ASSERT_TRUE(settings.write(app2, section, key, value));

    desc::Store store = storeWith({{u"OLD"_s, u"o"_s}});
    store.loadDescriptions(settings);
    EXPECT_EQ(labelsOf(store), (QStringList{u"STARTPOS"_s, u"\u00c9T\u00c9"_s, u"farclip"_s}));
    EXPECT_EQ(store.find(u"\u00e9t\u00e9"_s)->tagDesc, u"upper"_s);
    EXPECT_EQ(store.find(u"OLD"_s), nullptr);

    settings::MemoryStore empty;
    store.loadDescriptions(empty);
    EXPECT_EQ(store.count(), 0);
}

TEST(descStore, defaultsReplaceStoreAndList_saveWritesExactlyTheEighteen)
{
    settings::MemoryStore settings;
    ASSERT_TRUE(settings.write(app2, section, u"MYTAG"_s, u"mine"_s));
    desc::Store store;
    store.loadDescriptions(settings);
    RecordingList list;
    store.listDescriptions(list);
    ASSERT_EQ(list.rows.size(), 1);

    store.defaultDescriptions(list);
    EXPECT_EQ(list.clears, 1);
    EXPECT_EQ(list.rows, expectedBuiltIns);
    EXPECT_EQ(store.find(u"MYTAG"_s), nullptr);
    // Nothing is written until the dialog is confirmed.
    EXPECT_EQ(labelsOf(settings.readSection(app2, section)), QStringList{u"MYTAG"_s});

    ASSERT_TRUE(store.saveDescriptions(settings));
    EXPECT_EQ(settings.readSection(app2, section), expectedBuiltIns);
}

TEST(descStore, relabelledEntryIsSavedAndLoadedLast)
{
    settings::MemoryStore settings;
    desc::Store store;
    RecordingList list;
    store.defaultDescriptions(list);

    // The label field's refiling: remove under the old label, append under the new.
    cDesc entry = *store.find(u"FARCLIP"_s);
    ASSERT_TRUE(store.remove(entry.forTag));
    entry.forTag = u"VIEWDIST"_s;
    ASSERT_TRUE(store.append(entry));
    ASSERT_TRUE(store.saveDescriptions(settings));

    desc::Store nextRun;
    nextRun.loadDescriptions(settings);
    ASSERT_EQ(nextRun.count(), 18);
    EXPECT_EQ(nextRun.at(0).forTag, u"FOGCOLOR"_s);
    EXPECT_EQ(nextRun.at(17).forTag, u"VIEWDIST"_s);
    EXPECT_EQ(nextRun.at(17).tagDesc, u"The distance you can see things."_s);
    RecordingList nextList;
    nextRun.listDescriptions(nextList);
    EXPECT_EQ(labelsOf(nextList.rows), labelsOf(nextRun));
    EXPECT_EQ(nextList.clears, 0);
}

TEST(descStore, saveToUnwritableSettings_reportsFailureAndKeepsSavedSet)
{
    UnwritableStore settings;
    ASSERT_TRUE(settings.inner().write(app2, section, u"SAVED"_s, u"before"_s));
    desc::Store store;
    RecordingList list;
    store.defaultDescriptions(list);

    EXPECT_FALSE(store.saveDescriptions(settings));
    EXPECT_FALSE(settings.lastError().isEmpty());
    EXPECT_EQ(labelsOf(settings.readSection(app2, section)), QStringList{u"SAVED"_s});
    EXPECT_EQ(store.count(), 18);
}

TEST(descStore, defaultsSurviveARealSettingsFileByteForByte)
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/settings.sqlite"_s;
    {
        settings::SqliteStore settings(path);
        ASSERT_TRUE(settings.write(app2, section, u"GONE"_s, u"x"_s));
        desc::Store store;
        RecordingList list;
        store.defaultDescriptions(list);
        ASSERT_TRUE(store.saveDescriptions(settings)) << settings.lastError().toStdString();
    }
    settings::SqliteStore settings(path);
    desc::Store store;
    store.loadDescriptions(settings);
    RecordingList list;
    store.listDescriptions(list);
    EXPECT_EQ(list.rows, expectedBuiltIns);
    EXPECT_EQ(store.find(u"mirrors"_s)->tagDesc, expectedBuiltIns.at(4).second);
}

} // namespace
