#include "descriptions/desc.h"

#include "settings/SettingsStore.h"

#include <array>

namespace desc {

namespace {

// The built-in labels, in table order, as one ";"-separated text.
const QString builtInLabels = QStringLiteral(
    "FARCLIP;FOGCOLOR;FOGSTART;INSTANCERGBPER;MIRRORS;MODELRGBPER;MP3;NAME;REDBOOK;STARTGRID;"
    "STARTGRIDREV;STARTPOS;STARTPOSREV;STARTROT;STARTROTREV;VERTFOGEND;VERTFOGSTART;WORLDRGBPER");

// The texts for those labels, in the same order. The MIRRORS text has two spaces after
// "Distance." and "ontop" is written as one word: both are kept exactly.
const std::array<const char*, 18> builtInTexts = {
    "The distance you can see things.",
    "The color of fog.",
    "The distance you can see in fog.",
    "How much instances receive. 0-100",
    "4 numbers. Type(0-1), Mix(0-1), Intensity Start(0-.5), Distance.  Last is how far things "
    "can be from mirror to still get mirrored. 0 1 0 256 is a good mirror.",
    "How much light models receive (eg. Cars, Pickups). 0-100",
    "No use. Will not play music.",
    "The name of the track.",
    "2 track numbers off the Tarvex CD. Plays random tracks in between and including those 2 "
    "numbers. 1-15.",
    "Unknown. Should be 3 otherwise cars start ontop of each other.",
    "Unknown. Should be 3 otherwise cars start ontop of each other in reversed mode.",
    "3 numbers. The X,Y,Z coordinates of the starting point.",
    "3 numbers. The X,Y,Z coordinates of the starting point in reversed mode.",
    "Which way cars are facing at start. 0-1.",
    "Which way cars are facing at start of reversed race. 0-1.",
    "The lower boundary of fog. The bottom of TE tracks is 0.",
    "The upper boundary of fog. The top of TE tracks is -2000.",
    "How much light the whole track receives. 0-100",
};

} // namespace

qsizetype Store::positionOf(const QString& label) const
{
    return m_positions.value(key(label), -1);
}

const cDesc* Store::find(const QString& label) const
{
    const qsizetype position = positionOf(label);
    return position < 0 ? nullptr : &m_entries.at(position);
}

cDesc* Store::find(const QString& label)
{
    const qsizetype position = positionOf(label);
    return position < 0 ? nullptr : &m_entries[position];
}

bool Store::append(const cDesc& entry)
{
    // An empty label could never be saved (a setting needs a key name), so it is not filed.
    if (entry.forTag.isEmpty())
        return false;
    QString filedUnder = key(entry.forTag);
    if (m_positions.contains(filedUnder))
        return false;
    m_positions.insert(std::move(filedUnder), m_entries.size());
    m_entries.append(entry);
    return true;
}

bool Store::remove(const QString& label)
{
    const auto filed = m_positions.constFind(key(label));
    if (filed == m_positions.cend())
        return false;
    const qsizetype position = *filed;
    m_positions.erase(filed);
    m_entries.removeAt(position);
    // The entries after it have moved up one place.
    for (qsizetype& later : m_positions) {
        if (later > position)
            --later;
    }
    return true;
}

void Store::loadDescriptions(const settings::Store& settings)
{
    const settings::KeyValueList pairs = settings.readSection(appName, sectionName);
    Store fresh;
    fresh.m_entries.reserve(pairs.size());
    fresh.m_positions.reserve(pairs.size());
    // A pair that cannot be filed (an empty key, or a key already taken) is skipped, so
    // one odd entry does not cost the rest.
    for (const auto& pair : pairs)
        fresh.append(cDesc{pair.first, pair.second});
    *this = std::move(fresh);
}

bool Store::saveDescriptions(settings::Store& settings) const
{
    settings::KeyValueList pairs;
    pairs.reserve(m_entries.size());
    for (const cDesc& entry : m_entries)
        pairs.append({entry.forTag, entry.tagDesc});
    // One replacement rather than delete-then-write: a failure part-way leaves the
    // previously saved descriptions in place instead of an emptied section.
    return settings.replaceSection(appName, sectionName, pairs);
}

void Store::defaultDescriptions(DescriptionList& list)
{
    Store fresh;
    for (const cDesc& entry : builtInDescriptions())
        fresh.append(entry);
    *this = std::move(fresh);
    list.clearDescriptionRows();
    listDescriptions(list);
}

void Store::listDescriptions(DescriptionList& list) const
{
    for (const cDesc& entry : m_entries)
        list.appendDescriptionRow(entry.forTag, entry.tagDesc);
}

QList<cDesc> Store::builtInDescriptions()
{
    const QStringList labels = builtInLabels.split(QLatin1Char(';'));
    QList<cDesc> entries;
    entries.reserve(labels.size());
    for (qsizetype i = 0; i < labels.size() && i < qsizetype(builtInTexts.size()); ++i)
        entries.append(cDesc{labels.at(i), QString::fromUtf8(builtInTexts.at(size_t(i)))});
    return entries;
}

} // namespace desc
