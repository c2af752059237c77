#include "document/TagList.h"

int TagList::indexOf(const QString& label) const
{
    for (qsizetype i = 0; i < m_tags.size(); ++i) {
        if (m_tags.at(i).tagLabel.compare(label, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const cInfTag* TagList::find(const QString& label) const
{
    const int index = indexOf(label);
    return index < 0 ? nullptr : &m_tags.at(index);
}

cInfTag* TagList::find(const QString& label)
{
    const int index = indexOf(label);
    return index < 0 ? nullptr : &m_tags[index];
}
