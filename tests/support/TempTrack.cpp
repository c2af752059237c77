#include "support/TempTrack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <dirent.h>

TempLevels::TempLevels() = default;

TempLevels::~TempLevels()
{
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(path()).toStdString(), ignored);
}

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

bool writeAt(const QByteArray& path, const QByteArray& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    return bool(out.write(bytes.constData(), bytes.size()));
}

QByteArray readAt(const QByteArray& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
}

QList<QByteArray> bytesIn(const QByteArray& folder)
{
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (qstrcmp(entry->d_name, ".") && qstrcmp(entry->d_name, ".."))
                names << entry->d_name;
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}
