#include "resources/initresources.h"

#include <QtGlobal>

static void initArtwork()
{
    Q_INIT_RESOURCE(artwork);
}

void initResources()
{
    static bool done = false;
    if (!done) {
        initArtwork();
        done = true;
    }
}
