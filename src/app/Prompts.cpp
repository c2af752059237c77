#include "app/Prompts.h"

#include <QColorDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Every prompt that has no title of its own carries the application's title.
const QString applicationTitle = QStringLiteral("Tarvex Kite");

// A message box breaks lines only between words, and cuts a word wider than itself: a long
// path would lose its end. Long runs without a space get invisible break points (zero-width
// spaces) after each "/" and at least every `longRun` characters, so the whole text wraps
// within the box.
QString withBreakPoints(const QString& text)
{
    constexpr qsizetype longRun = 30;
    const QChar breakPoint(0x200B);
    QString result;
    result.reserve(text.size() + text.size() / 16);
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = start;
        while (end < text.size() && !text.at(end).isSpace())
            ++end;
        const QStringView run = QStringView(text).sliced(start, end - start);
        if (run.size() <= longRun) {
            result.append(run);
        } else {
            qsizetype sinceBreak = 0;
            for (qsizetype i = 0; i < run.size(); ++i) {
                const QChar c = run.at(i);
                result.append(c);
                ++sinceBreak;
                if (i + 1 < run.size() && !c.isHighSurrogate()
                    && (c == QLatin1Char('/') || sinceBreak >= longRun)) {
                    result.append(breakPoint);
                    sinceBreak = 0;
                }
            }
        }
        if (end < text.size())
            result.append(text.at(end));
        start = end + 1;
    }
    return result;
}

// Messages join their lines with CR LF or with a lone CR (the save summary does); a label
// only breaks lines at LF, so both become LF for display.
QString displayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return withBreakPoints(text);
}

// A question with two answers, the first the default; Escape and the close box give the
// second.
bool ask(QWidget* parent, QMessageBox::Icon icon, const QString& text,
         QMessageBox::StandardButton yes, QMessageBox::StandardButton no)
{
    QMessageBox box(icon, applicationTitle, displayText(text), yes | no, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    return box.exec() == yes;
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
    return ask(parent, QMessageBox::Critical, text, QMessageBox::Retry, QMessageBox::Cancel);
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
    return ask(parent, QMessageBox::Question, question, QMessageBox::Yes, QMessageBox::No);
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
