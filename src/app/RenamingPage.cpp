#include "app/RenamingPage.h"

#include "app/FormLayout.h"
#include "app/OptionsLayout.h"
#include "app/Prompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using formLayout::place;
using formLayout::twips;

RenamingPage::RenamingPage(QWidget* dialog, Rename::Settings& rename, settings::Store& store,
                           Prompts& prompts)
    : QFrame(dialog), m_rename(rename), m_store(store), m_prompts(prompts)
{
    using optionsLayout::button;
    using optionsLayout::label;
    using optionsLayout::withoutMnemonic;
    optionsLayout::page(this, "frames1", QStringLiteral("Renaming"));

    labels[0] = label(this, "labels2", QStringLiteral("Rename Type"), 240, 360, 6135, 255);
    m_renameTypeGroup = new QButtonGroup(this);
    m_renameTypeGroup->setExclusive(true);
    renameType[0] = place(
        new QRadioButton(QStringLiteral("Rename all files to new folder name (Gridpack_Tool)"),
                         this),
        "renameType0", 600, 720, 5535, 255);
    renameType[1] =
        place(new QRadioButton(QStringLiteral("Rename only &track files (Recomended)"), this),
              "renameType1", 600, 1080, 3735, 255);
    for (int i = 0; i < int(renameType.size()); ++i) {
        renameType[i]->setAccessibleName(withoutMnemonic(renameType[i]->text()));
        m_renameTypeGroup->addButton(renameType[i], i);
    }
    // Kind 0 is kept only when the settings already hold it; nobody can choose it here.
    renameType[0]->setEnabled(false);

    chkAutoEditRename = place(
        new QCheckBox(
            QStringLiteral("Auto Rename Temp Edit &Mode Files (adding *.taz also renames *.ta-)"),
            this),
        "chkAutoEditRename", 1200, 1440, 5295, 255);
    chkAutoEditRename->setAccessibleName(withoutMnemonic(chkAutoEditRename->text()));

    labels[1] = label(this, "labels3", QStringLiteral("E&xtentions considered track files"), 240,
                      2160, 2655, 255);
    lstExts = place(new QListWidget(this), "lstExts", 240, 2520, 2655, 4155);
    lstExts->setAccessibleName(QStringLiteral("Extentions considered track files"));
    lstExts->setSelectionMode(QAbstractItemView::SingleSelection);
    lstExts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    labels[1]->setBuddy(lstExts);

    cmdAddRename = button(this, "cmdAddRename", QStringLiteral("&Add"), 3000, 2520, 1095, 375);
    cmdDelRename = button(this, "cmdDelRename", QStringLiteral("D&elete"), 3000, 3000, 1095, 375);
    cmdDefaultsRename =
        button(this, "cmdDefaultsRename", QStringLiteral("De&faults"), 3000, 3480, 1095, 375);

    connect(cmdAddRename, &QPushButton::clicked, this, &RenamingPage::cmdAddRename_Click);
    connect(cmdDelRename, &QPushButton::clicked, this, &RenamingPage::cmdDelRename_Click);
    connect(cmdDefaultsRename, &QPushButton::clicked, this,
            &RenamingPage::cmdDefaultsRename_Click);

    m_rename.showRenameSettings(*this);
}

RenamingPage::~RenamingPage() = default;

QList<QWidget*> RenamingPage::focusOrder() const
{
    return {renameType[0], renameType[1], lstExts,         chkAutoEditRename,
            cmdAddRename,  cmdDelRename,  cmdDefaultsRename};
}

void RenamingPage::fitCaptions()
{
    // Captions that outgrow their boxes may use the free space up to the page margin the
    // lists keep on the right.
    const int pageRight = twips(240 + 6255);
    for (QWidget* widget : std::initializer_list<QWidget*>{labels[0], renameType[0],
                                                          renameType[1], chkAutoEditRename,
                                                          labels[1]})
        optionsLayout::fitCaption(widget, pageRight);
}

void RenamingPage::cmdAddRename_Click()
{
    const QString answer = m_prompts.inputText(this, QStringLiteral("New extention?"));
    if (answer.isEmpty())
        return;
    m_rename.addRenameExt(*this, answer);
}

void RenamingPage::cmdDelRename_Click()
{
    // Without a selected row there is nothing the user asked to delete. The rows are the
    // list in use, in its order, so the selected row's position is its entry's.
    const QList<QListWidgetItem*> rows = lstExts->selectedItems();
    if (rows.isEmpty())
        return;
    m_rename.removeRenameExt(*this, lstExts->row(rows.first()));
}

void RenamingPage::cmdDefaultsRename_Click()
{
    m_rename.loadRenameSettings(m_store, *this, true);
}

void RenamingPage::clearExtensionRows()
{
    lstExts->clear();
}

void RenamingPage::appendExtensionRow(const QString& extension)
{
    lstExts->addItem(extension);
}

void RenamingPage::removeExtensionRow(int position)
{
    delete lstExts->takeItem(position);
}

void RenamingPage::selectRenameType(int index)
{
    if (index >= 0 && index < int(renameType.size()))
        renameType[index]->setChecked(true);
}

bool RenamingPage::renameTypeZeroSelected() const
{
    return renameType[0]->isChecked();
}

void RenamingPage::setAutoTempChecked(bool checked)
{
    chkAutoEditRename->setChecked(checked);
}

bool RenamingPage::autoTempChecked() const
{
    return chkAutoEditRename->isChecked();
}
