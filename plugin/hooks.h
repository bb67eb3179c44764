// The module's hooks and lookup, as the records hand them to the player.
#pragma once

#include "plugin/records.h"

extern "C" {
visModule* visGetModule(int index);
void visConfig(visModule* module);
int visInit(visModule* module);
int visRender(visModule* module);
void visQuit(visModule* module);
}
