#ifndef KITE_APP_FOGPAGE_H
#define KITE_APP_FOGPAGE_H

#include "app/EditorPage.h"

class ColourSwatch;
class Prompts;

// The Fog page: the view distance and the fog start on sliders (editSld 0 and 1), the fog
// colour through the colour dialog, and the vertical fog limits as numeric fields. Made when
// it is first needed.
class FogPage final : public EditorPage
{
    Q_OBJECT
public:
    FogPage(QWidget* frame, edit::State& state, edit::EditorView& document,
            EditHistory& history, Prompts& prompts);

    QList<QWidget*> focusOrder() const override;
    void setNumericText(int index, const QString& text) override;
    void showFogSwatch(edit::Rgb colour) override;
    void showFogCaption(const QString& threeLines) override;

private:
    void editNumeric_Change(int index);
    void picFogColor_Click();
    void refreshFogSwatch();

    Prompts& m_prompts;
    ColourSwatch* picFogColor = nullptr;
    QLabel* lblfogcolor = nullptr;
    std::array<QLineEdit*, edit::numericCount> editNumeric{};
};

#endif
