#include "app/EditHistory.h"

#include "document/edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QUndoCommand>
#include <QUndoStack>
#include <QWidget>

#include <utility>

namespace {

// Steps that may merge share this id; QUndoStack only asks steps of one id to merge.
constexpr int mergeableId = 1;

// One change of one record's value: made through an editor, or typed into the record's row.
class TagValueCommand final : public QUndoCommand
{
public:
    enum class Source
    {
        Editor,   // the editor already shows the value
        RowTyped, // the row already shows it; the editors are filled from the document
    };

    TagValueCommand(EditHistory& history, edit::State& state, edit::EditorView& view, int index,
                    QString before, QString after, Source source, const QObject* control,
                    int run)
        : m_history(history), m_state(state), m_view(view), m_index(index),
          m_before(std::move(before)), m_after(std::move(after)), m_source(source),
          m_control(control), m_run(run)
    { }

    int id() const override { return m_control ? mergeableId : -1; }

    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const TagValueCommand*>(other);
        if (next->m_control != m_control || next->m_run != m_run || next->m_index != m_index)
            return false;
        m_after = next->m_after;
        // Typed back to what it was: the run changed nothing and leaves no step.
        setObsolete(m_after == m_before);
        return true;
    }

    void redo() override
    {
        if (!std::exchange(m_done, true)) {
            storeAsTheUserDid();
            return;
        }
        show(m_after);
    }

    void undo() override { show(m_before); }

private:
    // The first time, the value comes from the screen, which already shows it.
    void storeAsTheUserDid()
    {
        if (m_source == Source::Editor) {
            edit::setTagValueAt(m_state, m_view, m_index, m_after);
            return;
        }
        // The list keeps what was typed; the tag takes it and the editors follow.
        {
            const QScopedValueRollback<bool> loading(m_state.loading, true);
            edit::setTagValueAt(m_state, m_view, m_index, m_after);
        }
        edit::fillEditors(m_state, m_view);
    }

    void show(const QString& value)
    {
        {
            const QScopedValueRollback<bool> loading(m_state.loading, true);
            edit::setTagValueAt(m_state, m_view, m_index, value);
        }
        edit::showTagValueAt(m_state, m_view, m_index);
        if (m_source == Source::RowTyped)
            Q_EMIT m_history.rowStepShown(m_index);
    }

    EditHistory& m_history;
    edit::State& m_state;
    edit::EditorView& m_view;
    const int m_index;
    const QString m_before;
    QString m_after;
    const Source m_source;
    const QObject* const m_control; // null: never merges
    const int m_run;
    bool m_done = false;
};

bool matchesOneOf(const QKeyEvent* event, const QList<QKeySequence>& keys)
{
    const QKeySequence pressed(event->keyCombination());
    return keys.contains(pressed);
}

} // namespace

EditHistory::EditHistory(edit::State& state, edit::EditorView& view, QObject* parent)
    : QObject(parent), m_state(state), m_view(view)
{
    // Typing in one field, then in another: two runs, even when both edit the same tag.
    connect(qApp, &QApplication::focusChanged, this, &EditHistory::endRun);
}

EditHistory::~EditHistory() = default;

QList<QKeySequence> EditHistory::undoKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::Key_Z)};
}

QList<QKeySequence> EditHistory::redoKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)};
}

QUndoStack& EditHistory::stack()
{
    if (!m_stack) {
        m_stack = new QUndoStack(this);
        connect(m_stack, &QUndoStack::indexChanged, this, &EditHistory::changed);
    }
    return *m_stack;
}

void EditHistory::change(const QString& label, const QString& value, const QObject* control)
{
    const int index = m_state.tagList.indexOf(label);
    // A tag missing from the file is never created: the change stores nothing.
    if (index < 0)
        return;
    const QString before = m_state.tagList.at(index).tagValue;
    if (before == value)
        return;
    stack().push(new TagValueCommand(*this, m_state, m_view, index, before, value,
                                     TagValueCommand::Source::Editor, control, m_run));
}

void EditHistory::changeRow(int index, const QString& value)
{
    if (index < 0 || index >= m_state.tagList.count())
        return;
    const QString before = m_state.tagList.at(index).tagValue;
    if (before == value) {
        edit::fillEditors(m_state, m_view); // as after any edit of a row
        return;
    }
    stack().push(new TagValueCommand(*this, m_state, m_view, index, before, value,
                                     TagValueCommand::Source::RowTyped, nullptr, m_run));
}

void EditHistory::endRun()
{
    ++m_run;
}

bool EditHistory::canUndo() const
{
    return m_stack && m_stack->canUndo();
}

bool EditHistory::canRedo() const
{
    return m_stack && m_stack->canRedo();
}

void EditHistory::undo()
{
    endRun();
    if (m_stack)
        m_stack->undo();
}

void EditHistory::redo()
{
    endRun();
    if (m_stack)
        m_stack->redo();
}

void EditHistory::clear()
{
    endRun();
    if (m_stack)
        m_stack->clear();
}

void EditHistory::setSaved()
{
    endRun();
    if (m_stack)
        m_stack->setClean();
}

void EditHistory::takeUndoKeys(QWidget* field)
{
    field->installEventFilter(this);
}

bool EditHistory::eventFilter(QObject* watched, QEvent* event)
{
    // A text field claims Ctrl+Z for itself before shortcuts are looked at; leaving the event
    // unclaimed lets the window's undo and redo shortcuts have it.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (matchesOneOf(key, undoKeys()) || matchesOneOf(key, redoKeys()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
