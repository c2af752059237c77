#ifndef KITE_APP_LONGTEXT_H
#define KITE_APP_LONGTEXT_H

#include <QString>

class QLineEdit;

// Texts too long to show or edit whole: a track from anywhere may hold a value of megabytes,
// and laying such a text out for the screen takes seconds. Lists and labels show the start of
// it; one-line fields, which hold at most editableLength characters, show it read-only. The
// whole text stays in the document or the description store and is saved unchanged.
namespace longText {

// Lists and labels show at most this many characters of a text (a row is far narrower).
inline constexpr qsizetype shownLength = 1000;
// The longest text a one-line field or an in-place editor takes whole (a QLineEdit's default
// maxLength: setText keeps only that many characters).
inline constexpr qsizetype editableLength = 32767;

inline bool editable(qsizetype length) { return length <= editableLength; }

// The text as a list or label shows it: whole, or its first shownLength characters followed
// by "…" and how many characters the whole text has.
QString shortened(const QString& text);

// What a field or the attribute list says about a text too long to edit there.
QString tooLongNote(qsizetype length);

// Puts a text into a one-line field. With an empty `readOnlyNote` the field shows it whole and
// can be edited. Otherwise it shows the text shortened (when it is too long to hold), cannot
// be typed in and gives the note as its tooltip, so no keystroke can store a cut copy.
void showInField(QLineEdit* field, const QString& text, const QString& readOnlyNote);
// The same, read-only exactly when the text itself is too long to edit.
void showInField(QLineEdit* field, const QString& text);

} // namespace longText

#endif
