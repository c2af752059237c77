#ifndef KITE_TESTS_APP_GUITEST_H
#define KITE_TESTS_APP_GUITEST_H

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Failure messages show texts, not bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }
template <typename A, typename B>
void PrintTo(const QStringBuilder<A, B>& text, std::ostream* out) { PrintTo(QString(text), out); }

template <typename T = QWidget>
T* child(const QObject* parent, const QString& name)
{
    T* found = parent->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

inline QStringList columnTexts(const QAbstractItemView* view, int column = 0)
{
    QStringList texts;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        texts.append(view->model()->index(row, column).data().toString());
    return texts;
}

// A click on a row of a list or tree; `twice`: a double-click as the window system sends it.
inline void clickRow(QAbstractItemView* view, int row, bool twice = false)
{
    view->scrollTo(view->model()->index(row, 0));
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

// Select all, then type (or delete).
inline void retype(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text.isEmpty() ? u"\b"_s : text);
}

#endif
