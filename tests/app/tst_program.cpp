// The program as a whole: its command line, and its real message boxes answered from a timer.
#include "GuiTest.h"
#include "app/CommandLine.h"
#include "app/Prompts.h"
#include "util/fso.h"

#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>

#include <sys/stat.h>

namespace {

// A path that does not exist is reported on standard error, and the editor starts all the same.
TEST(CommandLineTest, versionHelpAndAMissingPath)
{
    QTemporaryDir settings;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment(); // offscreen too
    environment.insert(u"XDG_CONFIG_HOME"_s, settings.path());
    const auto run = [&](const QStringList& arguments, QProcess& program) {
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(KITE_PROGRAM), arguments);
        return program.waitForStarted();
    };
    QProcess version, help, missing;
    ASSERT_TRUE(run({u"--version"_s}, version) && version.waitForFinished());
    EXPECT_EQ(version.readAllStandardOutput().trimmed(), "Tarvex Kite 2.0.0");
    ASSERT_TRUE(run({u"--help"_s}, help) && help.waitForFinished());
    EXPECT_TRUE(help.readAllStandardOutput().contains("[FOLDER | FILE.inf]"));
    EXPECT_EQ(help.exitCode() + version.exitCode(), 0);
    ASSERT_TRUE(run({settings.path() + u"/gone"_s}, missing));
    QByteArray said;
    for (int i = 0; i < 50 && !said.contains('\n'); ++i) {
        missing.waitForReadyRead(200);
        said += missing.readAllStandardError();
    }
    EXPECT_TRUE(said.contains("/gone\" does not exist")) << said.toStdString();
    EXPECT_FALSE(missing.waitForFinished(500)); // the editor runs, its message box open
    missing.kill();
    missing.waitForFinished();
}

// Bytes that are not UTF-8 (as archives made on Windows name folders) are kept; messages read.
TEST(CommandLineTest, trackNamedInBytesThatAreNotUtf8_isFoundByItsBytes)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/Caf\xE9";
    const QByteArray infoFile = folder + "/Caf\xE9.inf";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    ASSERT_TRUE(std::ofstream(infoFile.constData()) << "NAME Toy\r\n");
    std::error_code ignored; // QDir cannot reach such names to remove them
    const auto removed = qScopeGuard([&] { std::filesystem::remove_all(folder.data(), ignored); });
    QByteArray program("tarvex-kite"), given(infoFile);
    char* argv[] = {program.data(), given.data()};
    const QStringList arguments = argumentsOf(2, argv);
    ASSERT_EQ(arguments.size(), 2);
    QString problem;
    EXPECT_EQ(fso::encodeName(trackFolderFor(arguments.at(1), &problem)), folder);
    EXPECT_EQ(problem, QString());
    const QByteArray missing = folder + "/gone\xE9";
    EXPECT_EQ(trackFolderFor(fso::decodeName(missing), &problem), QString());
    EXPECT_TRUE(problem.contains(u"/Caf\u00e9/gone\u00e9\" does not exist"_s))
        << problem.toStdString();
}

// Each shows its whole text, a long path wrapped within the box; Escape is Cancel.
TEST(QtPromptsTest, realMessageBoxes_showTheWholeTextWrapped_escapeCancels)
{
    const QString folder = QDir::tempPath() + u"/levels/"_s + QString(250, u'n') + u"/"_s
        + QString(60, u'x');
    const QString save = u"Saved changes to '"_s + folder + u"/x.inf'\rRenamed folder 'a' to 'b'"
                         u"\r\n\r\nNo Errors Encountered"_s;
    const QString access = u"Error accessing "_s + folder + u"\r\rError 2\rNo such file"_s;
    const QString question = u"Save changes to '/t/t.inf'?"_s, changed = u"'/t/t.inf' changed"_s;
    QtPrompts real;
    const struct { QString text, buttons; std::function<int()> ask; int answer; } cases[]{
        {save, u"OK"_s, [&] { real.information(nullptr, save); return 0; }, 0},
        {access, u"Cancel,Retry"_s, [&] { return int(real.retryOrCancel(nullptr, access)); }, 1},
        {question, u"&Discard,&Save,Cancel"_s,
         [&] { return int(real.saveDiscardOrCancel(nullptr, question)); },
         int(Prompts::SaveChoice::Cancel)},
        {changed, u"&Overwrite,Cancel"_s,
         [&] { return int(real.overwriteOrCancel(nullptr, changed)); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buttons.toStdString());
        QString shown;
        QTimer poll; // looks for the box once it is open, measures it and answers it
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll.stop();
            auto* label = box->findChild<QLabel*>(u"qt_msgbox_label"_s);
            QStringList buttons;
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            buttons.sort();
            shown = box->windowTitle() + u'|' + label->text() + u'|' + buttons.join(u',');
            const int room = label->contentsRect().width(); // the text as it wraps there
            const QRect laid = label->fontMetrics().boundingRect(QRect(0, 0, room, 1 << 20),
                                                                 Qt::TextWordWrap, label->text());
            EXPECT_TRUE(room > 0 && laid.width() <= room && laid.height() <= label->height()
                        && box->frameGeometry().width()
                               <= box->screen()->availableGeometry().width());
            if (box->button(QMessageBox::Retry))
                box->button(QMessageBox::Retry)->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        poll.start(10);
        EXPECT_EQ(c.ask(), c.answer);
        QString text = c.text;
        text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
        EXPECT_EQ(shown.remove(QChar(0x200B)), u"Tarvex Kite|"_s + text + u'|' + c.buttons);
    }
}

} // namespace
