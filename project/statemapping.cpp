#include "project/statemapping.h"

#include <QFontDatabase>

namespace Project {

namespace {

struct SizeKey
{
    int size;
    Key key;
};
const SizeKey androidSizes[] = {
    {48, Key::ExportAndroid48},   {72, Key::ExportAndroid72},   {96, Key::ExportAndroid96},
    {144, Key::ExportAndroid144}, {192, Key::ExportAndroid192}, {512, Key::ExportAndroid512},
};
const SizeKey iosSizes[] = {
    {29, Key::ExportIos29},   {40, Key::ExportIos40},   {58, Key::ExportIos58},   {60, Key::ExportIos60},
    {76, Key::ExportIos76},   {80, Key::ExportIos80},   {87, Key::ExportIos87},   {120, Key::ExportIos120},
    {152, Key::ExportIos152}, {167, Key::ExportIos167}, {180, Key::ExportIos180}, {1024, Key::ExportIos1024},
};
// The fixed pictogram sizes; the custom size radio comes after them.
const SizeKey graphicSizes[] = {
    {20, Key::GraphicsSize20},   {30, Key::GraphicsSize30},   {40, Key::GraphicsSize40},
    {50, Key::GraphicsSize50},   {60, Key::GraphicsSize60},   {90, Key::GraphicsSize90},
    {100, Key::GraphicsSize100}, {120, Key::GraphicsSize120}, {150, Key::GraphicsSize150},
};

// The format a combo box index names among the `count` its box offers, and the quality passed
// with it: the slider's value where the format takes one, -1 for the rest.
template <class Plan> void setFormat(Plan& plan, const State& state, Key combo, int count, Key slider)
{
    plan.format = Export::formatAt(state.number(combo), count);
    plan.quality = plan.format && plan.format->takesQuality ? state.number(slider) : -1;
}

} // namespace

QStringList fontFamilies()
{
    // The font box lists every family of the database but the private ones, in database order.
    QFontDatabase database;
    QStringList families;
    for (const QString& family : database.families())
        if (!database.isPrivateFamily(family))
            families << family;
    return families;
}

IconDesign designOf(const State& state, const QStringList& families, const QImage& customImage,
                    QSize customImageSize, const QByteArray& customVector)
{
    IconDesign d;
    d.useBackgroundColor = state.flag(Key::UseBackgroundColor);
    d.useBackgroundGradient = state.flag(Key::UseBackgroundGradient);
    d.useBackgroundTransparent = state.flag(Key::UseBackgroundTransparent);
    d.cornerCurvature = state.number(Key::CornerCurvature);
    d.backgroundColor = state.color(Key::BackgroundColor);
    d.gradientStartColor = state.color(Key::GradientStartColor);
    d.gradientEndColor = state.color(Key::GradientEndColor);
    d.gradientStartX = state.number(Key::GradientStartX);
    d.gradientStartY = state.number(Key::GradientStartY);
    d.gradientEndX = state.number(Key::GradientEndX);
    d.gradientEndY = state.number(Key::GradientEndY);
    d.useImageFlat = state.flag(Key::UseImageFlat);
    d.useImageColored = state.flag(Key::UseImageColored);
    d.useImageCustom = state.flag(Key::UseImageCustom);
    d.flatImageRow = state.number(Key::FlatImageRow);
    d.imageColor = state.color(Key::ImageColor);
    d.coloredImageRow = state.number(Key::ColoredImageRow);
    d.customImage = customImage;
    d.customImageSize = customImageSize;
    d.customVector = customVector;
    d.imageScale = state.number(Key::ImageScale);
    d.imageOffsetX = state.number(Key::ImageOffsetX);
    d.imageOffsetY = state.number(Key::ImageOffsetY);
    d.text = state.text(Key::Text);
    d.textBold = state.flag(Key::TextBold);
    d.textItalic = state.flag(Key::TextItalic);
    d.fontFamily = families.value(state.number(Key::FontIndex));
    d.fontSize = state.number(Key::FontSize);
    d.textColor = state.color(Key::TextColor);
    d.textOffsetX = state.number(Key::TextOffsetX);
    d.textOffsetY = state.number(Key::TextOffsetY);
    d.textStroke = state.flag(Key::TextStroke);
    d.strokeWidth = state.number(Key::StrokeWidth);
    d.strokeColor = state.color(Key::StrokeColor);
    d.textShadow = state.flag(Key::TextShadow);
    d.shadowOffset = state.number(Key::ShadowOffset);
    d.shadowAngle = state.number(Key::ShadowAngle);
    d.shadowColor = state.color(Key::ShadowColor);
    return d;
}

Export::IconPlan iconPlan(const State& state)
{
    Export::IconPlan plan;
    setFormat(plan, state, Key::IconFormat, Export::iconFormatCount, Key::IconQuality);
    auto ticked = [&](const auto& sizes) {
        for (const SizeKey& s : sizes)
            if (state.flag(s.key))
                plan.sizes.append(s.size);
    };
    if (state.flag(Key::ExportAndroid))
        ticked(androidSizes);
    else if (state.flag(Key::ExportIos))
        ticked(iosSizes);
    else if (state.flag(Key::ExportCustom))
        plan.sizes.append(state.number(Key::ExportCustomSize));
    return plan;
}

Export::ImagePlan imagePlan(const State& state)
{
    Export::ImagePlan plan;
    setFormat(plan, state, Key::GraphicsFormat, Export::graphicFormatCount, Key::GraphicsQuality);
    for (const SizeKey& s : graphicSizes) {
        if (state.flag(s.key)) {
            plan.size = s.size;
            return plan;
        }
    }
    if (state.flag(Key::GraphicsCustom))
        plan.size = state.number(Key::GraphicsCustomSize);
    return plan;
}

} // namespace Project
