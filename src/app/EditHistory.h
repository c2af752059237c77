#ifndef KITE_APP_EDITHISTORY_H
#define KITE_APP_EDITHISTORY_H

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

class QUndoStack;
class QWidget;

namespace edit {
class EditorView;
struct State;
}

// The loaded document's undo history. Every change the user makes through an editor is one
// step: consecutive changes that one control makes to one tag merge, until the run ends (the
// control loses the focus, a slider is released, another change comes between), so a drag of
// a slider or a run of typing in a field is undone at once. Undo and redo change the
// document, the tag's row and the editor that shows the tag together. The window clears the
// history when it loads a track and marks where the document was saved.
class EditHistory final : public QObject
{
    Q_OBJECT
public:
    EditHistory(edit::State& state, edit::EditorView& view, QObject* parent);
    ~EditHistory() override;
    Q_DISABLE_COPY_MOVE(EditHistory)

    // The user gave the tag `label` this value through `control`: stored in the document and
    // in its row. Without a control (a colour chosen in the dialog) it is a step of its own.
    void change(const QString& label, const QString& value, const QObject* control = nullptr);
    // The user typed this value into the row of the record at `index`: stored, then every
    // editor is filled from the document. Each one is a step of its own.
    void changeRow(int index, const QString& value);
    // The control's run of changes is over: the next change is a new step.
    void endRun();

    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    // Forgets every step (a track was loaded).
    void clear();
    // The document as it is now is saved: undoing back to here leaves nothing unsaved.
    void setSaved();

    // Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y.
    static QList<QKeySequence> undoKeys();
    static QList<QKeySequence> redoKeys();
    // Gives Ctrl+Z and the redo keys to the history while the text field has the focus; the
    // field would otherwise undo its own typing, behind the document's back.
    void takeUndoKeys(QWidget* field);

Q_SIGNALS:
    // A step was made, merged, undone or redone, or the history was cleared.
    void changed();
    // An undo or redo changed a value typed into the row of the record at `index`: the row
    // is where the user looks for it.
    void rowStepShown(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QUndoStack& stack(); // made with the first step

    edit::State& m_state;
    edit::EditorView& m_view;
    QUndoStack* m_stack = nullptr;
    int m_run = 0;
};

#endif
