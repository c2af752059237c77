// The main window's editors and attribute list: how the user's changes reach the tags, and
// how the edit module shows the document in them.
#include "app/frmMain.h"

#include "app/Artwork.h"
#include "app/AttributeModel.h"
#include "app/ColourSwatch.h"
#include "app/FormLayout.h"
#include "app/Prompts.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "util/misc.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QSlider>
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

void frmMain::buildAttributesPage(QWidget* page)
{
    using formLayout::place;
    // The rows live from the start; the list that shows them is made when the page is first
    // shown (see makeAttributeList), so a start-up that never opens the page builds no view.
    m_attributes = new AttributeModel(this);
    lblDesc = place(new QLabel(page), "lblDesc", 240, 5085, 5895, 420);
    lblDesc->setWordWrap(true);
    lblDesc->setTextFormat(Qt::PlainText);
    lblDesc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void frmMain::makeAttributeList()
{
    using formLayout::place;
    listviewAttr = place(new QTreeView(frames[3]), "listviewAttr", 240, 360, 5895, 4695);
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
    // In the keyboard order the list follows the Fog page, as if made with the other pages.
    setTabOrder(editNumeric[1], listviewAttr);

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
void frmMain::dressAttributeList()
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

bool frmMain::eventFilter(QObject* watched, QEvent* event)
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
    return QWidget::eventFilter(watched, event);
}

void frmMain::editSld_Change(int index)
{
    if (m_state.loading)
        return;
    edit::setTagValue(m_state, *this, QLatin1String(edit::sliderTags.at(index)),
                      QString::number(editSld[index]->value()));
}

void frmMain::editNumeric_Change(int index)
{
    if (m_state.loading)
        return;
    QLineEdit* field = editNumeric[index];
    const QString text = field->text();
    const bool numeric = misc::isNumeric(text);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text,
                     numeric ? QApplication::palette().color(QPalette::ButtonText)
                             : QColor(255, 0, 0));
    field->setPalette(palette);
    if (numeric)
        edit::setTagValue(m_state, *this, QLatin1String(edit::numericTags.at(index)), text);
}

void frmMain::txtName_Change()
{
    if (m_state.loading)
        return;
    edit::setTagValue(m_state, *this, QStringLiteral("name"),
                      edit::joinNameAndAuthor(txtName->text(), txtAuthor->text()));
}

void frmMain::txtAuthor_Change()
{
    txtName_Change();
}

// The dialog always opens; when the tag holds no readable colour its answer is ignored.
void frmMain::picFogColor_Click()
{
    if (m_state.loading)
        return;
    const std::optional<edit::Rgb> current
        = edit::fogColourFrom(edit::getTagValue(m_state, QStringLiteral("fogcolor")));
    const QColor initial
        = current ? QColor(current->red, current->green, current->blue) : picFogColor->colour();
    const QColor chosen = m_prompts.chooseColour(this, initial);
    if (!current)
        return;
    picFogColor->setColour(chosen);
    const QColor shown = picFogColor->colour();
    const edit::Rgb rgb{shown.red(), shown.green(), shown.blue()};
    edit::setTagValue(m_state, *this, QStringLiteral("fogcolor"), edit::fogColourValue(rgb));
    lblfogcolor->setText(edit::fogCaption(rgb));
}

void frmMain::listviewAttr_ItemClick(const QModelIndex& item)
{
    if (!item.isValid())
        return;
    // The description shows the label as the store holds it, not as the row spells it.
    if (const cDesc* entry = m_descriptions.find(m_attributes->label(item.row())))
        lblDesc->setText(entry->forTag + QStringLiteral(": ") + entry->tagDesc);
}

// Editing starts from the timer, once the double-click has been handled completely.
void frmMain::listviewAttr_DblClick()
{
    Timer1->start();
}

void frmMain::Timer1_Timer()
{
    Timer1->stop();
    if (!listviewAttr) // editing starts from the list, so it exists by then
        return;
    const QModelIndexList selected = listviewAttr->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const QModelIndex value = m_attributes->index(selected.first().row(), valueColumn);
    listviewAttr->setCurrentIndex(value);
    listviewAttr->edit(value);
}

// The row's own record takes the text, so a label that repeats changes on this line only.
void frmMain::listviewAttr_AfterLabelEdit(int row, const QString& newText)
{
    {
        QScopedValueRollback<bool> loading(m_state.loading, true);
        edit::setTagValueAt(m_state, *this, row, newText);
    }
    edit::fillEditors(m_state, *this);
}

void frmMain::showNameAndAuthor(const QString& name, const QString& author)
{
    txtName->setText(name);
    txtAuthor->setText(author);
}

void frmMain::showFolderName(const QString& folderName)
{
    txtFolder->setText(folderName);
}

QString frmMain::selectedFolder() const
{
    return fbMain->selectedItem;
}

void frmMain::setSliderPosition(int index, int position)
{
    if (m_editorPagesBuilt)
        editSld.at(index)->setValue(position);
    else
        m_pendingSliders.at(index) = position;
}

void frmMain::setNumericText(int index, const QString& text)
{
    if (m_editorPagesBuilt)
        editNumeric.at(index)->setText(text);
    else
        m_pendingNumerics.at(index) = text;
}

void frmMain::showFogSwatch(edit::Rgb colour)
{
    if (m_editorPagesBuilt)
        picFogColor->setColour(QColor(colour.red, colour.green, colour.blue));
    else
        m_pendingSwatch = colour;
}

void frmMain::showFogCaption(const QString& threeLines)
{
    if (m_editorPagesBuilt)
        lblfogcolor->setText(threeLines);
    else
        m_pendingFogCaption = threeLines;
}

void frmMain::clearRows()
{
    m_attributes->clear();
}

void frmMain::appendRow(const QString& key, const QString& label, const QString& value)
{
    m_attributes->append(key, label, value);
}

void frmMain::setRowValue(int row, const QString& value)
{
    m_attributes->setValue(row, value);
}
