// Start-up time and peak memory: the editor's start (bench_editor_startup, built from what
// main() builds) against a minimal Qt Widgets program (bench_baseline_window). Both run as
// child processes with the same environment, timed from spawn to exit; their peak memory
// is the child's maximum resident set size reported by wait4.
#include "BenchSupport.h"
#include "benchmarks.h"

#include "settings/SqliteStore.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace bench {

namespace {

struct ChildRun
{
    double milliseconds = 0;
    long maxRssKb = 0;
};

ChildRun runChild(const QString& program)
{
    const QByteArray path = QFile::encodeName(program);
    char* const argv[] = {const_cast<char*>(path.constData()), nullptr};
    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    if (::posix_spawn(&child, path.constData(), nullptr, nullptr, argv, environ) != 0)
        fail("cannot start " + program.toStdString());
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            fail("wait4 failed for " + program.toStdString());
    }
    const Clock::time_point end = Clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail(program.toStdString() + " did not start cleanly (status "
             + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status)) + ")");
    return {millisecondsBetween(start, end), usage.ru_maxrss};
}

} // namespace

void startupBenchmark(const QString& trackFolder, Table& table)
{
    // The editor opens the folder it closed on: store the track folder as that folder.
    {
        settings::SqliteStore store(settings::SqliteStore::defaultPath());
        if (!store.isPersistent()
            || !store.write(QStringLiteral("Tarvex Kite"), QStringLiteral("Current"),
                            QStringLiteral("Folder"), trackFolder))
            fail("cannot prepare the settings file");
    }
    const QString folder = QCoreApplication::applicationDirPath();
    const QString editor = folder + QStringLiteral("/bench_editor_startup");
    const QString baseline = folder + QStringLiteral("/bench_baseline_window");

    // One untimed start of each fills the file system cache for both alike.
    runChild(editor);
    runChild(baseline);
    // Each pair starts the two back to back, so a pair sees the machine at one speed; the
    // ratio is the median of the pairs' ratios, which the speed of a shared or throttled
    // machine drifting during the run leaves alone.
    constexpr int pairs = 31;
    std::vector<double> editorMs, baselineMs, pairRatios, editorKb, baselineKb;
    for (int i = 0; i < pairs; ++i) {
        const ChildRun a = runChild(editor);
        const ChildRun b = runChild(baseline);
        editorMs.push_back(a.milliseconds);
        editorKb.push_back(double(a.maxRssKb));
        baselineMs.push_back(b.milliseconds);
        baselineKb.push_back(double(b.maxRssKb));
        pairRatios.push_back(a.milliseconds / b.milliseconds);
    }
    const double timeRatio = median(pairRatios);
    table.add({"Start-up to idle window (track + options loaded)", formatMs(median(editorMs)),
               formatMs(median(baselineMs)), timeRatio, "<= 1.25x", timeRatio <= 1.25, ""});
    const double memoryRatio = median(editorKb) / median(baselineKb);
    table.add({"Start-up peak memory (max RSS)", formatKb(long(median(editorKb))),
               formatKb(long(median(baselineKb))), memoryRatio, "<= 1.25x", memoryRatio <= 1.25,
               ""});
}

} // namespace bench
