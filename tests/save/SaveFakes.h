#ifndef KITE_TESTS_SAVEFAKES_H
#define KITE_TESTS_SAVEFAKES_H

#include "document/EditorView.h"
#include "save/editSave.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <pwd.h>
#include <unistd.h>

// The folder browser as the save sees it: opening a folder fails when it is not there,
// and every folder it was asked to open is remembered.
class FakeFolders : public edit::FolderAccess
{
public:
    QString selected;
    QString open;
    QStringList openRequests;
    int refreshes = 0;

    QString selectedItem() const override { return selected; }
    void setSelectedItem(const QString& folder) override { selected = folder; }
    QString path() const override { return open; }
    bool setPath(const QString& folder) override
    {
        openRequests.append(folder);
        if (!QFileInfo(folder).isDir())
            return false;
        open = folder;
        return true;
    }
    void refresh() override { ++refreshes; }
};

// Records what the binding shows; the folder comes from the fake browser, as the window's
// does from the real one.
class RecordingView : public edit::EditorView
{
public:
    explicit RecordingView(const FakeFolders& folders) : m_folders(folders) {}

    QString name;
    QString author;
    QString folderName;
    QStringList rowValues;
    QStringList rowLabels;

    void showNameAndAuthor(const QString& newName, const QString& newAuthor) override
    {
        name = newName;
        author = newAuthor;
    }
    void showFolderName(const QString& shown) override { folderName = shown; }
    QString selectedFolder() const override { return m_folders.selected; }
    void setSliderPosition(int, int) override {}
    void setNumericText(int, const QString&) override {}
    void showFogSwatch(edit::Rgb) override {}
    void showFogCaption(const QString&) override {}
    void clearRows() override
    {
        rowValues.clear();
        rowLabels.clear();
    }
    void appendRow(const QString&, const QString& label, const QString& value) override
    {
        rowLabels.append(label);
        rowValues.append(value);
    }
    void setRowValue(int row, const QString& value) override
    {
        if (row >= 0 && row < rowValues.size())
            rowValues[row] = value;
    }

private:
    const FakeFolders& m_folders;
};

// Permission tests need a user that permissions apply to. Run as root, the guard switches
// the effective user to "nobody" for its lifetime (the real user stays root, so it can
// switch back); run as anyone else it does nothing.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser()
    {
        if (::geteuid() != 0) {
            m_active = true;
            return;
        }
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || nobody->pw_uid == 0)
            return;
        if (::setegid(nobody->pw_gid) != 0)
            return;
        if (::seteuid(nobody->pw_uid) != 0) {
            [[maybe_unused]] const int restored = ::setegid(0);
            return;
        }
        m_switched = true;
        m_active = true;
    }
    ~AsOrdinaryUser()
    {
        if (m_switched) {
            [[maybe_unused]] const int user = ::seteuid(0);
            [[maybe_unused]] const int group = ::setegid(0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

    // False when permissions cannot be made to apply (root that cannot switch).
    bool active() const { return m_active; }

private:
    bool m_active = false;
    bool m_switched = false;
};

#endif
