// The folder browser on a folder of 10,000 track folders, and a save that renames a track
// folder holding 2,000 track files.
#include "BenchSupport.h"
#include "EditorHarness.h"
#include "benchmarks.h"

#include "app/folderBox.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace bench {

namespace {

void makeEmptyFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("cannot create " + path.toStdString());
    ::close(fd);
}

} // namespace

void folderBrowserBenchmark(const QString& scratch, Table& table)
{
    constexpr int folderCount = 10000;
    const QString many = scratch + QStringLiteral("/many");
    QDir().mkpath(many);
    for (int i = 0; i < folderCount; ++i) {
        if (!QDir().mkdir(many + QStringLiteral("/track%1").arg(i, 5, 10, QLatin1Char('0'))))
            fail("cannot make the track folders");
    }

    SilentPrompts prompts;
    folderBox box(prompts, nullptr);
    box.resize(2655 / 15, 5535 / 15);
    box.show();
    EditorHarness::settle();

    std::vector<double> baseline, opening;
    QDir(many).entryList(QDir::Dirs | QDir::NoDotAndDotDot); // warms the cache
    for (int i = 0; i < repetitions; ++i) {
        qsizetype listed = 0;
        baseline.push_back(timeMs([&] {
            listed = QDir(many).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        }));
        if (listed != folderCount)
            fail("QDir listed " + std::to_string(listed) + " folders");

        if (!box.setPath(scratch))
            fail("the folder browser cannot open the scratch folder");
        EditorHarness::settle();
        bool opened = false;
        opening.push_back(timeMs([&] {
            opened = box.setPath(many);
            EditorHarness::settle(); // laid out and painted
        }));
        if (!opened || box.Path() != many)
            fail("the folder browser did not open the folder");
    }
    const double ratio = median(opening) / median(baseline);
    table.add({"Folder browser opens 10,000 folders", formatMs(median(opening)),
               formatMs(median(baseline)) + " QDir", ratio, "<= 3x", ratio <= 3, ""});
}

void renameBenchmark(const QString& scratch, Table& table)
{
    constexpr int fileCount = 2000; // the info file and 1,999 other track files
    const QString levels = scratch + QStringLiteral("/renaming");
    const QString names[2] = {QStringLiteral("trackA"), QStringLiteral("trackB")};
    QDir().mkpath(levels + QLatin1Char('/') + names[0]);

    EditorHarness editor(levels);
    // Every file of the folder is a track file: the extensions are x0001 ... x1999 and inf.
    QStringList extensions{QStringLiteral("inf")};
    for (int i = 1; i < fileCount; ++i)
        extensions.append(QStringLiteral("x%1").arg(i, 4, 10, QLatin1Char('0')));
    editor.rename.trackExts = extensions;
    editor.rename.renameKind = 1;
    editor.rename.autoTempRename = true;

    const auto folderOf = [&](int which) -> QString { return levels + QLatin1Char('/') + names[which]; };
    const auto fileIn = [&](int which, const QString& extension) -> QString {
        return folderOf(which) + QLatin1Char('/') + names[which] + QLatin1Char('.') + extension;
    };
    {
        QFile info(fileIn(0, QStringLiteral("inf")));
        if (!info.open(QIODevice::WriteOnly)
            || info.write("NAME\t\t'Rename Track'\r\nFARCLIP\t\t6000\r\nFOGCOLOR\t1 2 3\r\n") <= 0)
            fail("cannot write the info file");
    }
    for (const QString& extension : std::as_const(extensions).mid(1))
        makeEmptyFile(QFile::encodeName(fileIn(0, extension)));
    if (QDir(folderOf(0)).count() != uint(fileCount) + 2)
        fail("the track folder does not hold the expected files");

    // The baseline: the same folder rename and file renames, called directly. The paths are
    // built inside the loop, as any caller would.
    const QByteArray levelsPath = QFile::encodeName(levels);
    std::vector<QByteArray> extensionBytes;
    for (const QString& extension : std::as_const(extensions))
        extensionBytes.push_back(extension.toLatin1());
    const auto renameDirectly = [&](int from) {
        const QByteArray oldName = names[from].toLatin1();
        const QByteArray newName = names[1 - from].toLatin1();
        const QByteArray newFolder = levelsPath + '/' + newName;
        const QByteArray oldFolder = levelsPath + '/' + oldName;
        if (::rename(oldFolder.constData(), newFolder.constData()) != 0)
            fail("rename(2) of the folder failed");
        char oldPath[4096];
        char newPath[4096];
        for (const QByteArray& extension : extensionBytes) {
            std::snprintf(oldPath, sizeof oldPath, "%s/%s.%s", newFolder.constData(),
                          oldName.constData(), extension.constData());
            std::snprintf(newPath, sizeof newPath, "%s/%s.%s", newFolder.constData(),
                          newName.constData(), extension.constData());
            if (::rename(oldPath, newPath) != 0)
                fail("rename(2) of a track file failed");
        }
    };

    std::vector<double> baseline, saving;
    int at = 0; // which name the folder has now
    renameDirectly(at); // warms the cache
    at = 1 - at;
    for (int i = 0; i < repetitions; ++i) {
        baseline.push_back(timeMs([&] { renameDirectly(at); }));
        at = 1 - at;

        editor.pick(folderOf(at));
        if (!editor.state.fileLoaded)
            fail("the track did not load");
        editor.typeFolderName(names[1 - at]);
        QString message;
        saving.push_back(timeMs([&] {
            message = editor.save();
            EditorHarness::settle();
        }));
        at = 1 - at;
        if (!message.contains(QStringLiteral("No Errors Encountered"))
            || !QFile::exists(fileIn(at, QStringLiteral("x1999")))
            || !QFile::exists(fileIn(at, QStringLiteral("inf")))
            || QDir(folderOf(at)).count() != uint(fileCount) + 2)
            fail("the save did not rename every file: " + message.toStdString());
    }
    const double ratio = median(saving) / median(baseline);
    table.add({"Save renaming a folder of 2,000 files", formatMs(median(saving)),
               formatMs(median(baseline)) + " rename(2)", ratio, "<= 2x", ratio <= 2, ""});
}

} // namespace bench
