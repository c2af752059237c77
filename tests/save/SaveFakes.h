#ifndef KITE_TESTS_SAVEFAKES_H
#define KITE_TESTS_SAVEFAKES_H

#include "save/editSave.h"

#include <QFileInfo>
#include <QStringList>

#include <pwd.h>
#include <unistd.h>

// The folder browser as the save sees it: it remembers every folder it was asked to open.
struct FakeFolders : edit::FolderAccess
{
    QString selected, open;
    QStringList openRequests;
    QString selectedItem() const override { return selected; }
    void setSelectedItem(const QString& folder) override { selected = folder; }
    QString path() const override { return open; }
    bool setPath(const QString& folder) override
    {
        openRequests.append(folder);
        const bool isFolder = QFileInfo(folder).isDir();
        open = isFolder ? folder : open;
        return isFolder;
    }
    void refresh() override {}
};

// Shows nothing; remembers the folder name the binding shows.
struct RecordingView : edit::EditorView
{
    explicit RecordingView(const FakeFolders& browser) : folders(browser) {}
    const FakeFolders& folders;
    QString folderName;
    void showNameAndAuthor(const QString&, const QString&) override {}
    void showFolderName(const QString& shown) override { folderName = shown; }
    QString selectedFolder() const override { return folders.selected; }
    void setSliderPosition(int, int) override {}
    void setNumericText(int, const QString&) override {}
    void showFogSwatch(edit::Rgb) override {}
    void showFogCaption(const QString&) override {}
    void clearRows() override {}
    void appendRow(const QString&, const QString&, const QString&) override {}
    void setRowValue(int, const QString&) override {}
};

// Run as root, switches the effective user to "nobody" while it lives, so permissions apply.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser()
    {
        const passwd* nobody = m_root ? ::getpwnam("nobody") : nullptr;
        m_switched = nobody && nobody->pw_uid != 0 && ::setegid(nobody->pw_gid) == 0
                     && ::seteuid(nobody->pw_uid) == 0;
    }
    ~AsOrdinaryUser() { static_cast<void>(m_root && ::seteuid(0) == 0 && ::setegid(0) == 0); }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    bool active() const { return m_switched || !m_root; }

private:
    const bool m_root = ::geteuid() == 0;
    bool m_switched = false;
};

#endif
