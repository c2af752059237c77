#include "app/FogPage.h"

#include "app/ColourSwatch.h"
#include "app/EditHistory.h"
#include "app/FormLayout.h"
#include "app/LongText.h"
#include "app/Prompts.h"
#include "util/misc.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

FogPage::FogPage(QWidget* frame, edit::State& state, edit::EditorView& document,
                 EditHistory& history, Prompts& prompts)
    : EditorPage(frame, state, document, history,
                 {{3000, 4560, 720, 840}, {3000, 4560, 1320, 1440}}),
      m_prompts(prompts)
{
    setObjectName(QStringLiteral("fogPage"));
    QLabel* infolabels1 = caption("infolabels1", tr("Distance"), 240, 390, 780, 255);
    slider(0, 2000, 1080, 330, 4935, 375);
    QLabel* infolabels2 = caption("infolabels2", tr("Fog Start"), 240, 990, 735, 255);
    slider(1, 2000, 1080, 930, 4935, 375);
    QLabel* infolabels3 = caption("infolabels3", tr("Fog Color"), 240, 1590, 735, 255);
    picFogColor =
        formLayout::place(new ColourSwatch(this), "picFogColor", 1320, 1560, 615, 615);
    lblfogcolor = caption("lblfogcolor", edit::emptyFogCaption(), 2040, 1560, 1215, 615);
    QLabel* infolabels4 = caption("infolabels4", tr("Vert Fog Start"), 240, 2520, 975, 195,
                                  CaptionWidth::Text);
    editNumeric[0] = textField("editNumeric0", tr("Vert Fog Start"), 1320, 2490, 4575, 315);
    QLabel* infolabels5 =
        caption("infolabels5", tr("Vert Fog End"), 240, 3120, 930, 195, CaptionWidth::Text);
    editNumeric[1] = textField("editNumeric1", tr("Vert Fog End"), 1320, 3090, 4575, 315);

    picFogColor->setAccessibleName(tr("Fog Color"));
    infolabels1->setBuddy(editSld[0]);
    infolabels2->setBuddy(editSld[1]);
    infolabels3->setBuddy(picFogColor);
    infolabels4->setBuddy(editNumeric[0]);
    infolabels5->setBuddy(editNumeric[1]);
    editSld[0]->setAccessibleName(infolabels1->text());
    editSld[1]->setAccessibleName(infolabels2->text());
    connect(picFogColor, &ColourSwatch::clicked, this, &FogPage::picFogColor_Click);
    for (int i = 0; i < edit::numericCount; ++i) {
        connect(editNumeric[i], &QLineEdit::textChanged, this,
                [this, i] { editNumeric_Change(i); });
        m_history.takeUndoKeys(editNumeric[i]);
    }
    fillFromDocument();
}

QList<QWidget*> FogPage::focusOrder() const
{
    return {editSld[0], editSld[1], picFogColor, editNumeric[0], editNumeric[1]};
}

// Every fill of the editors (a load, an edit in the attribute list, this page made late)
// shows the numeric fields, so the swatch is brought up to date with them.
void FogPage::setNumericText(int index, const QString& text)
{
    longText::showInField(editNumeric.at(index), text);
    refreshFogSwatch();
}

// The swatch chooses a new value for the track's fog colour. Without a colour the track holds
// it looks unavailable, its tooltip says why, and a click opens nothing.
void FogPage::refreshFogSwatch()
{
    const QString fogTag = QStringLiteral("fogcolor");
    const QString value = edit::getTagValue(m_state, fogTag);
    QString why;
    if (!m_state.fileLoaded)
        why = tr("No track is loaded, so there is no fog colour to choose.");
    else if (!m_state.tagList.find(fogTag))
        why = tr("This track has no FOGCOLOR tag, so there is no fog colour to choose.");
    else if (!edit::fogColourFrom(value))
        why = tr("The fog colour cannot be chosen here: the track's FOGCOLOR value \"%1\" is "
                 "not three numbers (red, green and blue) separated by single spaces. It can be "
                 "corrected on the Attributes page.")
                  .arg(longText::shortened(value));
    picFogColor->setEnabled(why.isEmpty());
    picFogColor->setToolTip(why.isEmpty() ? tr("Click to choose the fog colour") : why);
}

void FogPage::showFogSwatch(edit::Rgb colour)
{
    picFogColor->setColour(QColor(colour.red, colour.green, colour.blue));
}

void FogPage::showFogCaption(const QString& threeLines)
{
    // Each line holds one part of the fog colour's value, which may be of any length.
    QStringList lines = threeLines.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = longText::shortened(line);
    lblfogcolor->setText(lines.join(QLatin1Char('\n')));
}

// Red while the text is not a number; only numbers are stored. The colour changes only
// when the user types: a field left red stays red when another track is loaded.
void FogPage::editNumeric_Change(int index)
{
    if (m_state.loading)
        return;
    QLineEdit* field = editNumeric[index];
    const QString text = field->text();
    const bool numeric = misc::isNumeric(text);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text,
                     numeric ? QApplication::palette().color(QPalette::ButtonText)
                             : QColor(255, 0, 0));
    field->setPalette(palette);
    if (numeric)
        m_history.change(QLatin1String(edit::numericTags.at(index)), text, field);
}

// Without a readable colour in the tag the dialog does not open: a choice could not be kept.
void FogPage::picFogColor_Click()
{
    if (m_state.loading)
        return;
    const std::optional<edit::Rgb> current =
        edit::fogColourFrom(edit::getTagValue(m_state, QStringLiteral("fogcolor")));
    if (!current)
        return;
    const QColor chosen =
        m_prompts.chooseColour(this, QColor(current->red, current->green, current->blue));
    // The swatch holds 24-bit colours; what it shows is what is stored.
    const QColor shown = chosen.toRgb();
    const edit::Rgb rgb{shown.red(), shown.green(), shown.blue()};
    edit::showFogSwatch(m_state, m_document, rgb);
    m_history.change(QStringLiteral("fogcolor"), edit::fogColourValue(rgb));
    edit::showFogCaption(m_state, m_document, edit::fogCaption(rgb));
}
