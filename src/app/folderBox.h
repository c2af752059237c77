#ifndef KITE_APP_FOLDERBOX_H
#define KITE_APP_FOLDERBOX_H

#include "save/editSave.h"

#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class Prompts;
class FolderListModel;
class FolderListView;

// The folder browser: a drive list of the mounted volumes above a directory list showing
// the chain of folders from the volume's root down to the open folder, then the open
// folder's subfolders. A click (or moving the highlight with the keyboard) picks a folder:
// selectedItem names it and pathChange is raised. A double-click, or Enter, opens it.
class folderBox final : public QWidget
{
    Q_OBJECT
public:
    // The mount points the drive list offers; "/" is always added.
    using VolumeLister = std::function<QStringList()>;
    // Every mounted, ready volume whose mount point is a folder.
    static QStringList mountedVolumes();

    // Opens the current working folder (or its nearest readable ancestor) without asking.
    folderBox(Prompts& prompts, QWidget* parent, VolumeLister volumes = &folderBox::mountedVolumes);
    ~folderBox() override;
    Q_DISABLE_COPY_MOVE(folderBox)

    // Full path of the folder last picked, no trailing "/" except for "/"; empty until set.
    // The main window also writes it (start-up, after a save).
    QString selectedItem;

    // The folder the directory list has open.
    QString Path() const;
    // Opens a folder. When it cannot be opened the user is asked Retry or Cancel; Cancel
    // opens the old folder again. Returns whether the new folder is open. Neither
    // selectedItem nor pathChange is touched.
    bool setPath(const QString& folder);

    // The mount point of the volume shown in the drive list.
    QString Drive() const;
    // Shows the volume holding the given path (only its drive part counts); false when
    // no listed volume holds it. The directory list is not changed.
    bool setDrive(const QString& path);

    // Re-reads the open folder's subfolders, then the mounted volumes.
    void Refresh();

    // Picks a folder the list shows (the open folder, one of its ancestors or subfolders)
    // as a click on it does: highlights it, names it in selectedItem and raises pathChange.
    // False, with nothing changed, when the list does not show it.
    bool pickFolder(const QString& folder);

    // While pathChange is handled: back to what the browser showed before the user's pick
    // (its open folder, selectedItem and the highlight on it), or to the pick again after the
    // browser was moved meanwhile. Neither asks anything nor raises pathChange; a folder that
    // cannot be opened any more gives way to its nearest readable parent.
    void cancelPick();
    void restorePick();

Q_SIGNALS:
    void pathChange();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct OpenError
    {
        int code = 0;
        QString text;
    };

    void objDir_Click(int row);
    void objDir_Open(int row);
    void objDrive_Change(int index);

    // The steps of writing Path; they report the failure instead of asking.
    bool openFolder(const QString& folder, OpenError* error);
    bool selectDrive(const QString& path, OpenError* error);
    // Opens the nearest readable folder at or above `folder`, "/" at worst.
    void openNearest(const QString& folder);
    QString driveRootFor(const QString& path) const;
    void fillDrives();
    void highlight(int row);
    // What the browser shows of a pick: the folder open, and the folder picked.
    struct Pick
    {
        QString path;
        QString selected;
    };
    void notePick(const Pick& before);
    void showPick(const Pick& pick);

    Prompts& m_prompts;
    VolumeLister m_volumes;
    QComboBox* objDrive = nullptr;
    FolderListView* objDir = nullptr;
    FolderListModel* m_model = nullptr;
    QIcon m_driveIcon;
    QString m_path;
    QStringList m_driveRoots;
    // The folder last open on each volume, what choosing that volume again opens.
    QHash<QString, QString> m_folderOnDrive;
    bool m_changingList = false; // the program is moving the highlight: raise nothing
    Pick m_beforePick;
    Pick m_pick;
};

// The folder browser as the save sees it.
class FolderBoxAccess final : public edit::FolderAccess
{
public:
    explicit FolderBoxAccess(folderBox& box) : m_box(box) { }
    QString selectedItem() const override { return m_box.selectedItem; }
    void setSelectedItem(const QString& folder) override { m_box.selectedItem = folder; }
    QString path() const override { return m_box.Path(); }
    bool setPath(const QString& folder) override { return m_box.setPath(folder); }
    void refresh() override { m_box.Refresh(); }

private:
    folderBox& m_box;
};

#endif
