#include "tests/support/player.h"
