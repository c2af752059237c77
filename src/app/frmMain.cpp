#include "app/frmMain.h"

#include "app/Artwork.h"
#include "app/AttributeModel.h"
#include "app/AttributesPage.h"
#include "app/EditHistory.h"
#include "app/FogPage.h"
#include "app/FormLayout.h"
#include "app/InfoFileWatch.h"
#include "app/LightPage.h"
#include "app/NamePage.h"
#include "app/PageButton.h"
#include "app/Prompts.h"
#include "app/enableSave.h"
#include "app/frmOptions.h"
#include "document/edit.h"
#include "save/editSave.h"
#include "save/renameJournal.h"
#include "settings/SettingsStore.h"
#include "util/fso.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace {

const QString settingsApp = QStringLiteral("Tarvex Kite");
const QString currentSection = QStringLiteral("Current");
const QString folderKey = QStringLiteral("Folder");

using formLayout::place;
using formLayout::twips;

QPushButton* button(QWidget* parent, const char* objectName, const QString& text,
                    const QString& toolTip, int left, int top, int width, int height)
{
    auto* result = place(new QPushButton(text, parent), objectName, left, top, width, height);
    result->setToolTip(toolTip);
    return result;
}

// The window's 8 point font. It is set before the first control is made, so that no control
// is laid out in the platform's font first and again in this one.
QWidget* withDialogFont(QWidget* window)
{
    QFont dialogFont = window->font();
    dialogFont.setPointSizeF(8);
    window->setFont(dialogFont);
    return window;
}

// Runs an edit call that may refill the attribute list: the rows it appends reach the list
// all at once, when it returns.
template <typename Call>
auto inOneBatch(AttributeModel& rows, Call call)
{
    rows.beginBatch();
    const auto done = qScopeGuard([&rows] { rows.endBatch(); });
    return call();
}

} // namespace

frmMain::frmMain(edit::State& state, desc::Store& descriptions, Rename::Settings& rename,
                 settings::Store& store, Prompts& prompts, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                  | Qt::MSWindowsFixedSizeDialogHint)
    , m_state(state)
    , m_descriptions(descriptions)
    , m_rename(rename)
    , m_store(store)
    , m_prompts(prompts)
    , fbMain(new folderBox(prompts, withDialogFont(this)))
    , m_folderAccess(*fbMain)
{
    setObjectName(QStringLiteral("frmMain"));
    // "Tarvex Kite", and "Tarvex Kite*" while there are unsaved changes.
    setWindowTitle(QStringLiteral("Tarvex Kite[*]"));
    setWindowIcon(artwork::kiteIcon());
    setFixedSize(twips(9375), twips(6735));

    // Controls are created in keyboard focus order.
    auto* Label3 = place(new QLabel(tr("Select track to edit -"), this), "Label3", 120, 120,
                         2535, 255);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->resize(std::max(Label3->width(), Label3->sizeHint().width()), Label3->height());
    place(fbMain, "fbMain", 120, 480, 2655, 5535);

    const QStringList pageNames{tr("Na&me"), tr("&Light"), tr("&Fog"), tr("A&ttributes")};
    m_pageButtons = new QButtonGroup(this);
    m_pageButtons->setExclusive(true);
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "optFrames" + QByteArray::number(i);
        optFrames[i] = place(new PageButton(pageNames.at(i), this), name.constData(),
                             2880 + 1080 * i, 60, 975, 375);
        m_pageButtons->addButton(optFrames[i], i);
    }

    // The pages: frames without caption, all at the same place, each holding its page.
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "frames" + QByteArray::number(i);
        auto* frame = place(new QFrame(this), name.constData(), 2880, 480, 6375, 5655);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frames[i] = frame;
    }
    m_history = new EditHistory(m_state, *this, this);
    m_watch = new InfoFileWatch(this);
    m_namePage = new NamePage(frames[0], m_state, *this, *m_history);
    m_attributesPage = new AttributesPage(frames[3], m_state, *this, *m_history,
                                          m_descriptions, m_prompts);
    m_pages = {m_namePage, m_attributesPage};

    cmdSave = button(this, "cmdSave", tr("&Save"),
                     QStringLiteral("Save *.inf file and rename files if folder changed"), 120,
                     6240, 1215, 375);
    cmdNew = button(this, "cmdNew", tr("&New *.inf"),
                    QStringLiteral("Create *.inf file if it doesn't already exist"), 1440, 6240,
                    1215, 375);
    cmdOpt = button(this, "cmdOpt", tr("&Options"), QStringLiteral("Advanced Options"), 2760, 6240,
                    1215, 375);
    cmdAbout =
        button(this, "cmdAbout", tr("A&bout"), QStringLiteral("About"), 6720, 6240, 1215, 375);
    cmdExit = button(this, "cmdExit", tr("E&xit"), QStringLiteral("Exit"), 8040, 6240, 1215, 375);

    connect(fbMain, &folderBox::pathChange, this, &frmMain::fbMain_pathChange);
    connect(m_pageButtons, &QButtonGroup::idClicked, this, &frmMain::optFrames_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmMain::cmdNew_Click);
    connect(cmdOpt, &QPushButton::clicked, this, &frmMain::cmdOpt_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(m_history, &EditHistory::changed, this, &frmMain::showModified);
    connect(m_history, &EditHistory::rowStepShown, m_attributesPage,
            &AttributesPage::setCurrentRow);
    connect(m_namePage, &NamePage::folderNameEdited, this, &frmMain::showModified);
    connect(m_watch, &InfoFileWatch::changed, this, &frmMain::infoFile_Changed);
    auto* undo = new QShortcut(this);
    undo->setKeys(EditHistory::undoKeys());
    connect(undo, &QShortcut::activated, this, &frmMain::editUndo);
    auto* redo = new QShortcut(this);
    redo->setKeys(EditHistory::redoKeys());
    connect(redo, &QShortcut::activated, this, &frmMain::editRedo);

    optFrames[0]->setChecked(true);
    optFrames_Click(0);
}

frmMain::~frmMain()
{
    // An edit still open in the list would be committed by the focus leaving it while the
    // window is taken apart, and fill editors that are gone by then.
    commitOpenEdit();
}

void frmMain::ensureEditorPages()
{
    if (m_lightPage)
        return;
    m_lightPage = new LightPage(frames[1], m_state, *this, *m_history);
    m_fogPage = new FogPage(frames[2], m_state, *this, *m_history, m_prompts);
    m_pages = {m_namePage, m_lightPage, m_fogPage, m_attributesPage};
    linkFocusOrder();
}

void frmMain::linkFocusOrder()
{
    QWidget* previous = nullptr;
    for (const EditorPage* page : std::as_const(m_pages)) {
        for (QWidget* next : page->focusOrder()) {
            if (previous)
                setTabOrder(previous, next);
            previous = next;
        }
    }
}

void frmMain::Form_Load(const QString& trackFolder)
{
    const QString folder = trackFolder.isEmpty()
        ? fso::fromStoredText(m_store.read(settingsApp, currentSection, folderKey))
        : QFileInfo(trackFolder).path();
    if (!folder.isEmpty())
        fbMain->setPath(folder);
    fbMain->selectedItem = fbMain->Path();
    // A track from the command line is loaded by its pick below, not the folder around it.
    const auto loadOpenFolder = [this] {
        fbMain->selectedItem = fbMain->Path();
        const bool halfRenamed = finishInterruptedRename();
        showLoadError(inOneBatch(m_attributesPage->rows(), [this] {
            return edit::loadTrack(m_state, *this, fbMain->selectedItem);
        }));
        misc::enableSave(*cmdSave, *cmdNew, m_state.fileLoaded);
        cmdNew->setEnabled(cmdNew->isEnabled() && !halfRenamed);
    };
    if (trackFolder.isEmpty())
        loadOpenFolder();
    edit::showFogCaption(m_state, *this, edit::emptyFogCaption());
    if (!trackFolder.isEmpty() && !pickTrack(trackFolder))
        loadOpenFolder();

    if (const QScreen* screen = this->screen()) {
        QRect centred = rect();
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
    show();
    QApplication::processEvents();
    m_options = new frmOptions(m_descriptions, m_rename, m_store, m_prompts, this);
    documentLoaded();
    // Watching costs nothing while the editor runs, but the system needs about 10 ms to take
    // a file watch down when the program ends. Started a moment after start-up, it costs a
    // start that is ended at once nothing, and its first look finds what changed meanwhile.
    QTimer::singleShot(500, this, [this] {
        m_watching = true;
        infoFile_Changed();
    });
}

// The pick of a click in the browser, which loads the track. A track the browser does not
// list (a hidden folder, say) is opened itself and picked as its own entry.
bool frmMain::pickTrack(const QString& trackFolder)
{
    if (fbMain->pickFolder(trackFolder))
        return true;
    return QFileInfo(trackFolder).isDir() && fbMain->setPath(trackFolder)
        && fbMain->pickFolder(trackFolder);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

// What is kept is the folder the browser has open, not the folder picked in its list.
void frmMain::Form_Unload()
{
    m_store.write(settingsApp, currentSection, folderKey, fso::toStoredText(fbMain->Path()));
}

void frmMain::fbMain_pathChange()
{
    commitOpenEdit();
    if (hasUnsavedChanges()) {
        // While the user answers, and when the answer is Cancel, the browser shows the
        // loaded track selected; Save saves it under its own folder.
        fbMain->cancelPick();
        if (!settleUnsavedChanges())
            return;
        fbMain->restorePick();
    }
    const bool halfRenamed = finishInterruptedRename();
    showLoadError(inOneBatch(m_attributesPage->rows(), [this] {
        return edit::loadTrack(m_state, *this, fbMain->selectedItem);
    }));
    misc::enableSave(*cmdSave, *cmdNew, m_state.fileLoaded);
    cmdNew->setEnabled(cmdNew->isEnabled() && !halfRenamed);
    documentLoaded();
}

bool frmMain::hasUnsavedChanges() const
{
    if (!m_state.fileLoaded)
        return false;
    const QString loadedFolder = QFileInfo(m_state.diskCopy.path).path();
    return edit::isModified(m_state) || m_namePage->folderName() != edit::folderName(loadedFolder);
}

void frmMain::showModified()
{
    setWindowModified(hasUnsavedChanges());
}

bool frmMain::settleUnsavedChanges()
{
    commitOpenEdit();
    if (!hasUnsavedChanges())
        return true;
    switch (m_prompts.saveDiscardOrCancel(
        this, QStringLiteral("Save changes to '") + m_state.diskCopy.path + QStringLiteral("'?"))) {
    case Prompts::SaveChoice::Save:
        return saveDocument();
    case Prompts::SaveChoice::Discard:
        return true;
    case Prompts::SaveChoice::Cancel:
        break;
    }
    return false;
}

void frmMain::documentLoaded()
{
    m_history->clear();
    m_toldOfDiskChange = false;
    watchLoadedFile();
    showModified();
}

void frmMain::watchLoadedFile()
{
    if (m_watching)
        m_watch->watch(m_state.fileLoaded ? m_state.diskCopy.path : QString());
}

void frmMain::commitOpenEdit()
{
    m_attributesPage->commitOpenEdit();
}

void frmMain::editUndo()
{
    commitOpenEdit();
    m_history->undo();
}

void frmMain::editRedo()
{
    commitOpenEdit();
    m_history->redo();
}

void frmMain::infoFile_Changed()
{
    // A file replaced by another one is watched again under its name.
    watchLoadedFile();
    if (!m_state.fileLoaded)
        return;
    const edit::DiskState disk = edit::diskState(m_state);
    if (disk == edit::DiskState::Unchanged)
        return;
    // Nothing of the user's is in the way: show the file as it is now, on the same page and
    // row. An edit still open in the list is the user's too.
    if (disk == edit::DiskState::Changed && !hasUnsavedChanges()
        && !m_attributesPage->isEditing()) {
        const int row = m_attributesPage->currentRow();
        const QString folder = QFileInfo(m_state.diskCopy.path).path();
        const QString error = inOneBatch(m_attributesPage->rows(), [&] {
            return edit::reloadFromDisk(m_state, *this, folder);
        });
        if (m_attributesPage->currentRow() != row)
            m_attributesPage->setCurrentRow(row);
        if (!m_state.fileLoaded) // what it holds now cannot be loaded: nothing to save
            misc::enableSave(*cmdSave, *cmdNew, false);
        documentLoaded();
        if (!error.isEmpty())
            m_prompts.notice(this, error);
        return;
    }
    // Told once, without stopping the user: the edits stay, and Save asks before it writes.
    if (std::exchange(m_toldOfDiskChange, true))
        return;
    const QString file = QStringLiteral("'") + m_state.diskCopy.path + QStringLiteral("'");
    m_prompts.notice(
        this, disk == edit::DiskState::Missing
                  ? file + QStringLiteral(" was removed by another program. The track stays "
                                          "open here; Save writes it again.")
                  : file + QStringLiteral(" was changed by another program. Your unsaved "
                                          "changes are kept; Save asks before it writes over "
                                          "the other program's changes."));
}

void frmMain::showLoadError(const QString& error)
{
    if (!error.isEmpty())
        m_prompts.information(this, error);
}

// Before the picked track loads, a rename of it that was interrupted is offered to be
// finished; finishing may move the browser to the folder's new name. True while the folder
// is left half renamed (the offer declined, or not everything could be finished): New then
// stays disabled, so no new info file can take the place of the track's own.
bool frmMain::finishInterruptedRename()
{
    const std::optional<edit::InterruptedRename> interrupted =
        edit::findInterruptedRename(fbMain->selectedItem);
    if (!interrupted)
        return false;
    if (m_prompts.yesOrNo(this, interrupted->offer()))
        m_prompts.information(this, edit::finishRename(m_folderAccess, *interrupted).message());
    else
        m_prompts.information(this, interrupted->leftHalfRenamed());
    return edit::isHalfRenamed(fbMain->selectedItem);
}

// Only the chosen page is shown, so the keyboard never reaches a page behind it.
void frmMain::optFrames_Click(int index)
{
    commitOpenEdit();
    if (index > 0)
        ensureEditorPages();
    if (index == 3) {
        m_attributesPage->makeAttributeList();
        linkFocusOrder();
    }
    for (int i = 0; i < int(frames.size()); ++i)
        frames[i]->setVisible(i == index);
    frames[index]->raise();
}

void frmMain::cmdSave_Click()
{
    saveDocument();
}

bool frmMain::saveDocument()
{
    commitOpenEdit();
    // Writing over a file another program changed since it was read would lose that change.
    if (m_state.fileLoaded && edit::diskState(m_state) == edit::DiskState::Changed
        && !m_prompts.overwriteOrCancel(
            this, QStringLiteral("'") + m_state.diskCopy.path
                      + QStringLiteral("' was changed by another program since it was opened. "
                                       "Overwrite it?")))
        return false;
    const QString selected = fbMain->selectedItem;
    const QString parentPath = selected.left(selected.lastIndexOf(QLatin1Char('/')) + 1);
    const int records = m_state.tagList.count();
    m_watch->watch(QString()); // the editor's own writing and renaming is no outside change
    const edit::SaveResult result = inOneBatch(m_attributesPage->rows(), [&] {
        return edit::saveTrack(m_state, *this, m_folderAccess, m_rename, parentPath,
                               m_namePage->folderName());
    });
    if (!edit::isModified(m_state)) {
        // The document is the file as written. The steps still apply to it, unless the file
        // read back holds other records than the document that was saved.
        if (m_state.tagList.count() == records)
            m_history->setSaved();
        else
            m_history->clear();
        m_toldOfDiskChange = false;
    }
    watchLoadedFile();
    showModified();
    m_prompts.information(this, result.message());
    misc::enableSave(*cmdSave, *cmdNew, m_state.fileLoaded);
    return result.errors.isEmpty();
}

void frmMain::cmdNew_Click()
{
    if (!settleUnsavedChanges())
        return;
    const QString error = inOneBatch(m_attributesPage->rows(), [this] {
        return edit::newTrackFile(m_state, *this, fbMain->selectedItem);
    });
    misc::enableSave(*cmdSave, *cmdNew, m_state.fileLoaded);
    if (!error.isEmpty()) {
        m_prompts.information(this, error); // nothing was loaded
        return;
    }
    documentLoaded();
}

void frmMain::cmdOpt_Click()
{
    commitOpenEdit();
    if (m_options)
        m_options->showOptions();
}

QString frmMain::aboutText()
{
    return QStringList{QStringLiteral("Tarvex Kitework (Kite)"),
                       QStringLiteral("Tarvex Kite, the track info editor for Tarvex. "
                                      "Licence: MIT."),
                       QStringLiteral("Help and contact: README.md, in " KITE_DOC_DIR),
                       QString(), QStringLiteral("Version 2.0, Compiled December 30, 2001")}
        .join(QLatin1Char('\n'));
}

void frmMain::cmdAbout_Click()
{
    m_prompts.information(this, aboutText());
}

void frmMain::cmdExit_Click()
{
    close();
}

template <typename... Parameters, typename... Values>
void frmMain::toPages(void (edit::EditorView::*show)(Parameters...), const Values&... values)
{
    for (EditorPage* page : std::as_const(m_pages))
        (page->*show)(values...);
}

void frmMain::showNameAndAuthor(const QString& name, const QString& author)
{
    toPages(&edit::EditorView::showNameAndAuthor, name, author);
}

void frmMain::showFolderName(const QString& folderName)
{
    toPages(&edit::EditorView::showFolderName, folderName);
}

QString frmMain::selectedFolder() const
{
    return fbMain->selectedItem;
}

void frmMain::setSliderPosition(int index, int position)
{
    toPages(&edit::EditorView::setSliderPosition, index, position);
}

void frmMain::setNumericText(int index, const QString& text)
{
    toPages(&edit::EditorView::setNumericText, index, text);
}

void frmMain::showFogSwatch(edit::Rgb colour)
{
    toPages(&edit::EditorView::showFogSwatch, colour);
}

void frmMain::showFogCaption(const QString& threeLines)
{
    toPages(&edit::EditorView::showFogCaption, threeLines);
}

void frmMain::clearRows()
{
    toPages(&edit::EditorView::clearRows);
}

void frmMain::appendRow(const QString& key, const QString& label, const QString& value)
{
    toPages(&edit::EditorView::appendRow, key, label, value);
}

void frmMain::setRowValue(int row, const QString& value)
{
    toPages(&edit::EditorView::setRowValue, row, value);
}
