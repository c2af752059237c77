// Path helpers: separator handling and the attribute-aware existence test.
#include "util/fso.h"

#include "support/TempTrack.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(fso, separator_isTheSlash)
{
    EXPECT_EQ(fso::separator(), QStringLiteral("/"));
}

TEST(fso, fixPath_normalisesTrailingSeparatorsAndMarksFolders)
{
    struct Case
    {
        const char* path;
        bool addSeparator;
        const char* expected;
    };
    const Case cases[] = {
        {"/a/b//", true, "/a/b/"},
        {"/a/b", true, "/a/b/"},
        {"/", true, "/"},
        {"", true, "/"},
        {"/a/x.inf", true, "/a/x.inf"},
        {"/old.set/track", true, "/old.set/track"}, // any dot: taken for a file path
        {"/a/b/", false, "/a/b"},
        {"/a/b///", false, "/a/b"},
        {"/", false, ""},
        {"", false, ""},
        {"a\\b\\", false, "a\\b\\"}, // backslashes are ordinary characters
        {"a\\b", true, "a\\b/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.addSeparator ? " +sep" : ""));
        EXPECT_EQ(fso::fixPath(QString::fromLatin1(c.path), c.addSeparator),
                  QString::fromLatin1(c.expected));
    }
}

class PathExists : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(levels.isValid());
        root = levels.path();
        levels.writeFile(QStringLiteral("plain.inf"), "x");
        levels.writeFile(QStringLiteral(".hidden.inf"), "x");
        levels.writeFile(QStringLiteral("readonly.inf"), "x");
        QFile::setPermissions(root + QStringLiteral("/readonly.inf"),
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        levels.writeFile(QStringLiteral("star*.inf"), "x");
        levels.makeFolder(QStringLiteral("track"));
        levels.makeFolder(QStringLiteral(".hiddenTrack"));
        levels.makeFolder(QStringLiteral("old.set/track"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(root + QStringLiteral("/pipe.inf")).constData(), 0644),
                  0);
        QFile::link(root + QStringLiteral("/plain.inf"), root + QStringLiteral("/link.inf"));
        QFile::link(root + QStringLiteral("/missing.inf"), root + QStringLiteral("/dangling.inf"));
    }

    bool exists(const QString& relative, int attributes) const
    {
        QString path = root + QLatin1Char('/') + relative;
        return fso::pathExists(path, attributes);
    }

    TempLevels levels;
    QString root;
};

TEST_F(PathExists, maskSelectsTheKindsOfEntryThatCount)
{
    struct Case
    {
        const char* entry;
        int attributes;
        bool expected;
    };
    const Case cases[] = {
        {"plain.inf", 0, true},
        {"plain.inf", fso::attrDirectory, false},
        {"plain.inf", fso::attrHidden, false}, // found, but lacks the hidden bit
        {"plain.inf", fso::attrArchive, true},
        {"link.inf", 0, true}, // a link to a file is taken for the file
        {"dangling.inf", 0, false},
        {"dangling.inf", fso::attrSystem, false},
        {".hidden.inf", 0, false},
        {".hidden.inf", fso::attrHidden, true},
        {"readonly.inf", 0, true},
        {"readonly.inf", fso::attrReadOnly, true},
        {"plain.inf", fso::attrReadOnly, false},
        {"track", 0, false},
        {"track", fso::attrDirectory, true},
        {"track/", fso::attrDirectory, true},
        {"track//", fso::attrDirectory, true},
        {".hiddenTrack", fso::attrDirectory, false},
        {".hiddenTrack", fso::attrDirectory | fso::attrHidden, true},
        {"old.set/track", fso::attrDirectory, true},
        {"pipe.inf", 0, false},
        {"pipe.inf", fso::attrSystem, true},
        {"missing.inf", 0, false},
        {"missing", fso::attrDirectory, false},
        {"star*.inf", 0, false}, // wildcards never exist, even as a literal name
        {"plai?.inf", 0, false},
        {"*", fso::attrDirectory, false},
        {"plain.inf/x.inf", 0, false}, // a file used as a folder
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " mask " + std::to_string(c.attributes));
        EXPECT_EQ(exists(QString::fromLatin1(c.entry), c.attributes), c.expected);
    }
}

TEST_F(PathExists, argumentIsReplacedByTheFixedPath)
{
    QString path = root + QStringLiteral("/track//");
    EXPECT_TRUE(fso::pathExists(path, fso::attrDirectory));
    EXPECT_EQ(path, root + QStringLiteral("/track/"));

    QString file = root + QStringLiteral("/plain.inf");
    EXPECT_TRUE(fso::pathExists(file, 0));
    EXPECT_EQ(file, root + QStringLiteral("/plain.inf"));
}

TEST_F(PathExists, unusablePathsAreFalse)
{
    QString withNul = root + QStringLiteral("/plain.inf");
    withNul.append(QChar(0));
    withNul.append(QStringLiteral("junk"));
    EXPECT_FALSE(fso::pathExists(withNul, 0)) << "a NUL must not cut the name short";

    QString empty;
    EXPECT_FALSE(fso::pathExists(empty, 0));

    QString veryLong
        = root + QLatin1Char('/') + QString(5000, QLatin1Char('a')) + QStringLiteral(".inf");
    EXPECT_FALSE(fso::pathExists(veryLong, 0));
}

} // namespace
