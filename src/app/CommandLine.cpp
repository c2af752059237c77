#include "app/CommandLine.h"

#include "util/fso.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>

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

QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(fso::decodeName(argv[i]));
    return arguments;
}

// Paths are handled as the file system's bytes (fso), so a track folder whose name is not
// UTF-8 opens from the command line as from the folder browser.
QString trackFolderFor(const QString& path, QString* problem)
{
    const QString absolute = QDir::cleanPath(
        path.startsWith(QLatin1Char('/')) ? path : fso::currentFolder() + QLatin1Char('/') + path);
    const QString shown = fso::displayPath(path);
    struct stat info {};
    if (::stat(fso::encodeName(absolute).constData(), &info) != 0) {
        *problem = QStringLiteral("\"%1\" does not exist, so no track was opened from the "
                                  "command line.")
                       .arg(shown);
        return {};
    }
    if (S_ISDIR(info.st_mode))
        return absolute;
    // A file opens its track only when it is that track's info file.
    const qsizetype slash = absolute.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash <= 0 ? QStringLiteral("/") : absolute.left(slash);
    const QString fileName = absolute.mid(slash + 1);
    const QString folderName = folder.mid(folder.lastIndexOf(QLatin1Char('/')) + 1);
    if (fileName != folderName + QStringLiteral(".inf")) {
        *problem = QStringLiteral("\"%1\" is not a track's info file, so no track was opened "
                                  "from the command line. A track folder holds its info file "
                                  "under the folder's own name: %2/%2.inf.")
                       .arg(shown, folderName.isEmpty() ? QStringLiteral("track")
                                                        : fso::displayPath(folderName));
        return {};
    }
    return folder;
}
