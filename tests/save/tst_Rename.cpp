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

// Flags are stored back as "0" or "1"; the stored list splits at every semicolon, and a
// missing or empty one gives the defaults, stored at once. Delete of no row removes nothing.
// (Delete and Defaults through the dialog: tst_frmOptions.)
TEST(RenameSettings, load_storesDefaultsAndNormalisedFlags_listSplitsAtEverySemicolon)
{
    const QStringList three{u"inf"_s, u"TAZ"_s, u"w"_s, u"taz"_s};
    const struct { QString flags, list, flag; QStringList exts; } cases[] = {
        {{}, {}, u"1"_s, defaults}, {u"2"_s, u"inf;;w"_s, u"1"_s, {u"inf"_s, {}, u"w"_s}},
        {u"yes"_s, u"inf;TAZ;w;taz"_s, u"1"_s, three}, {u" 0"_s, u""_s, u"1"_s, defaults},
        {u"0"_s, {}, u"0"_s, defaults}, {u"1"_s, u"inf;TAZ;w;taz"_s, u"1"_s, three},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("stored: '" + c.flags.toStdString() + "', '" + c.list.toStdString() + "'");
        Dialog run;
        for (const QString& key : c.flags.isNull() ? QStringList() : flagKeys)
            run.put(key, c.flags);
        if (!c.list.isNull())
            run.put(u"Extentions"_s, c.list);
        run.load();
        EXPECT_EQ(run.stored(flagKeys[0]) + run.stored(flagKeys[1]), c.flag + c.flag);
        EXPECT_EQ(run.choices(), QList<int>(4, c.flag.toInt()));
        EXPECT_EQ(run.stored(u"Extentions"_s), c.exts.join(u';'));
        for (const int outOfRange : {-1, int(c.exts.size())})
            run.rename.removeRenameExt(run, outOfRange);
        EXPECT_TRUE(run.rename.trackExts == c.exts && run.rows == c.exts);
    }
}

} // namespace
