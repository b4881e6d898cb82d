#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// Every parameter of one icon, in canvas pixels of the 1024 x 1024 composition. A by-value snapshot
// for one composition; it does not clamp, renderIcon resolves contradictory switches by a fixed
// priority. A default-constructed record is the design right after start-up or New: a dark-red
// rounded square with flat picture 1 in white and no text.
struct IconDesign
{
    // Background
    bool useBackgroundColor = true;
    bool useBackgroundGradient = false;
    bool useBackgroundTransparent = false;
    int cornerCurvature = 128;
    QColor backgroundColor = QColor(170, 0, 0);
    QColor gradientStartColor = QColor(0, 170, 255);
    QColor gradientEndColor = QColor(0, 0, 127);
    int gradientStartX = 0;
    int gradientStartY = 0;
    int gradientEndX = 0;
    int gradientEndY = 1024;

    // Image
    bool useImageFlat = true;
    bool useImageColored = false;
    bool useImageCustom = false;
    int flatImageRow = 0; // list row; the picture number is row + 1
    QColor imageColor = QColor(255, 255, 255);
    int coloredImageRow = 0;
    QImage customImage; // null when none is loaded
    // Its own size, in which the Scale percentage counts: larger than customImage's when a very
    // large picture is held reduced; empty when it is customImage's.
    QSize customImageSize;
    // An SVG picture's text: drawn from its vectors at the size it takes on every canvas (the
    // image above is its drawing at its own size, for the lists and previews). Empty for a raster.
    QByteArray customVector;
    int imageScale = 100;
    int imageOffsetX = 0;
    int imageOffsetY = 0;

    // Text
    QString text;
    bool textBold = false;
    bool textItalic = false;
    QString fontFamily; // empty: the first family of the font box
    int fontSize = 600;
    QColor textColor = QColor(255, 255, 255);
    int textOffsetX = 0;
    int textOffsetY = 0;
    bool textStroke = false;
    int strokeWidth = 10;
    QColor strokeColor = QColor(0, 0, 0);
    bool textShadow = false;
    int shadowOffset = 50;
    int shadowAngle = 45;
    QColor shadowColor = QColor(0, 0, 0);
};
