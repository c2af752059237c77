#include "app/LongText.h"

#include <QLineEdit>
#include <QLocale>

namespace longText {

QString shortened(const QString& text)
{
    if (text.size() <= shownLength)
        return text;
    // A character outside the basic plane is two code units: never keep half of one.
    qsizetype kept = shownLength;
    if (text.at(kept - 1).isHighSurrogate())
        --kept;
    return text.left(kept) + QChar(0x2026) + QStringLiteral(" (%1 characters)")
                                                 .arg(QLocale().toString(qlonglong(text.size())));
}

QString tooLongNote(qsizetype length)
{
    return QStringLiteral("This text has %1 characters, too many to edit here. It is kept, and "
                          "saved, as it is.")
        .arg(QLocale().toString(qlonglong(length)));
}

void showInField(QLineEdit* field, const QString& text, const QString& readOnlyNote)
{
    field->setReadOnly(!readOnlyNote.isEmpty());
    field->setToolTip(readOnlyNote);
    if (editable(text.size())) {
        field->setText(text);
        return;
    }
    field->setText(shortened(text));
    field->setCursorPosition(0); // its start, as a list shows it
}

void showInField(QLineEdit* field, const QString& text)
{
    showInField(field, text, editable(text.size()) ? QString() : tooLongNote(text.size()));
}

} // namespace longText
