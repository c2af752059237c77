#ifndef KITE_TESTS_SAVETEST_H
#define KITE_TESTS_SAVETEST_H

#include "save/Rename.h"
#include "save/SaveFakes.h"
#include "support/TempTrack.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Failure messages show texts, not bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

inline QString s(const char* latin1, int size = -1) { return QString::fromLatin1(latin1, size); }
inline QStringList words(const char* spaced) { return s(spaced).split(u' ', Qt::SkipEmptyParts); }

// Gives this process's system call nr the action when its argument arg matches value (jump:
// BPF_JEQ, or BPF_JSET for any of its bits). Returns what seccomp() does: with
// SECCOMP_FILTER_FLAG_NEW_LISTENER among the flags, the listener's descriptor; -1 on failure.
inline long filterSystemCall(int nr, int arg, __u16 jump, __u32 value, __u32 action,
                             unsigned flags = 0)
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __u32(nr), 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, __u32(offsetof(seccomp_data, args) + 8 * arg)),
        BPF_JUMP(BPF_JMP | jump | BPF_K, value, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, action),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{sizeof filter / sizeof filter[0], filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0
               ? ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, flags, &program)
               : -1;
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
