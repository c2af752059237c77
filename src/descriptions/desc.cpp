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

bool sameLabel(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

const cDesc* Store::find(const QString& label) const
{
    for (const cDesc& entry : m_entries) {
        if (sameLabel(entry.forTag, label))
            return &entry;
    }
    return nullptr;
}

cDesc* Store::find(const QString& label)
{
    for (cDesc& entry : m_entries) {
        if (sameLabel(entry.forTag, label))
            return &entry;
    }
    return nullptr;
}

bool Store::append(const cDesc& entry)
{
    // An empty label could never be saved (a setting needs a key name), so it is not filed.
    if (entry.forTag.isEmpty() || find(entry.forTag))
        return false;
    m_entries.append(entry);
    return true;
}

bool Store::remove(const QString& label)
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (sameLabel(m_entries.at(i).forTag, label)) {
            m_entries.removeAt(i);
            return true;
        }
    }
    return false;
}

void Store::loadDescriptions(const settings::Store& settings)
{
    Store fresh;
    // A pair that cannot be filed (an empty key, or a key already taken) is skipped, so
    // one odd entry does not cost the rest.
    for (const auto& pair : settings.readSection(appName, sectionName))
        fresh.append(cDesc{pair.first, pair.second});
    m_entries = std::move(fresh.m_entries);
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
    m_entries = std::move(fresh.m_entries);
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
