#ifndef KITE_SAVE_RENAMEJOURNAL_H
#define KITE_SAVE_RENAMEJOURNAL_H

#include "save/Rename.h"
#include "save/editSave.h"
#include "save/fileOps.h"

#include <QString>

#include <optional>

// The rename journal: a renaming of a track's folder and files is thousands of steps, and
// the editor may be killed, or the power fail, between any two. Before the first step a
// small journal is written into the track folder and flushed to disk; it travels with the
// folder when that is renamed, and is removed once every step is done. A track folder
// holding one was left half renamed, and the journal says how to finish.
namespace edit {

// A rename of a track that was begun and not finished, as its journal and the folder show it.
struct InterruptedRename
{
    QString folder;              // the track folder as it was opened
    QString oldName;             // the name the track's files had
    QString infoFile;            // the info file's name where its letter case is not oldName's
    QString newName;             // the name the track was being given
    bool folderRenamed = false;  // the folder already has the new name
    int filesLeft = 0;           // track files that still have the old name
    Rename::Settings rename;     // which files the rename takes, as they were when it began

    // The name a file listed under the old name has in the folder: an info file named in other
    // letter case is renamed as the one it stands for.
    QString nameNow(const QString& oldFile) const;
    // The question put to the user: finish it now?
    QString offer() const;
    // What the user is told when the answer was No.
    QString leftHalfRenamed() const;
};

// What a folder about to be opened holds of an interrupted rename, if anything. A journal
// left by a kill while it was being written (no rename had begun then) is removed, and so
// is one whose rename is complete on disk; neither is an interrupted rename, and nor is a
// rename that another editor is running now.
std::optional<InterruptedRename> findInterruptedRename(const QString& folder);

// Finishes the rename with the rules a save follows: the folder first when it still has its
// old name, then every track file; nothing is ever replaced, and a file whose new name is
// taken keeps its old one (the message lists it). Once nothing more can be done the journal
// is removed. When the folder was renamed the folder browser is moved to it and selects it,
// as after a save. The result reads like a save's: what was done, and the errors met.
SaveResult finishRename(FolderAccess& folders, const InterruptedRename& interrupted);

// True while a rename of the folder's track is not finished: one was interrupted, or another
// editor is renaming it right now.
bool isHalfRenamed(const QString& folder);

// The journal of the rename that is running: written and flushed to disk when it is made,
// and locked while this object lives, so that another editor opening the track sees a rename
// in progress rather than one to finish (a kill ends the lock with the process). remove()
// ends it once every rename is done; otherwise it stays for the next open to find.
class RenameJournal
{
public:
    // Writes a new journal into the folder, before the rename's first step. infoFile: the name
    // the info file has in the folder, where that differs from <old name>.inf in letter case.
    RenameJournal(const QString& folder, const Rename::Settings& rename, const QString& oldName,
                  const QString& newName, const QString& infoFile = {});
    // Takes over the journal of an interrupted rename, to finish it.
    explicit RenameJournal(const QString& folder);
    ~RenameJournal();
    Q_DISABLE_COPY_MOVE(RenameJournal)

    // Why the journal could not be written or taken over; nothing may be renamed then.
    std::optional<FileError> error() const { return m_error; }
    // Removes it from the folder, under the name the folder has now.
    void remove(const QString& folderNow);

private:
    int m_fd = -1;
    std::optional<FileError> m_error;
};

} // namespace edit

#endif
