#include "save/editSave.h"

#include "document/InfFile.h"
#include "save/PendingFile.h"
#include "save/fileOps.h"
#include "save/renameJournal.h"
#include "save/trackRename.h"
#include "save/Rename.h"
#include "util/fso.h"

#include <QtGlobal>

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <variant>

namespace edit {

namespace {

const QString slash = QStringLiteral("/");
const QString carriageReturn = QStringLiteral("\r");
const QString crlf = QStringLiteral("\r\n");

// The last path component; empty when there is no separator (as the folder chooser's
// selection never is, apart from a bare drive).
QString lastComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(slash))
        path.chop(1);
    const qsizetype slashAt = path.lastIndexOf(slash);
    return slashAt < 0 ? QString() : path.mid(slashAt + 1);
}

// A name typed into the folder field must stay one folder inside the parent folder, and one
// that is listed: a name beginning with "." (".", ".." too) is hidden, and its track with it.
bool isUsableFolderName(const QString& name)
{
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) && !name.contains(slash)
           && !name.contains(QChar(0));
}

QString printableName(const QString& name)
{
    // A NUL would end the message box text.
    return fso::displayPath(name).replace(QChar(0), QChar(0x2400));
}

} // namespace

QString SaveResult::message() const
{
    const QString block = errors.isEmpty()
                              ? QStringLiteral("No Errors Encountered")
                              : QStringLiteral("Errors encountered:") + crlf + errors;
    return summary + crlf + crlf + block;
}

SaveResult saveTrack(State& state, EditorView& view, FolderAccess& folders,
                     const Rename::Settings& rename, const QString& parentPath,
                     const QString& newFolderName)
{
    SaveResult result;
    const auto fail = [&result](const FileError& error) { result.errors += errorLine(error); };

    QString parent = parentPath;
    if (!parent.isEmpty() && !parent.endsWith(slash))
        parent += slash;
    const QString oldName = lastComponent(folders.selectedItem());
    fillEditors(state, view);

    const QString oldFolder = parent + oldName;
    InfoFileLookup found{oldFolder + slash + oldName + QStringLiteral(".inf"), {}};
    if (!oldName.isEmpty())
        found = findInfoFile(oldFolder);
    const QString infoFile = found.path;
    bool written = false;
    QByteArray writtenBytes;
    if (oldName.isEmpty()) {
        fail({EINVAL, QStringLiteral("No track folder is selected")});
    } else if (!found.ambiguity.isEmpty()) {
        fail({EINVAL, found.ambiguity + QStringLiteral(" Nothing was written.")});
    } else {
        const EncodeResult encoded = encodeDocument(state.tagList, state.encoding);
        if (!encoded.ok) {
            // A substitute character would silently change the value; keep the old file.
            fail({EILSEQ, encoded.error});
        } else if (const std::optional<FileError> error =
                       writeTrackFile(oldFolder, infoFile, encoded.bytes)) {
            fail(*error);
        } else {
            written = true;
            writtenBytes = encoded.bytes;
        }
    }

    // Where the file just written is once the renaming below is done.
    QString infoFileNow = infoFile;
    QString trackFolder = oldFolder;
    QString renameLines;
    if (newFolderName != oldName) {
        if (!isUsableFolderName(newFolderName)) {
            fail({EINVAL, QStringLiteral("Invalid folder name '") + printableName(newFolderName)
                              + QStringLiteral("': nothing was renamed")});
        } else if (const QString tooLong =
                       nameTooLong(rename, parent, oldFolder, oldName, newFolderName);
                   !tooLong.isEmpty()) {
            // Checked before anything moves: a folder whose info file or track files cannot
            // follow it would leave the track half renamed.
            fail({ENAMETOOLONG, qt_error_string(ENAMETOOLONG) + QStringLiteral(": '")
                                    + printableName(tooLong)
                                    + QStringLiteral("': nothing was renamed")});
        } else if (isHalfRenamed(oldFolder)) {
            // A second rename would leave the first one's files behind for good.
            fail({EALREADY, QStringLiteral("A rename of this track is not finished (it was "
                                           "interrupted, or another editor is renaming it); "
                                           "open the track again to finish it: nothing was "
                                           "renamed")});
        } else {
            renameLines += carriageReturn + QStringLiteral("Renamed folder '")
                           + printableName(oldName) + QStringLiteral("' to '")
                           + printableName(newFolderName) + QStringLiteral("'");
            const QString newFolder = parent + newFolderName;
            // Only renaming type 1 has steps after the folder's own rename to be finished.
            std::optional<RenameJournal> journal;
            std::optional<FileError> error;
            if (rename.renameKind == 1)
                error = journal
                            .emplace(oldFolder, rename, oldName, newFolderName,
                                     infoFile.mid(infoFile.lastIndexOf(u'/') + 1))
                            .error();
            if (!error) {
                error = renameNoReplace(oldFolder, newFolder);
                if (error && journal)
                    journal->remove(oldFolder);
            }
            if (error) {
                // The files of another folder of that name are not ours to rename.
                fail(*error);
            } else {
                trackFolder = newFolder;
                infoFileNow = newFolder + infoFile.mid(oldFolder.size());
                if (journal) {
                    result.errors +=
                        renameTrackFiles(rename, newFolder, oldName, newFolderName, &infoFileNow);
                    journal->remove(newFolder);
                    renameLines += carriageReturn
                                   + QStringLiteral("Renamed selected file types in '")
                                   + printableName(newFolderName) + QStringLiteral("'");
                }
            }
        }
    }
    result.summary = QStringLiteral("Saved changes to '") + fso::displayPath(infoFileNow)
                     + QStringLiteral("'") + renameLines;

    // Reload from the folder the track is in now: after a refused or failed rename that is
    // the old folder, never another folder of the new name.
    folders.refresh();
    QString selected = trackFolder;
    if (folders.setPath(trackFolder))
        selected = folders.path();
    else
        fail(folderError(trackFolder));
    folders.setSelectedItem(selected);
    if (written) {
        // Where the file is still the one just written, what it holds is known: the reload
        // parses those bytes rather than reading them back, and changes only the rows whose
        // text the file changed.
        const bool same = trackFolder == oldFolder && findInfoFile(selected).path == infoFile;
        const QString loadError = same ? reloadTrack(state, view, selected, writtenBytes)
                                       : loadTrack(state, view, selected);
        if (!loadError.isEmpty())
            fail({EIO, loadError});
    } else {
        // Reloading would throw away the edits the file could not take; the user keeps them
        // to correct and save again. The editors still show the folder's present name.
        fillEditors(state, view);
    }
    return result;
}

QString newTrackFile(State& state, EditorView& view, const QString& folder)
{
    const QString path = infoFilePath(folder);
    const auto failure = [&path](const FileError& error) -> QString {
        return QStringLiteral("Could not create '") + fso::displayPath(path)
               + QStringLiteral("': ") + error.text;
    };
    // The track's own info file may still have the old name, and would then keep it for good.
    if (isHalfRenamed(folder))
        return failure({EALREADY, QStringLiteral("a rename of this track is not finished; "
                                                 "open the track again to finish it")});
    // Such a file may be this track's info file, copied from a system that ignores letter
    // case; a second one beside it would leave the track with two.
    if (const QStringList variants = infoFileCaseVariants(folder); !variants.isEmpty())
        return failure({EEXIST, qt_error_string(EEXIST) + QStringLiteral(" in other letter case: '")
                                    + fso::displayPath(variants.join(QStringLiteral("', '")))
                                    + QStringLiteral("'")});
    const QByteArray target = fso::encodeName(path);
    removeLeftovers(folderOf(target));
    // Written in full before it gets its name, which must still be free: an existing file (a
    // hidden one too) is never truncated, and no half-written info file ever appears.
    PendingFile file(folderOf(target), "new");
    std::optional<FileError> error = file.create();
    if (!error)
        error = file.write(newFileTemplate());
    if (!error)
        error = file.linkAs(target);
    if (error)
        return failure(*error);
    return loadTrack(state, view, folder);
}

} // namespace edit
