#ifndef KITE_APP_FRMMAIN_H
#define KITE_APP_FRMMAIN_H
#include <QWidget>
class frmMain : public QWidget { Q_OBJECT public: using QWidget::QWidget; };
#endif
