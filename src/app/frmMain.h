#ifndef KITE_APP_FRMMAIN_H
#define KITE_APP_FRMMAIN_H

#include "app/folderBox.h"
#include "document/EditorView.h"

#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;
class QModelIndex;
class QTreeView;
class AttributeModel;
class ColourSwatch;
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
// pages on the right, and the command buttons along the bottom. It shows the loaded
// document to the edit module (as its EditorView) and turns the user's edits into tag
// changes. The layout is fixed, in the twips of the original form.
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
    // the (hidden) options dialog.
    void Form_Load();

    // The caption text of the About message, five lines.
    static QString aboutText();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Layout, one page at a time (frmMain.cpp).
    void buildNamePage(QWidget* page);
    void buildLightPage(QWidget* page);
    void buildFogPage(QWidget* page);
    void buildAttributesPage(QWidget* page);
    // The Light and Fog pages' controls are made when one of those pages, or the Attributes
    // page that follows them in the keyboard order, is first shown. Until then what loading
    // shows on them waits in the m_pending members.
    void ensureEditorPages();
    void makeAttributeList();
    void dressAttributeList();

    // Window handlers (frmMain.cpp).
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

    // Editor and attribute list handlers (frmMainEditors.cpp).
    void editSld_Change(int index);
    void editNumeric_Change(int index);
    void txtName_Change();
    void txtAuthor_Change();
    void picFogColor_Click();
    void listviewAttr_ItemClick(const QModelIndex& item);
    void listviewAttr_DblClick();
    void Timer1_Timer();
    void listviewAttr_AfterLabelEdit(int row, const QString& newText);

    // edit::EditorView (frmMainEditors.cpp).
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

    folderBox* fbMain = nullptr;
    FolderBoxAccess m_folderAccess;
    QButtonGroup* m_pageButtons = nullptr;
    std::array<QPushButton*, 4> optFrames{};
    std::array<QWidget*, 4> frames{};
    std::array<QLabel*, 9> infolabels{};
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdOpt = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdExit = nullptr;

    QLineEdit* txtName = nullptr;
    QLineEdit* txtAuthor = nullptr;
    QLineEdit* txtFolder = nullptr;
    std::array<QSlider*, 5> editSld{};
    std::array<QLineEdit*, 2> editNumeric{};
    ColourSwatch* picFogColor = nullptr;
    QLabel* lblfogcolor = nullptr;
    bool m_editorPagesBuilt = false; // see ensureEditorPages
    std::array<std::optional<int>, 5> m_pendingSliders{};
    std::array<std::optional<QString>, 2> m_pendingNumerics{};
    std::optional<edit::Rgb> m_pendingSwatch;
    std::optional<QString> m_pendingFogCaption;
    QTreeView* listviewAttr = nullptr;      // made when the Attributes page is first shown
    AttributeModel* m_attributes = nullptr; // the rows listviewAttr shows; owned by the window
    bool m_attributeListDressed = false;    // see dressAttributeList
    QLabel* lblDesc = nullptr;
    QTimer* Timer1 = nullptr;
};

#endif
