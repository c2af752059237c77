#include "EditorHarness.h"

#include "app/folderBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace bench {

namespace {

template <typename Widget>
Widget* child(QWidget& window, const char* name)
{
    auto* widget = window.findChild<Widget*>(QLatin1String(name));
    if (!widget)
        fail(std::string("the main window has no ") + name);
    return widget;
}

} // namespace

EditorHarness::EditorHarness(const QString& levels, settings::Store* settings)
{
    settings::Store& used = settings ? *settings : store;
    used.write(QStringLiteral("Tarvex Kite"), QStringLiteral("Current"), QStringLiteral("Folder"),
               levels);
    m_window = std::make_unique<frmMain>(state, descriptions, rename, used, prompts);
    m_window->Form_Load();
    m_window->activateWindow(); // its keyboard shortcuts work in the active window
    if (!QTest::qWaitForWindowActive(m_window.get()))
        fail("the main window did not become active");
    m_folders = child<folderBox>(*m_window, "fbMain");
    m_save = child<QPushButton>(*m_window, "cmdSave");
    m_folderName = child<QLineEdit>(*m_window, "txtFolder");
    settle();
}

EditorHarness::~EditorHarness() = default;

void EditorHarness::pick(const QString& folder)
{
    m_folders->selectedItem = folder;
    Q_EMIT m_folders->pathChange();
}

void EditorHarness::typeFolderName(const QString& name)
{
    m_folderName->setText(name);
}

QString EditorHarness::save()
{
    prompts.messages.clear();
    m_save->click();
    return prompts.messages.isEmpty() ? QString() : prompts.messages.last();
}

void EditorHarness::showAttributes()
{
    showPage(3);
}

void EditorHarness::showPage(int index)
{
    child<QPushButton>(*m_window, ("optFrames" + std::to_string(index)).c_str())->click();
    settle();
    // The list's view is made when its page is first shown.
    if (index == 3)
        m_list = child<QAbstractItemView>(*m_window, "listviewAttr");
}

int EditorHarness::attributeRows() const
{
    return m_list ? m_list->model()->rowCount() : -1;
}

QString EditorHarness::rowValue(int row) const
{
    return m_list ? m_list->model()->index(row, 0).data().toString() : QString();
}

void EditorHarness::editInPlace(int row, const QString& value)
{
    const QModelIndex cell = m_list->model()->index(row, 0);
    m_list->setCurrentIndex(cell);
    m_list->edit(cell);
    auto* field = m_list->viewport()->findChild<QLineEdit*>();
    if (!field)
        fail("no in-place editor opened on row " + std::to_string(row));
    field->setText(value);
    QTest::keyClick(field, Qt::Key_Return);
    settle(); // Enter commits once the event loop runs, and the editor goes
    settle();
}

void EditorHarness::undo()
{
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get(),
                    Qt::Key_Z, Qt::ControlModifier);
}

void EditorHarness::redo()
{
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get(),
                    Qt::Key_Y, Qt::ControlModifier);
}

void EditorHarness::settle()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

} // namespace bench
