// Undo on a large track: Ctrl+Z in the real main window taking back 1,000 in-place edits of a
// 100,000-line track one by one, against a bare QUndoStack putting back as many strings.
#include "BenchSupport.h"
#include "EditorHarness.h"
#include "benchmarks.h"

#include <QStringList>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>

namespace bench {

namespace {

constexpr int lines = 100000;
constexpr int edits = 1000;
constexpr int runs = 5;

// The rows edited: spread over the whole track, past the nine editor tags at its top, so
// every step brings another part of the list to view.
int editedRow(int edit)
{
    return 9 + edit * ((lines - 10) / edits);
}

QString editedValue(int edit)
{
    return QStringLiteral("edited %1").arg(edit);
}

// The least an undo step costs: QUndoStack putting one string of a long list back.
class SetString final : public QUndoCommand
{
public:
    SetString(QStringList& list, int index, QString value)
        : m_list(list), m_index(index), m_before(list.at(index)), m_after(std::move(value))
    { }
    void undo() override { m_list[m_index] = m_before; }
    void redo() override { m_list[m_index] = m_after; }

private:
    QStringList& m_list;
    int m_index;
    QString m_before;
    QString m_after;
};

// Per step, the median of its times in every run: a step that is slow is slow in each run,
// while a busy machine delays different steps each time.
std::vector<double> perStep(const std::vector<std::vector<double>>& times)
{
    std::vector<double> medians;
    for (const std::vector<double>& step : times)
        medians.push_back(median(step));
    return medians;
}

double slowest(const std::vector<double>& steps)
{
    return *std::max_element(steps.begin(), steps.end());
}

} // namespace

void undoBenchmark(const QString& scratch, Table& table)
{
    EditorHarness editor(scratch);
    editor.showAttributes();
    editor.pick(makeLargeTrack(scratch, QStringLiteral("undo100k"), lines));
    EditorHarness::settle();
    if (editor.attributeRows() != lines)
        fail("the track to undo in did not load");
    QStringList original;
    for (int i = 0; i < edits; ++i) {
        original << editor.rowValue(editedRow(i));
        editor.editInPlace(editedRow(i), editedValue(i));
        if (editor.rowValue(editedRow(i)) != editedValue(i))
            fail("an in-place edit did not reach its row");
    }

    // A step: Ctrl+Z, the row brought to view, and the window drawn. Each run undoes every
    // edit, last first; Ctrl+Y then redoes them all for the next run.
    std::vector<std::vector<double>> wall(edits), cpu(edits);
    for (int run = 0; run < runs; ++run) {
        for (int i = edits - 1; i >= 0; --i) {
            double clock = 0;
            cpu[i].push_back(cpuTimeMs([&] {
                clock = timeMs([&editor] {
                    editor.undo();
                    EditorHarness::settle();
                });
            }));
            wall[i].push_back(clock);
            if (editor.rowValue(editedRow(i)) != original.at(i))
                fail("Ctrl+Z did not undo the edit of row " + std::to_string(editedRow(i)));
        }
        if (run + 1 == runs)
            break;
        for (int i = 0; i < edits; ++i)
            editor.redo();
        EditorHarness::settle();
        if (editor.rowValue(editedRow(edits - 1)) != editedValue(edits - 1))
            fail("Ctrl+Y did not redo the edits");
    }

    QStringList values;
    for (int i = 0; i < lines; ++i)
        values << QStringLiteral("%1 0 0").arg(i);
    QUndoStack stack;
    for (int i = 0; i < edits; ++i)
        stack.push(new SetString(values, editedRow(i), editedValue(i)));
    std::vector<std::vector<double>> bare(edits);
    for (int i = edits - 1; i >= 0; --i)
        bare[i].push_back(timeMs([&stack] { stack.undo(); }));
    if (stack.canUndo() || values.at(editedRow(0)) != QStringLiteral("%1 0 0").arg(editedRow(0)))
        fail("the bare stack did not undo every change");

    const std::vector<double> wallSteps = perStep(wall), cpuSteps = perStep(cpu);
    const std::vector<double> bareSteps = perStep(bare);
    table.add({"Undo 1,000 in-place edits (100k lines): median step", formatMs(median(wallSteps)),
               formatMs(median(bareSteps)) + " QUndoStack", median(wallSteps) / median(bareSteps),
               "(reference)", true, ""});
    table.add({"  slowest step, on the clock", formatMs(slowest(wallSteps)),
               formatMs(slowest(bareSteps)) + " QUndoStack",
               slowest(wallSteps) / slowest(bareSteps), "(reference)", true, ""});
    table.add({"  slowest step, the editor's own CPU time", formatMs(slowest(cpuSteps)),
               formatMs(slowest(bareSteps)) + " QUndoStack",
               slowest(cpuSteps) / slowest(bareSteps), "each < 5 ms", slowest(cpuSteps) < 5,
               ""});
}

} // namespace bench
