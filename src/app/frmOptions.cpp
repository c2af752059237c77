#include "app/frmOptions.h"

#include "app/DescriptionsPage.h"
#include "app/FormLayout.h"
#include "app/OptionsLayout.h"
#include "app/Prompts.h"
#include "app/RenamingPage.h"
#include "settings/SettingsStore.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QPushButton>
#include <QShowEvent>

namespace {

using formLayout::twips;

// Kept on the dialog by Form_Load: why the settings could not be read, or empty text.
constexpr char unreadProperty[] = "settingsUnread";

// The settings store as the dialog's load sees it. It remembers the first read that failed
// (the file held by another program, say) and from then on writes nothing: a default the
// load would store in place of a value it could not read must not replace that value.
class ReadCheckedStore final : public settings::Store
{
public:
    explicit ReadCheckedStore(settings::Store& store) : m_store(store) { }

    QString failure() const { return m_failure; }

    QString read(const QString& app, const QString& section, const QString& key) const override
    {
        const QString value = m_store.read(app, section, key);
        noteFailure();
        return value;
    }
    settings::KeyValueList readSection(const QString& app, const QString& section) const override
    {
        const settings::KeyValueList pairs = m_store.readSection(app, section);
        noteFailure();
        return pairs;
    }
    bool write(const QString& app, const QString& section, const QString& key,
               const QString& value) override
    {
        return m_failure.isEmpty() && m_store.write(app, section, key, value);
    }
    bool deleteSection(const QString& app, const QString& section) override
    {
        return m_failure.isEmpty() && m_store.deleteSection(app, section);
    }
    bool replaceSection(const QString& app, const QString& section,
                        const settings::KeyValueList& pairs) override
    {
        return m_failure.isEmpty() && m_store.replaceSection(app, section, pairs);
    }
    QString lastError() const override { return m_store.lastError(); }

private:
    void noteFailure() const
    {
        if (m_failure.isEmpty())
            m_failure = m_store.lastError();
    }

    settings::Store& m_store;
    mutable QString m_failure;
};

} // namespace

frmOptions::frmOptions(desc::Store& descriptions, Rename::Settings& rename,
                       settings::Store& store, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_descriptions(descriptions), m_rename(rename), m_store(store),
      m_prompts(prompts)
{
    // Hidden, not destroyed, whenever it is closed: it must keep its state for the run.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Advanced Tvkite Options"));
    setModal(true);
    setFixedSize(twips(7020), twips(8010));
    setSizeGripEnabled(false);
    Form_Load();
}

frmOptions::~frmOptions() = default;

void frmOptions::showOptions()
{
    // Settings that could not be read before may be readable now; the user should edit
    // what is stored, not the empty lists shown meanwhile.
    if (!property(unreadProperty).toString().isEmpty())
        Form_Load();
    exec();
}

void frmOptions::setVisible(bool visible)
{
    if (visible)
        ensureControls();
    QDialog::setVisible(visible);
}

// The dialog mostly waits hidden for the whole run, so its controls are made when it is
// first shown; its pages then show what loading put into the description store and the
// rename settings.
void frmOptions::ensureControls()
{
    if (m_descriptionsPage)
        return;
    using optionsLayout::button;
    optSelFrames[0] = optionsLayout::pageButton(this, "optSelFrames0",
                                                QStringLiteral("&Descriptions"), 120, 120, 1335,
                                                375);
    optSelFrames[1] = optionsLayout::pageButton(this, "optSelFrames1",
                                                QStringLiteral("&Renaming"), 1560, 120, 1335, 375);
    m_pageGroup = new QButtonGroup(this);
    m_pageGroup->setExclusive(true);
    for (int i = 0; i < int(optSelFrames.size()); ++i)
        m_pageGroup->addButton(optSelFrames[i], i);
    m_descriptionsPage = new DescriptionsPage(this, m_descriptions);
    m_renamingPage = new RenamingPage(this, m_rename, m_store, m_prompts);
    frames = {m_descriptionsPage, m_renamingPage};

    cmdOK = button(this, "cmdOK", QStringLiteral("&OK"), 4320, 7560, 1215, 375);
    cmdOK->setDefault(true);
    cmdExit = button(this, "cmdExit", QStringLiteral("&Cancel"), 5640, 7560, 1215, 375);

    // The keyboard order of the form: the descriptions page, its page button, Cancel, the
    // descriptions page's Defaults, the renaming page with its page button, and OK last.
    const QList<QWidget*> descriptions = m_descriptionsPage->focusOrder();
    QList<QWidget*> order = descriptions.first(descriptions.size() - 1);
    order << optSelFrames[0] << cmdExit << descriptions.last() << optSelFrames[1];
    order << m_renamingPage->focusOrder() << cmdOK;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    for (int i = 0; i < int(optSelFrames.size()); ++i)
        connect(optSelFrames[i], &QPushButton::clicked, this, [this, i] { optSelFrames_Click(i); });
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmOptions::cmdExit_Click);
    optSelFrames_Click(0);
}

void frmOptions::showEvent(QShowEvent* event)
{
    // Column widths and caption fitting need fonts and style metrics: done on the first show.
    if (!m_layoutFinished) {
        m_layoutFinished = true;
        m_descriptionsPage->fitCaptions();
        m_renamingPage->fitCaptions();
    }
    QDialog::showEvent(event);
}

// --- The dialog as a whole ----------------------------------------------------------------

void frmOptions::Form_Load()
{
    ReadCheckedStore store(m_store);
    m_descriptions.loadDescriptions(store);
    m_rename.loadRenameSettings(store, false);
    setProperty(unreadProperty, store.failure());
    // Run again when the settings could not be read before: nothing shown then stays.
    if (m_descriptionsPage) {
        m_descriptionsPage->showDescriptions();
        m_rename.showRenameSettings(*m_renamingPage);
    }
}

bool frmOptions::Form_QueryUnload(bool userRequested)
{
    if (!userRequested)
        return false;
    cmdExit_Click();
    return true;
}

void frmOptions::closeEvent(QCloseEvent* event)
{
    // The close box only hides the dialog; it must live on with its state for the run.
    if (Form_QueryUnload(event->spontaneous())) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmOptions::reject()
{
    cmdExit_Click();
}

void frmOptions::optSelFrames_Click(int index)
{
    for (int i = 0; i < int(optSelFrames.size()); ++i) {
        optSelFrames[i]->setChecked(i == index);
        frames[i]->setVisible(i == index);
    }
}

void frmOptions::cmdOK_Click()
{
    if (m_descriptionsPage)
        m_descriptionsPage->finishLabelEdit(); // a label that cannot be filed is not saved
    // Lists that could not be read are shown empty; saving them would replace the stored
    // descriptions and extensions. They are read again instead, and nothing is saved.
    if (!property(unreadProperty).toString().isEmpty()) {
        Form_Load();
        const QString failure = property(unreadProperty).toString();
        m_prompts.information(
            this,
            failure.isEmpty()
                ? QStringLiteral("Nothing was saved: the saved options could not be read when "
                                 "Tarvex Kite started, and saving would have replaced them. "
                                 "They have been read now and are shown. Make your changes "
                                 "again and press OK.")
                : QStringLiteral("Nothing was saved: the saved options cannot be read, and "
                                 "saving would replace them.\n\n")
                      + failure
                      + QStringLiteral("\n\nPress OK to try again, or Cancel to go on "
                                       "without saving."));
        return;
    }
    QStringList failures;
    if (!m_descriptions.saveDescriptions(m_store))
        failures << m_store.lastError();
    if (!m_rename.saveRenameSettings(m_store, *m_renamingPage))
        failures << m_store.lastError();
    if (!failures.isEmpty()) {
        failures.removeAll(QString());
        failures.removeDuplicates();
        const QString reason = failures.isEmpty()
                                   ? QStringLiteral("The settings store could not be written.")
                                   : failures.join(QLatin1Char('\n'));
        // The dialog stays open: OK can be tried again, Cancel keeps the changes unsaved.
        m_prompts.information(
            this, QStringLiteral("The options could not be saved.\n\n") + reason
                      + QStringLiteral("\n\nYour changes are in use until Tarvex Kite is closed. "
                                       "Press OK to try saving again, or Cancel to go on "
                                       "without saving them."));
        return;
    }
    QDialog::accept();
}

void frmOptions::cmdExit_Click()
{
    if (m_descriptionsPage)
        m_descriptionsPage->finishLabelEdit();
    QDialog::reject();
}
