#include "render/programicon.h"

IconDesign programIconDesign()
{
    IconDesign d;
    d.useBackgroundColor = false;
    d.useBackgroundGradient = true;
    d.cornerCurvature = 224;
    d.gradientStartColor = QColor(0xff, 0xb3, 0x47);
    d.gradientEndColor = QColor(0xe8, 0x4a, 0x5f);
    d.gradientStartX = 0;
    d.gradientStartY = 0;
    d.gradientEndX = 1024;
    d.gradientEndY = 1024;
    d.flatImageRow = 20; // the palette
    d.imageScale = 120;
    return d;
}

IconDesign projectFileIconDesign()
{
    IconDesign d = programIconDesign();
    d.flatImageRow = 38; // the page with lines of text
    return d;
}
