#ifndef KITE_SAVE_EDITSAVE_H
#define KITE_SAVE_EDITSAVE_H

#include "document/edit.h"
#include "save/fileOps.h"

#include <QString>

#include <optional>

namespace Rename {
struct Settings;
}

// Saving the loaded track, renaming its folder and files, and creating a new info file.
namespace edit {

// What the save needs of the folder browser.
class FolderAccess
{
public:
    virtual ~FolderAccess() = default;
    virtual QString selectedItem() const = 0;
    virtual void setSelectedItem(const QString& folder) = 0;
    virtual QString path() const = 0;
    // Opens the folder; false when it could not be opened (the browser keeps the old one).
    virtual bool setPath(const QString& folder) = 0;
    virtual void refresh() = 0;
};

struct SaveResult
{
    QString summary; // "Saved changes to '...'" and the rename lines (joined with CR alone)
    QString errors;  // one error line per failed step, each ending with CR LF
    // summary, a blank line, then "No Errors Encountered" or "Errors encountered:" + errors.
    QString message() const;
};

// Writes the document into the track's info file, renames the folder and the track files
// when newFolderName differs from the folder's name, reloads the track and returns what
// was done and every error met. Shows nothing itself.
SaveResult saveTrack(State& state, EditorView& view, FolderAccess& folders,
                     const Rename::Settings& rename, const QString& parentPath,
                     const QString& newFolderName);

// Creates <folder>/<name>.inf from the template (never over an existing file, hidden ones
// included) and loads it. Returns empty text, or the reason it failed.
QString newTrackFile(State& state, EditorView& view, const QString& folder);

} // namespace edit

#endif
