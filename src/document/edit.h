#ifndef KITE_DOCUMENT_EDIT_H
#define KITE_DOCUMENT_EDIT_H

#include "document/EditorView.h"
#include "document/InfFile.h"
#include "document/TagList.h"

#include <QHash>
#include <QString>

#include <array>
#include <optional>

// The loaded document and its binding to the window's editors.
namespace edit {

// The info file as the editor last read or wrote it, so that a change another program makes
// to it can be told from the editor's own.
struct DiskCopy
{
    QString path; // empty while no info file is loaded
    qint64 size = -1;
    size_t hash = 0; // of the bytes read or written
};

// The edit module's state. The window owns one; a test creates a fresh one.
struct State
{
    TagList tagList;
    bool fileLoaded = false; // an info file was found and read by the last load
    bool loading = false;    // the program itself is filling controls: handlers do nothing
    Encoding encoding = Encoding::Windows1252; // how the loaded file was read; saved so
    // What the fog colour swatch and caption show. Filling the editors changes them only when
    // FOGCOLOR can be read, and start-up empties the caption again, so they are not always
    // what the document holds: they are kept here, where a Fog page made later finds them.
    Rgb fogSwatch;
    QString fogCaption = QStringLiteral("Red:\nGreen:\nBlue:");
    // The records changed since the document was last loaded or saved, by position, with the
    // value each had then. A record changed back to that value leaves it: it is no change.
    QHash<int, QString> savedValues;
    DiskCopy diskCopy;
};

// The dedicated editors: sliders and numeric fields with the lower-case label they edit.
inline constexpr int sliderCount = 5;
inline constexpr std::array<const char*, sliderCount> sliderTags = {
    "farclip", "fogstart", "worldrgbper", "modelrgbper", "instancergbper"};
inline constexpr std::array<int, sliderCount> sliderMinimum = {0, 0, 0, 0, 0};
inline constexpr std::array<int, sliderCount> sliderMaximum = {20000, 20000, 100, 100, 100};
inline constexpr int numericCount = 2;
inline constexpr std::array<const char*, numericCount> numericTags = {"vertfogstart", "vertfogend"};

// Loads the track of a folder: finds its info file (findInfoFile), replaces the document and
// the attribute list rows, and fills the editors (or empties them when there is no info file).
// Returns empty text, or the reason when the file exists but could not be read, or which
// files could be it; the document is then empty and fileLoaded false.
QString loadTrack(State& state, EditorView& view, const QString& folderPath);
// loadTrack for a folder whose info file was just written with `bytes`: the same document,
// rows and editors, without reading the file back. When the new document has the labels of
// the one shown, in the same order, only the rows whose value changed are updated (the
// list keeps its selection and scroll position); otherwise the rows are rebuilt. Whatever
// loadTrack would not load from those bytes, it leaves to loadTrack.
QString reloadTrack(State& state, EditorView& view, const QString& folderPath,
                    const QByteArray& bytes);

// Whether the document differs from what was last loaded or saved.
bool isModified(const State& state);

// How the loaded info file on disk compares with what the editor last read or wrote.
enum class DiskState
{
    Unchanged,
    // Its size or its content is not what was read or written. Its modification time alone
    // tells nothing either way: the same bytes written again are still the file that was
    // read, and a file changed twice within the clock's resolution keeps its time.
    Changed,
    Missing, // it is gone, or no info file is loaded
};
DiskState diskState(const State& state);
// Loads the track of `folderPath` again from its info file as it is now, keeping the rows
// where the labels are unchanged (reloadTrack): after another program changed the file.
QString reloadFromDisk(State& state, EditorView& view, const QString& folderPath);

// Value of the first record with that label (ignoring case); empty when there is none.
QString getTagValue(const State& state, const QString& label);
// Stores the value in the first record with that label (no record is ever created) and,
// unless loading, in that record's attribute list row.
void setTagValue(State& state, EditorView& view, const QString& label, const QString& value);
// The same for the record at a position: the in-place edit of one row of the list.
void setTagValueAt(State& state, EditorView& view, int index, const QString& value);
// Shows the value of the record at a position in its row and in the editor that shows it, if
// any (the first record of a label is the one its editor shows), without storing anything
// back: what an undo step changes on the screen. The fog colour is shown when it can be read.
void showTagValueAt(State& state, EditorView& view, int index);

void fillEditors(State& state, EditorView& view);
void clearEditors(State& state, EditorView& view);
// Shows on `view` what the editors hold now, without changing anything: the name, author,
// folder, sliders and numeric fields from the document, the fog colour as last shown. A page
// made after the load fills itself with it.
void showEditors(State& state, EditorView& view);
// Shows a fog colour, or a fog caption, and keeps it as what the editors show.
void showFogSwatch(State& state, EditorView& view, Rgb colour);
void showFogCaption(State& state, EditorView& view, const QString& threeLines);

// Value formats of the binding.
struct NameAndAuthor
{
    QString name;
    QString author;
};
// Splits at the first " by " (found ignoring case); each part loses one apostrophe at
// either end.
NameAndAuthor splitNameAndAuthor(const QString& value);
// "name by author", or the name alone when the author is empty.
QString joinNameAndAuthor(const QString& name, const QString& author);
// What the name and author fields store into NAME: joinNameAndAuthor, except that fields showing
// just what the value as last loaded or saved shows give that value back, apostrophes and "BY"
// as they were: typed back to what it was, the name is no change.
QString nameValue(const State& state, const QString& name, const QString& author);
// The slider position a value shows: the nearest whole number (halves to even), or 0 when
// the value is not numeric or lies outside [minimum, maximum].
int sliderPositionFor(const QString& value, int minimum, int maximum);
// "R G B" (single spaces) as a colour; components above 255 count as 255. Fails on fewer
// than three parts, or a part that is not a number, negative or beyond 16-bit range.
std::optional<Rgb> fogColourFrom(const QString& value);
// "Red: <p1>\nGreen: <p2>\nBlue: <p3>" from the value's parts; fails on fewer than three.
std::optional<QString> fogCaptionFrom(const QString& value);
// The value written back after a colour is chosen: "R G B " (ends with one space).
QString fogColourValue(Rgb colour);
QString fogCaption(Rgb colour);
// "Red:\nGreen:\nBlue:"
QString emptyFogCaption();

} // namespace edit

#endif
