// GUI tests of the options dialog, run on the real dialog offscreen. The input box is
// answered by ScriptedPrompts; the settings live in memory.
#include "app/frmOptions.h"
#include "descriptions/desc.h"
#include "save/Rename.h"
#include "settings/SqliteStore.h"

#include "QtPrinters.h"
#include "ScriptedPrompts.h"

#include <QCheckBox>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const QString descApp = QStringLiteral("Tarvex Kite2");
const QString descSection = QStringLiteral("Descriptions");
const QString renameApp = QStringLiteral("Tarvex Kite");
const QString renameSection = QStringLiteral("Renaming");
const QString extsKey = QStringLiteral("Extentions");
const QString kindKey = QStringLiteral("Rename Type");
const QString tempKey = QStringLiteral("Auto Temp Edit File");
const QString defaultExts =
    QStringLiteral("cam;fan;fin;fob;inf;lit;ncp;pan;taz;vis;tri;por;fld;rim;ace;w");
const QString builtInLabels = QStringLiteral(
    "FARCLIP;FOGCOLOR;FOGSTART;INSTANCERGBPER;MIRRORS;MODELRGBPER;MP3;NAME;REDBOOK;STARTGRID;"
    "STARTGRIDREV;STARTPOS;STARTPOSREV;STARTROT;STARTROTREV;VERTFOGEND;VERTFOGSTART;WORLDRGBPER");

// A settings store in memory whose writes can be made to fail, as a full disk would.
class FlakyStore final : public settings::Store
{
public:
    bool failing = false;

    QString read(const QString& app, const QString& section, const QString& key) const override
    {
        return m_store.read(app, section, key);
    }
    bool write(const QString& app, const QString& section, const QString& key,
               const QString& value) override
    {
        if (failing)
            return fail();
        m_error.clear();
        return m_store.write(app, section, key, value);
    }
    settings::KeyValueList readSection(const QString& app, const QString& section) const override
    {
        return m_store.readSection(app, section);
    }
    bool deleteSection(const QString& app, const QString& section) override
    {
        if (failing)
            return fail();
        m_error.clear();
        return m_store.deleteSection(app, section);
    }
    QString lastError() const override { return m_error; }

private:
    bool fail()
    {
        m_error = QStringLiteral("disk is full");
        return false;
    }
    settings::MemoryStore m_store;
    QString m_error;
};

// One run of the editor as far as the dialog is concerned: the module objects the main
// window owns, and the dialog loaded over them.
struct Session
{
    desc::Store descriptions;
    Rename::Settings rename;
    ScriptedPrompts prompts;
    QWidget mainWindow;
    std::unique_ptr<frmOptions> dialog;

    explicit Session(settings::Store& store)
    {
        dialog = std::make_unique<frmOptions>(descriptions, rename, store, prompts, &mainWindow);
    }
    ~Session() { dialog.reset(); }

    template <typename T>
    T* child(const char* name) const
    {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QTreeWidget* list() const { return child<QTreeWidget>("listviewDesc"); }
    QLineEdit* label() const { return child<QLineEdit>("txtLabel"); }
    QLineEdit* text() const { return child<QLineEdit>("txtDesc"); }
    QListWidget* exts() const { return child<QListWidget>("lstExts"); }

    void show()
    {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    void click(const char* button) const
    {
        QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton);
    }
    void clickRow(int row) const
    {
        QTreeWidgetItem* item = list()->topLevelItem(row);
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualItemRect(item).center());
    }
    void clickExtension(int row) const
    {
        QListWidgetItem* item = exts()->item(row);
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(exts()->viewport(), Qt::LeftButton, {},
                          exts()->visualItemRect(item).center());
    }
    // Replaces the field's text the way a user does: select all, then type.
    static void retype(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClicks(field, text);
    }

    QStringList rowLabels() const
    {
        QStringList labels;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            labels << list()->topLevelItem(i)->text(0);
        return labels;
    }
    int selectedRow() const
    {
        const QList<QTreeWidgetItem*> rows = list()->selectedItems();
        return rows.isEmpty() ? -1 : list()->indexOfTopLevelItem(rows.first());
    }
    QStringList storeLabels() const
    {
        QStringList labels;
        for (int i = 0; i < descriptions.count(); ++i)
            labels << descriptions.at(i).forTag;
        return labels;
    }
    QStringList extensionRows() const
    {
        QStringList rows;
        for (int i = 0; i < exts()->count(); ++i)
            rows << exts()->item(i)->text();
        return rows;
    }
    bool labelLooksInvalid() const
    {
        // Red stands out against the Description field's ordinary background.
        const QColor base = label()->palette().color(QPalette::Base);
        return base != text()->palette().color(QPalette::Base) && base.red() > base.green();
    }
};

void saveDescriptions(settings::Store& store, const QStringList& labels)
{
    for (const QString& label : labels)
        store.write(descApp, descSection, label, label.toLower() + QStringLiteral(" text"));
}

QStringList keys(const settings::KeyValueList& pairs)
{
    QStringList result;
    for (const auto& pair : pairs)
        result << pair.first;
    return result;
}

const QStringList threeLabels{QStringLiteral("FARCLIP"), QStringLiteral("FOGCOLOR"),
                              QStringLiteral("NAME")};

} // namespace

// --- Descriptions page --------------------------------------------------------------------

TEST(frmOptionsDescriptions, addTwice_appendsNew1ThenNew2AndSelectsEach)
{
    FlakyStore store;
    saveDescriptions(store, threeLabels);
    Session run(store);
    run.show();

    run.click("cmdAddDesc");
    EXPECT_EQ(run.rowLabels().last(), QStringLiteral("NEW1"));
    EXPECT_EQ(run.selectedRow(), 3);
    EXPECT_EQ(run.label()->text(), QStringLiteral("NEW1"));
    EXPECT_EQ(run.text()->text(), QString());

    run.click("cmdAddDesc");
    EXPECT_EQ(run.rowLabels(),
              threeLabels + (QStringList{QStringLiteral("NEW1"), QStringLiteral("NEW2")}));
    EXPECT_EQ(run.storeLabels(), run.rowLabels());
    EXPECT_EQ(run.selectedRow(), 4);
    EXPECT_EQ(run.label()->text(), QStringLiteral("NEW2"));
    ASSERT_NE(run.descriptions.find(QStringLiteral("NEW2")), nullptr);
    EXPECT_EQ(run.descriptions.find(QStringLiteral("NEW2"))->tagDesc, QString());
    // Nothing reaches the settings before OK.
    EXPECT_EQ(keys(store.readSection(descApp, descSection)), threeLabels);
}

TEST(frmOptionsDescriptions, add_takesSmallestFreeNumberIgnoringCase)
{
    const struct
    {
        QStringList existing;
        QString expected;
    } cases[] = {
        {{}, QStringLiteral("NEW1")},
        {{QStringLiteral("NEW1"), QStringLiteral("NEW3")}, QStringLiteral("NEW2")},
        {{QStringLiteral("new1")}, QStringLiteral("NEW2")},
        {{QStringLiteral("NEW2")}, QStringLiteral("NEW1")},
        {{QStringLiteral("NEW1"), QStringLiteral("NEW2"), QStringLiteral("NEW10")},
         QStringLiteral("NEW3")},
        // Zero-padded or spaced labels are other labels.
        {{QStringLiteral("NEW01"), QStringLiteral("NEW 1")}, QStringLiteral("NEW1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.existing.join(QLatin1Char(',')).toStdString());
        FlakyStore store;
        saveDescriptions(store, c.existing);
        Session run(store);
        run.show();
        run.click("cmdAddDesc");
        EXPECT_EQ(run.rowLabels(), c.existing + QStringList{c.expected});
        EXPECT_EQ(run.storeLabels(), c.existing + QStringList{c.expected});
        EXPECT_EQ(run.label()->text(), c.expected);
    }
}

TEST(frmOptionsDescriptions, typedDescriptionAndLabel_reachStoreAtOnce)
{
    FlakyStore store;
    saveDescriptions(store, threeLabels);
    Session run(store);
    run.show();
    // Loading selects the first row but leaves the fields empty.
    EXPECT_EQ(run.selectedRow(), 0);
    EXPECT_EQ(run.label()->text(), QString());

    run.clickRow(1);
    EXPECT_EQ(run.label()->text(), QStringLiteral("FOGCOLOR"));
    EXPECT_EQ(run.text()->text(), QStringLiteral("fogcolor text"));

    run.text()->setFocus();
    QTest::keyClick(run.text(), Qt::Key_End);
    QTest::keyClicks(run.text(), QStringLiteral(" & more"));
    ASSERT_NE(run.descriptions.find(QStringLiteral("FOGCOLOR")), nullptr);
    EXPECT_EQ(run.descriptions.find(QStringLiteral("FOGCOLOR"))->tagDesc,
              QStringLiteral("fogcolor text & more"));
    EXPECT_EQ(run.list()->topLevelItem(1)->text(1), QStringLiteral("fogcolor text & more"));

    Session::retype(run.label(), QStringLiteral("Haze"));
    // The row keeps its place; the entry is refiled last, text and all.
    EXPECT_EQ(run.rowLabels(), (QStringList{QStringLiteral("FARCLIP"), QStringLiteral("Haze"),
                                            QStringLiteral("NAME")}));
    EXPECT_EQ(run.storeLabels(), (QStringList{QStringLiteral("FARCLIP"), QStringLiteral("NAME"),
                                              QStringLiteral("Haze")}));
    EXPECT_EQ(run.descriptions.find(QStringLiteral("FOGCOLOR")), nullptr);
    ASSERT_NE(run.descriptions.find(QStringLiteral("haze")), nullptr);
    EXPECT_EQ(run.descriptions.find(QStringLiteral("haze"))->tagDesc,
              QStringLiteral("fogcolor text & more"));
    // Further typing in the Description field goes to the relabelled entry.
    QTest::keyClicks(run.text(), QStringLiteral("!"));
    EXPECT_EQ(run.descriptions.find(QStringLiteral("Haze"))->tagDesc,
              QStringLiteral("fogcolor text & more!"));
    EXPECT_EQ(keys(store.readSection(descApp, descSection)), threeLabels);
}

TEST(frmOptionsDescriptions, keyboardMoveInList_fillsFieldsOfThatRow)
{
    FlakyStore store;
    saveDescriptions(store, threeLabels);
    Session run(store);
    run.show();
    run.clickRow(0);
    QTest::keyClick(run.list(), Qt::Key_Down);
    EXPECT_EQ(run.selectedRow(), 1);
    EXPECT_EQ(run.label()->text(), QStringLiteral("FOGCOLOR"));
    QTest::keyClicks(run.text(), QStringLiteral("X"));
    EXPECT_EQ(run.descriptions.find(QStringLiteral("FOGCOLOR"))->tagDesc,
              QStringLiteral("fogcolor textX"));
    EXPECT_EQ(run.descriptions.find(QStringLiteral("FARCLIP"))->tagDesc,
              QStringLiteral("farclip text"));
}

TEST(frmOptionsDescriptions, labelThatCannotBeFiled_turnsRedAndKeepsEntry)
{
    const struct
    {
        const char* name;
        QString typed;
    } cases[] = {
        {"empty", QString()},
        {"duplicate", QStringLiteral("name")},
        {"duplicateOtherCase", QStringLiteral("FarClip")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FlakyStore store;
        saveDescriptions(store, threeLabels);
        Session run(store);
        run.show();
        run.clickRow(1);
        Session::retype(run.label(), c.typed);

        EXPECT_TRUE(run.labelLooksInvalid());
        EXPECT_FALSE(run.label()->toolTip().isEmpty());
        EXPECT_EQ(run.label()->text(), c.typed);
        EXPECT_EQ(run.descriptions.count(), 3);
        // Filed under the last label that could be filed, and the row shows that label.
        const QString filed = run.list()->topLevelItem(1)->text(0);
        ASSERT_NE(run.descriptions.find(filed), nullptr);
        EXPECT_EQ(run.descriptions.find(filed)->tagDesc, QStringLiteral("fogcolor text"));
        EXPECT_EQ(run.descriptions.find(QStringLiteral("NAME"))->tagDesc,
                  QStringLiteral("name text"));
        EXPECT_EQ(run.descriptions.find(QStringLiteral("FARCLIP"))->tagDesc,
                  QStringLiteral("farclip text"));

        // Description edits still reach the entry while the label is held back.
        QTest::keyClicks(run.text(), QStringLiteral("+"));
        EXPECT_EQ(run.descriptions.find(filed)->tagDesc, QStringLiteral("fogcolor text+"));

        // A valid label files it again and clears the warning.
        QTest::keyClicks(run.label(), QStringLiteral("Z9"));
        const QString valid = c.typed + QStringLiteral("Z9");
        EXPECT_FALSE(run.labelLooksInvalid());
        EXPECT_EQ(run.list()->topLevelItem(1)->text(0), valid);
        ASSERT_NE(run.descriptions.find(valid), nullptr);
        EXPECT_EQ(run.descriptions.find(valid)->tagDesc, QStringLiteral("fogcolor text+"));
        EXPECT_EQ(run.descriptions.count(), 3);
    }
}

TEST(frmOptionsDescriptions, invalidLabelThenOtherRow_clearsWarning)
{
    FlakyStore store;
    saveDescriptions(store, threeLabels);
    Session run(store);
    run.show();
    run.clickRow(1);
    Session::retype(run.label(), QString());
    ASSERT_TRUE(run.labelLooksInvalid());
    run.clickRow(2);
    EXPECT_FALSE(run.labelLooksInvalid());
    EXPECT_EQ(run.label()->text(), QStringLiteral("NAME"));
    // Back on the held-back row, the field shows the label it is still filed under.
    run.clickRow(1);
    EXPECT_EQ(run.label()->text(), QStringLiteral("FOGCOLOR"));
}

TEST(frmOptionsDescriptions, ownLabelInOtherCase_isRefiled)
{
    FlakyStore store;
    saveDescriptions(store, threeLabels);
    Session run(store);
    run.show();
    run.clickRow(0);
    run.label()->setText(QStringLiteral("FarClip"));
    EXPECT_FALSE(run.labelLooksInvalid());
    EXPECT_EQ(run.rowLabels().first(), QStringLiteral("FarClip"));
    EXPECT_EQ(run.storeLabels().last(), QStringLiteral("FarClip"));
    EXPECT_EQ(run.descriptions.count(), 3);
}

TEST(frmOptionsDescriptions, delete_removesSelectedRowAndSelectsFollowingOne)
{
    const struct
    {
        const char* name;
        int row;
        QStringList rowsAfter;
        int selectedAfter;
    } cases[] = {
        {"first", 0, {QStringLiteral("FOGCOLOR"), QStringLiteral("NAME")}, 0},
        {"middle", 1, {QStringLiteral("FARCLIP"), QStringLiteral("NAME")}, 1},
        {"last", 2, {QStringLiteral("FARCLIP"), QStringLiteral("FOGCOLOR")}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FlakyStore store;
        saveDescriptions(store, threeLabels);
        Session run(store);
        run.show();
        run.clickRow(c.row);
        const QString deleted = threeLabels.at(c.row);
        run.click("cmdDel");

        EXPECT_EQ(run.rowLabels(), c.rowsAfter);
        EXPECT_EQ(run.storeLabels(), c.rowsAfter);
        EXPECT_EQ(run.selectedRow(), c.selectedAfter);
        // The fields are not refilled.
        EXPECT_EQ(run.label()->text(), deleted);
        EXPECT_EQ(run.text()->text(), deleted.toLower() + QStringLiteral(" text"));
        EXPECT_TRUE(run.prompts.informationTexts.isEmpty());
    }
}

TEST(frmOptionsDescriptions, editsWithNoRowSelected_changeNothing)
{
    FlakyStore store;
    saveDescriptions(store, threeLabels);
    Session run(store);
    run.show();
    run.clickRow(2);
    run.click("cmdDel");
    ASSERT_EQ(run.selectedRow(), -1);

    Session::retype(run.label(), QStringLiteral("FOGCOLOR"));
    QTest::keyClicks(run.text(), QStringLiteral("typed"));
    EXPECT_EQ(run.rowLabels(),
              (QStringList{QStringLiteral("FARCLIP"), QStringLiteral("FOGCOLOR")}));
    EXPECT_EQ(run.storeLabels(), run.rowLabels());
    EXPECT_EQ(run.descriptions.find(QStringLiteral("FOGCOLOR"))->tagDesc,
              QStringLiteral("fogcolor text"));
    EXPECT_EQ(run.list()->topLevelItem(1)->text(1), QStringLiteral("fogcolor text"));
    // A second Delete with nothing selected does nothing either.
    run.click("cmdDel");
    EXPECT_EQ(run.rowLabels().size(), 2);
}

TEST(frmOptionsDescriptions, deleteOnEmptyList_doesNothing)
{
    FlakyStore store;
    Session run(store);
    run.show();
    ASSERT_EQ(run.list()->topLevelItemCount(), 0);
    run.click("cmdDel");
    EXPECT_EQ(run.list()->topLevelItemCount(), 0);
    EXPECT_EQ(run.descriptions.count(), 0);
    EXPECT_TRUE(run.prompts.informationTexts.isEmpty());
    EXPECT_TRUE(run.dialog->isVisible());
}

TEST(frmOptionsDescriptions, defaultsThenCancel_usesBuiltInsButSavesNothing)
{
    FlakyStore store;
    store.write(descApp, descSection, QStringLiteral("OLD"), QStringLiteral("old text"));
    Session run(store);
    run.show();
    run.click("cmdDefaults");

    EXPECT_EQ(run.rowLabels(), builtInLabels.split(QLatin1Char(';')));
    EXPECT_EQ(run.storeLabels(), builtInLabels.split(QLatin1Char(';')));
    EXPECT_EQ(run.selectedRow(), 0);
    EXPECT_EQ(run.label()->text(), QStringLiteral("FARCLIP"));
    EXPECT_EQ(run.text()->text(), QStringLiteral("The distance you can see things."));
    EXPECT_EQ(run.descriptions.find(QStringLiteral("OLD")), nullptr);

    run.click("cmdExit");
    EXPECT_FALSE(run.dialog->isVisible());
    EXPECT_EQ(run.descriptions.count(), 18);
    EXPECT_EQ(store.readSection(descApp, descSection),
              (settings::KeyValueList{{QStringLiteral("OLD"), QStringLiteral("old text")}}));
}

TEST(frmOptionsDescriptions, defaultsThenOk_savesExactlyTheBuiltInsInOrder)
{
    FlakyStore store;
    saveDescriptions(store, {QStringLiteral("OLD"), QStringLiteral("NAME")});
    Session run(store);
    run.show();
    run.click("cmdDefaults");
    run.click("cmdOK");

    EXPECT_FALSE(run.dialog->isVisible());
    EXPECT_EQ(run.dialog->result(), QDialog::Accepted);
    const settings::KeyValueList saved = store.readSection(descApp, descSection);
    EXPECT_EQ(keys(saved), builtInLabels.split(QLatin1Char(';')));
    ASSERT_EQ(saved.size(), 18);
    EXPECT_EQ(saved.at(4).second,
              QStringLiteral("4 numbers. Type(0-1), Mix(0-1), Intensity Start(0-.5), Distance.  "
                             "Last is how far things can be from mirror to still get mirrored. "
                             "0 1 0 256 is a good mirror."));
    EXPECT_EQ(saved.at(7).second, QStringLiteral("The name of the track."));
    EXPECT_TRUE(run.prompts.informationTexts.isEmpty());
}

TEST(frmOptionsDescriptions, relabelledEntry_isListedLastAfterRestart)
{
    FlakyStore store;
    {
        Session first(store);
        first.show();
        first.click("cmdDefaults");
        Session::retype(first.label(), QStringLiteral("VIEWDIST"));
        EXPECT_EQ(first.rowLabels().first(), QStringLiteral("VIEWDIST"));
        first.click("cmdOK");
    }
    Session second(store);
    ASSERT_EQ(second.list()->topLevelItemCount(), 18);
    EXPECT_EQ(second.rowLabels().first(), QStringLiteral("FOGCOLOR"));
    EXPECT_EQ(second.rowLabels().last(), QStringLiteral("VIEWDIST"));
    EXPECT_EQ(second.list()->topLevelItem(17)->text(1),
              QStringLiteral("The distance you can see things."));
    EXPECT_EQ(second.storeLabels(), second.rowLabels());
}

TEST(frmOptionsDescriptions, enterInDescriptionField_confirmsDialog)
{
    FlakyStore store;
    saveDescriptions(store, threeLabels);
    Session run(store);
    run.show();
    run.clickRow(2);
    run.text()->setFocus();
    QTest::keyClicks(run.text(), QStringLiteral("!"));
    QTest::keyClick(run.text(), Qt::Key_Return);

    EXPECT_FALSE(run.dialog->isVisible());
    EXPECT_EQ(run.dialog->result(), QDialog::Accepted);
    EXPECT_EQ(store.read(descApp, descSection, QStringLiteral("NAME")),
              QStringLiteral("name text!"));
    EXPECT_EQ(store.read(renameApp, renameSection, extsKey), defaultExts);
}

// --- The dialog as a whole ----------------------------------------------------------------

TEST(frmOptionsDialog, closeBoxThenReopen_showsSameStateWithoutSaving)
{
    FlakyStore store;
    saveDescriptions(store, threeLabels);
    Session run(store);
    run.show();
    run.clickRow(1);
    QTest::keyClicks(run.text(), QStringLiteral("?"));
    run.click("optSelFrames1");
    run.clickExtension(3);
    run.child<QCheckBox>("chkAutoEditRename")->setChecked(false);

    QPointer<frmOptions> alive(run.dialog.get());
    // The window system delivers the close box as a spontaneous close event.
    QCloseEvent closeBox;
    QSpontaneKeyEvent::setSpontaneous(&closeBox);
    qApp->notify(run.dialog.get(), &closeBox);
    QCoreApplication::processEvents();

    EXPECT_FALSE(closeBox.isAccepted());

    ASSERT_FALSE(alive.isNull());
    EXPECT_FALSE(run.dialog->isVisible());
    EXPECT_EQ(run.dialog->result(), QDialog::Rejected);
    EXPECT_EQ(store.read(descApp, descSection, QStringLiteral("FOGCOLOR")),
              QStringLiteral("fogcolor text"));
    EXPECT_EQ(store.read(renameApp, renameSection, tempKey), QStringLiteral("1"));

    run.show();
    EXPECT_TRUE(run.child<QFrame>("frames1")->isVisible());
    EXPECT_FALSE(run.child<QFrame>("frames0")->isVisibleTo(run.dialog.get()));
    EXPECT_TRUE(run.child<QPushButton>("optSelFrames1")->isChecked());
    EXPECT_FALSE(run.child<QPushButton>("optSelFrames0")->isChecked());
    EXPECT_EQ(run.exts()->currentRow(), 3);
    EXPECT_FALSE(run.child<QCheckBox>("chkAutoEditRename")->isChecked());
    EXPECT_EQ(run.selectedRow(), 1);
    EXPECT_EQ(run.label()->text(), QStringLiteral("FOGCOLOR"));
    EXPECT_EQ(run.text()->text(), QStringLiteral("fogcolor text?"));
    EXPECT_EQ(run.rowLabels(), threeLabels);
}

TEST(frmOptionsDialog, closeByProgram_hidesWithoutDestroying)
{
    FlakyStore store;
    Session run(store);
    run.show();
    QPointer<frmOptions> alive(run.dialog.get());
    EXPECT_TRUE(run.dialog->close());
    QCoreApplication::processEvents();
    ASSERT_FALSE(alive.isNull());
    EXPECT_FALSE(run.dialog->isVisible());
}

TEST(frmOptionsDialog, pageButtons_showOnePageAtATime)
{
    FlakyStore store;
    Session run(store);
    run.show();
    const struct
    {
        const char* button;
        bool descriptionsShown;
    } steps[] = {{"optSelFrames1", false}, {"optSelFrames1", false}, {"optSelFrames0", true}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.button);
        run.click(step.button);
        EXPECT_EQ(run.child<QFrame>("frames0")->isVisible(), step.descriptionsShown);
        EXPECT_EQ(run.child<QFrame>("frames1")->isVisible(), !step.descriptionsShown);
        EXPECT_EQ(run.child<QPushButton>("optSelFrames0")->isChecked(), step.descriptionsShown);
        EXPECT_EQ(run.child<QPushButton>("optSelFrames1")->isChecked(), !step.descriptionsShown);
    }
}

TEST(frmOptionsDialog, showOptions_isModalAndReturnsOnOkOrEscape)
{
    const struct
    {
        const char* name;
        bool pressOk;
    } cases[] = {{"OK", true}, {"Escape", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FlakyStore store;
        saveDescriptions(store, threeLabels);
        Session run(store);
        bool wasModal = false;
        QTimer::singleShot(0, run.dialog.get(), [&] {
            wasModal = run.dialog->isVisible() && run.dialog->isModal()
                       && QApplication::activeModalWidget() == run.dialog.get();
            run.click("cmdAddDesc");
            if (c.pressOk)
                run.click("cmdOK");
            else
                QTest::keyClick(run.dialog.get(), Qt::Key_Escape);
        });
        run.dialog->showOptions();

        EXPECT_TRUE(wasModal);
        EXPECT_FALSE(run.dialog->isVisible());
        EXPECT_NE(run.descriptions.find(QStringLiteral("NEW1")), nullptr);
        const QStringList saved = keys(store.readSection(descApp, descSection));
        EXPECT_EQ(saved.contains(QStringLiteral("NEW1")), c.pressOk);
    }
}

TEST(frmOptionsDialog, saveFailure_isReportedAndDialogStaysOpen)
{
    FlakyStore store;
    saveDescriptions(store, threeLabels);
    Session run(store);
    run.show();
    run.click("cmdAddDesc");
    store.failing = true;
    run.click("cmdOK");

    ASSERT_EQ(run.prompts.informationTexts.size(), 1);
    EXPECT_TRUE(
        run.prompts.informationTexts.first().contains(QStringLiteral("could not be saved")));
    EXPECT_TRUE(run.prompts.informationTexts.first().contains(QStringLiteral("disk is full")));
    EXPECT_TRUE(run.dialog->isVisible());
    // The edit stays in use for the run.
    EXPECT_NE(run.descriptions.find(QStringLiteral("NEW1")), nullptr);

    store.failing = false;
    run.click("cmdOK");
    EXPECT_EQ(run.prompts.informationTexts.size(), 1);
    EXPECT_FALSE(run.dialog->isVisible());
    EXPECT_EQ(keys(store.readSection(descApp, descSection)),
              threeLabels + QStringList{QStringLiteral("NEW1")});
}

TEST(frmOptionsDialog, captionsAndNames_areShownAsDesigned)
{
    FlakyStore store;
    Session run(store);
    EXPECT_EQ(run.dialog->windowTitle(), QStringLiteral("Advanced Tvkite Options"));
    const struct
    {
        const char* name;
        QString caption;
    } captions[] = {
        {"optSelFrames0", QStringLiteral("Descriptions")},
        {"optSelFrames1", QStringLiteral("Renaming")},
        {"cmdOK", QStringLiteral("OK")},
        {"cmdExit", QStringLiteral("Cancel")},
        {"cmdAddDesc", QStringLiteral("Add")},
        {"cmdDel", QStringLiteral("Delete")},
        {"cmdDefaults", QStringLiteral("Defaults")},
        {"labels0", QStringLiteral("Label")},
        {"labels1", QStringLiteral("Description")},
        {"labels2", QStringLiteral("Rename Type")},
        {"renameType0", QStringLiteral("Rename all files to new folder name (Gridpack_Tool)")},
        {"renameType1", QStringLiteral("Rename only track files (Recomended)")},
        {"chkAutoEditRename",
         QStringLiteral("Auto Rename Temp Edit Mode Files (adding *.taz also renames *.ta-)")},
        {"labels3", QStringLiteral("Extentions considered track files")},
        {"cmdAddRename", QStringLiteral("Add")},
        {"cmdDelRename", QStringLiteral("Delete")},
        {"cmdDefaultsRename", QStringLiteral("Defaults")},
    };
    for (const auto& c : captions) {
        SCOPED_TRACE(c.name);
        QWidget* widget = run.child<QWidget>(c.name);
        ASSERT_NE(widget, nullptr);
        QString shown;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            shown = button->text();
            EXPECT_EQ(button->accessibleName(), c.caption);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            shown = label->text();
        }
        // A caption too long for its box may be shown on two lines.
        EXPECT_EQ(shown.remove(QLatin1Char('&')).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                  c.caption);
    }
    EXPECT_EQ(run.list()->headerItem()->text(0), QStringLiteral("Label"));
    EXPECT_EQ(run.list()->headerItem()->text(1), QStringLiteral("Description"));
    EXPECT_EQ(run.label()->accessibleName(), QStringLiteral("Label"));
    EXPECT_EQ(run.text()->accessibleName(), QStringLiteral("Description"));
    EXPECT_TRUE(run.child<QPushButton>("cmdOK")->isDefault());
    EXPECT_FALSE(run.child<QRadioButton>("renameType0")->isEnabled());
    EXPECT_EQ(run.dialog->size(), QSize(468, 534));
}

TEST(frmOptionsDialog, tabOrder_followsTheLayout)
{
    FlakyStore store;
    Session run(store);
    const QStringList expected{
        QStringLiteral("listviewDesc"),      QStringLiteral("cmdAddDesc"),
        QStringLiteral("cmdDel"),            QStringLiteral("txtLabel"),
        QStringLiteral("txtDesc"),           QStringLiteral("optSelFrames0"),
        QStringLiteral("cmdExit"),           QStringLiteral("cmdDefaults"),
        QStringLiteral("optSelFrames1"),     QStringLiteral("renameType0"),
        QStringLiteral("renameType1"),       QStringLiteral("lstExts"),
        QStringLiteral("chkAutoEditRename"), QStringLiteral("cmdAddRename"),
        QStringLiteral("cmdDelRename"),      QStringLiteral("cmdDefaultsRename"),
        QStringLiteral("cmdOK"),
    };
    QStringList chain;
    QWidget* widget = run.list();
    do {
        if (expected.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != run.list());
    EXPECT_EQ(chain, expected);
}

TEST(frmOptionsDialog, mnemonics_reachButtonsOfShownPage)
{
    FlakyStore store;
    Session run(store);
    run.show();
    run.dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(run.dialog.get()));
    // A mnemonic "clicks" with a short animation, hence the waits.
    QTest::keyClick(run.dialog.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return run.rowLabels() == QStringList{QStringLiteral("NEW1")}; }));
    // Alt+R switches to the renaming page, whose Add (Alt+A there) asks for an extension.
    QTest::keyClick(run.dialog.get(), Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return run.child<QFrame>("frames1")->isVisible(); }));
    QTest::keyClick(run.dialog.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !run.prompts.inputPrompts.isEmpty(); }));
    EXPECT_EQ(run.prompts.inputPrompts, QStringList{QStringLiteral("New extention?")});
    EXPECT_EQ(run.rowLabels(), QStringList{QStringLiteral("NEW1")});
    // Alt+L reaches the Label field through its caption.
    QTest::keyClick(run.dialog.get(), Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return run.child<QFrame>("frames0")->isVisible(); }));
    QTest::keyClick(run.dialog.get(), Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), run.label());
}

// --- Renaming page ------------------------------------------------------------------------

TEST(frmOptionsRenaming, firstStart_showsAndStoresDefaults)
{
    FlakyStore store;
    Session run(store);
    EXPECT_EQ(run.extensionRows(), defaultExts.split(QLatin1Char(';')));
    EXPECT_EQ(run.rename.trackExts, defaultExts.split(QLatin1Char(';')));
    EXPECT_TRUE(run.child<QRadioButton>("renameType1")->isChecked());
    EXPECT_TRUE(run.child<QCheckBox>("chkAutoEditRename")->isChecked());
    EXPECT_EQ(store.read(renameApp, renameSection, extsKey), defaultExts);
}

TEST(frmOptionsRenaming, addExtension_appendsAnswerAsTyped)
{
    const struct
    {
        const char* name;
        QString answer;
        QStringList rowsAfter;
    } cases[] = {
        {"alreadyListed", QStringLiteral("taz"),
         {QStringLiteral("taz"), QStringLiteral("w"), QStringLiteral("taz")}},
        {"withDotAndCapitals", QStringLiteral(".TAZ"),
         {QStringLiteral("taz"), QStringLiteral("w"), QStringLiteral(".TAZ")}},
        {"withSpaces", QStringLiteral(" ace "),
         {QStringLiteral("taz"), QStringLiteral("w"), QStringLiteral(" ace ")}},
        {"cancelled", QString(), {QStringLiteral("taz"), QStringLiteral("w")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FlakyStore store;
        store.write(renameApp, renameSection, extsKey, QStringLiteral("taz;w"));
        Session run(store);
        run.show();
        run.click("optSelFrames1");
        run.prompts.inputAnswers = QStringList{c.answer};
        run.click("cmdAddRename");

        EXPECT_EQ(run.prompts.inputPrompts, QStringList{QStringLiteral("New extention?")});
        EXPECT_EQ(run.extensionRows(), c.rowsAfter);
        EXPECT_EQ(run.rename.trackExts, c.rowsAfter);
        EXPECT_EQ(store.read(renameApp, renameSection, extsKey), QStringLiteral("taz;w"));
    }
}

TEST(frmOptionsRenaming, deleteExtension_removesFirstMatchIgnoringCase)
{
    const struct
    {
        const char* name;
        QString stored;
        int selected; // -1: none
        QStringList rowsAfter;
    } cases[] = {
        {"duplicateSelectedSecond", QStringLiteral("taz;inf;taz"), 2,
         {QStringLiteral("inf"), QStringLiteral("taz")}},
        {"otherCaseFirst", QStringLiteral("taz;inf;TAZ"), 2,
         {QStringLiteral("inf"), QStringLiteral("TAZ")}},
        {"onlyOne", QStringLiteral("w"), 0, {}},
        {"middle", QStringLiteral("cam;fan;fin"), 1,
         {QStringLiteral("cam"), QStringLiteral("fin")}},
        // Nothing selected: nothing goes, not even an empty entry.
        {"noneSelected", QStringLiteral("inf;;w"), -1,
         {QStringLiteral("inf"), QString(), QStringLiteral("w")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FlakyStore store;
        store.write(renameApp, renameSection, extsKey, c.stored);
        Session run(store);
        run.show();
        run.click("optSelFrames1");
        if (c.selected >= 0)
            run.clickExtension(c.selected);
        run.click("cmdDelRename");

        EXPECT_EQ(run.extensionRows(), c.rowsAfter);
        EXPECT_EQ(run.rename.trackExts, c.rowsAfter);
        EXPECT_EQ(store.read(renameApp, renameSection, extsKey), c.stored);
        EXPECT_TRUE(run.prompts.informationTexts.isEmpty());
    }
}

TEST(frmOptionsRenaming, defaults_restoreListAndStoredChoices)
{
    FlakyStore store;
    store.write(renameApp, renameSection, extsKey, QStringLiteral("taz"));
    store.write(renameApp, renameSection, tempKey, QStringLiteral("1"));
    Session run(store);
    run.show();
    run.click("optSelFrames1");
    run.click("chkAutoEditRename");
    ASSERT_FALSE(run.child<QCheckBox>("chkAutoEditRename")->isChecked());
    run.click("cmdDefaultsRename");

    EXPECT_EQ(run.extensionRows(), defaultExts.split(QLatin1Char(';')));
    EXPECT_EQ(run.rename.trackExts, defaultExts.split(QLatin1Char(';')));
    EXPECT_TRUE(run.child<QCheckBox>("chkAutoEditRename")->isChecked());
    // In use at once, stored only by OK.
    EXPECT_EQ(store.read(renameApp, renameSection, extsKey), QStringLiteral("taz"));
    run.click("cmdOK");
    EXPECT_EQ(store.read(renameApp, renameSection, extsKey), defaultExts);
}

TEST(frmOptionsRenaming, renameTypeAndTempOption_takeEffectOnlyOnOk)
{
    FlakyStore store;
    Session run(store);
    run.show();
    run.click("optSelFrames1");
    run.click("chkAutoEditRename");
    run.click("cmdExit");
    EXPECT_TRUE(run.rename.autoTempRename);
    EXPECT_EQ(store.read(renameApp, renameSection, tempKey), QStringLiteral("1"));

    run.show();
    EXPECT_FALSE(run.child<QCheckBox>("chkAutoEditRename")->isChecked());
    run.click("cmdOK");
    EXPECT_FALSE(run.rename.autoTempRename);
    EXPECT_EQ(store.read(renameApp, renameSection, tempKey), QStringLiteral("0"));
    EXPECT_EQ(run.rename.renameKind, 1);
    EXPECT_EQ(store.read(renameApp, renameSection, kindKey), QStringLiteral("1"));
}

TEST(frmOptionsRenaming, storedRenameTypeZero_isShownAndKeptButCannotBeChosen)
{
    FlakyStore store;
    store.write(renameApp, renameSection, kindKey, QStringLiteral("0"));
    Session run(store);
    run.show();
    run.click("optSelFrames1");
    auto* kind0 = run.child<QRadioButton>("renameType0");
    EXPECT_TRUE(kind0->isChecked());
    EXPECT_FALSE(kind0->isEnabled());
    EXPECT_EQ(run.rename.renameKind, 0);
    run.click("cmdOK");
    EXPECT_EQ(store.read(renameApp, renameSection, kindKey), QStringLiteral("0"));
    EXPECT_EQ(run.rename.renameKind, 0);

    // Choosing kind 1 is final: kind 0 cannot be clicked back.
    run.show();
    run.click("renameType1");
    run.click("renameType0");
    EXPECT_TRUE(run.child<QRadioButton>("renameType1")->isChecked());
    run.click("cmdOK");
    EXPECT_EQ(store.read(renameApp, renameSection, kindKey), QStringLiteral("1"));
    EXPECT_EQ(run.rename.renameKind, 1);
}

TEST(frmOptionsRenaming, emptiedList_comesBackAsDefaultsOnNextStart)
{
    FlakyStore store;
    store.write(renameApp, renameSection, extsKey, QStringLiteral("taz"));
    {
        Session first(store);
        first.show();
        first.click("optSelFrames1");
        first.clickExtension(0);
        first.click("cmdDelRename");
        ASSERT_TRUE(first.extensionRows().isEmpty());
        first.click("cmdOK");
        EXPECT_EQ(store.read(renameApp, renameSection, extsKey), QString());
    }
    Session second(store);
    EXPECT_EQ(second.extensionRows(), defaultExts.split(QLatin1Char(';')));
    EXPECT_EQ(second.rename.trackExts, defaultExts.split(QLatin1Char(';')));
}

TEST(frmOptionsRenaming, addThenCancel_inUseButMissingAfterRestart)
{
    FlakyStore store;
    store.write(renameApp, renameSection, extsKey, QStringLiteral("taz"));
    {
        Session first(store);
        first.show();
        first.click("optSelFrames1");
        first.prompts.inputAnswers = QStringList{QStringLiteral("pan")};
        first.click("cmdAddRename");
        first.click("cmdExit");
        EXPECT_EQ(first.rename.trackExts,
                  (QStringList{QStringLiteral("taz"), QStringLiteral("pan")}));
    }
    Session second(store);
    EXPECT_EQ(second.rename.trackExts, QStringList{QStringLiteral("taz")});
}

// --- Screenshots --------------------------------------------------------------------------

// Writes options-descriptions.png and options-renaming.png into $KITE_SCREENSHOT_DIR; run
// under a real window system (xvfb-run) so the fonts are the ones users see.
TEST(frmOptionsScreenshots, bothPages)
{
    const QString folder = qEnvironmentVariable("KITE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set KITE_SCREENSHOT_DIR to write the screenshots";
    FlakyStore store;
    Session run(store);
    run.show();
    run.click("cmdDefaults");
    run.clickRow(4);
    const QDir target(folder);
    ASSERT_TRUE(
        run.dialog->grab().save(target.filePath(QStringLiteral("options-descriptions.png"))));
    run.click("optSelFrames1");
    run.clickExtension(8);
    ASSERT_TRUE(run.dialog->grab().save(target.filePath(QStringLiteral("options-renaming.png"))));
}
