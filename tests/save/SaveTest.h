#ifndef KITE_TESTS_SAVETEST_H
#define KITE_TESTS_SAVETEST_H

#include "save/Rename.h"
#include "save/SaveFakes.h"
#include "support/TempTrack.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

// Failure messages show texts, not bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

inline QString s(const char* latin1, int size = -1) { return QString::fromLatin1(latin1, size); }
inline QStringList words(const char* spaced) { return s(spaced).split(u' ', Qt::SkipEmptyParts); }
inline int chmodPath(const QString& path, int mode)
{
    return ::chmod(qPrintable(path), mode_t(mode));
}

inline const QByteArray headerBlock = ";----------------------------\r\n; Tarvex .INF file "
                                      "structure\r\n;----------------------------\r\n\r\n";
inline const QString saved = s("Saved changes to '"), noErrors = s("\r\n\r\nNo Errors Encountered"),
                     errorsFollow = s("\r\n\r\nErrors encountered:\r\n");

// A track saved as the Save button saves it, each case in its own place in the levels folder.
struct SaveTest : ::testing::Test
{
    TempLevels levels;
    QString sub; // this case's place in the levels folder, ending with "/"
    edit::State state;
    FakeFolders folders;
    RecordingView view{folders};
    Rename::Settings rename{Rename::defaultExtensions.split(u';'), 1, true};

    QString in(const QString& path) const { return levels.path() + u'/' + sub + path; }
    // Makes <name>/<name>.inf, picks the folder as the user does and types a track name.
    QString pick(const QString& name, const QByteArray& bytes, const char* typed)
    {
        levels.writeFile(sub + name + u'/' + name + s(".inf"), bytes);
        folders.selected = folders.open = in(name);
        EXPECT_EQ(edit::loadTrack(state, view, in(name)), QString());
        edit::setTagValue(state, view, s("name"), QString::fromUtf8(typed));
        return in(name);
    }
    edit::SaveResult save(const QString& newName) // records the folders opened by this save
    {
        folders.openRequests.clear();
        return edit::saveTrack(state, view, folders, rename, in(QString()), newName);
    }
};

#endif
