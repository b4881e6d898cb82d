#pragma once

#include "design/icondesign.h"

// The design of Glyphwright's own icon: the palette picture on a warm gradient tile.
IconDesign programIconDesign();
// The icon of Glyphwright's project files: the same tile with a page on it.
IconDesign projectFileIconDesign();
