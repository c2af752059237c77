#ifndef KITE_TESTS_HARDENING_EDITORUNDERTEST_H
#define KITE_TESTS_HARDENING_EDITORUNDERTEST_H

#include "app/ScriptedPrompts.h"
#include "app/folderBox.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <gtest/gtest.h>

#include <memory>

// The real main window started as the program starts it (Form_Load), on a given settings
// store, with every prompt answered by a script; and the user's actions on it. Each action
// returns the message the window showed for it, or empty text when it showed none.
class EditorUnderTest
{
public:
    EditorUnderTest(settings::Store& store, const QString& startFolder)
    {
        rename.trackExts = Rename::defaultExtensions.split(QLatin1Char(';'));
        store.write(QStringLiteral("Tarvex Kite"), QStringLiteral("Current"),
                    QStringLiteral("Folder"), startFolder);
        m_window = std::make_unique<frmMain>(state, descriptions, rename, store, prompts);
        m_window->Form_Load();
    }

    ScriptedPrompts prompts;
    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;

    frmMain& window() { return *m_window; }

    template <typename Widget>
    Widget* child(QObject& parent, const char* name) const
    {
        auto* widget = parent.findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // What a click on the folder in the folder browser's list does.
    QString pick(const QString& folder)
    {
        const qsizetype before = prompts.informationTexts.size();
        folderBox* box = child<folderBox>(*m_window, "fbMain");
        box->selectedItem = folder;
        Q_EMIT box->pathChange();
        return messageSince(before);
    }
    // Clicking a disabled button does nothing, as for the user.
    QString pressSave() { return press(*m_window, "cmdSave"); }
    QString pressNew() { return press(*m_window, "cmdNew"); }
    bool saveEnabled() const { return child<QPushButton>(*m_window, "cmdSave")->isEnabled(); }
    bool newEnabled() const { return child<QPushButton>(*m_window, "cmdNew")->isEnabled(); }

    void typeName(const QString& text) { child<QLineEdit>(*m_window, "txtName")->setText(text); }
    QString shownName() const { return child<QLineEdit>(*m_window, "txtName")->text(); }
    void typeFolderName(const QString& text)
    {
        child<QLineEdit>(*m_window, "txtFolder")->setText(text);
    }

    frmOptions& options() { return *child<frmOptions>(*m_window, "frmOptions"); }
    QString pressOptions(const char* button) { return press(options(), button); }

    // The window's close box: what is remembered at shutdown is written.
    void close() { m_window->close(); }

private:
    QString press(QObject& parent, const char* button)
    {
        const qsizetype before = prompts.informationTexts.size();
        child<QPushButton>(parent, button)->click();
        return messageSince(before);
    }
    QString messageSince(qsizetype before) const
    {
        return prompts.informationTexts.size() > before ? prompts.informationTexts.last()
                                                         : QString();
    }

    std::unique_ptr<frmMain> m_window;
};

#endif
