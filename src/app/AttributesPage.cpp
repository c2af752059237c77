#include "app/AttributesPage.h"

#include "app/Artwork.h"
#include "app/AttributeModel.h"
#include "app/EditHistory.h"
#include "app/FormLayout.h"
#include "app/LongText.h"
#include "app/Prompts.h"
#include "descriptions/desc.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <functional>

namespace {

constexpr int valueColumn = AttributeModel::valueColumn;
constexpr int labelColumn = AttributeModel::labelColumn;

// Edits the value column in place and reports each committed text; an edit abandoned with
// Escape commits nothing. `openEditor` names the editor while it is open.
class ValueDelegate final : public QStyledItemDelegate
{
public:
    ValueDelegate(QObject* parent, std::function<void(int, const QString&)> committed,
                  QPointer<QWidget>& openEditor)
        : QStyledItemDelegate(parent), m_committed(std::move(committed)), m_openEditor(openEditor)
    { }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        if (index.column() != valueColumn)
            return nullptr;
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        // The list's background picture and the dark text drawn on it are not for the editor.
        QPalette palette = editor->palette();
        palette.setBrush(QPalette::Base, QApplication::palette().base());
        palette.setBrush(QPalette::Text, QApplication::palette().text());
        editor->setPalette(palette);
        editor->setAutoFillBackground(true);
        m_openEditor = editor;
        return editor;
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (m_openEditor == editor)
            m_openEditor = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
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
    QPointer<QWidget>& m_openEditor;
};

} // namespace

AttributesPage::AttributesPage(QWidget* frame, edit::State& state, edit::EditorView& document,
                               EditHistory& history, const desc::Store& descriptions,
                               Prompts& prompts)
    : EditorPage(frame, state, document, history), m_descriptions(descriptions),
      m_prompts(prompts)
{
    setObjectName(QStringLiteral("attributesPage"));
    // The rows live from the start; the list that shows them is made when the page is first
    // shown, so a start-up that never opens the page builds no view.
    m_attributes = new AttributeModel(this);

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
    makeDescriptionLine();
    listviewAttr->setAccessibleName(tr("Attributes"));
    listviewAttr->setModel(m_attributes);
    listviewAttr->setRootIsDecorated(false);
    listviewAttr->setUniformRowHeights(true);
    listviewAttr->setAllColumnsShowFocus(true);
    listviewAttr->setSelectionMode(QAbstractItemView::SingleSelection);
    listviewAttr->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listviewAttr->header()->setSectionsMovable(false);
    listviewAttr->header()->setStretchLastSection(true);
    listviewAttr->setItemDelegate(new ValueDelegate(
        listviewAttr,
        [this](int row, const QString& text) { listviewAttr_AfterLabelEdit(row, text); },
        m_openEditor));
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

// The description line keeps its box under the list; its text wraps within it. A text
// longer than the box holds is first set in a smaller font, down to one still easy to read,
// and one longer still scrolls. The tooltip always holds the whole text.
void AttributesPage::makeDescriptionLine()
{
    m_descriptionBox =
        formLayout::place(new QScrollArea(this), "lblDescBox", 240, 5085, 5895, 420);
    m_descriptionBox->setFrameShape(QFrame::NoFrame);
    m_descriptionBox->setWidgetResizable(true);
    m_descriptionBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_descriptionBox->setFocusPolicy(Qt::NoFocus);
    m_descriptionBox->viewport()->setAutoFillBackground(false);
    lblDesc = new QLabel(m_descriptionBox);
    lblDesc->setObjectName(QStringLiteral("lblDesc"));
    lblDesc->setWordWrap(true);
    lblDesc->setTextFormat(Qt::PlainText);
    lblDesc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDesc->setAutoFillBackground(false);
    m_descriptionBox->setWidget(lblDesc);
}

void AttributesPage::showDescription(const QString& text)
{
    constexpr qreal smallestPoints = 6.5;
    lblDesc->setText(text);
    // Rich text, so that a long tooltip wraps instead of running off the screen; its spaces
    // are kept as they are.
    const QString tip = text.isEmpty() ? QString()
                                       : QStringLiteral("<p style=\"white-space:pre-wrap\">")
            + text.toHtmlEscaped() + QStringLiteral("</p>");
    lblDesc->setToolTip(tip);
    m_descriptionBox->setToolTip(tip);
    const auto tooTall = [this] {
        return lblDesc->heightForWidth(m_descriptionBox->width()) > m_descriptionBox->height();
    };
    const QFont normal = m_descriptionBox->font();
    QFont font = normal;
    lblDesc->setFont(font);
    while (tooTall() && font.pointSizeF() > smallestPoints) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        lblDesc->setFont(font);
    }
    if (tooTall()) // even the smallest size is not enough: the normal size, and it scrolls
        lblDesc->setFont(normal);
    m_descriptionBox->verticalScrollBar()->setValue(0);
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
    // The picture is pale on every desktop, so the rows are written in dark letters on it,
    // also where the desktop's own text is light.
    palette.setColor(QPalette::Active, QPalette::Text, Qt::black);
    palette.setColor(QPalette::Inactive, QPalette::Text, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, Qt::darkGray);
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
        // Below the last row the list would take the double-click for a press on nothing
        // and drop the selection that the edit is for.
        return !onRow(static_cast<QMouseEvent*>(event));
    } else if (listviewAttr && watched == listviewAttr->viewport()
               && event->type() == QEvent::MouseButtonPress
               && !onRow(static_cast<QMouseEvent*>(event))) {
        // A press on the empty part of the list keeps the selected row, as a double-click
        // there edits it.
        listviewAttr->setFocus(Qt::MouseFocusReason);
        return true;
    } else if (listviewAttr && watched == listviewAttr && event->type() == QEvent::KeyPress
               && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        // F2 starts the same in-place edit as a double-click, for keyboard users.
        Timer1_Timer();
        return true;
    }
    return EditorPage::eventFilter(watched, event);
}

bool AttributesPage::onRow(const QMouseEvent* event) const
{
    return listviewAttr->indexAt(event->position().toPoint()).isValid();
}

bool AttributesPage::isEditing() const
{
    return m_openEditor;
}

void AttributesPage::commitOpenEdit()
{
    QWidget* editor = m_openEditor;
    if (!editor)
        return;
    QAbstractItemDelegate* delegate = listviewAttr->itemDelegate();
    Q_EMIT delegate->commitData(editor);
    Q_EMIT delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

int AttributesPage::currentRow() const
{
    return listviewAttr ? listviewAttr->currentIndex().row() : -1;
}

void AttributesPage::setCurrentRow(int row)
{
    if (!listviewAttr || row < 0 || m_attributes->rowCount() == 0)
        return;
    const QModelIndex index =
        m_attributes->index(std::min(row, m_attributes->rowCount() - 1), valueColumn);
    listviewAttr->setCurrentIndex(index);
    listviewAttr->scrollTo(index);
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
        showDescription(
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

// The row's own record takes the text, so a label that repeats changes on this line only;
// then the editors are filled from the document.
void AttributesPage::listviewAttr_AfterLabelEdit(int row, const QString& newText)
{
    m_history.changeRow(row, newText);
}
