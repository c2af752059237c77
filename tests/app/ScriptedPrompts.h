#ifndef KITE_TESTS_APP_SCRIPTEDPROMPTS_H
#define KITE_TESTS_APP_SCRIPTEDPROMPTS_H

#include "app/Prompts.h"

#include <QStringList>

#include <functional>

// Answers the editor's prompts from scripts (front first) and records what was asked. Unscripted
// (or an invalid colour): Cancel, the dialog's initial colour, empty text, No.
class ScriptedPrompts final : public Prompts
{
public:
    QStringList informationTexts, retryTexts, inputPrompts, inputAnswers, questions;
    QStringList saveQuestions, overwriteQuestions, notices;
    QList<QColor> colourDialogInitials, colourAnswers;
    QList<bool> retryAnswers, questionAnswers, overwriteAnswers;
    QList<SaveChoice> saveAnswers;
    std::function<void()> onRetryPrompt; // runs inside Retry/Cancel, e.g. to mend the folder

    void information(QWidget*, const QString& text) override { informationTexts.append(text); }
    bool retryOrCancel(QWidget*, const QString& text) override
    {
        retryTexts.append(text);
        if (onRetryPrompt)
            onRetryPrompt();
        return answer(retryAnswers);
    }
    QColor chooseColour(QWidget*, const QColor& initial) override
    {
        colourDialogInitials.append(initial);
        const QColor chosen = colourAnswers.isEmpty() ? QColor() : colourAnswers.takeFirst();
        return chosen.isValid() ? chosen : initial;
    }
    QString inputText(QWidget*, const QString& prompt) override
    {
        inputPrompts.append(prompt);
        return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
    }
    bool yesOrNo(QWidget*, const QString& question) override
    { questions.append(question); return answer(questionAnswers); }
    SaveChoice saveDiscardOrCancel(QWidget*, const QString& text) override
    {
        saveQuestions.append(text);
        return saveAnswers.isEmpty() ? SaveChoice::Cancel : saveAnswers.takeFirst();
    }
    bool overwriteOrCancel(QWidget*, const QString& text) override
    { overwriteQuestions.append(text); return answer(overwriteAnswers); }
    void notice(QWidget*, const QString& text) override { notices.append(text); }

private:
    static bool answer(QList<bool>& script) { return !script.isEmpty() && script.takeFirst(); }
};

#endif
