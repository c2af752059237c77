// The settings store: order, case, persistence, writers at once or killed, foreign files.
#include "settings/SqliteStore.h"
#include "support/TempTrack.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

using namespace settings;
using namespace Qt::StringLiterals;

namespace {

const QString app = u"Tarvex Kite"_s, cur = u"Current"_s, folder = u"Folder"_s;

TEST(Store, orderCaseAndMissingEntries_alikeInEveryStore)
{
    TempLevels dir;
    MemoryStore memory;
    SqliteStore inMemory(u":memory:"_s), file(dir.path() + u"/settings.sqlite"_s);
    const QString s = u"Descriptions"_s, quoted = u"O'Brien \"; DROP TABLE settings; --"_s;
    for (Store* store : std::initializer_list<Store*>{&memory, &inMemory, &file}) {
        SCOPED_TRACE(store == &memory ? "memory" : store == &inMemory ? ":memory:" : "file");
        for (const char* key : {"ZULU", "alpha", "Mike", "bravo"})
            ASSERT_TRUE(store->write(app, s, QLatin1String(key), QLatin1String(key) + u"-1"_s));
        // Rewrites keep their place, also when names are spelled in another case.
        ASSERT_TRUE(store->write(app, s, u"alpha"_s, u"a-2"_s));
        ASSERT_TRUE(store->write(u"TARVEX KITE"_s, u"descriptions"_s, u"ZULU"_s, quoted));
        ASSERT_TRUE(store->write(app, s, u"MIKE"_s, u"m-2"_s));
        QStringList seen;
        for (const auto& [key, value] : store->readSection(u"tarvex kite"_s, u"DESCRIPTIONS"_s))
            seen << key.toLower() + u'=' + value;
        EXPECT_EQ(seen, (QStringList{u"zulu="_s + quoted, u"alpha=a-2"_s, u"mike=m-2"_s,
                                     u"bravo=bravo-1"_s}));
        EXPECT_EQ(store->read(u"tarvex KITE"_s, u"DESCRIPTIONS"_s, u"zulu"_s), quoted);
        // Missing entries read empty, wildcards being plain text; deleting them is no error.
        for (const QString& missing : {u"Mik_"_s, u"Mike "_s, u"Mikes"_s})
            EXPECT_EQ(store->read(app, s, missing), QString()) << missing.toStdString();
        EXPECT_EQ(store->read(app, cur, u"Mike"_s) + store->read(u"Kite2"_s, s, u"Mike"_s), u""_s);
        EXPECT_TRUE(store->deleteSection(app, cur) && store->lastError().isEmpty());
    }
}

// Replacing a section gives exactly the pairs given, in their order, whatever the section held
// (the file keeps the rows that stay and writes only the others).
TEST(Store, replaceSection_givesThePairsInTheirOrder_whateverTheSectionHeld)
{
    // "K=v" items, split.
    const auto list = [](const QString& items) {
        KeyValueList pairs;
        for (const QString& item : items.split(u' ', Qt::SkipEmptyParts))
            pairs.append({item.section(u'=', 0, 0), item.section(u'=', 1)});
        return pairs;
    };
    const KeyValueList held = list(u"A=1 B=2 C=3 D=4"_s);
    const struct { const char* name; KeyValueList pairs, read; } cases[] = {
        {"unchanged", held, held},
        {"valueChanged", list(u"A=1 B=two C=3 D=4"_s), {}},
        {"removedAndAdded", list(u"A=1 C=3 D=4 E=5"_s), {}},
        {"relabelledGoesLast", list(u"B=2 C=3 D=4 a=1"_s), {}},
        {"reversed", list(u"D=4 C=3 B=2 A=1"_s), {}},
        {"emptied", {}, {}},
        {"keysEqualButForCase", list(u"B=x b=y a=z A=w"_s), list(u"B=y a=w"_s)},
    };
    TempLevels dir;
    MemoryStore memory;
    SqliteStore file(dir.path() + u"/settings.sqlite"_s);
    for (Store* store : std::initializer_list<Store*>{&memory, &file}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(store == &memory ? "memory " : "file ") + c.name);
            ASSERT_TRUE(store->replaceSection(app, u"Descriptions"_s, held)
                        && store->write(app, u"Other"_s, u"A"_s, u"kept"_s));
            ASSERT_TRUE(store->replaceSection(u"TARVEX KITE"_s, u"descriptions"_s, c.pairs));
            EXPECT_EQ(store->readSection(app, u"Descriptions"_s),
                      c.read.isEmpty() ? c.pairs : c.read);
            EXPECT_EQ(store->readSection(app, u"Other"_s), (KeyValueList{{u"A"_s, u"kept"_s}}));
        }
    }
}

// Three processes create the store and write at once, each round a key of "Shared" and then a
// whole generation of "Batch <tag>"; the third goes on until killed. What is proved is that every
// write lands whole, not how fast: a writer may wait longer for the others than the editor would.
TEST(SqliteStore, processesWritingAtOnce_allSucceed_aKilledOneLeavesStoreConsistent)
{
    constexpr int batchSize = 100, rounds = 150;
    TempLevels dir;
    const QString path = dir.path() + u"/settings.sqlite"_s;
    const QString tags[3] = {u"a"_s, u"b"_s, u"killed"_s};
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    pid_t children[3];
    for (int c = 0; c < 3; ++c) {
        if ((children[c] = ::fork()) != 0)
            continue;
        char byte;
        ::close(go[1]);
        bool written = ::read(go[0], &byte, 1) == 0; // all start when the pipe closes
        SqliteStore store(path, 120'000);
        for (int round = 0; written && round < (c < 2 ? rounds : 1 << 30); ++round) {
            const QString key = tags[c] + QString::number(round);
            KeyValueList batch;
            for (int i = 0; i < batchSize; ++i)
                batch.append({u"K%1"_s.arg(i), u"%1 %2"_s.arg(round).arg(QString(100, u'd'))});
            written = store.write(app, u"Shared"_s, key, key + u"-value"_s)
                      && store.replaceSection(app, u"Batch "_s + tags[c], batch);
        }
        if (!written)
            std::fprintf(stderr, "%s\n", qPrintable(store.lastError() + store.recoveryNotice()));
        ::_exit(written ? 0 : 1);
    }
    ::close(go[1]);
    const auto exitCode = [](pid_t pid) { // -1 when killed
        int status = 0;
        return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(exitCode(children[0]), 0);
    EXPECT_EQ(exitCode(children[1]), 0);
    ::kill(children[2], SIGKILL);
    EXPECT_EQ(exitCode(children[2]), -1);

    SqliteStore store(path);
    EXPECT_TRUE(store.recoveryNotice().isEmpty()) << store.recoveryNotice().toStdString();
    const KeyValueList shared = store.readSection(app, u"Shared"_s);
    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(tags[c].toStdString());
        QStringList own; // one writer's keys, in the order it wrote them
        for (const auto& [key, value] : shared)
            if (key.startsWith(tags[c]) && value == key + u"-value"_s)
                own << key;
        ASSERT_TRUE(c < 2 ? own.size() == rounds : own.size() > 0) << own.size();
        for (int i = 0; i < own.size(); ++i)
            EXPECT_EQ(own.at(i), tags[c] + QString::number(i));
        // The batch is one whole generation: the last written or, if killed, the one before.
        const KeyValueList batch = store.readSection(app, u"Batch "_s + tags[c]);
        ASSERT_EQ(batch.size(), batchSize);
        EXPECT_GE(batch.first().second.section(u' ', 0, 0).toInt(), own.size() - (c < 2 ? 1 : 2));
        for (int i = 0; i < batchSize; ++i)
            EXPECT_EQ(batch.at(i), (QPair{u"K%1"_s.arg(i), batch.first().second}));
    }
}

} // namespace
