#ifndef KITE_TESTS_APP_GUITEST_H
#define KITE_TESTS_APP_GUITEST_H

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPalette>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

// A close request from the window system, as the close box sends it; true when it closed.
inline bool closeBox(QWidget* window)
{
    QCloseEvent request;
    QSpontaneKeyEvent::setSpontaneous(&request);
    qApp->notify(window, &request);
    return request.isAccepted();
}

// The objectNames Tab moves the keyboard focus to, from where it is until `last`.
inline QString tabOrder(const QString& last)
{
    QStringList order;
    while (order.size() < 30 && (order.isEmpty() || order.last() != last)) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    return order.join(u' ');
}

// A long text as lists and labels show it: its first thousand characters and its length.
inline bool shortened(const QString& shown, const QString& whole)
{
    return shown.startsWith(whole.left(1000)) && shown.size() < 1100
           && shown.contains(QLocale().toString(whole.size()));
}

// Contrast as the web's accessibility guidelines measure it: text wants 4.5, large text 3.
inline double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF())
            + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The strongest contrast in `area` of a widget against the area's most common colour.
inline double inkContrast(QWidget* widget, QRect area = {})
{
    const QImage image = widget->grab().toImage();
    area = (area.isNull() ? widget->rect() : area) & image.rect();
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    const QRgb background = std::max_element(counts.cbegin(), counts.cend()).key();
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrast(QColor(it.key()), QColor(background)));
    return best;
}

// A dark desktop for the time of a test: the Fusion style with a dark palette.
class DarkDesktop
{
public:
    DarkDesktop() : m_style(QApplication::style()->name()), m_palette(QApplication::palette())
    {
        using P = QPalette;
        const std::pair<P::ColorRole, QRgb> colours[]{
            {P::Window, 0x353535}, {P::WindowText, 0xe6e6e6}, {P::Base, 0x232323},
            {P::AlternateBase, 0x353535}, {P::ToolTipBase, 0x191919}, {P::ToolTipText, 0xe6e6e6},
            {P::Text, 0xe6e6e6}, {P::Button, 0x353535}, {P::ButtonText, 0xe6e6e6},
            {P::BrightText, 0xff5050}, {P::Light, 0x505050}, {P::Midlight, 0x424242},
            {P::Dark, 0x191919}, {P::Mid, 0x282828}, {P::Shadow, 0x0a0a0a},
            {P::Highlight, 0x2a82da}, {P::HighlightedText, 0xffffff}, {P::Link, 0x5aa0f0},
            {P::PlaceholderText, 0x808080}};
        QPalette dark;
        for (const auto& [role, rgb] : colours)
            dark.setColor(role, QColor(rgb));
        for (const P::ColorRole role : {P::WindowText, P::Text, P::ButtonText})
            dark.setColor(P::Disabled, role, QColor(0x808080));
        QApplication::setStyle(u"Fusion"_s);
        QApplication::setPalette(dark);
    }
    ~DarkDesktop()
    {
        QApplication::setStyle(m_style);
        QApplication::setPalette(m_palette);
    }
    Q_DISABLE_COPY_MOVE(DarkDesktop)

private:
    QString m_style;
    QPalette m_palette;
};

#endif
