#include "save/Rename.h"

#include "settings/SettingsStore.h"

namespace Rename {

namespace {

const QString zero = QStringLiteral("0");
const QString one = QStringLiteral("1");

// Flags are stored as "0" or "1"; anything else (missing, "2", "yes", " 1") counts as "1".
QString normalisedFlag(const QString& stored)
{
    return (stored == zero || stored == one) ? stored : one;
}

// Reads a flag and stores it back normalised, so the store always holds "0" or "1".
QString loadFlag(settings::Store& store, const QString& key)
{
    const QString stored = store.read(appName, sectionName, key);
    const QString flag = normalisedFlag(stored);
    if (flag != stored)
        store.write(appName, sectionName, key, flag);
    return flag;
}

} // namespace

void Settings::loadRenameSettings(settings::Store& store, bool resetExts)
{
    const QString stored = store.read(appName, sectionName, extensionsKey);
    QString extensions = stored;
    if (extensions.isEmpty() || resetExts)
        extensions = defaultExtensions;
    // A reset list is only stored by the next confirmation of the dialog; on a normal
    // load an empty (or missing) list is replaced by the defaults in the store too.
    if (!resetExts && extensions != stored)
        store.write(appName, sectionName, extensionsKey, extensions);
    trackExts = extensions.split(QLatin1Char(';'), Qt::KeepEmptyParts);

    // The rename type and the temporary-file option are always reread from the store,
    // which discards unconfirmed changes of their controls.
    renameKind = loadFlag(store, renameTypeKey).toInt();
    autoTempRename = loadFlag(store, autoTempKey) == one;
}

void Settings::loadRenameSettings(settings::Store& store, RenamePage& page, bool resetExts)
{
    loadRenameSettings(store, resetExts);
    showRenameSettings(page);
}

void Settings::showRenameSettings(RenamePage& page) const
{
    page.clearExtensionRows();
    for (const QString& extension : trackExts)
        page.appendExtensionRow(extension);
    page.selectRenameType(renameKind);
    page.setAutoTempChecked(autoTempRename);
}

bool Settings::saveRenameSettings(settings::Store& store, const RenamePage& page)
{
    // The page's choices take effect for this run even when the store cannot be written;
    // the caller tells the user that they were not saved.
    autoTempRename = page.autoTempChecked();
    renameKind = page.renameTypeZeroSelected() ? 0 : 1;

    // Stops at the first failure so that the store's lastError still tells its cause.
    return store.write(appName, sectionName, extensionsKey, trackExts.join(QLatin1Char(';')))
           && store.write(appName, sectionName, autoTempKey, autoTempRename ? one : zero)
           && store.write(appName, sectionName, renameTypeKey, renameKind == 0 ? zero : one);
}

void Settings::removeRenameExt(RenamePage& page, int position)
{
    if (position < 0 || position >= trackExts.size())
        return;
    page.removeExtensionRow(position);
    trackExts.removeAt(position);
}

void Settings::addRenameExt(RenamePage& page, const QString& ext)
{
    if (ext.isEmpty())
        return;
    page.appendExtensionRow(ext);
    trackExts.append(ext);
}

} // namespace Rename
