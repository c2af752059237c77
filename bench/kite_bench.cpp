// Runs every benchmark and prints one table: each figure beside the baseline measured in the
// same run, their ratio and the target for it. Exit status 0 when every target is met, 1 when
// one is missed, 2 when a benchmark could not do its work.
//   bench_kite [startup|document|folders|rename|undo|huge ...]   (default: all)
#include "BenchSupport.h"
#include "benchmarks.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <iostream>

int main(int argc, char** argv)
{
    // The editor processes and this one keep their settings in a throw-away folder, and all
    // of them draw offscreen, so the figures never depend on a display or a user's settings.
    QTemporaryDir home;
    if (!home.isValid())
        bench::fail("cannot make a temporary folder");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path() + QStringLiteral("/cache")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QStringList wanted = QApplication::arguments().mid(1);
    if (wanted.isEmpty())
        wanted = {QStringLiteral("startup"), QStringLiteral("document"), QStringLiteral("folders"),
                  QStringLiteral("rename"), QStringLiteral("undo"), QStringLiteral("huge")};

    const auto scratch = [&home](const QString& name) -> QString {
        const QString folder = home.path() + QStringLiteral("/scratch/") + name;
        QDir().mkpath(folder);
        return folder;
    };

    bench::Table table;
    for (const QString& name : std::as_const(wanted)) {
        std::cerr << "running " << name.toStdString() << " ..." << std::endl;
        if (name == QStringLiteral("startup")) {
            const QString track = scratch(name) + QStringLiteral("/toytrack");
            QDir().mkpath(track);
            QFile info(track + QStringLiteral("/toytrack.inf"));
            if (!info.open(QIODevice::WriteOnly)
                || info.write(";----------------------------\r\n; Tarvex .INF file structure\r\n"
                              ";----------------------------\r\n\r\n"
                              "NAME\t\t'Toy World by Ann'\r\nSTARTPOS\t0 12 -340\r\n"
                              "STARTROT\t0.5\r\nSTARTGRID\t3\r\n"
                              "FARCLIP\t\t6000\t\t\t; how far you see\r\nFOGSTART\t4000\r\n"
                              "FOGCOLOR\t64 96 160\r\nVERTFOGSTART\t-2000\r\nVERTFOGEND\t0\r\n"
                              "WORLDRGBPER\t80\r\nMODELRGBPER\t70\r\nINSTANCERGBPER\t60\r\n"
                              "MIRRORS\t\t0 1 0 256\r\nREDBOOK\t\t1 15\r\n")
                       <= 0)
                bench::fail("cannot write the start-up track");
            info.close();
            bench::startupBenchmark(track, table);
        } else if (name == QStringLiteral("document")) {
            bench::documentBenchmark(scratch(name), table);
        } else if (name == QStringLiteral("folders")) {
            bench::folderBrowserBenchmark(scratch(name), table);
        } else if (name == QStringLiteral("rename")) {
            bench::renameBenchmark(scratch(name), table);
        } else if (name == QStringLiteral("undo")) {
            bench::undoBenchmark(scratch(name), table);
        } else if (name == QStringLiteral("huge")) {
            bench::hugeInputBenchmark(scratch(name), table);
        } else {
            bench::fail("unknown benchmark " + name.toStdString());
        }
    }
    std::cout << "Medians of " << bench::repetitions
              << " runs (start-up: 31 pairs of starts, the ratio the median of the pairs' ratios)\n";
    return table.print() ? 0 : 1;
}
