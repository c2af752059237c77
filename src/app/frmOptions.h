#ifndef KITE_APP_FRMOPTIONS_H
#define KITE_APP_FRMOPTIONS_H

#include "descriptions/desc.h"
#include "save/Rename.h"

#include <QDialog>
#include <QList>
#include <QStringList>

#include <array>

class Prompts;
namespace settings {
class Store;
}

QT_BEGIN_NAMESPACE
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QCloseEvent;
class QShowEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
QT_END_NAMESPACE

// The "Advanced Tvkite Options" dialog: tag descriptions and rename settings. Created
// hidden at the end of start-up and never destroyed during the run; OK saves, Cancel and
// the close box only hide it, so it shows again exactly as it was left.
class frmOptions final : public QDialog, private desc::DescriptionList, private Rename::RenamePage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmOptions)
public:
    // Form_Load: loads the descriptions and the rename settings into the given objects.
    frmOptions(desc::Store& descriptions, Rename::Settings& rename, settings::Store& store,
               Prompts& prompts, QWidget* parent);
    ~frmOptions() override;

    // Shows the dialog modally (the Options button) and returns when it is hidden again.
    void showOptions();

    // Cancel and Escape: hide without saving.
    void reject() override;
    // The controls are built before the dialog first shows.
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The dialog mostly waits hidden for the whole run, so its controls are built when it
    // is first shown; until then what loading puts on its pages is kept in plain members.
    void ensureControls();
    void buildLayout();
    // The font-dependent part of the layout, done on the first show.
    void finishLayout();
    void buildDescriptionsPage(QFrame* page);
    void buildRenamingPage(QFrame* page);
    void setFocusOrder();
    void connectHandlers();

    void Form_Load();
    // True when the close must be refused (the user asked for it: it only hides).
    bool Form_QueryUnload(bool userRequested);
    void optSelFrames_Click(int index);
    void listviewDesc_ItemClick(QTreeWidgetItem* row);
    void txtDesc_Change(const QString& text);
    void txtLabel_Change(const QString& text);
    void cmdAddDesc_Click();
    void cmdDel_Click();
    void cmdDefaults_Click();
    void cmdOK_Click();
    void cmdExit_Click();
    void cmdAddRename_Click();
    void cmdDelRename_Click();
    void cmdDefaultsRename_Click();

    // The row whose entry the two fields edit; nullptr when none is selected.
    QTreeWidgetItem* selectedRow() const;
    // Selects a row without filling the fields (the program's own selections).
    void selectRow(QTreeWidgetItem* row);
    void showLabelInvalid(bool invalid);

    // desc::DescriptionList
    void clearDescriptionRows() override;
    void appendDescriptionRow(const QString& label, const QString& text) override;
    // Rename::RenamePage
    void clearExtensionRows() override;
    void appendExtensionRow(const QString& extension) override;
    bool removeExtensionRow(const QString& extension) override;
    void selectRenameType(int index) override;
    bool renameTypeZeroSelected() const override;
    void setAutoTempChecked(bool checked) override;
    bool autoTempChecked() const override;

    desc::Store& m_descriptions;
    Rename::Settings& m_rename;
    settings::Store& m_store;
    Prompts& m_prompts;

    // Set while the two fields are filled from a row, so their change handlers do not
    // write the filled-in text back.
    bool fillingFields = false;
    // Set while the program itself selects a row, which must not refill the fields.
    bool m_selectingRow = false;
    // Set once finishLayout has run.
    bool m_layoutFinished = false;
    // Set once ensureControls has built the controls; until then the pages' state is kept
    // here.
    bool m_controlsBuilt = false;
    QList<QStringList> m_pendingDescRows;
    int m_pendingDescSelected = -1;
    QStringList m_pendingExtRows;
    int m_pendingRenameType = 1;
    bool m_pendingAutoTemp = true;

    std::array<QPushButton*, 2> optSelFrames{};
    QButtonGroup* m_pageGroup = nullptr;
    std::array<QFrame*, 2> frames{};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdExit = nullptr;

    QTreeWidget* listviewDesc = nullptr;
    QPushButton* cmdAddDesc = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdDefaults = nullptr;
    std::array<QLabel*, 4> labels{};
    QLineEdit* txtLabel = nullptr;
    QLineEdit* txtDesc = nullptr;

    std::array<QRadioButton*, 2> renameType{};
    QButtonGroup* m_renameTypeGroup = nullptr;
    QCheckBox* chkAutoEditRename = nullptr;
    QListWidget* lstExts = nullptr;
    QPushButton* cmdAddRename = nullptr;
    QPushButton* cmdDelRename = nullptr;
    QPushButton* cmdDefaultsRename = nullptr;
};

#endif
