#ifndef KITE_APP_FRMOPTIONS_H
#define KITE_APP_FRMOPTIONS_H

#include "descriptions/desc.h"
#include "save/Rename.h"

#include <QDialog>

class Prompts;
namespace settings {
class Store;
}

// The "Advanced Tvkite Options" dialog: tag descriptions and rename settings. Created
// hidden at the end of start-up and never destroyed during the run; OK saves, Cancel and
// the close box only hide it.
class frmOptions final : public QDialog, private desc::DescriptionList, private Rename::RenamePage
{
    Q_OBJECT
public:
    // Form_Load: loads the descriptions and the rename settings into the given objects.
    frmOptions(desc::Store& descriptions, Rename::Settings& rename, settings::Store& store,
               Prompts& prompts, QWidget* parent);

    // Shows the dialog modally (the Options button) and returns when it is hidden again.
    void showOptions();

private:
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
};

#endif
