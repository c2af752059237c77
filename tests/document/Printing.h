#ifndef KITE_TESTS_DOCUMENT_PRINTING_H
#define KITE_TESTS_DOCUMENT_PRINTING_H

#include <QString>

#include <ostream>

// Shows text in test failures readably, control characters and non-ASCII as \uXXXX.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"';
    for (const QChar c : text) {
        if (c.unicode() < 32 || c.unicode() > 126) {
            static const char digits[] = "0123456789abcdef";
            *out << "\\u" << digits[(c.unicode() >> 12) & 15] << digits[(c.unicode() >> 8) & 15]
                 << digits[(c.unicode() >> 4) & 15] << digits[c.unicode() & 15];
        } else {
            *out << char(c.unicode());
        }
    }
    *out << '"';
}

#endif
