// The start-up baseline: a minimal Qt Widgets program that shows one window of the editor's
// size, titled and with a caption, a text field and a button, and quits once it is idle.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.setFixedSize(625, 449); // the editor's 9375 x 6735 twips
    auto* label = new QLabel(QStringLiteral("Select track to edit -"), &window);
    label->setGeometry(8, 8, 169, 17);
    auto* field = new QLineEdit(&window);
    field->setGeometry(264, 56, 329, 21);
    auto* button = new QPushButton(QStringLiteral("E&xit"), &window);
    button->setGeometry(536, 416, 81, 25);
    window.show();
    QApplication::processEvents();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
