#ifndef KITE_DOCUMENT_CINFTAG_H
#define KITE_DOCUMENT_CINFTAG_H

#include <QString>

// One line of a track info file. Assigning origLine parses the line into label, value and
// comment; formatLine() builds the line that saving writes for the record.
class cInfTag
{
public:
    QString tagLabel;   // as written in the file, letter case unchanged
    QString tagValue;   // between label and comment, trimmed; inner whitespace kept
    QString tagComment; // from the first ";" to the end, trimmed; empty when none

    QString origLine() const { return m_origLine; }
    // Stores the text and parses it. Parsing only assigns the fields it finds.
    void setOrigLine(const QString& line);

    // The line rule: label, tabs, value, and when there is a comment, tabs and the comment.
    // Every formatted line parses back to the same label and comment and to the value
    // trimmed (a value holding ";" is the one exception: its tail becomes the comment).
    QString formatLine() const;

private:
    void parseLine();

    QString m_origLine;
};

#endif
