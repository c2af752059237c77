#include "app/enableSave.h"

#include <QAbstractButton>

namespace misc {

void enableSave(QAbstractButton& cmdSave, QAbstractButton& cmdNew, bool fileLoaded)
{
    cmdSave.setEnabled(fileLoaded);
    cmdNew.setEnabled(!fileLoaded);
}

} // namespace misc
