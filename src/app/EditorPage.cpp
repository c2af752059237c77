#include "app/EditorPage.h"

#include "app/EditHistory.h"
#include "app/FormLayout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace {

using formLayout::twips;

// The captions were measured for a narrow 8 point font. Where the platform's font is wider
// and a caption would run under the control it names, its font is made a little smaller.
void fitBeforeBuddy(QLabel* label)
{
    const QWidget* buddy = label->buddy();
    if (!buddy || buddy->parentWidget() != label->parentWidget() || buddy->x() <= label->x())
        return;
    const int room = buddy->x() - label->x() - 2;
    QFont font = label->font();
    while (label->sizeHint().width() > room && font.pointSizeF() > 6.5) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        label->setFont(font);
    }
    label->resize(std::min(label->width(), room), label->height());
}

} // namespace

EditorPage::EditorPage(QWidget* frame, edit::State& state, edit::EditorView& document,
                       EditHistory& history, QList<Bracket> brackets)
    : QWidget(frame), m_state(state), m_document(document), m_history(history),
      m_brackets(std::move(brackets))
{
    setGeometry(frame->rect());
}

EditorPage::~EditorPage() = default;

void EditorPage::setSliderPosition(int index, int position)
{
    if (QSlider* shown = editSld.at(index))
        shown->setValue(position);
}

QLabel* EditorPage::caption(const char* objectName, const QString& text, int left, int top,
                            int width, int height, CaptionWidth fit)
{
    auto* label = formLayout::place(new QLabel(text, this), objectName, left, top, width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_captions.append({label, fit});
    return label;
}

QLineEdit* EditorPage::textField(const char* objectName, const QString& accessibleName, int left,
                                 int top, int width, int height)
{
    auto* field = formLayout::place(new QLineEdit(this), objectName, left, top, width, height);
    field->setAccessibleName(accessibleName);
    return field;
}

QSlider* EditorPage::slider(int index, int tickInterval, int left, int top, int width, int height)
{
    const QByteArray name = "editSld" + QByteArray::number(index);
    auto* result = formLayout::place(new QSlider(Qt::Horizontal, this), name.constData(), left,
                                     top, width, height);
    result->setRange(edit::sliderMinimum.at(index), edit::sliderMaximum.at(index));
    result->setTickPosition(QSlider::TicksBelow);
    result->setTickInterval(tickInterval);
    result->setPageStep(5);
    result->setSingleStep(1);
    editSld.at(index) = result;
    result->setToolTip(QString::number(result->value()));
    result->installEventFilter(this);
    connect(result, &QSlider::valueChanged, this, [this, index] {
        showSliderValue(index);
        editSld_Change(index);
    });
    // One drag is one step of the history; the next drag is another.
    connect(result, &QSlider::sliderReleased, &m_history, &EditHistory::endRun);
    return result;
}

// The position is what the user sets, so it is shown as a number: in the tooltip of the
// slider, for a pointer resting on it, and beside the handle while the user moves it (a drag,
// the keyboard or the wheel). Screen readers have the same number as the slider's value.
void EditorPage::showSliderValue(int index)
{
    QSlider* moved = editSld.at(index);
    const QString value = QString::number(moved->value());
    moved->setToolTip(value);
    if (m_state.loading || !moved->isVisible())
        return;
    const int handle = moved->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, moved);
    const int x = QStyle::sliderPositionFromValue(moved->minimum(), moved->maximum(),
                                                  moved->value(), moved->width() - handle)
        + handle / 2;
    QToolTip::showText(moved->mapToGlobal(QPoint(x, moved->height() / 2)), value, moved);
}

// Every position is stored, from the mouse, the keyboard or the wheel alike.
void EditorPage::editSld_Change(int index)
{
    if (m_state.loading)
        return;
    m_history.change(QLatin1String(edit::sliderTags.at(index)),
                     QString::number(editSld.at(index)->value()), editSld.at(index));
}

bool EditorPage::eventFilter(QObject* watched, QEvent* event)
{
    // A tooltip closes when a key is let go; the value of a slider moved by a key stays.
    if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        const auto slider = std::find(editSld.cbegin(), editSld.cend(), watched);
        if (slider != editSld.cend() && *slider && (*slider)->hasFocus())
            showSliderValue(int(slider - editSld.cbegin()));
    }
    return QWidget::eventFilter(watched, event);
}

void EditorPage::fillFromDocument()
{
    edit::showEditors(m_state, *this);
}

void EditorPage::showEvent(QShowEvent* event)
{
    // Fits a caption to its text; it is never cut off.
    for (const auto& [label, width] : std::exchange(m_captions, {})) {
        if (width == CaptionWidth::Text)
            label->adjustSize();
        else
            label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
        fitBeforeBuddy(label);
    }
    QWidget::showEvent(event);
}

void EditorPage::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (m_brackets.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(QPen(QColor(0, 255, 0), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    for (const Bracket& b : std::as_const(m_brackets)) {
        const QPolygon line{
            QPoint(twips(b.left), twips(b.top)), QPoint(twips(b.left), twips(b.bottom)),
            QPoint(twips(b.right), twips(b.bottom)), QPoint(twips(b.right), twips(b.top))};
        painter.drawPolyline(line);
    }
}
