#ifndef KITE_TESTS_HARDENING_EDITORUNDERTEST_H
#define KITE_TESTS_HARDENING_EDITORUNDERTEST_H

#include "app/GuiTest.h"
#include "app/ScriptedPrompts.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "settings/SettingsStore.h"

#include <QPushButton>

#include <memory>

// The real main window started as the program starts it (Form_Load) on a given settings store,
// every prompt answered by a script. Each action returns the messages it showed, or empty text.
struct EditorUnderTest
{
    EditorUnderTest(settings::Store& store, const QString& startFolder)
    {
        rename.trackExts = Rename::defaultExtensions.split(u';');
        store.write(u"Tarvex Kite"_s, u"Current"_s, u"Folder"_s, startFolder);
        window = std::make_unique<frmMain>(state, descriptions, rename, store, prompts);
        window->Form_Load();
        said();
    }
    // What the window told the user since the last call, or empty text.
    QString said() { return std::exchange(prompts.informationTexts, {}).join(u'\n'); }
    QString pick(const QString& folder) // a click on it in the folder browser's list
    {
        auto* box = child<folderBox>(window.get(), u"fbMain"_s);
        box->selectedItem = folder;
        Q_EMIT box->pathChange();
        return said();
    }
    // A click on a button of the window or of the Options dialog; a disabled one does nothing.
    QString press(const QString& name, QObject* in = nullptr)
    {
        child<QPushButton>(in ? in : window.get(), name)->click();
        return said();
    }
    // The options dialog as the user reaches it: shown (without waiting for it to close).
    frmOptions* options()
    {
        auto* dialog = child<frmOptions>(window.get(), u"frmOptions"_s);
        dialog->show();
        return dialog;
    }
    QLineEdit* field(const QString& name) { return child<QLineEdit>(window.get(), name); }

    ScriptedPrompts prompts;
    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;
    std::unique_ptr<frmMain> window;
};

#endif
