#ifndef KITE_APP_FRMOPTIONS_H
#define KITE_APP_FRMOPTIONS_H

#include "descriptions/desc.h"
#include "save/Rename.h"

#include <QDialog>

#include <array>

class DescriptionsPage;
class Prompts;
class RenamingPage;
class QButtonGroup;
class QCloseEvent;
class QFrame;
class QPushButton;
class QShowEvent;
namespace settings {
class Store;
}

// The "Advanced Tvkite Options" dialog: tag descriptions and rename settings, one page each.
// Created hidden at the end of start-up and never destroyed during the run; OK saves, Cancel
// and the close box only hide it, so it shows again exactly as it was left.
class frmOptions final : public QDialog
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
    // The controls are made before the dialog first shows.
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ensureControls();

    void Form_Load();
    // True when the close must be refused (the user asked for it: it only hides).
    bool Form_QueryUnload(bool userRequested);
    void optSelFrames_Click(int index);
    void cmdOK_Click();
    void cmdExit_Click();

    desc::Store& m_descriptions;
    Rename::Settings& m_rename;
    settings::Store& m_store;
    Prompts& m_prompts;

    bool m_layoutFinished = false; // the first show has fitted the captions

    std::array<QPushButton*, 2> optSelFrames{};
    QButtonGroup* m_pageGroup = nullptr;
    DescriptionsPage* m_descriptionsPage = nullptr; // frames0, made by ensureControls
    RenamingPage* m_renamingPage = nullptr;         // frames1, made by ensureControls
    std::array<QFrame*, 2> frames{};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdExit = nullptr;
};

#endif
