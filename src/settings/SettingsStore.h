#ifndef KITE_SETTINGS_SETTINGSSTORE_H
#define KITE_SETTINGS_SETTINGSSTORE_H

#include <QList>
#include <QPair>
#include <QString>

namespace settings {

using KeyValueList = QList<QPair<QString, QString>>;

// The per-user settings store: text values addressed by application name, section and
// key. Names compare without regard to ASCII letter case, as the editor's settings always
// have. A missing entry reads as empty text.
class Store
{
public:
    virtual ~Store() = default;

    // The value, or empty text when there is none (or the store cannot be read).
    virtual QString read(const QString& app, const QString& section, const QString& key) const = 0;

    // Creates or replaces one value. Rewriting an existing key keeps its place in the
    // section's order. Returns false when the store could not be written.
    virtual bool write(const QString& app, const QString& section, const QString& key,
                       const QString& value) = 0;

    // Every (key, value) pair of a section, in the order the keys were first written.
    virtual KeyValueList readSection(const QString& app, const QString& section) const = 0;

    // Removes a section with all its keys. A missing section is no error.
    // Returns false when the store could not be written.
    virtual bool deleteSection(const QString& app, const QString& section) = 0;

    // The last failure's text, for the user; empty after a success.
    virtual QString lastError() const = 0;

    // Replaces a whole section with the given pairs, written in the given order. A store
    // that can should do this atomically, so a failure or a crash part-way never leaves
    // the section emptied or half written; this default does it step by step.
    // Returns false when the store could not be written.
    virtual bool replaceSection(const QString& app, const QString& section,
                                const KeyValueList& pairs)
    {
        if (!deleteSection(app, section))
            return false;
        for (const auto& pair : pairs) {
            if (!write(app, section, pair.first, pair.second))
                return false;
        }
        return true;
    }
};

} // namespace settings

#endif
