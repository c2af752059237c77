#ifndef KITE_BENCH_EDITORHARNESS_H
#define KITE_BENCH_EDITORHARNESS_H

#include "BenchSupport.h"

#include "app/frmMain.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"
#include "settings/SqliteStore.h"

#include <QString>

#include <memory>

class QLineEdit;
class QPushButton;
class QAbstractItemView;

namespace bench {

// The real main window, started as the program starts it but on a store in memory and with
// prompts answered silently, and the user's actions a benchmark needs: pick a folder in the
// folder browser, type a folder name, press Save.
class EditorHarness
{
public:
    // Starts the editor open on `levels` (a folder without an info file of its own), with its
    // settings in `settings` (a file, say) or, when none is given, in `store`.
    explicit EditorHarness(const QString& levels, settings::Store* settings = nullptr);
    ~EditorHarness();

    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;
    settings::MemoryStore store;
    SilentPrompts prompts;

    // A click on a folder in the folder browser: the window loads its track.
    void pick(const QString& folder);
    void typeFolderName(const QString& name);
    // Presses Save; returns the message the window showed.
    QString save();
    // Shows the Attributes page, so loading lays out and paints a visible list.
    void showAttributes();
    // Shows page 0 to 3 of the window (Name, Light, Fog, Attributes).
    void showPage(int index);
    int attributeRows() const;
    QString rowValue(int row) const;
    // Types a value into a row of the attribute list in place and presses Enter.
    void editInPlace(int row, const QString& value);
    // Ctrl+Z and Ctrl+Y, as the user presses them in the window.
    void undo();
    void redo();
    // The attribute list; made when the Attributes page is first shown.
    QAbstractItemView* attributeList() const { return m_list; }
    frmMain& window() const { return *m_window; }
    // Lets the window finish what it queued (layout, painting) before the clock stops.
    static void settle();

private:
    std::unique_ptr<frmMain> m_window;
    folderBox* m_folders = nullptr;
    QPushButton* m_save = nullptr;
    QLineEdit* m_folderName = nullptr;
    QAbstractItemView* m_list = nullptr; // the attribute list, whatever view shows it
};

} // namespace bench

#endif
