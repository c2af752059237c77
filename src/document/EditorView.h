#ifndef KITE_DOCUMENT_EDITORVIEW_H
#define KITE_DOCUMENT_EDITORVIEW_H

#include <QString>

namespace edit {

struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// What the binding needs of the window that shows the document: the dedicated editors
// and the attribute list, phrased in the editor's own terms. The main window implements
// it; tests implement it with a recorder. Rows of the attribute list are in tag-list
// order, one per tag line, so a row's position is its record's position; a row shows its
// record's label and value (setRowValue is how a changed value reaches it).
class EditorView
{
public:
    virtual ~EditorView() = default;

    virtual void showNameAndAuthor(const QString& name, const QString& author) = 0;
    virtual void showFolderName(const QString& folderName) = 0;
    // Full path of the track folder the user picked (the folder browser's selectedItem).
    virtual QString selectedFolder() const = 0;

    virtual void setSliderPosition(int index, int position) = 0;
    virtual void setNumericText(int index, const QString& text) = 0;

    virtual void showFogSwatch(Rgb colour) = 0;
    virtual void showFogCaption(const QString& threeLines) = 0;

    virtual void clearRows() = 0;
    // key is the label in lower case.
    virtual void appendRow(const QString& key, const QString& label, const QString& value) = 0;
    virtual void setRowValue(int row, const QString& value) = 0;
};

} // namespace edit

#endif
