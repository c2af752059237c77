#ifndef KITE_APP_FOLDERBOX_H
#define KITE_APP_FOLDERBOX_H
#include <QWidget>
class folderBox : public QWidget { Q_OBJECT public: using QWidget::QWidget; };
#endif
