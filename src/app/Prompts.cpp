#include "app/Prompts.h"

#include <QColorDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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

Prompts::SaveChoice QtPrompts::saveDiscardOrCancel(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, applicationTitle, displayText(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    // The same words on every desktop (some name Discard "Close without Saving").
    box.button(QMessageBox::Save)->setText(QStringLiteral("&Save"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("&Discard"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Cancel"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

bool QtPrompts::overwriteOrCancel(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, applicationTitle, displayText(text),
                    QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* overwrite = box.addButton(QStringLiteral("&Overwrite"), QMessageBox::AcceptRole);
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Cancel"));
    // Nothing is written unless the user asks for it: Enter keeps the file too.
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == overwrite;
}

void QtPrompts::notice(QWidget* parent, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Information, applicationTitle, displayText(text),
                                QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}
