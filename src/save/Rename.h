#ifndef KITE_SAVE_RENAME_H
#define KITE_SAVE_RENAME_H

#include <QString>
#include <QStringList>

namespace settings {
class Store;
}

// The rename settings: which files count as track files, the rename type, and whether
// temporary edit mode companions are renamed too. Held in memory for the whole run and
// persisted as "Tarvex Kite" / "Renaming".
namespace Rename {

inline const QString appName = QStringLiteral("Tarvex Kite");
inline const QString sectionName = QStringLiteral("Renaming");
inline const QString extensionsKey = QStringLiteral("Extentions");
inline const QString renameTypeKey = QStringLiteral("Rename Type");
inline const QString autoTempKey = QStringLiteral("Auto Temp Edit File");
inline const QString defaultExtensions =
    QStringLiteral("cam;fan;fin;fob;inf;lit;ncp;pan;taz;vis;tri;por;fld;rim;ace;w");

// What the settings need of the renaming page of the options dialog.
class RenamePage
{
public:
    virtual ~RenamePage() = default;
    virtual void clearExtensionRows() = 0;
    virtual void appendExtensionRow(const QString& extension) = 0;
    // Removes the row at a position (0-based).
    virtual void removeExtensionRow(int position) = 0;
    virtual void selectRenameType(int index) = 0;
    virtual bool renameTypeZeroSelected() const = 0;
    virtual void setAutoTempChecked(bool checked) = 0;
    virtual bool autoTempChecked() const = 0;
};

// The Rename module's state. The window owns one; a test creates a fresh one.
struct Settings
{
    QStringList trackExts;    // without leading dot; may repeat or hold empty entries
    int renameKind = 1;       // 1 = only track files, 0 = the folder only
    bool autoTempRename = true;

    // Reads the settings (the default list when none is stored or resetExts is set) and
    // stores them back normalised; the page, when given, shows them.
    void loadRenameSettings(settings::Store& store, bool resetExts);
    void loadRenameSettings(settings::Store& store, RenamePage& page, bool resetExts);
    // Shows the settings on the page: its rows, its rename type and its check box.
    void showRenameSettings(RenamePage& page) const;
    // Returns false when the settings could not be written.
    bool saveRenameSettings(settings::Store& store, const RenamePage& page);
    // Removes the extension at a position of the list, the row the user selected: of two
    // that differ only in letter case, the one chosen goes. Out of range: nothing changes.
    void removeRenameExt(RenamePage& page, int position);
    // Appends as typed, to the page and the list (the Add button; empty text is ignored).
    void addRenameExt(RenamePage& page, const QString& ext);
};

} // namespace Rename

#endif
