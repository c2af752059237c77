#include "app/NamePage.h"

#include "app/EditHistory.h"
#include "app/LongText.h"
#include "util/fso.h"

#include <QLabel>
#include <QLineEdit>

#include <algorithm>

NamePage::NamePage(QWidget* frame, edit::State& state, edit::EditorView& document,
                   EditHistory& history)
    : EditorPage(frame, state, document, history)
{
    setObjectName(QStringLiteral("namePage"));
    QLabel* infolabels0 = caption("infolabels0", tr("Name"), 240, 390, 615, 255);
    txtName = textField("txtName", tr("Name"), 1080, 360, 4935, 315);
    QLabel* Label2 = caption("Label2", tr("Author"), 240, 990, 735, 255);
    Label2->setToolTip(
        QStringLiteral("The author of the current track. Added to Name with a \" by \""));
    txtAuthor = textField("txtAuthor", tr("Author"), 1080, 960, 4935, 315);
    QLabel* Label4 = caption("Label4", tr("Folder"), 240, 1590, 855, 255);
    Label4->setToolTip(QStringLiteral(
        "The fplder the selected track is in. If changed files within folder will be renamed."));
    txtFolder = textField("txtFolder", tr("Folder"), 1080, 1560, 4935, 315);
    infolabels0->setBuddy(txtName);
    Label2->setBuddy(txtAuthor);
    Label4->setBuddy(txtFolder);

    connect(txtName, &QLineEdit::textChanged, this, &NamePage::txtName_Change);
    connect(txtAuthor, &QLineEdit::textChanged, this, &NamePage::txtAuthor_Change);
    connect(txtFolder, &QLineEdit::textChanged, this, [this] {
        if (!m_state.loading)
            Q_EMIT folderNameEdited();
    });
    m_history.takeUndoKeys(txtName);
    m_history.takeUndoKeys(txtAuthor);
}

// A folder name that is not UTF-8 is shown readable, which is not its name: as long as the
// field shows it untouched, it stands for the folder's own name. Typed by the user, even the
// same text is the name the folder is given.
QString NamePage::folderName() const
{
    if (!txtFolder->isModified() && txtFolder->text() == fso::displayPath(m_folderName))
        return m_folderName;
    return txtFolder->text();
}

QList<QWidget*> NamePage::focusOrder() const
{
    return {txtName, txtAuthor, txtFolder};
}

void NamePage::showNameAndAuthor(const QString& name, const QString& author)
{
    // The two fields together make NAME: while either part is too long for its field, a
    // keystroke in the other would store the cut part, so both are read-only.
    const qsizetype longest = std::max(name.size(), author.size());
    const QString note = longText::editable(longest) ? QString() : longText::tooLongNote(longest);
    longText::showInField(txtName, name, note);
    longText::showInField(txtAuthor, author, note);
}

void NamePage::showFolderName(const QString& folderName)
{
    m_folderName = folderName;
    txtFolder->setText(fso::displayPath(folderName));
}

void NamePage::txtName_Change()
{
    storeName(txtName);
}

void NamePage::txtAuthor_Change()
{
    storeName(txtAuthor);
}

// Every keystroke stores; no apostrophes are added, whatever the file had.
void NamePage::storeName(const QLineEdit* field)
{
    if (m_state.loading)
        return;
    m_history.change(QStringLiteral("name"),
                     edit::nameValue(m_state, txtName->text(), txtAuthor->text()), field);
}
