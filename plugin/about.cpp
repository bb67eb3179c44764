// The configure hook: the about box, owned by the player's window.
#include "plugin/hooks.h"

namespace {

// Code page 1252 text: 0xC9 is É, 0xE9 is é.
const char aboutText[] =
    "Un tit Cube qui tourne en OpenGL.\n"
    "Exemple Basique d'un Plugin visuel pour Winamp.\n"
    "\n"
    "\xC9" "crit par l'\xE9" "quipe Gyroquad, pour le plaisir des yeux.";

}  // namespace

// Shows the about box and returns once the user has closed it.
extern "C" void visConfig(visModule* module) {
    MessageBoxA(module->parentWindow, aboutText, "Gyroquad (30/07/2k2)", MB_OK);
}
