#ifndef KITE_APP_EDITORPAGE_H
#define KITE_APP_EDITORPAGE_H

#include "document/EditorView.h"
#include "document/edit.h"

#include <QList>
#include <QWidget>

#include <array>
#include <utility>

class EditHistory;
class QLabel;
class QLineEdit;
class QSlider;

// What a page of the main window is: the content of one of its frames, showing part of the
// loaded document. The window passes every EditorView call to each page it has made, so a
// page shows what concerns it and ignores the rest (the defaults do nothing). A page made
// after the document was loaded fills itself from it (fillFromDocument).
class EditorPage : public QWidget, public edit::EditorView
{
    Q_OBJECT
public:
    // Green brackets mark a stretch of a slider: two short uprights joined at their lower ends.
    struct Bracket
    {
        int left, right, top, bottom; // twips, page coordinates
    };

    // Covers the whole frame. `document` is the window's view of the document: a value stored
    // by the page reaches the attribute list through it. Every value the user gives a tag on
    // the page is a step of `history`.
    EditorPage(QWidget* frame, edit::State& state, edit::EditorView& document,
               EditHistory& history, QList<Bracket> brackets = {});
    ~EditorPage() override;
    Q_DISABLE_COPY_MOVE(EditorPage)

    // The page's controls that take the keyboard focus, in the window's keyboard order.
    virtual QList<QWidget*> focusOrder() const = 0;

    // edit::EditorView: nothing, unless the page shows it. Sliders are shown by the page
    // that holds them.
    void showNameAndAuthor(const QString&, const QString&) override { }
    void showFolderName(const QString&) override { }
    QString selectedFolder() const override { return {}; }
    void setSliderPosition(int index, int position) override;
    void setNumericText(int, const QString&) override { }
    void showFogSwatch(edit::Rgb) override { }
    void showFogCaption(const QString&) override { }
    void clearRows() override { }
    void appendRow(const QString&, const QString&, const QString&) override { }
    void setRowValue(int, const QString&) override { }

protected:
    enum class CaptionWidth
    {
        AtLeastBox, // may reach further right into the free space before its control
        Text,       // as wide as its text
    };

    // A caption at its place (twips, page coordinates). Its width is fitted to its text when
    // the page is first shown, so no text is measured for a page never opened.
    QLabel* caption(const char* objectName, const QString& text, int left, int top, int width,
                    int height, CaptionWidth fit = CaptionWidth::AtLeastBox);
    QLineEdit* textField(const char* objectName, const QString& accessibleName, int left,
                         int top, int width, int height);
    // The slider editSld<index>, with the range of its tag; moving it stores its position.
    QSlider* slider(int index, int tickInterval, int left, int top, int width, int height);

    // Shows on the page what the editors hold now (for a page made after the load).
    void fillFromDocument();

    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    edit::State& m_state;
    edit::EditorView& m_document;
    EditHistory& m_history;
    // The sliders on this page, at their design index; the others stay null.
    std::array<QSlider*, edit::sliderCount> editSld{};

private:
    void editSld_Change(int index);
    void showSliderValue(int index);

    QList<Bracket> m_brackets;
    QList<std::pair<QLabel*, CaptionWidth>> m_captions; // not fitted yet
};

#endif
