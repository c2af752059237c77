#include "app/DescriptionsPage.h"

#include "app/FormLayout.h"
#include "app/LongText.h"
#include "app/OptionsLayout.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

using formLayout::place;
using formLayout::twips;

const QColor invalidBase(255, 200, 200);
const QColor invalidText(150, 0, 0);

// Draws and measures a row by the start of a very long text, which would take seconds to lay
// out whole. The rows keep their whole texts: a row's label is its entry's key in the store.
class ShortenedTextDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        return longText::shortened(QStyledItemDelegate::displayText(value, locale));
    }
};

} // namespace

DescriptionsPage::DescriptionsPage(QWidget* dialog, desc::Store& descriptions)
    : QFrame(dialog), m_descriptions(descriptions)
{
    using optionsLayout::button;
    using optionsLayout::label;
    optionsLayout::page(this, "frames0", QStringLiteral("Descriptions"));

    listviewDesc = place(new QTreeWidget(this), "listviewDesc", 240, 360, 6255, 5055);
    listviewDesc->setAccessibleName(QStringLiteral("Descriptions"));
    listviewDesc->setColumnCount(2);
    listviewDesc->setHeaderLabels({QStringLiteral("Label"), QStringLiteral("Description")});
    listviewDesc->setRootIsDecorated(false);
    listviewDesc->setItemsExpandable(false);
    listviewDesc->setUniformRowHeights(true);
    listviewDesc->setAllColumnsShowFocus(true);
    listviewDesc->setSelectionMode(QAbstractItemView::SingleSelection);
    listviewDesc->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Labels change only through the Label field, which refiles the store entry.
    listviewDesc->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listviewDesc->setItemDelegate(new ShortenedTextDelegate(listviewDesc));

    cmdAddDesc = button(this, "cmdAddDesc", QStringLiteral("&Add"), 240, 5520, 1335, 375);
    cmdDel = button(this, "cmdDel", QStringLiteral("D&elete"), 1680, 5520, 1335, 375);
    cmdDefaults = button(this, "cmdDefaults", QStringLiteral("De&faults"), 5280, 5520, 1215, 375);

    labels[0] = label(this, "labels0", QStringLiteral("&Label"), 240, 6000, 975, 255);
    txtLabel = place(new QLineEdit(this), "txtLabel", 1320, 6000, 5175, 285);
    txtLabel->setAccessibleName(QStringLiteral("Label"));
    labels[0]->setBuddy(txtLabel);
    labels[1] = label(this, "labels1", QStringLiteral("Descr&iption"), 240, 6360, 855, 255);
    txtDesc = place(new QLineEdit(this), "txtDesc", 1320, 6360, 5175, 285);
    txtDesc->setAccessibleName(QStringLiteral("Description"));
    labels[1]->setBuddy(txtDesc);

    connect(txtDesc, &QLineEdit::textChanged, this, &DescriptionsPage::txtDesc_Change);
    connect(txtLabel, &QLineEdit::textChanged, this, &DescriptionsPage::txtLabel_Change);
    connect(txtLabel, &QLineEdit::editingFinished, this, &DescriptionsPage::finishLabelEdit);
    connect(cmdAddDesc, &QPushButton::clicked, this, &DescriptionsPage::cmdAddDesc_Click);
    connect(cmdDel, &QPushButton::clicked, this, &DescriptionsPage::cmdDel_Click);
    connect(cmdDefaults, &QPushButton::clicked, this, &DescriptionsPage::cmdDefaults_Click);
    connect(listviewDesc, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* row) { listviewDesc_ItemClick(row); });
    // Whichever way a row becomes the selected one, the fields show it: they never edit an
    // entry the user cannot see in them.
    connect(listviewDesc, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (m_removingRows)
            return;
        finishLabelEdit();
        showRow(selectedRow());
    });

    showDescriptions();
}

DescriptionsPage::~DescriptionsPage() = default;

void DescriptionsPage::showDescriptions()
{
    clearDescriptionRows();
    m_descriptions.listDescriptions(*this);
}

QList<QWidget*> DescriptionsPage::focusOrder() const
{
    return {listviewDesc, cmdAddDesc, cmdDel, txtLabel, txtDesc, cmdDefaults};
}

void DescriptionsPage::fitCaptions()
{
    // Column widths and caption fitting need fonts and style metrics, so they are done when
    // the dialog is first shown.
    listviewDesc->header()->setStretchLastSection(false);
    listviewDesc->setColumnWidth(0, twips(2100));
    listviewDesc->setColumnWidth(1, twips(4020));
    optionsLayout::fitCaption(labels[0], txtLabel->x() - 3);
    optionsLayout::fitCaption(labels[1], txtDesc->x() - 3);
}

QTreeWidgetItem* DescriptionsPage::selectedRow() const
{
    const QList<QTreeWidgetItem*> rows = listviewDesc->selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
}

void DescriptionsPage::selectRow(QTreeWidgetItem* row)
{
    listviewDesc->setCurrentItem(row);
    listviewDesc->scrollToItem(row);
}

void DescriptionsPage::showRow(QTreeWidgetItem* row)
{
    if (row) {
        listviewDesc_ItemClick(row);
        return;
    }
    {
        const QScopedValueRollback<bool> filling(fillingFields, true);
        longText::showInField(txtLabel, QString());
        longText::showInField(txtDesc, QString());
    }
    m_labelRow = nullptr;
    showLabelInvalid(false);
}

void DescriptionsPage::finishLabelEdit()
{
    QTreeWidgetItem* row = m_labelRow;
    if (!row)
        return;
    const QString filedLabel = row->text(0);
    cDesc* entry = m_descriptions.find(filedLabel);
    const cDesc* holder = m_descriptions.find(txtLabel->text());
    const bool valid = !txtLabel->text().isEmpty() && (holder == nullptr || holder == entry);
    if (valid || !entry) {
        m_labelAtStart = filedLabel; // the next edit starts from here
        return;
    }
    // Typed one letter at a time, the entry was filed under each valid beginning of the
    // text ("farcli" on the way to "farclip"); none of them is what the user meant.
    const cDesc* startHolder = m_descriptions.find(m_labelAtStart);
    if (filedLabel != m_labelAtStart && !m_labelAtStart.isEmpty()
        && (startHolder == nullptr || startHolder == entry)) {
        cDesc moved = *entry;
        m_descriptions.remove(filedLabel);
        moved.forTag = m_labelAtStart;
        m_descriptions.append(moved);
        row->setText(0, m_labelAtStart);
    }
    {
        const QScopedValueRollback<bool> filling(fillingFields, true);
        txtLabel->setText(row->text(0));
    }
    m_labelAtStart = row->text(0);
    showLabelInvalid(false);
}

void DescriptionsPage::showLabelInvalid(bool invalid)
{
    if (invalid) {
        QPalette palette = txtLabel->palette();
        palette.setColor(QPalette::Base, invalidBase);
        palette.setColor(QPalette::Text, invalidText);
        txtLabel->setPalette(palette);
        txtLabel->setToolTip(
            QStringLiteral("A label must not be empty or the same as another entry's label. "
                           "Left like this, the entry keeps its label \"")
            + m_labelAtStart + QStringLiteral("\"."));
    } else {
        txtLabel->setPalette(QPalette());
        txtLabel->setToolTip(QString());
    }
}

void DescriptionsPage::listviewDesc_ItemClick(QTreeWidgetItem* row)
{
    if (!row)
        return;
    m_labelRow = row;
    m_labelAtStart = row->text(0);
    // First, as it clears the Label field's tooltip, which may now say why it is read-only.
    showLabelInvalid(false);
    // A label or text too long for its field is shown read-only: typing would store it cut.
    const QScopedValueRollback<bool> filling(fillingFields, true);
    longText::showInField(txtDesc, row->text(1));
    longText::showInField(txtLabel, row->text(0));
}

void DescriptionsPage::txtDesc_Change(const QString& text)
{
    if (fillingFields)
        return;
    QTreeWidgetItem* row = selectedRow();
    if (!row)
        return;
    cDesc* entry = m_descriptions.find(row->text(0));
    if (!entry)
        return;
    entry->tagDesc = text;
    row->setText(1, text);
}

void DescriptionsPage::txtLabel_Change(const QString& text)
{
    if (fillingFields)
        return;
    QTreeWidgetItem* row = selectedRow();
    if (!row)
        return;
    const QString filedLabel = row->text(0);
    cDesc* entry = m_descriptions.find(filedLabel);
    if (!entry)
        return;
    // An empty label, or one another entry already has, cannot be filed: the entry stays
    // under its last valid label (and the row with it) until the text is valid again.
    const cDesc* holder = m_descriptions.find(text);
    const bool valid = !text.isEmpty() && (holder == nullptr || holder == entry);
    showLabelInvalid(!valid);
    if (!valid || text == filedLabel)
        return;

    cDesc moved = *entry;
    m_descriptions.remove(filedLabel);
    moved.forTag = text;
    m_descriptions.append(moved);
    row->setText(0, text);
}

void DescriptionsPage::cmdAddDesc_Click()
{
    finishLabelEdit(); // the entry's own label may be the one Add would pick
    int number = 1;
    while (m_descriptions.find(QStringLiteral("NEW") + QString::number(number)))
        ++number;
    const QString label = QStringLiteral("NEW") + QString::number(number);

    appendDescriptionRow(label, QString());
    m_descriptions.append(cDesc{label, QString()});
    QTreeWidgetItem* row = listviewDesc->topLevelItem(listviewDesc->topLevelItemCount() - 1);
    selectRow(row);
    listviewDesc_ItemClick(row);
}

void DescriptionsPage::cmdDel_Click()
{
    finishLabelEdit();
    QTreeWidgetItem* row = selectedRow();
    if (!row)
        return;
    const int position = listviewDesc->indexOfTopLevelItem(row);
    m_descriptions.remove(row->text(0));

    {
        const QScopedValueRollback<bool> removing(m_removingRows, true);
        m_labelRow = nullptr;
        delete listviewDesc->takeTopLevelItem(position);
        // The view would select a neighbour of its own accord; only the row that followed
        // the deleted one becomes selected, and none when the last row went.
        if (QTreeWidgetItem* next = listviewDesc->topLevelItem(position))
            selectRow(next);
        else
            listviewDesc->clearSelection();
    }
    showRow(selectedRow());
}

void DescriptionsPage::cmdDefaults_Click()
{
    m_descriptions.defaultDescriptions(*this);
    if (QTreeWidgetItem* first = listviewDesc->topLevelItem(0)) {
        selectRow(first);
        listviewDesc_ItemClick(first);
    }
}

void DescriptionsPage::clearDescriptionRows()
{
    finishLabelEdit();
    {
        const QScopedValueRollback<bool> removing(m_removingRows, true);
        m_labelRow = nullptr;
        listviewDesc->clear();
    }
    showRow(nullptr);
}

// Whenever the list is filled from empty, its first row becomes the selected row, and the
// fields show it.
void DescriptionsPage::appendDescriptionRow(const QString& label, const QString& text)
{
    const bool wasEmpty = listviewDesc->topLevelItemCount() == 0;
    auto* row = new QTreeWidgetItem(listviewDesc, QStringList{label, text});
    if (wasEmpty)
        selectRow(row);
}
