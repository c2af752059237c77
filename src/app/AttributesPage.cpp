#include "app/AttributesPage.h"

#include "app/Artwork.h"
#include "app/AttributeModel.h"
#include "app/FormLayout.h"
#include "app/LongText.h"
#include "app/Prompts.h"
#include "descriptions/desc.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

#include <functional>

namespace {

constexpr int valueColumn = AttributeModel::valueColumn;
constexpr int labelColumn = AttributeModel::labelColumn;

// Edits the value column in place and reports each committed text; an edit abandoned with
// Escape commits nothing.
class ValueDelegate final : public QStyledItemDelegate
{
public:
    ValueDelegate(QObject* parent, std::function<void(int, const QString&)> committed)
        : QStyledItemDelegate(parent), m_committed(std::move(committed))
    { }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        if (index.column() != valueColumn)
            return nullptr;
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        // The list's background picture is not for the editor.
        QPalette palette = editor->palette();
        palette.setBrush(QPalette::Base, QApplication::palette().base());
        editor->setPalette(palette);
        editor->setAutoFillBackground(true);
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line)
            return;
        const QString text = line->text();
        QStyledItemDelegate::setModelData(editor, model, index);
        m_committed(index.row(), text);
    }

private:
    std::function<void(int, const QString&)> m_committed;
};

} // namespace

AttributesPage::AttributesPage(QWidget* frame, edit::State& state, edit::EditorView& document,
                               const desc::Store& descriptions, Prompts& prompts)
    : EditorPage(frame, state, document), m_descriptions(descriptions), m_prompts(prompts)
{
    setObjectName(QStringLiteral("attributesPage"));
    // The rows live from the start; the list that shows them is made when the page is first
    // shown, so a start-up that never opens the page builds no view.
    m_attributes = new AttributeModel(this);
    lblDesc = formLayout::place(new QLabel(this), "lblDesc", 240, 5085, 5895, 420);
    lblDesc->setWordWrap(true);
    lblDesc->setTextFormat(Qt::PlainText);
    lblDesc->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &AttributesPage::Timer1_Timer);
}

QList<QWidget*> AttributesPage::focusOrder() const
{
    if (!listviewAttr)
        return {};
    return {listviewAttr};
}

void AttributesPage::makeAttributeList()
{
    if (listviewAttr)
        return;
    listviewAttr = formLayout::place(new QTreeView(this), "listviewAttr", 240, 360, 5895, 4695);
    listviewAttr->setAccessibleName(tr("Attributes"));
    listviewAttr->setModel(m_attributes);
    listviewAttr->setRootIsDecorated(false);
    listviewAttr->setUniformRowHeights(true);
    listviewAttr->setAllColumnsShowFocus(true);
    listviewAttr->setSelectionMode(QAbstractItemView::SingleSelection);
    listviewAttr->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listviewAttr->header()->setSectionsMovable(false);
    listviewAttr->header()->setStretchLastSection(true);
    listviewAttr->setItemDelegate(
        new ValueDelegate(listviewAttr, [this](int row, const QString& text) {
            listviewAttr_AfterLabelEdit(row, text);
        }));
    listviewAttr->viewport()->installEventFilter(this);
    listviewAttr->installEventFilter(this);

    connect(listviewAttr, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& item) { listviewAttr_ItemClick(item); });
    // Moving through the rows with the keyboard shows their descriptions too.
    connect(listviewAttr->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& item) {
                if (!m_state.loading && listviewAttr->hasFocus())
                    listviewAttr_ItemClick(item);
            });
}

// The list's looks: set when it is first shown, so that a start-up that never shows it
// measures no text in its font and reads no picture.
void AttributesPage::dressAttributeList()
{
    using formLayout::twips;
    m_attributeListDressed = true;
    QFont listFont = listviewAttr->font();
    listFont.setPointSizeF(8.25);
    listFont.setBold(true);
    listviewAttr->setFont(listFont);
    QPalette palette = listviewAttr->palette();
    palette.setBrush(QPalette::Base, QBrush(artwork::attributeBackground()));
    listviewAttr->setPalette(palette);
    listviewAttr->setColumnWidth(valueColumn, twips(3700));
    listviewAttr->setColumnWidth(labelColumn, twips(2100));
    // The list is defined value first; the user sees the tag name on the left.
    listviewAttr->header()->moveSection(labelColumn, 0);
}

bool AttributesPage::eventFilter(QObject* watched, QEvent* event)
{
    if (listviewAttr && watched == listviewAttr && event->type() == QEvent::Show
        && !m_attributeListDressed) {
        dressAttributeList();
    } else if (listviewAttr && watched == listviewAttr->viewport()
               && event->type() == QEvent::MouseButtonDblClick) {
        listviewAttr_DblClick();
    } else if (listviewAttr && watched == listviewAttr && event->type() == QEvent::KeyPress
               && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        // F2 starts the same in-place edit as a double-click, for keyboard users.
        Timer1_Timer();
        return true;
    }
    return EditorPage::eventFilter(watched, event);
}

void AttributesPage::clearRows()
{
    m_attributes->clear();
}

void AttributesPage::appendRow(const QString& key, const QString& label, const QString& value)
{
    m_attributes->append(key, label, value);
}

void AttributesPage::setRowValue(int row, const QString& value)
{
    m_attributes->setValue(row, value);
}

void AttributesPage::listviewAttr_ItemClick(const QModelIndex& item)
{
    if (!item.isValid())
        return;
    // The description shows the label as the store holds it, not as the row spells it.
    if (const cDesc* entry = m_descriptions.find(m_attributes->label(item.row())))
        lblDesc->setText(
            longText::shortened(entry->forTag + QStringLiteral(": ") + entry->tagDesc));
}

// Editing starts from the timer, once the double-click has been handled completely.
void AttributesPage::listviewAttr_DblClick()
{
    Timer1->start();
}

void AttributesPage::Timer1_Timer()
{
    Timer1->stop();
    if (!listviewAttr) // editing starts from the list, so it exists by then
        return;
    const QModelIndexList selected = listviewAttr->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const QModelIndex value = m_attributes->index(selected.first().row(), valueColumn);
    listviewAttr->setCurrentIndex(value);
    // A value too long for the editor is not edited in place: the user is told why, and the
    // value stays whole.
    if (!value.flags().testFlag(Qt::ItemIsEditable)) {
        m_prompts.information(this,
                              longText::tooLongNote(value.data(Qt::EditRole).toString().size()));
        return;
    }
    listviewAttr->edit(value);
}

// The row's own record takes the text, so a label that repeats changes on this line only.
void AttributesPage::listviewAttr_AfterLabelEdit(int row, const QString& newText)
{
    {
        QScopedValueRollback<bool> loading(m_state.loading, true);
        edit::setTagValueAt(m_state, m_document, row, newText);
    }
    edit::fillEditors(m_state, m_document);
}
