#ifndef KITE_APP_ATTRIBUTESPAGE_H
#define KITE_APP_ATTRIBUTESPAGE_H

#include "app/EditorPage.h"

#include <QPointer>

class AttributeModel;
class Prompts;
class QModelIndex;
class QMouseEvent;
class QScrollArea;
class QTimer;
class QTreeView;
namespace desc {
class Store;
}

// The Attributes page: every tag of the track, label beside value, with the clicked tag's
// description under the list; a double-click (or F2) edits a value in place. The rows are
// kept from the start; the list that shows them, and the description line, are made when the
// page is first shown.
class AttributesPage final : public EditorPage
{
    Q_OBJECT
public:
    AttributesPage(QWidget* frame, edit::State& state, edit::EditorView& document,
                   EditHistory& history, const desc::Store& descriptions, Prompts& prompts);

    // The rows the list shows.
    AttributeModel& rows() const { return *m_attributes; }
    // Makes the list, once: the window calls it before the page is first shown.
    void makeAttributeList();
    // Whether a value is being edited in place, and ending that edit as Enter ends it: what
    // the window does before anything reads or replaces the document.
    bool isEditing() const;
    void commitOpenEdit();
    // The list's current row (-1 when none, or no list), and moving it there again.
    int currentRow() const;
    void setCurrentRow(int row);

    QList<QWidget*> focusOrder() const override;
    void clearRows() override;
    void appendRow(const QString& key, const QString& label, const QString& value) override;
    void setRowValue(int row, const QString& value) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dressAttributeList();
    void makeDescriptionLine();
    void showDescription(const QString& text);
    // Whether the pointer of the list's mouse event is on a row.
    bool onRow(const QMouseEvent* event) const;

    void listviewAttr_ItemClick(const QModelIndex& item);
    void listviewAttr_DblClick();
    void Timer1_Timer();
    void listviewAttr_AfterLabelEdit(int row, const QString& newText);

    const desc::Store& m_descriptions;
    Prompts& m_prompts;
    AttributeModel* m_attributes = nullptr;
    QTreeView* listviewAttr = nullptr; // made when the page is first shown
    QPointer<QWidget> m_openEditor;    // the in-place editor while one is open
    bool m_attributeListDressed = false;
    QScrollArea* m_descriptionBox = nullptr; // holds lblDesc; made with the list
    QLabel* lblDesc = nullptr;
    QTimer* Timer1 = nullptr;
};

#endif
