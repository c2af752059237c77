#include "support/TempTrack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempLevels::TempLevels() = default;

QString TempLevels::makeFolder(const QString& name) const
{
    const QString folder = path() + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    return folder;
}

QString TempLevels::writeFile(const QString& relativePath, const QByteArray& bytes) const
{
    const QString file = path() + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(bytes);
    return file;
}

QString TempLevels::makeTrack(const QString& name, const QByteArray& infBytes) const
{
    const QString folder = makeFolder(name);
    QFile out(folder + QLatin1Char('/') + name + QStringLiteral(".inf"));
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(infBytes);
    return folder;
}

QStringList TempLevels::entries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                   | QDir::NoDotAndDotDot,
                                               QDir::Name);
    return names;
}

QByteArray TempLevels::readAll(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return in.readAll();
}

QByteArray crlfLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += line.toLatin1() + "\r\n";
    return out;
}
