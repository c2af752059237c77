#include "app/frmOptions.h"

#include "app/FormLayout.h"
#include "app/Prompts.h"
#include "settings/SettingsStore.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QTreeWidget>

namespace {

using formLayout::twips;

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

// Captions carry "&" mnemonics; screen readers get the caption as the user reads it.
QString withoutMnemonic(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(withoutMnemonic(caption));
    return button;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

// The layout was drawn for a smaller font than desktops use today. A caption that does not
// fit its box widens the box to the right, never past `right` (where the next control or the
// page margin begins); a button caption that still does not fit is broken onto a second
// line, which the box grows down to show.
void fitCaption(QWidget* widget, int right)
{
    const int room = right - widget->x();
    if (widget->sizeHint().width() <= widget->width())
        return;
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button && button->sizeHint().width() > room) {
        const QString caption = button->text();
        const QFontMetrics metrics(button->font());
        const int overhead =
            button->sizeHint().width() - metrics.horizontalAdvance(withoutMnemonic(caption));
        qsizetype lineBreak = -1;
        for (qsizetype space = caption.indexOf(QLatin1Char(' ')); space > 0;
             space = caption.indexOf(QLatin1Char(' '), space + 1)) {
            if (overhead + metrics.horizontalAdvance(withoutMnemonic(caption.left(space))) > room)
                break;
            lineBreak = space;
        }
        if (lineBreak > 0) {
            QString wrapped = caption;
            wrapped[lineBreak] = QLatin1Char('\n');
            button->setText(wrapped);
        }
    }
    widget->resize(qMin(widget->sizeHint().width(), room),
                   qMax(widget->height(), widget->sizeHint().height()));
}

const QColor invalidBase(255, 200, 200);
const QColor invalidText(150, 0, 0);

// Kept on the dialog by Form_Load: why the settings could not be read, or empty text.
constexpr char unreadProperty[] = "settingsUnread";

// The settings store as the dialog's load sees it. It remembers the first read that failed
// (the file held by another program, say) and from then on writes nothing: a default the
// load would store in place of a value it could not read must not replace that value.
class ReadCheckedStore final : public settings::Store
{
public:
    explicit ReadCheckedStore(settings::Store& store) : m_store(store) { }

    QString failure() const { return m_failure; }

    QString read(const QString& app, const QString& section, const QString& key) const override
    {
        const QString value = m_store.read(app, section, key);
        noteFailure();
        return value;
    }
    settings::KeyValueList readSection(const QString& app, const QString& section) const override
    {
        const settings::KeyValueList pairs = m_store.readSection(app, section);
        noteFailure();
        return pairs;
    }
    bool write(const QString& app, const QString& section, const QString& key,
               const QString& value) override
    {
        return m_failure.isEmpty() && m_store.write(app, section, key, value);
    }
    bool deleteSection(const QString& app, const QString& section) override
    {
        return m_failure.isEmpty() && m_store.deleteSection(app, section);
    }
    bool replaceSection(const QString& app, const QString& section,
                        const settings::KeyValueList& pairs) override
    {
        return m_failure.isEmpty() && m_store.replaceSection(app, section, pairs);
    }
    QString lastError() const override { return m_store.lastError(); }

private:
    void noteFailure() const
    {
        if (m_failure.isEmpty())
            m_failure = m_store.lastError();
    }

    settings::Store& m_store;
    mutable QString m_failure;
};

} // namespace

frmOptions::frmOptions(desc::Store& descriptions, Rename::Settings& rename,
                       settings::Store& store, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_descriptions(descriptions), m_rename(rename), m_store(store),
      m_prompts(prompts)
{
    // Hidden, not destroyed, whenever it is closed: it must keep its state for the run.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Advanced Tvkite Options"));
    setModal(true);
    setFixedSize(twips(7020), twips(8010));
    setSizeGripEnabled(false);
    Form_Load();
}

frmOptions::~frmOptions() = default;

void frmOptions::showOptions()
{
    // Settings that could not be read before may be readable now; the user should edit
    // what is stored, not the empty lists shown meanwhile.
    if (!property(unreadProperty).toString().isEmpty())
        Form_Load();
    exec();
}

void frmOptions::setVisible(bool visible)
{
    if (visible)
        ensureControls();
    QDialog::setVisible(visible);
}

void frmOptions::buildLayout()
{
    optSelFrames[0] =
        makeButton(this, QStringLiteral("optSelFrames0"), QStringLiteral("&Descriptions"));
    place(optSelFrames[0], 120, 120, 1335, 375);
    optSelFrames[1] =
        makeButton(this, QStringLiteral("optSelFrames1"), QStringLiteral("&Renaming"));
    place(optSelFrames[1], 1560, 120, 1335, 375);
    m_pageGroup = new QButtonGroup(this);
    m_pageGroup->setExclusive(true);
    for (int i = 0; i < int(optSelFrames.size()); ++i) {
        optSelFrames[i]->setCheckable(true);
        optSelFrames[i]->setAutoDefault(false);
        m_pageGroup->addButton(optSelFrames[i], i);
    }

    for (int i = 0; i < int(frames.size()); ++i) {
        frames[i] = new QFrame(this);
        frames[i]->setObjectName(QStringLiteral("frames") + QString::number(i));
        frames[i]->setFrameShape(QFrame::Box);
        frames[i]->setFrameShadow(QFrame::Sunken);
        place(frames[i], 120, 600, 6735, 6855);
    }
    frames[0]->setAccessibleName(QStringLiteral("Descriptions"));
    frames[1]->setAccessibleName(QStringLiteral("Renaming"));
    buildDescriptionsPage(frames[0]);
    buildRenamingPage(frames[1]);

    cmdOK = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("&OK"));
    place(cmdOK, 4320, 7560, 1215, 375);
    cmdOK->setDefault(true);
    cmdExit = makeButton(this, QStringLiteral("cmdExit"), QStringLiteral("&Cancel"));
    place(cmdExit, 5640, 7560, 1215, 375);

    optSelFrames_Click(0);
}

void frmOptions::finishLayout()
{
    // Column widths and caption fitting need fonts and style metrics, so they are done when
    // the dialog is first shown.
    QHeaderView* header = listviewDesc->header();
    header->setStretchLastSection(false);
    listviewDesc->setColumnWidth(0, twips(2100));
    listviewDesc->setColumnWidth(1, twips(4020));

    // Captions that outgrow their boxes may use the free space up to the next control, or
    // up to the page margin the lists keep on the right.
    const int pageRight = twips(240 + 6255);
    fitCaption(labels[0], txtLabel->x() - 3);
    fitCaption(labels[1], txtDesc->x() - 3);
    const std::array<QWidget*, 5> renamingCaptions{labels[2], renameType[0], renameType[1],
                                                   chkAutoEditRename, labels[3]};
    for (QWidget* widget : renamingCaptions)
        fitCaption(widget, pageRight);
}

void frmOptions::showEvent(QShowEvent* event)
{
    if (!m_layoutFinished) {
        m_layoutFinished = true;
        finishLayout();
    }
    QDialog::showEvent(event);
}

void frmOptions::buildDescriptionsPage(QFrame* page)
{
    cmdAddDesc = makeButton(page, QStringLiteral("cmdAddDesc"), QStringLiteral("&Add"));
    place(cmdAddDesc, 240, 5520, 1335, 375);
    cmdDel = makeButton(page, QStringLiteral("cmdDel"), QStringLiteral("D&elete"));
    place(cmdDel, 1680, 5520, 1335, 375);
    cmdDefaults = makeButton(page, QStringLiteral("cmdDefaults"), QStringLiteral("De&faults"));
    place(cmdDefaults, 5280, 5520, 1215, 375);

    labels[0] = makeLabel(page, QStringLiteral("labels0"), QStringLiteral("&Label"));
    place(labels[0], 240, 6000, 975, 255);
    txtLabel = new QLineEdit(page);
    txtLabel->setObjectName(QStringLiteral("txtLabel"));
    txtLabel->setAccessibleName(QStringLiteral("Label"));
    place(txtLabel, 1320, 6000, 5175, 285);
    labels[0]->setBuddy(txtLabel);

    labels[1] = makeLabel(page, QStringLiteral("labels1"), QStringLiteral("Descr&iption"));
    place(labels[1], 240, 6360, 855, 255);
    txtDesc = new QLineEdit(page);
    txtDesc->setObjectName(QStringLiteral("txtDesc"));
    txtDesc->setAccessibleName(QStringLiteral("Description"));
    place(txtDesc, 1320, 6360, 5175, 285);
    labels[1]->setBuddy(txtDesc);
}

void frmOptions::buildRenamingPage(QFrame* page)
{
    labels[2] = makeLabel(page, QStringLiteral("labels2"), QStringLiteral("Rename Type"));
    place(labels[2], 240, 360, 6135, 255);

    const QString kind0 = QStringLiteral("Rename all files to new folder name (Gridpack_Tool)");
    const QString kind1 = QStringLiteral("Rename only &track files (Recomended)");
    m_renameTypeGroup = new QButtonGroup(this);
    m_renameTypeGroup->setExclusive(true);
    for (int i = 0; i < int(renameType.size()); ++i) {
        renameType[i] = new QRadioButton(i == 0 ? kind0 : kind1, page);
        renameType[i]->setObjectName(QStringLiteral("renameType") + QString::number(i));
        renameType[i]->setAccessibleName(withoutMnemonic(renameType[i]->text()));
        m_renameTypeGroup->addButton(renameType[i], i);
    }
    place(renameType[0], 600, 720, 5535, 255);
    place(renameType[1], 600, 1080, 3735, 255);
    // Kind 0 is kept only when the settings already hold it; nobody can choose it here.
    renameType[0]->setEnabled(false);
    renameType[1]->setChecked(true);

    chkAutoEditRename = new QCheckBox(
        QStringLiteral("Auto Rename Temp Edit &Mode Files (adding *.taz also renames *.ta-)"),
        page);
    chkAutoEditRename->setObjectName(QStringLiteral("chkAutoEditRename"));
    chkAutoEditRename->setAccessibleName(withoutMnemonic(chkAutoEditRename->text()));
    place(chkAutoEditRename, 1200, 1440, 5295, 255);
    chkAutoEditRename->setChecked(true);

    labels[3] = makeLabel(page, QStringLiteral("labels3"),
                          QStringLiteral("E&xtentions considered track files"));
    place(labels[3], 240, 2160, 2655, 255);

    cmdAddRename = makeButton(page, QStringLiteral("cmdAddRename"), QStringLiteral("&Add"));
    place(cmdAddRename, 3000, 2520, 1095, 375);
    cmdDelRename = makeButton(page, QStringLiteral("cmdDelRename"), QStringLiteral("D&elete"));
    place(cmdDelRename, 3000, 3000, 1095, 375);
    cmdDefaultsRename =
        makeButton(page, QStringLiteral("cmdDefaultsRename"), QStringLiteral("De&faults"));
    place(cmdDefaultsRename, 3000, 3480, 1095, 375);
}

void frmOptions::ensureControls()
{
    if (m_controlsBuilt)
        return;
    m_controlsBuilt = true;
    buildLayout();

    listviewDesc = new QTreeWidget(frames[0]);
    listviewDesc->setObjectName(QStringLiteral("listviewDesc"));
    listviewDesc->setAccessibleName(QStringLiteral("Descriptions"));
    place(listviewDesc, 240, 360, 6255, 5055);
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
    // First among its page's children, as if built with the page (the order screen readers
    // list them in).
    listviewDesc->stackUnder(cmdAddDesc);

    lstExts = new QListWidget(frames[1]);
    lstExts->setObjectName(QStringLiteral("lstExts"));
    lstExts->setAccessibleName(QStringLiteral("Extentions considered track files"));
    lstExts->setSelectionMode(QAbstractItemView::SingleSelection);
    lstExts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    place(lstExts, 240, 2520, 2655, 4155);
    lstExts->stackUnder(cmdAddRename);
    labels[3]->setBuddy(lstExts);

    setFocusOrder();
    connectHandlers();
    connect(listviewDesc, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* row) { listviewDesc_ItemClick(row); });
    // Moving through the list with the keyboard is a click on the row it lands on; the
    // program's own selections (after Delete, after filling) leave the fields alone.
    connect(listviewDesc, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!m_selectingRow)
            listviewDesc_ItemClick(selectedRow());
    });

    // What loading has put on the pages so far: the rows, the row it selected, the rename
    // settings.
    for (const QStringList& texts : std::as_const(m_pendingDescRows))
        new QTreeWidgetItem(listviewDesc, texts);
    if (QTreeWidgetItem* row = listviewDesc->topLevelItem(m_pendingDescSelected))
        selectRow(row);
    lstExts->addItems(m_pendingExtRows);
    m_pendingDescRows.clear();
    m_pendingExtRows.clear();
    renameType[m_pendingRenameType]->setChecked(true);
    chkAutoEditRename->setChecked(m_pendingAutoTemp);
}

void frmOptions::setFocusOrder()
{
    QWidget* const order[] = {
        listviewDesc,    cmdAddDesc,      cmdDel,        txtLabel,
        txtDesc,         optSelFrames[0], cmdExit,       cmdDefaults,
        optSelFrames[1], renameType[0],   renameType[1], lstExts,
        chkAutoEditRename, cmdAddRename,  cmdDelRename,  cmdDefaultsRename,
        cmdOK,
    };
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmOptions::connectHandlers()
{
    for (int i = 0; i < int(optSelFrames.size()); ++i)
        connect(optSelFrames[i], &QPushButton::clicked, this, [this, i] { optSelFrames_Click(i); });
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmOptions::cmdExit_Click);

    connect(txtDesc, &QLineEdit::textChanged, this, &frmOptions::txtDesc_Change);
    connect(txtLabel, &QLineEdit::textChanged, this, &frmOptions::txtLabel_Change);
    connect(cmdAddDesc, &QPushButton::clicked, this, &frmOptions::cmdAddDesc_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmOptions::cmdDel_Click);
    connect(cmdDefaults, &QPushButton::clicked, this, &frmOptions::cmdDefaults_Click);

    connect(cmdAddRename, &QPushButton::clicked, this, &frmOptions::cmdAddRename_Click);
    connect(cmdDelRename, &QPushButton::clicked, this, &frmOptions::cmdDelRename_Click);
    connect(cmdDefaultsRename, &QPushButton::clicked, this, &frmOptions::cmdDefaultsRename_Click);
}

// --- The dialog as a whole ----------------------------------------------------------------

void frmOptions::Form_Load()
{
    // Run again when the settings could not be read before: nothing shown then stays.
    clearDescriptionRows();
    if (m_controlsBuilt) {
        const QScopedValueRollback<bool> filling(fillingFields, true);
        txtLabel->clear();
        txtDesc->clear();
    }
    ReadCheckedStore store(m_store);
    m_descriptions.loadDescriptions(store);
    m_descriptions.listDescriptions(*this);
    m_rename.loadRenameSettings(store, *this, false);
    setProperty(unreadProperty, store.failure());
}

bool frmOptions::Form_QueryUnload(bool userRequested)
{
    if (!userRequested)
        return false;
    cmdExit_Click();
    return true;
}

void frmOptions::closeEvent(QCloseEvent* event)
{
    // The close box only hides the dialog; it must live on with its state for the run.
    if (Form_QueryUnload(event->spontaneous())) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmOptions::reject()
{
    cmdExit_Click();
}

void frmOptions::optSelFrames_Click(int index)
{
    for (int i = 0; i < int(optSelFrames.size()); ++i) {
        optSelFrames[i]->setChecked(i == index);
        frames[i]->setVisible(i == index);
    }
}

void frmOptions::cmdOK_Click()
{
    // Lists that could not be read are shown empty; saving them would replace the stored
    // descriptions and extensions. They are read again instead, and nothing is saved.
    if (!property(unreadProperty).toString().isEmpty()) {
        Form_Load();
        const QString failure = property(unreadProperty).toString();
        m_prompts.information(
            this,
            failure.isEmpty()
                ? QStringLiteral("Nothing was saved: the saved options could not be read when "
                                 "Tarvex Kite started, and saving would have replaced them. "
                                 "They have been read now and are shown. Make your changes "
                                 "again and press OK.")
                : QStringLiteral("Nothing was saved: the saved options cannot be read, and "
                                 "saving would replace them.\n\n")
                      + failure
                      + QStringLiteral("\n\nPress OK to try again, or Cancel to go on "
                                       "without saving."));
        return;
    }
    QStringList failures;
    if (!m_descriptions.saveDescriptions(m_store))
        failures << m_store.lastError();
    if (!m_rename.saveRenameSettings(m_store, *this))
        failures << m_store.lastError();
    if (!failures.isEmpty()) {
        failures.removeAll(QString());
        failures.removeDuplicates();
        const QString reason = failures.isEmpty()
                                   ? QStringLiteral("The settings store could not be written.")
                                   : failures.join(QLatin1Char('\n'));
        // The dialog stays open: OK can be tried again, Cancel keeps the changes unsaved.
        m_prompts.information(
            this, QStringLiteral("The options could not be saved.\n\n") + reason
                      + QStringLiteral("\n\nYour changes are in use until Tarvex Kite is closed. "
                                       "Press OK to try saving again, or Cancel to go on "
                                       "without saving them."));
        return;
    }
    QDialog::accept();
}

void frmOptions::cmdExit_Click()
{
    QDialog::reject();
}

// --- Descriptions page --------------------------------------------------------------------

QTreeWidgetItem* frmOptions::selectedRow() const
{
    const QList<QTreeWidgetItem*> rows = listviewDesc->selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
}

void frmOptions::selectRow(QTreeWidgetItem* row)
{
    const QScopedValueRollback<bool> selecting(m_selectingRow, true);
    listviewDesc->setCurrentItem(row);
    listviewDesc->scrollToItem(row);
}

void frmOptions::showLabelInvalid(bool invalid)
{
    if (invalid) {
        QPalette palette = txtLabel->palette();
        palette.setColor(QPalette::Base, invalidBase);
        palette.setColor(QPalette::Text, invalidText);
        txtLabel->setPalette(palette);
        const QTreeWidgetItem* row = selectedRow();
        txtLabel->setToolTip(
            QStringLiteral("A label must not be empty or the same as another entry's label. "
                           "The entry stays filed as \"")
            + (row ? row->text(0) : QString()) + QStringLiteral("\" until the label is valid."));
    } else {
        txtLabel->setPalette(QPalette());
        txtLabel->setToolTip(QString());
    }
}

void frmOptions::listviewDesc_ItemClick(QTreeWidgetItem* row)
{
    if (!row)
        return;
    {
        const QScopedValueRollback<bool> filling(fillingFields, true);
        txtDesc->setText(row->text(1));
        txtLabel->setText(row->text(0));
    }
    showLabelInvalid(false);
}

void frmOptions::txtDesc_Change(const QString& text)
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

void frmOptions::txtLabel_Change(const QString& text)
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

void frmOptions::cmdAddDesc_Click()
{
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

void frmOptions::cmdDel_Click()
{
    QTreeWidgetItem* row = selectedRow();
    if (!row)
        return;
    const int position = listviewDesc->indexOfTopLevelItem(row);
    m_descriptions.remove(row->text(0));

    const QScopedValueRollback<bool> selecting(m_selectingRow, true);
    delete listviewDesc->takeTopLevelItem(position);
    // The view would select a neighbour of its own accord; only the row that followed
    // the deleted one becomes selected, and none when the last row went.
    if (QTreeWidgetItem* next = listviewDesc->topLevelItem(position))
        selectRow(next);
    else
        listviewDesc->clearSelection();
}

void frmOptions::cmdDefaults_Click()
{
    m_descriptions.defaultDescriptions(*this);
    if (QTreeWidgetItem* first = listviewDesc->topLevelItem(0)) {
        selectRow(first);
        listviewDesc_ItemClick(first);
    }
}

void frmOptions::clearDescriptionRows()
{
    if (!m_controlsBuilt) {
        m_pendingDescRows.clear();
        m_pendingDescSelected = -1;
        return;
    }
    const QScopedValueRollback<bool> selecting(m_selectingRow, true);
    listviewDesc->clear();
}

void frmOptions::appendDescriptionRow(const QString& label, const QString& text)
{
    if (!m_controlsBuilt) {
        if (m_pendingDescRows.isEmpty())
            m_pendingDescSelected = 0;
        m_pendingDescRows.append(QStringList{label, text});
        return;
    }
    const bool wasEmpty = listviewDesc->topLevelItemCount() == 0;
    auto* row = new QTreeWidgetItem(listviewDesc, QStringList{label, text});
    if (wasEmpty)
        selectRow(row);
}

// --- Renaming page ------------------------------------------------------------------------

void frmOptions::cmdAddRename_Click()
{
    const QString answer = m_prompts.inputText(this, QStringLiteral("New extention?"));
    if (answer.isEmpty())
        return;
    m_rename.addRenameExt(*this, answer);
}

void frmOptions::cmdDelRename_Click()
{
    // Without a selected row there is nothing the user asked to delete.
    const QList<QListWidgetItem*> rows = lstExts->selectedItems();
    if (rows.isEmpty())
        return;
    m_rename.removeRenameExt(*this, rows.first()->text());
}

void frmOptions::cmdDefaultsRename_Click()
{
    m_rename.loadRenameSettings(m_store, *this, true);
}

void frmOptions::clearExtensionRows()
{
    if (!m_controlsBuilt) {
        m_pendingExtRows.clear();
        return;
    }
    lstExts->clear();
}

void frmOptions::appendExtensionRow(const QString& extension)
{
    if (!m_controlsBuilt) {
        m_pendingExtRows.append(extension);
        return;
    }
    lstExts->addItem(extension);
}

bool frmOptions::removeExtensionRow(const QString& extension)
{
    if (!m_controlsBuilt) {
        for (qsizetype i = 0; i < m_pendingExtRows.size(); ++i) {
            if (m_pendingExtRows.at(i).compare(extension, Qt::CaseInsensitive) == 0) {
                m_pendingExtRows.removeAt(i);
                return true;
            }
        }
        return false;
    }
    for (int i = 0; i < lstExts->count(); ++i) {
        if (lstExts->item(i)->text().compare(extension, Qt::CaseInsensitive) == 0) {
            delete lstExts->takeItem(i);
            return true;
        }
    }
    return false;
}

void frmOptions::selectRenameType(int index)
{
    if (index < 0 || index >= int(renameType.size()))
        return;
    if (m_controlsBuilt)
        renameType[index]->setChecked(true);
    else
        m_pendingRenameType = index;
}

bool frmOptions::renameTypeZeroSelected() const
{
    return m_controlsBuilt ? renameType[0]->isChecked() : m_pendingRenameType == 0;
}

void frmOptions::setAutoTempChecked(bool checked)
{
    if (m_controlsBuilt)
        chkAutoEditRename->setChecked(checked);
    else
        m_pendingAutoTemp = checked;
}

bool frmOptions::autoTempChecked() const
{
    return m_controlsBuilt ? chkAutoEditRename->isChecked() : m_pendingAutoTemp;
}
