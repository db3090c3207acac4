#include "draw_skin.h"

namespace velomir {

bool drawCompanionSkin(const QString&) {
    return true;
}

}  // namespace velomir
