// Windows: the application's .ico for the resource file.
#include "packages/containers.h"
#include "packages/targets.h"

namespace Packages {

Jobs windowsFiles(const Sources& s)
{
    const QImage icon = s.icon();
    return {{QStringLiteral("app.ico"), [icon] {
                 return icoFile(sizes(icon, {16, 24, 32, 48, 64, 128, 256}));
             }}};
}

} // namespace Packages
