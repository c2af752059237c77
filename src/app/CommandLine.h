#ifndef KITE_APP_COMMANDLINE_H
#define KITE_APP_COMMANDLINE_H

#include <QString>
#include <QStringList>

// What the command line asks of the editor: `tarvex-kite [FOLDER | FILE.inf]` opens that track
// instead of the folder remembered from the last run. --help and --version print and end the
// program.
struct CommandLine
{
    QString trackFolder; // the track folder to open; empty for the usual start
    QString problem;     // why the path given cannot be opened; empty when there is none
};

// Reads the program's arguments (the program name first). Without any it does nothing else,
// so a plain start costs nothing here. --help, --version and a wrong use print and end the
// program, as command-line tools do.
CommandLine readCommandLine(const QStringList& arguments);

// The program's arguments as the file system's bytes read as paths (fso::decodeName), where
// QCoreApplication::arguments() would lose the bytes of a name that is not UTF-8.
QStringList argumentsOf(int argc, char** argv);

// The track folder a path given on the command line names: a folder, or the info file in
// one (`<folder>/<folder>.inf`). Relative paths are taken from the working folder. Sets
// `problem` and returns empty text when the path names no track folder.
QString trackFolderFor(const QString& path, QString* problem);

#endif
