#include "document/cInfTag.h"

#include "util/misc.h"

#include <algorithm>

void cInfTag::setOrigLine(const QString& line)
{
    m_origLine = line;
    parseLine();
}

void cInfTag::parseLine()
{
    // The first ";" starts the comment, even inside an apostrophe-quoted name: quotes mean
    // nothing to the game's reader.
    QString head;
    const qsizetype semicolon = m_origLine.indexOf(QLatin1Char(';'));
    if (semicolon >= 0) {
        QString comment = m_origLine.mid(semicolon);
        tagComment = misc::trimWhite(comment);
        head = m_origLine.left(semicolon);
        misc::trimWhite(head);
    } else {
        head = m_origLine;
        misc::trimWhite(head);
        m_origLine = head;
    }
    if (head.isEmpty())
        return; // blank or comment-only line

    // The label ends at the first tab or space, whichever comes first.
    const qsizetype tab = head.indexOf(QLatin1Char('\t'));
    const qsizetype space = head.indexOf(QLatin1Char(' '));
    const qsizetype split = (tab >= 0 && (space < 0 || tab <= space)) ? tab : space;
    if (split < 0) {
        tagLabel = head;
        return;
    }
    QString label = head.left(split + 1);
    tagLabel = misc::trimWhite(label);
    QString value = head.mid(split);
    tagValue = misc::trimWhite(value);
}

QString cInfTag::formatLine() const
{
    // Values start at column 16 with tab stops every 8 columns. A label of 16 or more
    // characters would get no tab (or a negative count) and run into its value, so it
    // keeps one tab.
    const qsizetype labelTabs = std::max<qsizetype>(1, 2 - tagLabel.size() / 8);
    QString line = tagLabel + QString(labelTabs, QLatin1Char('\t')) + tagValue;
    if (tagComment.isEmpty())
        return line;
    // Comments line up at column 40. A first part of 40 to 47 characters gets none: the
    // comment begins with ";", so it still parses apart. From 48 on, one tab keeps the
    // two visibly separate.
    const qsizetype width = line.size();
    const qsizetype commentTabs = width >= 48 ? 1 : 5 - width / 8;
    line += QString(commentTabs, QLatin1Char('\t')) + tagComment;
    return line;
}
