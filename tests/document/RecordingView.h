#ifndef KITE_TESTS_DOCUMENT_RECORDINGVIEW_H
#define KITE_TESTS_DOCUMENT_RECORDINGVIEW_H

#include "document/EditorView.h"
#include "document/edit.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Stands in for the main window: keeps what each editor shows, logs every call and, like
// the window's change handlers, writes a changed control back into the document unless
// the program is filling the controls itself.
class RecordingView : public edit::EditorView
{
public:
    struct Row
    {
        QString key;
        QString label;
        QString value;
        friend bool operator==(const Row&, const Row&) = default;
    };

    explicit RecordingView(edit::State& state) : m_state(state) {}

    void showNameAndAuthor(const QString& name, const QString& author) override
    {
        note(QStringLiteral("name"));
        this->name = name;
        this->author = author;
        if (!m_state.loading)
            edit::setTagValue(m_state, *this, QStringLiteral("name"),
                              edit::joinNameAndAuthor(name, author));
    }
    void showFolderName(const QString& folderName) override
    {
        note(QStringLiteral("folder"));
        this->folderName = folderName;
    }
    QString selectedFolder() const override { return selected; }

    void setSliderPosition(int index, int position) override
    {
        note(QStringLiteral("slider%1").arg(index));
        sliders.at(index) = position;
        if (!m_state.loading)
            edit::setTagValue(m_state, *this, QString::fromLatin1(edit::sliderTags.at(index)),
                              QString::number(position));
    }
    void setNumericText(int index, const QString& text) override
    {
        note(QStringLiteral("numeric%1").arg(index));
        numerics.at(index) = text;
    }
    void showFogSwatch(edit::Rgb colour) override
    {
        note(QStringLiteral("swatch"));
        swatch = colour;
    }
    void showFogCaption(const QString& threeLines) override
    {
        note(QStringLiteral("caption"));
        caption = threeLines;
    }
    void clearRows() override
    {
        note(QStringLiteral("clearRows"));
        rows.clear();
    }
    void appendRow(const QString& key, const QString& label, const QString& value) override
    {
        note(QStringLiteral("appendRow"));
        rows.append({key, label, value});
    }
    void setRowValue(int row, const QString& value) override
    {
        note(QStringLiteral("setRowValue%1").arg(row));
        if (row >= 0 && row < rows.size())
            rows[row].value = value;
    }

    // What the editors show.
    QString selected;
    QString name = QStringLiteral("<untouched>");
    QString author = QStringLiteral("<untouched>");
    QString folderName = QStringLiteral("<untouched>");
    std::array<int, edit::sliderCount> sliders{-1, -1, -1, -1, -1};
    std::array<QString, edit::numericCount> numerics{QStringLiteral("<untouched>"),
                                                     QStringLiteral("<untouched>")};
    edit::Rgb swatch{1, 2, 3};
    QString caption = QStringLiteral("<untouched>");
    QList<Row> rows;

    void forgetCalls()
    {
        calls.clear();
        loadingDuringCall.clear();
    }

    // Every call in order, and whether `loading` was set during it.
    QStringList calls;
    QList<bool> loadingDuringCall;

private:
    void note(const QString& call)
    {
        calls.append(call);
        loadingDuringCall.append(m_state.loading);
    }

    edit::State& m_state;
};

#endif
