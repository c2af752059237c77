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

// A label is one key exactly when QString::compare finds it equal ignoring case; it is found
// under the spelling it was stored with, and a second one of that key is not appended.
TEST(descStore, lookupsIgnoreCase_asTextComparisonsDo)
{
    const struct { QString stored, asked; bool found; } cases[] = {
        {u"fogStart"_s, u"FOGSTART"_s, true}, {u"fogStart"_s, u"fogstart"_s, true},
        {u"fogStart"_s, u"FOGSTAR"_s, false}, {u"fogStart"_s, u"fogStart "_s, false},
        {u"\u00c9TAPE"_s, u"\u00e9tape"_s, true},       // É, é
        {u"\u039b\u0391\u03a3"_s, u"\u03bb\u03b1\u03c2"_s, true}, // final sigma
        {u"\u212a"_s, u"k"_s, true},                     // the Kelvin sign
        {u"\U00010400"_s, u"\U00010428"_s, true},       // outside the basic plane
        {u"STRASSE"_s, u"stra\u00dfe"_s, false},         // no letter becomes two
        {u"\u0130"_s, u"i"_s, false},                    // dotted capital I
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked.toStdString());
        desc::Store store;
        ASSERT_TRUE(store.append({c.stored, u"help"_s}));
        const cDesc* found = store.find(c.asked);
        EXPECT_EQ(found ? found->forTag : QString(), c.found ? c.stored : QString());
        EXPECT_EQ(store.append({c.asked, u"other"_s}), !c.found);
        EXPECT_FALSE(store.append({QString(), u"x"_s}) || store.find(QString()));
    }
}

// 50,000 saved entries: all loaded in their order, each found in any case, also after removals.
TEST(descStore, fiftyThousandEntries_loadInOrder_andStayFoundAfterRemovals)
{
    constexpr int count = 50000;
    settings::SqliteStore settings(u":memory:"_s);
    KeyValueList saved;
    for (int i = 0; i < count; ++i) {
        saved.append({u"\u00e9tape%1"_s.arg(i), u"text %1"_s.arg(i)});
        // The settings tell only ASCII letters' case apart: this is a second key there, but
        // the same label here, and is skipped.
        if (i % 1000 == 7)
            saved.append({u"\u00c9TAPE%1"_s.arg(i), u"duplicate"_s});
    }
    ASSERT_TRUE(settings.replaceSection(app2, section, saved));
    desc::Store store;
    store.loadDescriptions(settings);
    ASSERT_EQ(store.count(), count);
    const auto expectFound = [&store](int i) {
        const cDesc* entry = store.find(u"\u00c9TAPE%1"_s.arg(i));
        return entry && entry->forTag == u"\u00e9tape%1"_s.arg(i)
               && entry->tagDesc == u"text %1"_s.arg(i);
    };
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(store.at(i).forTag, u"\u00e9tape%1"_s.arg(i));
        ASSERT_TRUE(expectFound(i)) << i;
    }
    // Removing one moves every later entry up a place; each is still found, and a label
    // removed is free again and appended last.
    ASSERT_TRUE(store.remove(u"\u00c9tape25000"_s) && store.remove(u"\u00e9TAPE0"_s));
    EXPECT_FALSE(store.find(u"\u00e9tape25000"_s) || store.remove(u"\u00e9tape0"_s));
    ASSERT_TRUE(store.append({u"\u00e9tape0"_s, u"again"_s}));
    ASSERT_EQ(store.count(), count - 1);
    for (int i = 1; i < count; ++i)
        ASSERT_TRUE(i == 25000 || expectFound(i)) << i;
    EXPECT_EQ(store.at(24998).forTag + u' ' + store.at(24999).forTag + u' '
                  + store.at(count - 2).forTag + u' ' + store.find(u"\u00c9TAPE0"_s)->tagDesc,
              u"\u00e9tape24999 \u00e9tape25001 \u00e9tape0 again"_s);
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

// Saving replaces the whole section, in the store's order, and leaves other sections alone.
TEST(descStore, defaultsThenSave_giveExactlyTheEighteen_relabelledEntrySavedLast)
{
    settings::SqliteStore settings(u":memory:"_s);
    ASSERT_TRUE(settings.write(app2, section, u"MYTAG"_s, u"mine"_s)
                && settings.write(app2, u"Other"_s, u"Keep"_s, u"kept"_s));
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
    EXPECT_EQ(settings.read(app2, u"Other"_s, u"Keep"_s), u"kept"_s);
}

} // namespace
