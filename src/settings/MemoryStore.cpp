#include "settings/SqliteStore.h"

namespace settings {

namespace {

char16_t foldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

QString noNameError()
{
    return QStringLiteral("A setting needs an application, a section and a key name.");
}

} // namespace

bool sameName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldAscii(a.at(i).unicode()) != foldAscii(b.at(i).unicode()))
            return false;
    }
    return true;
}

QString MemoryStore::read(const QString& app, const QString& section, const QString& key) const
{
    for (const Entry& entry : m_entries) {
        if (sameName(entry.app, app) && sameName(entry.section, section)
            && sameName(entry.key, key))
            return entry.value;
    }
    return {};
}

bool MemoryStore::write(const QString& app, const QString& section, const QString& key,
                        const QString& value)
{
    if (app.isEmpty() || section.isEmpty() || key.isEmpty()) {
        m_lastError = noNameError();
        return false;
    }
    m_lastError.clear();
    for (Entry& entry : m_entries) {
        if (sameName(entry.app, app) && sameName(entry.section, section)
            && sameName(entry.key, key)) {
            entry.value = value;
            return true;
        }
    }
    m_entries.append(Entry{app, section, key, value});
    return true;
}

KeyValueList MemoryStore::readSection(const QString& app, const QString& section) const
{
    KeyValueList pairs;
    for (const Entry& entry : m_entries) {
        if (sameName(entry.app, app) && sameName(entry.section, section))
            pairs.append({entry.key, entry.value});
    }
    return pairs;
}

bool MemoryStore::deleteSection(const QString& app, const QString& section)
{
    m_lastError.clear();
    m_entries.removeIf([&](const Entry& entry) {
        return sameName(entry.app, app) && sameName(entry.section, section);
    });
    return true;
}

} // namespace settings
