// Measures what a platform package looks like on the device, from its files:
//   package_metrics PACKAGE_DIR   (a folder written by "glyphwright-cli package ... --target all")
// Prints the share of the Android foreground's ink outside the 66 dp safe circle, the lowest alpha
// of the Android background layer, and the mean luminance of the visible pixels of the iOS dark and
// tinted variants.
#include <QCoreApplication>
#include <QImage>

#include <cmath>
#include <cstdio>

namespace {

QImage load(const QString& path)
{
    const QImage image(path);
    if (image.isNull())
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Alpha-weighted share of the ink outside the circle of `radius` (a fraction of the side) round
// the centre.
double shareOutside(const QImage& layer, double radius)
{
    double outside = 0, all = 0;
    const double c = layer.width() / 2.0, r = radius * layer.width();
    for (int y = 0; y < layer.height(); ++y)
        for (int x = 0; x < layer.width(); ++x) {
            const int a = qAlpha(layer.pixel(x, y));
            all += a;
            if (std::hypot(x + 0.5 - c, y + 0.5 - c) > r)
                outside += a;
        }
    return all > 0 ? outside / all : 0;
}

int minimumAlpha(const QImage& layer)
{
    int lowest = 255;
    for (int y = 0; y < layer.height(); ++y)
        for (int x = 0; x < layer.width(); ++x)
            lowest = std::min(lowest, qAlpha(layer.pixel(x, y)));
    return lowest;
}

// Mean luminance (0 ... 255) of the pixels at least half opaque, -1 when there are none.
double visibleLuminance(const QImage& image)
{
    double sum = 0;
    long count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) >= 128) {
                sum += qGray(p);
                ++count;
            }
        }
    return count ? sum / count : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: package_metrics PACKAGE_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString mipmap = dir + QStringLiteral("/android/res/mipmap-xxxhdpi/");
    const QString ios = dir + QStringLiteral("/ios/AppIcon.appiconset/");
    const QImage foreground = load(mipmap + QStringLiteral("ic_launcher_foreground.png"));
    const QImage background = load(mipmap + QStringLiteral("ic_launcher_background.png"));
    std::printf("foreground outside the safe zone: %.1f %%\n", 100 * shareOutside(foreground, 33.0 / 108));
    std::printf("background layer minimum alpha:   %d\n", minimumAlpha(background));
    std::printf("iOS dark visible luminance:       %.0f\n",
                visibleLuminance(load(ios + QStringLiteral("AppIcon-1024-dark.png"))));
    std::printf("iOS tinted visible luminance:     %.0f\n",
                visibleLuminance(load(ios + QStringLiteral("AppIcon-1024-tinted.png"))));
    return 0;
}
