#ifndef KITE_UTIL_MISC_H
#define KITE_UTIL_MISC_H

#include <QString>

// Text helpers shared by every layer. They hold no state and touch no window.
// Positions are 1-based where the file format speaks of positions; every comparison
// is exact (no case folding, no locale rules).
namespace misc {

// Removes one apostrophe from the start, then one from the end of what is left.
// Stores the result back into `text` and returns it.
QString stripQuotes(QString& text);

// Removes every character with a code of 32 or less (space, tab, CR, LF and the other
// control characters) from both ends. Stores the result back into `text` and returns it.
QString trimWhite(QString& text);
// The same rule on a view: the part of `text` without those characters at its ends.
QStringView trimmedWhite(QStringView text);

// Finds the first (fromStart) or last occurrence of `delimiter` and returns the part
// after it (after) or before it, with or without the delimiter itself. Returns empty
// text when the delimiter does not occur.
QString splitPart(const QString& text, const QString& delimiter, bool after, bool fromStart,
                  bool keepDelimiter);

// Locale-independent number recognition used by the editors: optional surrounding
// spaces, an optional sign, digits with at most one '.', and an optional exponent
// ("e" or "E", optional sign, digits). At least one digit before the exponent.
// "," is never a decimal point. Empty text is not numeric.
bool isNumeric(const QString& text);

// The value of text that isNumeric accepts; 0 for anything else.
double toNumber(const QString& text);

} // namespace misc

#endif
