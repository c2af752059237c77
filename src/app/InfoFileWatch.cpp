#include "app/InfoFileWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {

// Long enough for a program writing the file in a few pieces to finish; short enough that a
// reload looks immediate.
constexpr int settleMilliseconds = 150;

} // namespace

InfoFileWatch::InfoFileWatch(QObject* parent) : QObject(parent) { }

InfoFileWatch::~InfoFileWatch() = default;

void InfoFileWatch::watch(const QString& infoFile)
{
    if (m_settle)
        m_settle->stop();
    if (!m_watcher && infoFile.isEmpty())
        return;
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        m_settle = new QTimer(this);
        m_settle->setSingleShot(true);
        m_settle->setInterval(settleMilliseconds);
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &InfoFileWatch::noteChange);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this,
                &InfoFileWatch::noteChange);
        connect(m_settle, &QTimer::timeout, this, &InfoFileWatch::changed);
    }
    QStringList wanted;
    if (!infoFile.isEmpty())
        wanted = QStringList{infoFile, QFileInfo(infoFile).path()};
    QStringList unwanted = m_watcher->files() + m_watcher->directories();
    for (const QString& path : std::as_const(wanted))
        unwanted.removeAll(path);
    if (!unwanted.isEmpty())
        m_watcher->removePaths(unwanted);
    // A file replaced by another one (the way careful programs save) is no longer watched
    // under its name: watching the name again follows the new file. Only existing paths can
    // be watched; the folder's watch sees a missing file come back.
    QStringList missing;
    for (const QString& path : std::as_const(wanted)) {
        if (!m_watcher->files().contains(path) && !m_watcher->directories().contains(path)
            && QFileInfo::exists(path))
            missing.append(path);
    }
    if (!missing.isEmpty())
        m_watcher->addPaths(missing);
    m_file = infoFile;
}

void InfoFileWatch::noteChange(const QString&)
{
    if (!m_file.isEmpty())
        m_settle->start();
}
