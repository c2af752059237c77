#ifndef KITE_BENCH_BENCHMARKS_H
#define KITE_BENCH_BENCHMARKS_H

#include <QString>

namespace bench {

class Table;

// Each benchmark works inside `scratch` (a throw-away folder) and adds its rows to the table.

// Start-up time and peak memory against a minimal Qt Widgets program; `trackFolder` is the
// track the editor opens on.
void startupBenchmark(const QString& trackFolder, Table& table);
// Loading and saving 10,000 and 100,000 tag lines through the main window, against reading
// and splitting the same file's lines in plain C++.
void documentBenchmark(const QString& scratch, Table& table);
// The folder browser opening a folder of 10,000 track folders, against QDir listing them.
void folderBrowserBenchmark(const QString& scratch, Table& table);
// A save that renames a track folder and its 2,000 files, against the same rename(2) calls.
void renameBenchmark(const QString& scratch, Table& table);
// Ctrl+Z undoing 1,000 in-place edits of a 100,000-line track one by one, against a bare
// QUndoStack undoing as many changes of one string in a list of 100,000.
void undoBenchmark(const QString& scratch, Table& table);

// Huge inputs: tracks with a 10 MB value or NAME, a 10 MB description and 50,000 stored
// descriptions; every action against the half-second target.
void hugeInputBenchmark(const QString& scratch, Table& table);

} // namespace bench

#endif
