#ifndef KITE_APP_RENAMINGPAGE_H
#define KITE_APP_RENAMINGPAGE_H

#include "save/Rename.h"

#include <QFrame>
#include <QList>

#include <array>

class Prompts;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
namespace settings {
class Store;
}

// The options dialog's renaming page (frames1): the extensions that count as track files,
// the rename type and the temporary-file option. Add, Delete and Defaults change the
// extension list in use at once; the type and the check box take effect on the dialog's OK.
class RenamingPage final : public QFrame, public Rename::RenamePage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RenamingPage)
public:
    // Shows the rename settings as they are in use.
    RenamingPage(QWidget* dialog, Rename::Settings& rename, settings::Store& store,
                 Prompts& prompts);
    ~RenamingPage() override;

    // The page's controls in keyboard order.
    QList<QWidget*> focusOrder() const;
    // Lays the captions out to their text (the dialog's first show).
    void fitCaptions();

    // Rename::RenamePage
    void clearExtensionRows() override;
    void appendExtensionRow(const QString& extension) override;
    void removeExtensionRow(int position) override;
    void selectRenameType(int index) override;
    bool renameTypeZeroSelected() const override;
    void setAutoTempChecked(bool checked) override;
    bool autoTempChecked() const override;

private:
    void cmdAddRename_Click();
    void cmdDelRename_Click();
    void cmdDefaultsRename_Click();

    Rename::Settings& m_rename;
    settings::Store& m_store;
    Prompts& m_prompts;

    std::array<QLabel*, 2> labels{}; // the dialog's labels 2 and 3
    std::array<QRadioButton*, 2> renameType{};
    QButtonGroup* m_renameTypeGroup = nullptr;
    QCheckBox* chkAutoEditRename = nullptr;
    QListWidget* lstExts = nullptr;
    QPushButton* cmdAddRename = nullptr;
    QPushButton* cmdDelRename = nullptr;
    QPushButton* cmdDefaultsRename = nullptr;
};

#endif
