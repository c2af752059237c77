#include "document/cInfTag.h"

#include "util/misc.h"

#include <algorithm>

namespace {

void appendTabs(QString& text, qsizetype count)
{
    for (; count > 0; --count)
        text += QLatin1Char('\t');
}

} // namespace

void cInfTag::setOrigLine(const QString& line)
{
    m_origLine = line;
    parseLine(nullptr);
}

void cInfTag::setOrigLine(QStringView line, const cInfTag& like)
{
    m_origLine = line == like.m_origLine ? like.m_origLine : line.toString();
    parseLine(&like);
}

void cInfTag::parseLine(const cInfTag* like)
{
    // Trimmed on views, so that only the parts kept are copied: a large file has many lines.
    const auto text = [like](QStringView part, QString cInfTag::*field) {
        return like && part == like->*field ? like->*field : part.toString();
    };
    // The first ";" starts the comment, even inside an apostrophe-quoted name: quotes mean
    // nothing to the game's reader.
    QStringView head(m_origLine);
    const qsizetype semicolon = head.indexOf(QLatin1Char(';'));
    if (semicolon >= 0) {
        tagComment = text(misc::trimmedWhite(head.sliced(semicolon)), &cInfTag::tagComment);
        head = misc::trimmedWhite(head.first(semicolon));
    } else {
        head = misc::trimmedWhite(head);
        if (head.size() != m_origLine.size())
            m_origLine = text(head, &cInfTag::m_origLine);
        head = QStringView(m_origLine);
    }
    if (head.isEmpty())
        return; // blank or comment-only line

    // The label ends at the first tab or space, whichever comes first.
    qsizetype split = 0;
    while (split < head.size() && head[split] != QLatin1Char('\t')
           && head[split] != QLatin1Char(' '))
        ++split;
    if (split == head.size()) {
        tagLabel = text(head, &cInfTag::tagLabel);
        return;
    }
    tagLabel = text(misc::trimmedWhite(head.first(split + 1)), &cInfTag::tagLabel);
    tagValue = text(misc::trimmedWhite(head.sliced(split)), &cInfTag::tagValue);
}

QString cInfTag::formatLine() const
{
    QString line;
    appendLine(line);
    return line;
}

void cInfTag::appendLine(QString& text) const
{
    const qsizetype start = text.size();
    // Values start at column 16 with tab stops every 8 columns. A label of 16 or more
    // characters would get no tab (or a negative count) and run into its value, so it
    // keeps one tab.
    const qsizetype labelTabs = std::max<qsizetype>(1, 2 - tagLabel.size() / 8);
    text += tagLabel;
    appendTabs(text, labelTabs);
    text += tagValue;
    if (tagComment.isEmpty())
        return;
    // Comments line up at column 40. A first part of 40 to 47 characters gets none: the
    // comment begins with ";", so it still parses apart. From 48 on, one tab keeps the
    // two visibly separate.
    const qsizetype width = text.size() - start;
    const qsizetype commentTabs = width >= 48 ? 1 : 5 - width / 8;
    appendTabs(text, commentTabs);
    text += tagComment;
}
