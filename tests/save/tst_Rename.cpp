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

// After Delete, Defaults puts back the default list unstored and rereads type and box.
TEST(RenameSettings, storedListSplitsAtEverySemicolon_emptyGivesDefaults_deleteTakesTheChosenRow)
{
    const std::tuple<QString, int, QStringList> cases[] = {
        {u"inf;;w"_s, 3, {u"inf"_s, QString(), u"w"_s}}, // no such row: nothing goes
        {u"inf;;w"_s, -1, {u"inf"_s, QString(), u"w"_s}},
        {u"inf;TAZ;w;taz"_s, 3, {u"inf"_s, u"TAZ"_s, u"w"_s}}, // not the first that matches
        {u"inf;taz;w;TAZ"_s, 1, {u"inf"_s, u"w"_s, u"TAZ"_s}},
        {u""_s, 0, defaults.mid(1)},
    };
    for (const auto& [list, deleted, after] : cases) {
        SCOPED_TRACE(list.toStdString() + " less row " + std::to_string(deleted));
        Dialog run;
        run.put(u"Extentions"_s, list);
        run.load();
        run.rename.removeRenameExt(run, deleted);
        EXPECT_EQ(run.rename.trackExts, after);
        EXPECT_EQ(run.rows, after);
        const QString stored = list.isEmpty() ? defaults.join(u';') : list;
        EXPECT_EQ(run.stored(u"Extentions"_s), stored);
        for (const QString& key : flagKeys)
            run.put(key, u"0"_s);
        run.rename.addRenameExt(run, u"zip"_s); // unconfirmed changes on the page
        run.selectRenameType(1);
        run.setAutoTempChecked(true);
        run.load(true);
        EXPECT_TRUE(run.rename.trackExts == defaults && run.rows == defaults);
        EXPECT_EQ(run.stored(u"Extentions"_s), stored);
        EXPECT_EQ(run.choices(), QList<int>(4, 0));
    }
}

} // namespace
