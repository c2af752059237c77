#include "app/LightPage.h"

#include <QLabel>
#include <QSlider>

LightPage::LightPage(QWidget* frame, edit::State& state, edit::EditorView& document,
                     EditHistory& history)
    : EditorPage(frame, state, document, history,
                 {{4200, 6000, 720, 840}, {4200, 6000, 1320, 1440}, {4200, 6000, 1920, 2040}})
{
    setObjectName(QStringLiteral("lightPage"));
    const struct
    {
        const char* captionName;
        QString text;
        int captionTop, captionWidth, slider, top;
    } rows[] = {
        {"infolabels6", tr("World"), 390, 615, 2, 330},
        {"infolabels7", tr("Model"), 990, 615, 3, 930},
        {"infolabels8", tr("Instance"), 1560, 735, 4, 1560},
    };
    for (const auto& row : rows) {
        QLabel* label = caption(row.captionName, row.text, 240, row.captionTop, row.captionWidth,
                                255);
        QSlider* control = slider(row.slider, 10, 960, row.top, 5175, 375);
        control->setAccessibleName(label->text());
        label->setBuddy(control);
    }
    fillFromDocument();
}

QList<QWidget*> LightPage::focusOrder() const
{
    return {editSld[2], editSld[3], editSld[4]};
}
