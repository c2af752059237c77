#ifndef KITE_APP_FRMMAIN_H
#define KITE_APP_FRMMAIN_H

#include "app/folderBox.h"
#include "document/EditorView.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <array>

class QButtonGroup;
class QPushButton;
class AttributesPage;
class EditHistory;
class EditorPage;
class FogPage;
class InfoFileWatch;
class LightPage;
class NamePage;
class frmOptions;
class Prompts;

namespace edit {
struct State;
}
namespace desc {
class Store;
}
namespace Rename {
struct Settings;
}
namespace settings {
class Store;
}

// The editor window: the folder browser on the left, the Name, Light, Fog and Attributes
// pages on the right, and the command buttons along the bottom. The pages show the loaded
// document and turn the user's edits into tag changes; to the edit module the window is one
// view of the document, which it passes on to every page made so far. The layout is fixed,
// in the twips of the original form. A user's edit is never lost without a question: the
// caption marks unsaved changes, replacing the document or closing asks first, every edit can
// be undone, and a change another program makes to the file is noticed.
class frmMain final : public QWidget, private edit::EditorView
{
    Q_OBJECT
public:
    // Builds the controls only; Form_Load starts the editor.
    frmMain(edit::State& state, desc::Store& descriptions, Rename::Settings& rename,
            settings::Store& store, Prompts& prompts, QWidget* parent = nullptr);
    ~frmMain() override;
    Q_DISABLE_COPY_MOVE(frmMain)

    // Start-up: restores the last folder, loads its track, shows the window and creates
    // the (hidden) options dialog. Given a track folder (from the command line), it opens
    // that folder's parent instead and picks the track there, as a click on it would.
    void Form_Load(const QString& trackFolder = QString());

    // The caption text of the About message, five lines.
    static QString aboutText();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The Light and Fog pages are made when one of them, or the Attributes page that follows
    // them in the keyboard order, is first shown; they fill themselves from the document.
    void ensureEditorPages();
    // Puts the pages' controls in the keyboard order of the form, between the page buttons
    // and the command buttons.
    void linkFocusOrder();

    bool pickTrack(const QString& trackFolder);

    // Unsaved changes: the document differs from the file as last loaded or saved, or the
    // Folder field holds a new name for the track (a rename Save would make).
    bool hasUnsavedChanges() const;
    void showModified();
    // Before the document is replaced or the window closes: an open in-place edit is
    // committed, then unsaved changes are saved, or dropped, as the user answers. False when
    // the user cancelled, or the save did not succeed: everything stays as it is.
    bool settleUnsavedChanges();
    // Save: true when the file was written and every step succeeded.
    bool saveDocument();
    // After a track was loaded: a fresh history, the new file watched.
    void documentLoaded();
    void watchLoadedFile();
    // Ends an in-place edit of the attribute list as Enter does.
    void commitOpenEdit();
    void editUndo();
    void editRedo();
    void infoFile_Changed();

    void Form_Unload();
    void fbMain_pathChange();
    void optFrames_Click(int index);
    void cmdSave_Click();
    void cmdNew_Click();
    void cmdOpt_Click();
    void cmdAbout_Click();
    void cmdExit_Click();
    void showLoadError(const QString& error);
    bool finishInterruptedRename();

    // edit::EditorView: passed on to every page made so far.
    template <typename... Parameters, typename... Values>
    void toPages(void (edit::EditorView::*show)(Parameters...), const Values&... values);
    void showNameAndAuthor(const QString& name, const QString& author) override;
    void showFolderName(const QString& folderName) override;
    QString selectedFolder() const override;
    void setSliderPosition(int index, int position) override;
    void setNumericText(int index, const QString& text) override;
    void showFogSwatch(edit::Rgb colour) override;
    void showFogCaption(const QString& threeLines) override;
    void clearRows() override;
    void appendRow(const QString& key, const QString& label, const QString& value) override;
    void setRowValue(int row, const QString& value) override;

    edit::State& m_state;
    desc::Store& m_descriptions;
    Rename::Settings& m_rename;
    settings::Store& m_store;
    Prompts& m_prompts;
    frmOptions* m_options = nullptr; // exists from the end of Form_Load
    EditHistory* m_history = nullptr;
    InfoFileWatch* m_watch = nullptr;
    bool m_watching = false;         // from a moment after start-up on
    bool m_toldOfDiskChange = false; // a notice was shown since the file was last read

    folderBox* fbMain = nullptr;
    FolderBoxAccess m_folderAccess;
    QButtonGroup* m_pageButtons = nullptr;
    std::array<QPushButton*, 4> optFrames{};
    std::array<QWidget*, 4> frames{};
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdOpt = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdExit = nullptr;

    NamePage* m_namePage = nullptr;
    LightPage* m_lightPage = nullptr; // made by ensureEditorPages
    FogPage* m_fogPage = nullptr;     // made by ensureEditorPages
    AttributesPage* m_attributesPage = nullptr;
    QList<EditorPage*> m_pages; // every page made so far, in keyboard order
};

#endif
