// The tag description store: lookups, appending, saving in store order, the 18 built-ins.
#include "descriptions/desc.h"
#include "settings/SqliteStore.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using settings::KeyValueList;

namespace {

const QString app2 = u"Tarvex Kite2"_s, section = u"Descriptions"_s;

// What the options dialog's description list shows.
struct RecordingList final : desc::DescriptionList
{
    void clearDescriptionRows() override { rows.clear(); }
    void appendDescriptionRow(const QString& a, const QString& b) override { rows.append({a, b}); }
    KeyValueList rows;
};

TEST(descStore, lookupIgnoresCase_duplicateAppendFails_saveReplacesSectionInStoreOrder)
{
    const KeyValueList entries{{u"MP3"_s, u"m"_s}, {u"fogStart"_s, u"f"_s}, {u"NAME"_s, {}}};
    desc::Store store;
    for (const auto& [tag, text] : entries)
        ASSERT_TRUE(store.append({tag, text}));
    EXPECT_FALSE(store.append({u"FogStart"_s, u"other"_s}) || store.append({QString(), u"x"_s}));
    EXPECT_EQ(store.count(), 3);
    for (const QString& tag : {u"FOGSTART"_s, u"fogstart"_s, u"fogStart"_s})
        EXPECT_EQ(store.find(tag) ? store.find(tag)->forTag : QString(), u"fogStart"_s);
    for (const QString& tag : {u"FOGSTAR"_s, u"fogStart "_s, QString()})
        EXPECT_EQ(store.find(tag), nullptr) << tag.toStdString();

    // Saving replaces the whole section: keys no longer in the store are gone.
    settings::MemoryStore settings;
    for (const char* key : {"OLDTAG", "NAME"})
        ASSERT_TRUE(settings.write(app2, section, QLatin1String(key), u"old"_s));
    ASSERT_TRUE(settings.write(app2, u"Other"_s, u"Keep"_s, u"kept"_s));
    ASSERT_TRUE(store.saveDescriptions(settings));
    EXPECT_EQ(settings.readSection(app2, section), entries);
    EXPECT_EQ(settings.read(app2, u"Other"_s, u"Keep"_s), u"kept"_s);
}

// The built-in table as the user sees it, typed out independently of the code.
const KeyValueList builtIns{
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
    {u"REDBOOK"_s, u"2 track numbers off the Tarvex CD. Plays random tracks in between and "
                   u"including those 2 numbers. 1-15."_s},
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

TEST(descStore, defaultsThenSave_giveExactlyTheEighteen_relabelledEntrySavedLast)
{
    settings::SqliteStore settings(u":memory:"_s);
    ASSERT_TRUE(settings.write(app2, section, u"MYTAG"_s, u"mine"_s));
    desc::Store store;
    store.loadDescriptions(settings);
    RecordingList list;
    store.defaultDescriptions(list);
    EXPECT_EQ(list.rows, builtIns);
    ASSERT_TRUE(store.saveDescriptions(settings));
    EXPECT_EQ(settings.readSection(app2, section), builtIns);

    // The label field's refiling: removed under the old label, appended under the new one.
    const QPair<QString, QString> relabelled{u"VIEWDIST"_s, builtIns.first().second};
    ASSERT_TRUE(store.remove(u"farclip"_s) && store.append({relabelled.first, relabelled.second}));
    ASSERT_TRUE(store.saveDescriptions(settings));
    EXPECT_EQ(settings.readSection(app2, section), builtIns.mid(1) << relabelled);
}

} // namespace
