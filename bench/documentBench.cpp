// Loading and saving large info files through the main window (the real attribute list),
// against reading the same file and splitting it into lines in plain C++.
#include "BenchSupport.h"
#include "EditorHarness.h"
#include "benchmarks.h"

#include <QFile>


namespace bench {

namespace {

struct Timings
{
    double baseline = 0;
    double load = 0;
    double save = 0;
    qint64 bytes = 0;
};

Timings measure(EditorHarness& editor, const QString& scratch, int lines)
{
    const QString name = QStringLiteral("big%1").arg(lines);
    const QString folder = makeLargeTrack(scratch, name, lines);
    const QString infoFile = folder + QLatin1Char('/') + name + QStringLiteral(".inf");
    const std::string infoPath = QFile::encodeName(infoFile).toStdString();
    Timings result;
    result.bytes = QFile(infoFile).size();

    std::vector<double> baseline, load, save;
    readAndSplit(infoPath); // warms the cache
    for (int i = 0; i < repetitions; ++i) {
        size_t count = 0;
        baseline.push_back(timeMs([&] { count = readAndSplit(infoPath); }));
        if (count < size_t(lines))
            fail("the baseline read too few lines");

        editor.pick(scratch); // an empty list before every timed load
        EditorHarness::settle();
        load.push_back(timeMs([&] {
            editor.pick(folder);
            EditorHarness::settle();
        }));
        if (!editor.state.fileLoaded || editor.attributeRows() != lines)
            fail("the large file did not load: " + std::to_string(editor.attributeRows()) + " rows");

        QString message;
        save.push_back(timeMs([&] {
            message = editor.save();
            EditorHarness::settle();
        }));
        if (!message.contains(QStringLiteral("No Errors Encountered"))
            || editor.attributeRows() != lines)
            fail("the large file did not save: " + message.toStdString());
    }
    result.baseline = median(baseline);
    result.load = median(load);
    result.save = median(save);
    return result;
}

} // namespace

void documentBenchmark(const QString& scratch, Table& table)
{
    EditorHarness editor(scratch);
    editor.showAttributes();
    const Timings small = measure(editor, scratch, 10000);
    const Timings large = measure(editor, scratch, 100000);

    const auto addRows = [&table](const Timings& t, int lines) {
        const std::string size = std::to_string(lines / 1000) + "k lines ("
                                 + formatKb(long(t.bytes / 1024)) + ")";
        const double loadRatio = t.load / t.baseline;
        const double saveRatio = t.save / t.baseline;
        const bool timed = lines == 100000; // the targets are set for the large file
        table.add({"Load " + size + " into document + list", formatMs(t.load),
                   formatMs(t.baseline) + " read+split", loadRatio,
                   timed ? "<= 10x, < 500 ms" : "(scaling)",
                   !timed || (loadRatio <= 10 && t.load < 500), ""});
        table.add({"Save " + size + " (write, reload)", formatMs(t.save),
                   formatMs(t.baseline) + " read+split", saveRatio,
                   timed ? "<= 10x, < 500 ms" : "(scaling)",
                   !timed || (saveRatio <= 10 && t.save < 500), ""});
    };
    addRows(small, 10000);
    addRows(large, 100000);

    // Linear scaling: ten times the lines take about ten times as long. Shown as the cost
    // per line at 100k over the cost per line at 10k (1.0 = perfectly linear).
    const double loadGrowth = (large.load / 100000) / (small.load / 10000);
    const double saveGrowth = (large.save / 100000) / (small.save / 10000);
    const double baseGrowth = (large.baseline / 100000) / (small.baseline / 10000);
    table.add({"Load per-line cost, 100k vs 10k", formatMs(large.load / 100) + "/1k",
               formatMs(small.load / 10) + "/1k", loadGrowth, "<= 1.5x (linear)",
               loadGrowth <= 1.5, ""});
    table.add({"Save per-line cost, 100k vs 10k", formatMs(large.save / 100) + "/1k",
               formatMs(small.save / 10) + "/1k", saveGrowth, "<= 1.5x (linear)",
               saveGrowth <= 1.5, ""});
    table.add({"(baseline per-line cost, 100k vs 10k)", formatMs(large.baseline / 100) + "/1k",
               formatMs(small.baseline / 10) + "/1k", baseGrowth, "(reference)", true, ""});
}

} // namespace bench
