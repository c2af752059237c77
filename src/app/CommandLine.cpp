#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

CommandLine readCommandLine(const QStringList& arguments)
{
    if (arguments.size() <= 1)
        return {};
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the track info files of the racing game Tarvex. Given a track "
                       "folder, or the info file in it, the editor opens that track."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("track"),
                                 QStringLiteral("A track folder, or its info file "
                                                "<folder>/<folder>.inf."),
                                 QStringLiteral("[FOLDER | FILE.inf]"));
    parser.process(arguments); // --help, --version and unknown options end the program here
    const QStringList paths = parser.positionalArguments();
    if (paths.size() > 1) {
        std::fputs(qPrintable(QStringLiteral("%1: one track at a time, please.\n\n%2")
                                  .arg(QFileInfo(arguments.first()).fileName(),
                                       parser.helpText())),
                   stderr);
        std::exit(1);
    }
    CommandLine result;
    if (!paths.isEmpty())
        result.trackFolder = trackFolderFor(paths.first(), &result.problem);
    return result;
}

QString trackFolderFor(const QString& path, QString* problem)
{
    const QFileInfo given(QDir::current(), path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!given.exists()) {
        *problem = QStringLiteral("\"%1\" does not exist, so no track was opened from the "
                                  "command line.")
                       .arg(shown);
        return {};
    }
    if (given.isDir())
        return QDir::cleanPath(given.absoluteFilePath());
    // A file opens its track only when it is that track's info file.
    const QString folder = QDir::cleanPath(given.absolutePath());
    const QString folderName = QFileInfo(folder).fileName();
    if (given.fileName() != folderName + QStringLiteral(".inf")) {
        *problem = QStringLiteral("\"%1\" is not a track's info file, so no track was opened "
                                  "from the command line. A track folder holds its info file "
                                  "under the folder's own name: %2/%2.inf.")
                       .arg(shown, folderName.isEmpty() ? QStringLiteral("track") : folderName);
        return {};
    }
    return folder;
}
