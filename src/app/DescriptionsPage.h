#ifndef KITE_APP_DESCRIPTIONSPAGE_H
#define KITE_APP_DESCRIPTIONSPAGE_H

#include "descriptions/desc.h"

#include <QFrame>
#include <QList>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The options dialog's descriptions page (frames0): the description of each tag label, listed,
// edited in the Label and Description fields, added, deleted and reset to the built-ins. Every
// change reaches the description store at once; only the dialog's OK saves it.
class DescriptionsPage final : public QFrame, public desc::DescriptionList
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DescriptionsPage)
public:
    // Lists the store's entries; the first row is selected and the fields show it.
    DescriptionsPage(QWidget* dialog, desc::Store& descriptions);
    ~DescriptionsPage() override;

    // Lists the store's entries again, as after loading: the first row selected and shown.
    void showDescriptions();
    // Ends the edit of the Label field: a label that cannot be filed (empty, or another
    // entry's) goes back to the one the entry had when the edit began. The field being left,
    // another row, a button of the page, OK and Cancel all end it.
    void finishLabelEdit();
    // The page's controls in keyboard order; the dialog puts the last one (Defaults) after
    // its own Cancel button.
    QList<QWidget*> focusOrder() const;
    // Lays the captions out to their text (the dialog's first show).
    void fitCaptions();

    // desc::DescriptionList
    void clearDescriptionRows() override;
    void appendDescriptionRow(const QString& label, const QString& text) override;

private:
    void listviewDesc_ItemClick(QTreeWidgetItem* row);
    void txtDesc_Change(const QString& text);
    void txtLabel_Change(const QString& text);
    void cmdAddDesc_Click();
    void cmdDel_Click();
    void cmdDefaults_Click();

    // The row whose entry the two fields edit; nullptr when none is selected.
    QTreeWidgetItem* selectedRow() const;
    void selectRow(QTreeWidgetItem* row);
    // The fields show the row's label and text, or nothing when there is no row.
    void showRow(QTreeWidgetItem* row);
    void showLabelInvalid(bool invalid);

    desc::Store& m_descriptions;
    // Set while the two fields are filled from a row, so their change handlers do not
    // write the filled-in text back.
    bool fillingFields = false;
    // Set while rows are removed, when the selection passes through rows about to go.
    bool m_removingRows = false;
    // The row whose label the Label field edits, and the label it had when the edit began.
    QTreeWidgetItem* m_labelRow = nullptr;
    QString m_labelAtStart;

    QTreeWidget* listviewDesc = nullptr;
    QPushButton* cmdAddDesc = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdDefaults = nullptr;
    std::array<QLabel*, 2> labels{};
    QLineEdit* txtLabel = nullptr;
    QLineEdit* txtDesc = nullptr;
};

#endif
