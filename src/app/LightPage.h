#ifndef KITE_APP_LIGHTPAGE_H
#define KITE_APP_LIGHTPAGE_H

#include "app/EditorPage.h"

// The Light page: how much light the world, the models and the instances receive, each on a
// slider from 0 to 100 (editSld 2, 3 and 4). Made when it is first needed.
class LightPage final : public EditorPage
{
    Q_OBJECT
public:
    LightPage(QWidget* frame, edit::State& state, edit::EditorView& document,
              EditHistory& history);

    QList<QWidget*> focusOrder() const override;
};

#endif
