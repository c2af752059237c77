// The rename settings: first-run defaults, flags, the stored list, Delete and Defaults.
#include "save/Rename.h"
#include "settings/SqliteStore.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QStringList defaults =
    u"cam;fan;fin;fob;inf;lit;ncp;pan;taz;vis;tri;por;fld;rim;ace;w"_s.split(u';');
const QStringList flagKeys{u"Rename Type"_s, u"Auto Temp Edit File"_s};

// The settings store, the rename settings and the renaming page (list, option buttons, box).
struct Dialog final : Rename::RenamePage
{
    void clearExtensionRows() override { rows.clear(); }
    void appendExtensionRow(const QString& extension) override { rows.append(extension); }
    void removeExtensionRow(int position) override { rows.removeAt(position); }
    void selectRenameType(int index) override { selectedType = index; }
    bool renameTypeZeroSelected() const override { return selectedType == 0; }
    void setAutoTempChecked(bool checked) override { autoTemp = checked; }
    bool autoTempChecked() const override { return autoTemp; }

    void load(bool reset = false) { rename.loadRenameSettings(store, *this, reset); }
    QString stored(const QString& key) const { return store.read(app, section, key); }
    void put(const QString& key, const QString& value) { store.write(app, section, key, value); }
    QList<int> choices() const // rename type and check box, as held and as shown
    { return {rename.renameKind, selectedType, rename.autoTempRename, autoTemp}; }

    const QString app = u"Tarvex Kite"_s, section = u"Renaming"_s;
    settings::MemoryStore store;
    Rename::Settings rename;
    QStringList rows{u"layout row"_s};
    int selectedType = -1;
    bool autoTemp = false;
};

TEST(RenameSettings, load_storesDefaultsOnFirstRun_andFlagsNormalisedToZeroOrOne)
{
    for (const auto& [before, flag] : {std::pair(QString(), u"1"_s), {u"2"_s, u"1"_s},
             {u"yes"_s, u"1"_s}, {u" 0"_s, u"1"_s}, {u"0"_s, u"0"_s}, {u"1"_s, u"1"_s}}) {
        SCOPED_TRACE("stored: '" + before.toStdString() + "'");
        Dialog run;
        for (const QString& key : before.isNull() ? QStringList() : flagKeys)
            run.put(key, before);
        run.load();
        EXPECT_EQ(run.stored(flagKeys[0]) + run.stored(flagKeys[1]), flag + flag);
        EXPECT_EQ(run.choices(), QList<int>(4, flag.toInt()));
        EXPECT_EQ(run.stored(u"Extentions"_s), defaults.join(u';'));
    }
}

// The stored list splits at every semicolon; an empty one gives the defaults. Delete of no row
// removes nothing. (Delete and Defaults through the dialog: tst_frmOptions.)
TEST(RenameSettings, storedListSplitsAtEverySemicolon_emptyGivesDefaults)
{
    for (const auto& [list, exts] : {std::pair(u"inf;;w"_s, QStringList{u"inf"_s, {}, u"w"_s}),
                                     {u"inf;TAZ;w;taz"_s, {u"inf"_s, u"TAZ"_s, u"w"_s, u"taz"_s}},
                                     {u""_s, defaults}}) {
        Dialog run;
        run.put(u"Extentions"_s, list);
        run.load();
        for (const int outOfRange : {-1, int(exts.size())})
            run.rename.removeRenameExt(run, outOfRange);
        EXPECT_TRUE(run.rename.trackExts == exts && run.rows == exts) << list.toStdString();
    }
}

} // namespace
