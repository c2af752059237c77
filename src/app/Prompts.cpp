#include "app/Prompts.h"

#include <QColorDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

// Every prompt that has no title of its own carries the application's title.
const QString applicationTitle = QStringLiteral("Tarvex Kite");

// Messages join their lines with CR LF or with a lone CR (the save summary does); a label
// only breaks lines at LF, so both become LF for display.
QString displayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

void QtPrompts::information(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Information, applicationTitle, displayText(text), QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtPrompts::retryOrCancel(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle, displayText(text),
                    QMessageBox::Retry | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Retry);
    box.setEscapeButton(QMessageBox::Cancel);
    // Closing the box without choosing counts as Cancel.
    return box.exec() == QMessageBox::Retry;
}

QColor QtPrompts::chooseColour(QWidget* parent, const QColor& initial)
{
    const QColor chosen = QColorDialog::getColor(initial, parent);
    return chosen.isValid() ? chosen : initial;
}

QString QtPrompts::inputText(QWidget* parent, const QString& prompt)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, applicationTitle, prompt, QLineEdit::Normal,
                                               QString(), &ok);
    return ok ? text : QString();
}

bool QtPrompts::yesOrNo(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Question, applicationTitle, displayText(question),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
