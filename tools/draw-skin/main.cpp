// Draws the skin images of the windows into a folder (resources/ in the source tree), reproducibly.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "draw_skin.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "draw-skin: cannot create %s\n", argv[1]);
        return 1;
    }
    const bool ok = velomir::drawMainSkin(folder) && velomir::drawCompanionSkin(folder);
    return ok ? 0 : 1;
}
