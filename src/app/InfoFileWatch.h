#ifndef KITE_APP_INFOFILEWATCH_H
#define KITE_APP_INFOFILEWATCH_H

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

// Tells when the loaded info file may have been changed by another program. The file is
// watched, and its folder too, where a file that was deleted and written anew reappears.
// Reports come a moment after the last change of a burst, so a file that is being written is
// looked at once it is whole; whether it really changed is for the window to find out.
class InfoFileWatch final : public QObject
{
    Q_OBJECT
public:
    explicit InfoFileWatch(QObject* parent);
    ~InfoFileWatch() override;
    Q_DISABLE_COPY_MOVE(InfoFileWatch)

    // Watches this file from now on (empty text: none), dropping a report still waiting. The
    // editor's own saves and renames happen while nothing is watched.
    void watch(const QString& infoFile);
    QString watched() const { return m_file; }

Q_SIGNALS:
    void changed();

private:
    void noteChange(const QString& path);

    QFileSystemWatcher* m_watcher = nullptr; // made when a file is first watched
    QTimer* m_settle = nullptr;
    QString m_file;
};

#endif
