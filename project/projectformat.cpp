#include "project/projectformat.h"

#include <QTextStream>

namespace Project {

const Line lines[lineCount] = {
    {"sliderBackgroundCornerCurvature", Kind::Integer},     // 1
    {"radioBackgroundColor", Kind::Flag},                  // 2
    {"backgroundColor", Kind::Red},                        // 3
    {"backgroundColor", Kind::Green},                      // 4
    {"backgroundColor", Kind::Blue},                       // 5
    {"radioBackgroundGradient", Kind::Flag},               // 6
    {"gradientStartColor", Kind::Red},                     // 7
    {"gradientStartColor", Kind::Green},                   // 8
    {"gradientStartColor", Kind::Blue},                    // 9
    {"gradientEndColor", Kind::Red},                       // 10
    {"gradientEndColor", Kind::Green},                     // 11
    {"gradientEndColor", Kind::Blue},                      // 12
    {"sliderBackgroundGradientStartPointX", Kind::Integer}, // 13
    {"sliderBackgroundGradientStartPointY", Kind::Integer}, // 14
    {"sliderBackgroundGradientEndPointX", Kind::Integer},  // 15
    {"sliderBackgroundGradientEndPointY", Kind::Integer},  // 16
    {"radioBackgroundTransparent", Kind::Flag},            // 17
    {"radioImageFlat", Kind::Flag},                        // 18
    {"listImageFlat", Kind::ListRow},                      // 19
    {"radioImageColored", Kind::Flag},                     // 20
    {"listImageColored", Kind::ListRow},                   // 21
    {"radioImageCustom", Kind::Flag},                      // 22
    {"editImageCustom", Kind::Text},                       // 23
    {"radioImageNone", Kind::Flag},                        // 24
    {"spinImageScale", Kind::Integer},                     // 25
    {"imageColor", Kind::Red},                             // 26
    {"imageColor", Kind::Green},                           // 27
    {"imageColor", Kind::Blue},                            // 28
    {"spinImageOffsetX", Kind::Integer},                   // 29
    {"spinImageOffsetY", Kind::Integer},                   // 30
    {"editText", Kind::Text},                              // 31
    {"comboTextFontType", Kind::ComboIndex},               // 32
    {"spinTextFontSize", Kind::Integer},                   // 33
    {"checkTextBold", Kind::Flag},                         // 34
    {"textColor", Kind::Red},                              // 35
    {"textColor", Kind::Green},                            // 36
    {"textColor", Kind::Blue},                             // 37
    {"checkTextItalic", Kind::Flag},                       // 38
    {"spinTextOffsetX", Kind::Integer},                    // 39
    {"spinTextOffsetY", Kind::Integer},                    // 40
    {"checkTextStroke", Kind::Flag},                       // 41
    {"sliderTextStrokeWidth", Kind::Integer},              // 42
    {"strokeColor", Kind::Red},                            // 43
    {"strokeColor", Kind::Green},                          // 44
    {"strokeColor", Kind::Blue},                           // 45
    {"checkTextShadow", Kind::Flag},                       // 46
    {"sliderTextShadowOffset", Kind::Integer},             // 47
    {"sliderTextShadowAngle", Kind::Integer},              // 48
    {"shadowColor", Kind::Red},                            // 49
    {"shadowColor", Kind::Green},                          // 50
    {"shadowColor", Kind::Blue},                           // 51
    {"radioExportAndroid", Kind::Flag},                    // 52
    {"checkExportAndroid48", Kind::Flag},                  // 53
    {"checkExportAndroid72", Kind::Flag},                  // 54
    {"checkExportAndroid96", Kind::Flag},                  // 55
    {"checkExportAndroid144", Kind::Flag},                 // 56
    {"checkExportAndroid192", Kind::Flag},                 // 57
    {"checkExportAndroid512", Kind::Flag},                 // 58
    {"radioExportiOS", Kind::Flag},                        // 59
    {"checkExportiOS29", Kind::Flag},                      // 60
    {"checkExportiOS40", Kind::Flag},                      // 61
    {"checkExportiOS58", Kind::Flag},                      // 62
    {"checkExportiOS60", Kind::Flag},                      // 63
    {"checkExportiOS76", Kind::Flag},                      // 64
    {"checkExportiOS80", Kind::Flag},                      // 65
    {"checkExportiOS87", Kind::Flag},                      // 66
    {"checkExportiOS120", Kind::Flag},                     // 67
    {"checkExportiOS152", Kind::Flag},                     // 68
    {"checkExportiOS167", Kind::Flag},                     // 69
    {"checkExportiOS180", Kind::Flag},                     // 70
    {"checkExportiOS1024", Kind::Flag},                    // 71
    {"radioExportCustomSize", Kind::Flag},                 // 72
    {"spinExportCustomSize", Kind::Integer},               // 73
    {"comboIconFormat", Kind::ComboIndex},                 // 74
    {"sliderIconQuality", Kind::Integer},                  // 75
    {"comboGraphicsCategory", Kind::ComboIndex},           // 76
    {"graphicsColor", Kind::Red},                          // 77
    {"graphicsColor", Kind::Green},                        // 78
    {"graphicsColor", Kind::Blue},                         // 79
    {"listGraphics", Kind::ListRow},                       // 80
    {"radioGraphicsSize20", Kind::Flag},                   // 81
    {"radioGraphicsSize30", Kind::Flag},                   // 82
    {"radioGraphicsSize40", Kind::Flag},                   // 83
    {"radioGraphicsSize50", Kind::Flag},                   // 84
    {"radioGraphicsSize60", Kind::Flag},                   // 85
    {"radioGraphicsSize90", Kind::Flag},                   // 86
    {"radioGraphicsSize100", Kind::Flag},                  // 87
    {"radioGraphicsSize120", Kind::Flag},                  // 88
    {"radioGraphicsSize150", Kind::Flag},                  // 89
    {"radioGraphicsSizeCustom", Kind::Flag},               // 90
    {"spinGraphicsCustomSize", Kind::Integer},             // 91
    {"comboGraphicsFormat", Kind::ComboIndex},             // 92
    {"sliderGraphicsQuality", Kind::Integer},              // 93
};

QStringList parseLines(const QByteArray& data)
{
    QTextStream in(data);
    QStringList values;
    values.reserve(lineCount);
    for (int i = 0; i < lineCount; ++i)
        values.append(in.atEnd() ? QString() : in.readLine());
    return values;
}

int toNumber(const QString& value)
{
    bool ok = false;
    const int n = value.toInt(&ok, 10);
    return ok ? n : 0;
}

QByteArray formatLines(const QStringList& values)
{
    QByteArray data;
    {
        QTextStream out(&data);
        for (int i = 0; i < values.size(); ++i) {
            if (i > 0)
                out << '\n';
            out << values[i];
        }
    }
    return data;
}

} // namespace Project
