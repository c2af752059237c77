#ifndef KITE_APP_NAMEPAGE_H
#define KITE_APP_NAMEPAGE_H

#include "app/EditorPage.h"

// The Name page: the track's name and author, which together make its NAME tag, and the
// track folder's name, which Save reads to rename the track.
class NamePage final : public EditorPage
{
    Q_OBJECT
public:
    NamePage(QWidget* frame, edit::State& state, edit::EditorView& document,
             EditHistory& history);

    // What the Folder field holds: the folder name Save gives the track.
    QString folderName() const;

    QList<QWidget*> focusOrder() const override;
    void showNameAndAuthor(const QString& name, const QString& author) override;
    void showFolderName(const QString& folderName) override;

Q_SIGNALS:
    // The user changed the Folder field: a rename Save would make, or no longer make.
    void folderNameEdited();

private:
    void txtName_Change();
    void txtAuthor_Change();
    // Stores name and author into NAME, as typed into `field` (the step it is part of).
    void storeName(const QLineEdit* field);

    QLineEdit* txtName = nullptr;
    QLineEdit* txtAuthor = nullptr;
    QLineEdit* txtFolder = nullptr;
    QString m_folderName; // the name last shown, as the file system has it
};

#endif
