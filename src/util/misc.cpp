#include "util/misc.h"

#include <QLocale>

namespace misc {

QString stripQuotes(QString& text)
{
    if (text.startsWith(QLatin1Char('\'')))
        text.remove(0, 1);
    if (text.endsWith(QLatin1Char('\'')))
        text.chop(1);
    return text;
}

QString trimWhite(QString& text)
{
    const QStringView kept = trimmedWhite(text);
    if (kept.size() != text.size())
        text = kept.toString();
    return text;
}

QStringView trimmedWhite(QStringView text)
{
    // Unlike QString::trimmed(), which follows Unicode's notion of space, the file format
    // counts every code of 32 or less as whitespace and nothing above it (a non-breaking
    // space is text).
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    return text.sliced(first, last - first);
}

QString splitPart(const QString& text, const QString& delimiter, bool after, bool fromStart,
                  bool keepDelimiter)
{
    if (delimiter.isEmpty())
        return {};
    const qsizetype p = fromStart ? text.indexOf(delimiter) : text.lastIndexOf(delimiter);
    if (p < 0)
        return {};
    if (after)
        return keepDelimiter ? text.mid(p) : text.mid(p + delimiter.size());
    return keepDelimiter ? text.left(p + delimiter.size()) : text.left(p);
}

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The text between the surrounding spaces, or empty when there is nothing else.
QStringView core(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return QStringView(text).mid(first, last - first);
}

} // namespace

bool isNumeric(const QString& text)
{
    const QStringView s = core(text);
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
            ++i;
        qsizetype exponentDigits = 0;
        while (i < n && isDigit(s[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
    }
    return i == n;
}

double toNumber(const QString& text)
{
    if (!isNumeric(text))
        return 0.0;
    bool ok = false;
    // The C locale reads "." as the decimal point whatever the user's locale is. A value
    // too large for a double comes back as infinity (ok false), one too small as 0: both
    // are the nearest representable answers, so the value is used either way.
    return QLocale::c().toDouble(core(text), &ok);
}

} // namespace misc
