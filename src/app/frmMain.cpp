#include "app/frmMain.h"

#include "app/Artwork.h"
#include "app/AttributeModel.h"
#include "app/ColourSwatch.h"
#include "app/FormLayout.h"
#include "app/Prompts.h"
#include "app/enableSave.h"
#include "app/frmOptions.h"
#include "document/edit.h"
#include "save/editSave.h"
#include "save/renameJournal.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <utility>

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

QLineEdit* textField(QWidget* parent, const char* objectName, const QString& accessibleName,
                     int left, int top, int width, int height)
{
    auto* field = place(new QLineEdit(parent), objectName, left, top, width, height);
    field->setAccessibleName(accessibleName);
    return field;
}

QSlider* slider(QWidget* parent, const char* objectName, int index, int tickInterval, int left,
                int top, int width, int height)
{
    auto* result = place(new QSlider(Qt::Horizontal, parent), objectName, left, top, width, height);
    result->setRange(edit::sliderMinimum.at(index), edit::sliderMaximum.at(index));
    result->setTickPosition(QSlider::TicksBelow);
    result->setTickInterval(tickInterval);
    result->setPageStep(5);
    result->setSingleStep(1);
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

// The captions were measured for a narrow 8 point font. Where the platform's font is wider
// and a caption would run under the control it names, its font is made a little smaller.
void fitBeforeBuddy(QLabel* label)
{
    const QWidget* buddy = label->buddy();
    if (!buddy || buddy->parentWidget() != label->parentWidget() || buddy->x() <= label->x())
        return;
    const int room = buddy->x() - label->x() - 2;
    QFont font = label->font();
    while (label->sizeHint().width() > room && font.pointSizeF() > 6.5) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        label->setFont(font);
    }
    label->resize(std::min(label->width(), room), label->height());
}

enum class CaptionWidth
{
    AtLeastBox, // may reach further right into the free space before its control
    Text,       // as wide as its text
};

// Fits a caption to its text; it is never cut off.
void fitCaption(QLabel* label, CaptionWidth width)
{
    if (width == CaptionWidth::Text)
        label->adjustSize();
    else
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    fitBeforeBuddy(label);
}

// A page: a frame without caption. Some pages mark a stretch of their sliders with green
// brackets: two short uprights joined at their lower ends. Its captions are fitted to their
// text when the page is first shown, so no text is measured for a page never opened.
class PageFrame final : public QFrame
{
public:
    struct Bracket
    {
        int left, right, top, bottom; // twips, page coordinates
    };

    PageFrame(QWidget* parent, QList<Bracket> brackets)
        : QFrame(parent), m_brackets(std::move(brackets))
    {
        setFrameStyle(QFrame::Box | QFrame::Sunken);
    }

    void addCaption(QLabel* label, CaptionWidth width) { m_captions.append({label, width}); }

protected:
    void showEvent(QShowEvent* event) override
    {
        for (const auto& [label, width] : std::exchange(m_captions, {}))
            fitCaption(label, width);
        QFrame::showEvent(event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        if (m_brackets.isEmpty())
            return;
        QPainter painter(this);
        painter.setPen(QPen(QColor(0, 255, 0), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        for (const Bracket& b : m_brackets) {
            const QPolygon line{
                QPoint(twips(b.left), twips(b.top)), QPoint(twips(b.left), twips(b.bottom)),
                QPoint(twips(b.right), twips(b.bottom)), QPoint(twips(b.right), twips(b.top))};
            painter.drawPolyline(line);
        }
    }

private:
    QList<Bracket> m_brackets;
    QList<std::pair<QLabel*, CaptionWidth>> m_captions; // not fitted yet
};

QLabel* caption(QWidget* parent, const char* objectName, const QString& text, int left, int top,
                int width, int height, CaptionWidth fit = CaptionWidth::AtLeastBox)
{
    auto* label = place(new QLabel(text, parent), objectName, left, top, width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (auto* page = dynamic_cast<PageFrame*>(parent))
        page->addCaption(label, fit);
    else
        fitCaption(label, fit);
    return label;
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
    setWindowTitle(QStringLiteral("Tarvex Kite"));
    setWindowIcon(artwork::kiteIcon());
    setFixedSize(twips(9375), twips(6735));

    // Controls are created in keyboard focus order.
    caption(this, "Label3", tr("Select track to edit -"), 120, 120, 2535, 255);
    place(fbMain, "fbMain", 120, 480, 2655, 5535);

    const QStringList pageNames{tr("Na&me"), tr("&Light"), tr("&Fog"), tr("A&ttributes")};
    m_pageButtons = new QButtonGroup(this);
    m_pageButtons->setExclusive(true);
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "optFrames" + QByteArray::number(i);
        optFrames[i] = place(new QPushButton(pageNames.at(i), this), name.constData(),
                             2880 + 1080 * i, 60, 975, 375);
        optFrames[i]->setCheckable(true);
        m_pageButtons->addButton(optFrames[i], i);
    }

    const QList<QList<PageFrame::Bracket>> brackets{
        {},
        {{4200, 6000, 720, 840}, {4200, 6000, 1320, 1440}, {4200, 6000, 1920, 2040}},
        {{3000, 4560, 720, 840}, {3000, 4560, 1320, 1440}},
        {}};
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "frames" + QByteArray::number(i);
        frames[i]
            = place(new PageFrame(this, brackets.at(i)), name.constData(), 2880, 480, 6375, 5655);
    }
    buildNamePage(frames[0]);
    buildAttributesPage(frames[3]);

    cmdSave = button(this, "cmdSave", tr("&Save"),
                     QStringLiteral("Save *.inf file and rename files if folder changed"), 120,
                     6240, 1215, 375);
    cmdNew = button(this, "cmdNew", tr("&New *.inf"),
                    QStringLiteral("Create *.inf file if it doesn't already exist"), 1440, 6240,
                    1215, 375);
    cmdOpt = button(this, "cmdOpt", tr("&Options"), QStringLiteral("Advanced Options"), 2760, 6240,
                    1215, 375);
    cmdAbout
        = button(this, "cmdAbout", tr("A&bout"), QStringLiteral("About"), 6720, 6240, 1215, 375);
    cmdExit = button(this, "cmdExit", tr("E&xit"), QStringLiteral("Exit"), 8040, 6240, 1215, 375);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(1);

    connect(fbMain, &folderBox::pathChange, this, &frmMain::fbMain_pathChange);
    connect(m_pageButtons, &QButtonGroup::idClicked, this, &frmMain::optFrames_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmMain::cmdNew_Click);
    connect(cmdOpt, &QPushButton::clicked, this, &frmMain::cmdOpt_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);

    optFrames[0]->setChecked(true);
    optFrames_Click(0);
}

frmMain::~frmMain() = default;

void frmMain::buildNamePage(QWidget* page)
{
    infolabels[0] = caption(page, "infolabels0", tr("Name"), 240, 390, 615, 255);
    txtName = textField(page, "txtName", tr("Name"), 1080, 360, 4935, 315);
    auto* Label2 = caption(page, "Label2", tr("Author"), 240, 990, 735, 255);
    Label2->setToolTip(
        QStringLiteral("The author of the current track. Added to Name with a \" by \""));
    txtAuthor = textField(page, "txtAuthor", tr("Author"), 1080, 960, 4935, 315);
    auto* Label4 = caption(page, "Label4", tr("Folder"), 240, 1590, 855, 255);
    Label4->setToolTip(QStringLiteral(
        "The fplder the selected track is in. If changed files within folder will be renamed."));
    txtFolder = textField(page, "txtFolder", tr("Folder"), 1080, 1560, 4935, 315);
    infolabels[0]->setBuddy(txtName);
    Label2->setBuddy(txtAuthor);
    Label4->setBuddy(txtFolder);

    connect(txtName, &QLineEdit::textChanged, this, &frmMain::txtName_Change);
    connect(txtAuthor, &QLineEdit::textChanged, this, &frmMain::txtAuthor_Change);
}

void frmMain::ensureEditorPages()
{
    if (m_editorPagesBuilt)
        return;
    m_editorPagesBuilt = true;
    buildLightPage(frames[1]);
    buildFogPage(frames[2]);
    {
        // What was loaded is shown, not stored again.
        const QScopedValueRollback<bool> loading(m_state.loading, true);
        for (int i = 0; i < edit::sliderCount; ++i) {
            if (m_pendingSliders[i])
                editSld[i]->setValue(*m_pendingSliders[i]);
        }
        for (int i = 0; i < edit::numericCount; ++i) {
            if (m_pendingNumerics[i])
                editNumeric[i]->setText(*m_pendingNumerics[i]);
        }
        if (m_pendingSwatch)
            showFogSwatch(*m_pendingSwatch);
        if (m_pendingFogCaption)
            lblfogcolor->setText(*m_pendingFogCaption);
    }
    // In the keyboard order the two pages come between the Name page and what follows it.
    const std::array<QWidget*, 8> pageOrder{editSld[2], editSld[3],  editSld[4],     editSld[0],
                                            editSld[1], picFogColor, editNumeric[0], editNumeric[1]};
    QWidget* previous = txtFolder;
    for (QWidget* next : pageOrder) {
        setTabOrder(previous, next);
        previous = next;
    }
}

void frmMain::buildLightPage(QWidget* page)
{
    infolabels[6] = caption(page, "infolabels6", tr("World"), 240, 390, 615, 255);
    editSld[2] = slider(page, "editSld2", 2, 10, 960, 330, 5175, 375);
    infolabels[7] = caption(page, "infolabels7", tr("Model"), 240, 990, 615, 255);
    editSld[3] = slider(page, "editSld3", 3, 10, 960, 930, 5175, 375);
    infolabels[8] = caption(page, "infolabels8", tr("Instance"), 240, 1560, 735, 255);
    editSld[4] = slider(page, "editSld4", 4, 10, 960, 1560, 5175, 375);
}

void frmMain::buildFogPage(QWidget* page)
{
    infolabels[1] = caption(page, "infolabels1", tr("Distance"), 240, 390, 780, 255);
    editSld[0] = slider(page, "editSld0", 0, 2000, 1080, 330, 4935, 375);
    infolabels[2] = caption(page, "infolabels2", tr("Fog Start"), 240, 990, 735, 255);
    editSld[1] = slider(page, "editSld1", 1, 2000, 1080, 930, 4935, 375);
    infolabels[3] = caption(page, "infolabels3", tr("Fog Color"), 240, 1590, 735, 255);
    picFogColor = place(new ColourSwatch(page), "picFogColor", 1320, 1560, 615, 615);
    lblfogcolor = caption(page, "lblfogcolor", edit::emptyFogCaption(), 2040, 1560, 1215, 615);
    infolabels[4] = caption(page, "infolabels4", tr("Vert Fog Start"), 240, 2520, 975, 195,
                            CaptionWidth::Text);
    editNumeric[0] = textField(page, "editNumeric0", tr("Vert Fog Start"), 1320, 2490, 4575, 315);
    infolabels[5] = caption(page, "infolabels5", tr("Vert Fog End"), 240, 3120, 930, 195,
                            CaptionWidth::Text);
    editNumeric[1] = textField(page, "editNumeric1", tr("Vert Fog End"), 1320, 3090, 4575, 315);

    picFogColor->setAccessibleName(tr("Fog Color"));
    picFogColor->setToolTip(tr("Click to choose the fog colour"));
    infolabels[3]->setBuddy(picFogColor);
    infolabels[4]->setBuddy(editNumeric[0]);
    infolabels[5]->setBuddy(editNumeric[1]);
    connect(picFogColor, &ColourSwatch::clicked, this, &frmMain::picFogColor_Click);

    // Slider captions, in slider order: Distance, Fog Start, World, Model, Instance.
    const std::array<int, 5> sliderCaption{1, 2, 6, 7, 8};
    for (int i = 0; i < edit::sliderCount; ++i) {
        editSld[i]->setAccessibleName(infolabels[sliderCaption[i]]->text());
        infolabels[sliderCaption[i]]->setBuddy(editSld[i]);
        connect(editSld[i], &QSlider::valueChanged, this, [this, i] { editSld_Change(i); });
    }
    for (int i = 0; i < edit::numericCount; ++i)
        connect(editNumeric[i], &QLineEdit::textChanged, this,
                [this, i] { editNumeric_Change(i); });
}

void frmMain::Form_Load()
{
    const QString folder = m_store.read(settingsApp, currentSection, folderKey);
    if (!folder.isEmpty())
        fbMain->setPath(folder);
    fbMain->selectedItem = fbMain->Path();
    const bool halfRenamed = finishInterruptedRename();
    showLoadError(inOneBatch(
        *m_attributes, [this] { return edit::loadTrack(m_state, *this, fbMain->selectedItem); }));
    misc::enableSave(*cmdSave, *cmdNew, m_state.fileLoaded);
    cmdNew->setEnabled(cmdNew->isEnabled() && !halfRenamed);
    showFogCaption(edit::emptyFogCaption());

    if (const QScreen* screen = this->screen()) {
        QRect centred = rect();
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
    show();
    QApplication::processEvents();
    m_options = new frmOptions(m_descriptions, m_rename, m_store, m_prompts, this);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

// What is kept is the folder the browser has open, not the folder picked in its list.
void frmMain::Form_Unload()
{
    m_store.write(settingsApp, currentSection, folderKey, fbMain->Path());
}

void frmMain::fbMain_pathChange()
{
    const bool halfRenamed = finishInterruptedRename();
    showLoadError(inOneBatch(
        *m_attributes, [this] { return edit::loadTrack(m_state, *this, fbMain->selectedItem); }));
    misc::enableSave(*cmdSave, *cmdNew, m_state.fileLoaded);
    cmdNew->setEnabled(cmdNew->isEnabled() && !halfRenamed);
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
    if (index > 0)
        ensureEditorPages();
    if (index == 3 && !listviewAttr)
        makeAttributeList();
    for (int i = 0; i < int(frames.size()); ++i)
        frames[i]->setVisible(i == index);
    frames[index]->raise();
}

void frmMain::cmdSave_Click()
{
    const QString selected = fbMain->selectedItem;
    const QString parentPath = selected.left(selected.lastIndexOf(QLatin1Char('/')) + 1);
    const edit::SaveResult result = inOneBatch(*m_attributes, [&] {
        return edit::saveTrack(m_state, *this, m_folderAccess, m_rename, parentPath,
                               txtFolder->text());
    });
    m_prompts.information(this, result.message());
    misc::enableSave(*cmdSave, *cmdNew, m_state.fileLoaded);
}

void frmMain::cmdNew_Click()
{
    const QString error = inOneBatch(*m_attributes, [this] {
        return edit::newTrackFile(m_state, *this, fbMain->selectedItem);
    });
    if (!error.isEmpty())
        m_prompts.information(this, error);
    misc::enableSave(*cmdSave, *cmdNew, m_state.fileLoaded);
}

void frmMain::cmdOpt_Click()
{
    if (m_options)
        m_options->showOptions();
}

QString frmMain::aboutText()
{
    return QStringList{QStringLiteral("Tarvex Kitework (Kite)"),
                       QStringLiteral("Written by the Tarvex Kite developers"),
                       QStringLiteral("Contact: the Tarvex Kite project page"), QString(),
                       QStringLiteral("Version 2.0, Compiled December 30, 2001")}
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
