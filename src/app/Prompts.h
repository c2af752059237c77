#ifndef KITE_APP_PROMPTS_H
#define KITE_APP_PROMPTS_H

#include <QColor>
#include <QString>

class QWidget;

// Every modal interaction of the editor goes through this interface, so tests can answer
// it without a window system's dialogs. QtPrompts shows the real dialogs.
class Prompts
{
public:
    enum class SaveChoice
    {
        Save,
        Discard,
        Cancel,
    };

    virtual ~Prompts() = default;
    // Information message with one OK button, titled "Tarvex Kite".
    virtual void information(QWidget* parent, const QString& text) = 0;
    // Critical message with Retry and Cancel; true for Retry (closing it counts as Cancel).
    virtual bool retryOrCancel(QWidget* parent, const QString& text) = 0;
    // Colour dialog opened on `initial`; cancelling returns `initial`.
    virtual QColor chooseColour(QWidget* parent, const QColor& initial) = 0;
    // Text input box titled "Tarvex Kite"; cancelling returns empty text.
    virtual QString inputText(QWidget* parent, const QString& prompt) = 0;
    // Question with Yes and No, titled "Tarvex Kite"; true for Yes (closing it counts as No).
    virtual bool yesOrNo(QWidget* parent, const QString& question) = 0;
    // Question with Save, Discard and Cancel (Escape and closing it count as Cancel).
    virtual SaveChoice saveDiscardOrCancel(QWidget* parent, const QString& text) = 0;
    // Question with Overwrite and Cancel; true for Overwrite (Escape and closing it: Cancel).
    virtual bool overwriteOrCancel(QWidget* parent, const QString& text) = 0;
    // A message that waits for nothing: it stays up beside the window, which goes on working.
    virtual void notice(QWidget* parent, const QString& text) = 0;
};

class QtPrompts final : public Prompts
{
public:
    void information(QWidget* parent, const QString& text) override;
    bool retryOrCancel(QWidget* parent, const QString& text) override;
    QColor chooseColour(QWidget* parent, const QColor& initial) override;
    QString inputText(QWidget* parent, const QString& prompt) override;
    bool yesOrNo(QWidget* parent, const QString& question) override;
    SaveChoice saveDiscardOrCancel(QWidget* parent, const QString& text) override;
    bool overwriteOrCancel(QWidget* parent, const QString& text) override;
    void notice(QWidget* parent, const QString& text) override;
};

#endif
