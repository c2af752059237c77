#ifndef KITE_DOCUMENT_TAGLIST_H
#define KITE_DOCUMENT_TAGLIST_H

#include "document/cInfTag.h"

#include <QList>
#include <QString>

#include <utility>

// The loaded document: every tag line of the file in file order. A label may occur more
// than once (real files repeat some tags on purpose); lookups by label ignore letter case
// and find the first line of that label, while every line stays listed and is saved.
class TagList
{
public:
    void append(const cInfTag& tag) { m_tags.append(tag); }
    void append(cInfTag&& tag) { m_tags.append(std::move(tag)); }
    // Makes room for `count` records in all, so a long file is not copied as it grows.
    void reserve(int count) { m_tags.reserve(count); }
    int count() const { return int(m_tags.size()); }
    bool isEmpty() const { return m_tags.isEmpty(); }
    // 0-based position; the caller keeps 0 <= index < count().
    const cInfTag& at(int index) const { return m_tags.at(index); }
    cInfTag& operator[](int index) { return m_tags[index]; }

    // Position of the first record whose label equals `label` ignoring case, or -1.
    int indexOf(const QString& label) const;
    const cInfTag* find(const QString& label) const;
    cInfTag* find(const QString& label);

    auto begin() const { return m_tags.cbegin(); }
    auto end() const { return m_tags.cend(); }

private:
    QList<cInfTag> m_tags;
};

#endif
