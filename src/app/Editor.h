#ifndef KITE_APP_EDITOR_H
#define KITE_APP_EDITOR_H

#include "app/Prompts.h"
#include "app/frmMain.h"
#include "descriptions/desc.h"
#include "document/edit.h"
#include "save/Rename.h"

namespace settings {
class Store;
}

// The editor's objects, one of each, built in the order the window needs them: what the
// program runs, and what the start-up benchmark and the screenshot tool run the same way.
struct Editor
{
    explicit Editor(settings::Store& store)
        : window(state, descriptions, rename, store, prompts)
    {
    }

    edit::State state;
    desc::Store descriptions;
    Rename::Settings rename;
    QtPrompts prompts;
    frmMain window;
};

// The application's name (the title of every message), version and icon.
void prepareApplication();

#endif
