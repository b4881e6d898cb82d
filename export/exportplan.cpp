#include "export/exportplan.h"

#include "export/exportformats.h"
#include "render/graphicrenderer.h"

#include "export/parallel.h"

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace Export {

namespace {

// The format index a combo box line names (-1 past the `count` formats it offers) and the quality
// passed with it: the slider's value for JPG, -1 for the rest.
std::pair<int, int> formatAndQuality(const Project::State& state, const char* combo, int count,
                                     const char* slider)
{
    const int index = state.number(combo);
    const int format = index >= 0 && index < count ? index : -1;
    return {format, format >= 0 && formats[format].usesQuality ? state.number(slider) : -1};
}

} // namespace

IconPlan iconPlan(const Project::State& state)
{
    IconPlan plan;
    std::tie(plan.format, plan.quality) =
        formatAndQuality(state, "comboIconFormat", iconFormatCount, "sliderIconQuality");
    auto ticked = [&](const SizeOption* options, int count) {
        for (int i = 0; i < count; ++i)
            if (state.flag(options[i].control))
                plan.sizes.append(options[i].size);
    };
    if (state.flag("radioExportAndroid"))
        ticked(androidSizes, 6);
    else if (state.flag("radioExportiOS"))
        ticked(iosSizes, 12);
    else if (state.flag("radioExportCustomSize"))
        plan.sizes.append(state.number("spinExportCustomSize"));
    return plan;
}

ImagePlan imagePlan(const Project::State& state)
{
    ImagePlan plan;
    std::tie(plan.format, plan.quality) =
        formatAndQuality(state, "comboGraphicsFormat", graphicFormatCount, "sliderGraphicsQuality");
    for (const SizeOption& option : graphicSizes) {
        if (state.flag(option.control)) {
            plan.size = option.size;
            return plan;
        }
    }
    if (state.flag("radioGraphicsSizeCustom"))
        plan.size = state.number("spinGraphicsCustomSize");
    return plan;
}

Outcome writeIconSet(const QPixmap& icon, const QString& folder, const IconPlan& plan, const QString& stamp)
{
    const QString extension = plan.format >= 0 ? QLatin1String(formats[plan.format].extension) : QString();
    const QImage source = icon.toImage();
    const int count = plan.sizes.size();
    std::vector<Files::Result> results(count);
    // Each size is scaled and encoded on its own, so the sizes are shared out among the cores,
    // largest first; the files are the same as written one after another.
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return plan.sizes[a] > plan.sizes[b]; });
    parallelFor(count, [&](int n) {
        const int i = order[n];
        const int size = plan.sizes[i];
        results[i] =
            plan.format < 0
                ? Files::Result::failure(QStringLiteral("the project names no image format"))
                : writeImageFile(iconFileName(folder, size, stamp, extension),
                                 source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation),
                                 formats[plan.format].name, plan.quality, QSize(size, size));
    });

    Outcome outcome;
    for (int i = 0; i < count; ++i)
        outcome.add(iconFileName(folder, plan.sizes[i], stamp, extension), results[i]);
    return outcome;
}

Files::Result writeGraphic(const QPixmap& graphic, const QString& path, const ImagePlan& plan)
{
    if (plan.size <= 0)
        return Files::Result::failure(QStringLiteral("the project chooses no image size"));
    if (plan.format < 0)
        return Files::Result::failure(QStringLiteral("the project names no image format"));
    return writeImageFile(path, scaledCopy(graphic, plan.size, plan.size), formats[plan.format].name,
                          plan.quality, QSize(plan.size, plan.size));
}

} // namespace Export
