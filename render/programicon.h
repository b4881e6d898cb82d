#pragma once

#include "design/icondesign.h"

// The design of Glyphwright's own icon: the palette picture on a warm gradient tile.
IconDesign programIconDesign();
