#ifndef KITE_DESCRIPTIONS_DESC_H
#define KITE_DESCRIPTIONS_DESC_H

#include "descriptions/cDesc.h"

#include <QHash>
#include <QList>
#include <QString>

namespace settings {
class Store;
}

// The tag description store: one help text per tag label, kept in insertion order and
// looked up without regard to letter case. Persisted as "Tarvex Kite2" / "Descriptions".
namespace desc {

inline const QString appName = QStringLiteral("Tarvex Kite2");
inline const QString sectionName = QStringLiteral("Descriptions");

// Where listDescriptions and defaultDescriptions put their rows: the options dialog's list.
class DescriptionList
{
public:
    virtual ~DescriptionList() = default;
    virtual void clearDescriptionRows() = 0;
    virtual void appendDescriptionRow(const QString& label, const QString& text) = 0;
};

// tagDescs. The window owns one; a test creates a fresh one.
class Store
{
public:
    // Looked up ignoring case; nullptr when there is none. The entry is filed under its label:
    // change a label by removing the entry and appending it again, never through the pointer.
    const cDesc* find(const QString& label) const;
    cDesc* find(const QString& label);
    int count() const { return int(m_entries.size()); }
    // 0-based position in store order.
    const cDesc& at(int index) const { return m_entries.at(index); }
    // Fails (false) when the label is empty or already present, ignoring case.
    bool append(const cDesc& entry);
    // Fails (false) when no entry is filed under the label.
    bool remove(const QString& label);

    // Replaces the store with the saved section (empty when there is none). A saved key
    // that cannot be filed (empty, or equal ignoring case to an earlier one) is skipped.
    void loadDescriptions(const settings::Store& settings);
    // Replaces the saved section with the store's entries, in store order, in one step:
    // when the settings cannot be written, the previously saved section stays as it was.
    // Returns false when the settings could not be written (the store's lastError says why).
    bool saveDescriptions(settings::Store& settings) const;
    // Replaces the store with the 18 built-ins and rebuilds the list from them.
    void defaultDescriptions(DescriptionList& list);
    // Appends one row per entry, in store order.
    void listDescriptions(DescriptionList& list) const;

    // The 18 built-in descriptions, in their order.
    static QList<cDesc> builtInDescriptions();

private:
    // The label as the entries are filed under it: case-folded, so that two labels are one
    // key exactly when QString::compare finds them equal ignoring case.
    static QString key(const QString& label) { return label.toCaseFolded(); }
    qsizetype positionOf(const QString& label) const;

    QList<cDesc> m_entries;
    // Each entry's position in m_entries, under its key: a lookup, and the check for a taken
    // label on every append while loading, take the same short time however many entries
    // there are.
    QHash<QString, qsizetype> m_positions;
};

} // namespace desc

#endif
