#ifndef KITE_TESTS_APP_SCRIPTEDPROMPTS_H
#define KITE_TESTS_APP_SCRIPTEDPROMPTS_H

#include "app/Prompts.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Answers the editor's prompts from a script and records what was asked, so GUI tests run
// without modal dialogs. An unscripted Retry/Cancel is answered with Cancel, an unscripted
// colour dialog with its initial colour (as cancelling does), an unscripted input box with
// empty text.
class ScriptedPrompts final : public Prompts
{
public:
    QStringList informationTexts;
    QStringList retryTexts;
    QList<QColor> colourDialogInitials;
    QStringList inputPrompts;

    QList<bool> retryAnswers; // consumed front first
    QList<QColor> colourAnswers; // consumed front first; invalid colour = cancel
    QStringList inputAnswers; // consumed front first
    // Runs inside the Retry/Cancel prompt before it answers, e.g. to repair the folder.
    std::function<void()> onRetryPrompt;

    void information(QWidget*, const QString& text) override { informationTexts.append(text); }

    bool retryOrCancel(QWidget*, const QString& text) override
    {
        retryTexts.append(text);
        if (onRetryPrompt)
            onRetryPrompt();
        return retryAnswers.isEmpty() ? false : retryAnswers.takeFirst();
    }

    QColor chooseColour(QWidget*, const QColor& initial) override
    {
        colourDialogInitials.append(initial);
        if (colourAnswers.isEmpty())
            return initial;
        const QColor answer = colourAnswers.takeFirst();
        return answer.isValid() ? answer : initial;
    }

    QString inputText(QWidget*, const QString& prompt) override
    {
        inputPrompts.append(prompt);
        return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
    }
};

#endif
