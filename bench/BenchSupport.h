#ifndef KITE_BENCH_BENCHSUPPORT_H
#define KITE_BENCH_BENCHSUPPORT_H

#include "app/Prompts.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

// Timing, the result table and small helpers shared by the benchmarks. Every figure is a
// ratio against a baseline measured in the same run, so it holds on a busy machine; the
// absolute times are printed beside it.
namespace bench {

using Clock = std::chrono::steady_clock;

// Milliseconds between two points of the steady clock.
double millisecondsBetween(Clock::time_point from, Clock::time_point to);

// Runs `work` once and returns how long it took in milliseconds.
template <typename Work>
double timeMs(Work&& work)
{
    const Clock::time_point start = Clock::now();
    work();
    return millisecondsBetween(start, Clock::now());
}

// The same in the CPU time of the calling thread: the work itself, which other programs on
// a busy machine do not lengthen.
template <typename Work>
double cpuTimeMs(Work&& work)
{
    timespec start{}, end{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    work();
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6;
}

double median(std::vector<double> values);

// One printed line: a measured figure, its baseline, and the target for their ratio.
struct Row
{
    std::string figure;
    std::string measured;       // absolute value of the editor's side, with unit
    std::string baseline;       // absolute value of the baseline, with unit
    double ratio = 0;           // measured / baseline
    std::string target;         // e.g. "<= 1.25x"
    bool met = true;
    std::string note;           // shown under the table when not empty
};

class Table
{
public:
    void add(Row row) { m_rows.push_back(std::move(row)); }
    // Prints the table and returns whether every target was met.
    bool print() const;

private:
    std::vector<Row> m_rows;
};

std::string formatMs(double milliseconds);
std::string formatKb(long kilobytes);
std::string formatRatio(double ratio);

// Answers every prompt without a dialog and keeps the messages, so a benchmark can check
// that what it timed really succeeded.
class SilentPrompts final : public Prompts
{
public:
    QStringList messages;
    void information(QWidget*, const QString& text) override { messages.append(text); }
    bool retryOrCancel(QWidget*, const QString& text) override
    {
        messages.append(text);
        return false;
    }
    QColor chooseColour(QWidget*, const QColor& initial) override { return initial; }
    QString inputText(QWidget*, const QString&) override { return {}; }
    bool yesOrNo(QWidget*, const QString& question) override
    {
        messages.append(question);
        return false;
    }
    SaveChoice saveDiscardOrCancel(QWidget*, const QString& text) override
    {
        messages.append(text);
        return SaveChoice::Cancel;
    }
    bool overwriteOrCancel(QWidget*, const QString& text) override
    {
        messages.append(text);
        return false;
    }
    void notice(QWidget*, const QString& text) override { messages.append(text); }
};

// A track folder <scratch>/<name> whose info file holds the usual editor tags and then
// further tag lines of about 30 bytes each, `lines` in all; returns the folder.
QString makeLargeTrack(const QString& scratch, const QString& name, int lines);
// The baseline of loading an info file: the file read and cut into lines with the standard
// library, the least a loader must do. Returns the number of lines.
size_t readAndSplit(const std::string& path);

// Stops the benchmark run with a message: a benchmark whose work failed measures nothing.
[[noreturn]] void fail(const std::string& what);

// Repetitions of every timed step; the median is reported.
inline constexpr int repetitions = 9;

} // namespace bench

#endif
