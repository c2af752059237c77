#ifndef KITE_DESCRIPTIONS_CDESC_H
#define KITE_DESCRIPTIONS_CDESC_H

#include <QString>

// One tag's help text.
struct cDesc
{
    QString forTag;  // the label, in the letter case it was entered
    QString tagDesc; // may be empty
};

#endif
