#ifndef KITE_TESTS_APP_GUITEST_H
#define KITE_TESTS_APP_GUITEST_H

#include <QApplication>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QPalette>
#include <QStyle>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTreeWidget>

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

// The contrast of two colours as the web's accessibility guidelines measure it: 1 (none) to
// 21 (black on white); body text wants 4.5, large text and marks 3.
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

// How well what is drawn in `area` of a widget (its text, a picture) stands out: the
// strongest contrast of any pixel there against the area's most common colour, its background.
inline double inkContrast(QWidget* widget, QRect area = {})
{
    const QImage image = widget->grab().toImage();
    area = (area.isNull() ? widget->rect() : area) & image.rect();
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            background = it.key(), most = it.value();
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrast(QColor(it.key()), QColor(background)));
    return best;
}

// A dark desktop for the time of a test: the Fusion style with a dark palette, as desktops
// with a dark theme give Qt programs.
class DarkDesktop
{
public:
    DarkDesktop() : m_style(QApplication::style()->name()), m_palette(QApplication::palette())
    {
        QApplication::setStyle(u"Fusion"_s);
        QApplication::setPalette(palette());
    }
    ~DarkDesktop()
    {
        QApplication::setStyle(m_style);
        QApplication::setPalette(m_palette);
    }
    Q_DISABLE_COPY_MOVE(DarkDesktop)

    static QPalette palette()
    {
        QPalette dark;
        const QColor window(53, 53, 53), base(35, 35, 35), light(230, 230, 230);
        const QColor grey(128, 128, 128);
        for (const auto& [role, colour] :
             {std::pair(QPalette::Window, window), std::pair(QPalette::WindowText, light),
              std::pair(QPalette::Base, base), std::pair(QPalette::AlternateBase, window),
              std::pair(QPalette::ToolTipBase, QColor(25, 25, 25)),
              std::pair(QPalette::ToolTipText, light), std::pair(QPalette::Text, light),
              std::pair(QPalette::Button, window), std::pair(QPalette::ButtonText, light),
              std::pair(QPalette::BrightText, QColor(255, 80, 80)),
              std::pair(QPalette::Light, QColor(80, 80, 80)),
              std::pair(QPalette::Midlight, QColor(66, 66, 66)),
              std::pair(QPalette::Dark, QColor(25, 25, 25)),
              std::pair(QPalette::Mid, QColor(40, 40, 40)),
              std::pair(QPalette::Shadow, QColor(10, 10, 10)),
              std::pair(QPalette::Highlight, QColor(42, 130, 218)),
              std::pair(QPalette::HighlightedText, QColor(255, 255, 255)),
              std::pair(QPalette::Link, QColor(90, 160, 240)),
              std::pair(QPalette::PlaceholderText, grey)})
            dark.setColor(role, colour);
        for (const QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(QPalette::Disabled, role, grey);
        return dark;
    }

private:
    QString m_style;
    QPalette m_palette;
};

// Select all, then type (or delete).
inline void retype(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text.isEmpty() ? u"\b"_s : text);
}

#endif
