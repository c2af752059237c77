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
    // The same, with every text that equals the one of `like` shared with it rather than
    // copied: a file read again after a save takes no new memory for its unchanged lines.
    void setOrigLine(QStringView line, const cInfTag& like);

    // The line rule: label, tabs, value, and when there is a comment, tabs and the comment.
    // Every formatted line parses back to the same label and comment and to the value
    // trimmed (a value holding ";" is the one exception: its tail becomes the comment).
    QString formatLine() const;
    // Appends formatLine() to `text` (a file is written as one text, built without a
    // string per line).
    void appendLine(QString& text) const;

private:
    void parseLine(const cInfTag* like);

    QString m_origLine;
};

// Only QStrings inside: a list may move records in memory without copying them.
Q_DECLARE_TYPEINFO(cInfTag, Q_RELOCATABLE_TYPE);

#endif
