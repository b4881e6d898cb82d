#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// Every parameter of one icon, in canvas pixels of the 1024 x 1024 composition. A by-value snapshot
// assembled from the window's controls for one composition; it does not clamp, renderIcon resolves
// contradictory switches by a fixed priority.
struct IconDesign
{
    // The design right after start-up or New: the project line table's defaults, so that the
    // record, the reset and the default project file cannot drift apart.
    IconDesign();
    // Every field zero, false or empty, to be filled in field by field.
    struct Blank
    {
    };
    explicit IconDesign(Blank) {}

    // Background
    bool useBackgroundColor = false;
    bool useBackgroundGradient = false;
    bool useBackgroundTransparent = false;
    int cornerCurvature = 0;
    QColor backgroundColor;
    QColor gradientStartColor;
    QColor gradientEndColor;
    int gradientStartX = 0;
    int gradientStartY = 0;
    int gradientEndX = 0;
    int gradientEndY = 0;

    // Image
    bool useImageFlat = false;
    bool useImageColored = false;
    bool useImageCustom = false;
    int flatImageRow = 0;
    QColor imageColor;
    int coloredImageRow = 0;
    QImage customImage;
    int imageScale = 0;
    int imageOffsetX = 0;
    int imageOffsetY = 0;

    // Text
    QString text;
    bool textBold = false;
    bool textItalic = false;
    QString fontFamily; // empty: the first family of the font box
    int fontSize = 0;
    QColor textColor;
    int textOffsetX = 0;
    int textOffsetY = 0;
    bool textStroke = false;
    int strokeWidth = 0;
    QColor strokeColor;
    bool textShadow = false;
    int shadowOffset = 0;
    int shadowAngle = 0;
    QColor shadowColor;
};

// The style sheet by which a colour button shows its colour: "background-color: #rrggbb".
QString swatchStyleSheet(const QColor& color);
