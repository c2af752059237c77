#include "app/frmOptions.h"

#include "app/Prompts.h"
#include "settings/SettingsStore.h"

frmOptions::frmOptions(desc::Store& descriptions, Rename::Settings& rename,
                       settings::Store& store, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_descriptions(descriptions), m_rename(rename), m_store(store),
      m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("Advanced Tvkite Options"));
}

void frmOptions::showOptions()
{
    exec();
}

void frmOptions::clearDescriptionRows() {}
void frmOptions::appendDescriptionRow(const QString&, const QString&) {}
void frmOptions::clearExtensionRows() {}
void frmOptions::appendExtensionRow(const QString&) {}
bool frmOptions::removeExtensionRow(const QString&) { return false; }
void frmOptions::selectRenameType(int) {}
bool frmOptions::renameTypeZeroSelected() const { return false; }
void frmOptions::setAutoTempChecked(bool) {}
bool frmOptions::autoTempChecked() const { return true; }
