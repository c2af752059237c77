#ifndef KITE_APP_ENABLESAVE_H
#define KITE_APP_ENABLESAVE_H

class QAbstractButton;

namespace misc {

// Save is enabled exactly while an info file is loaded, New exactly while none is, so New
// can never write over a loaded file.
void enableSave(QAbstractButton& cmdSave, QAbstractButton& cmdNew, bool fileLoaded);

} // namespace misc

#endif
