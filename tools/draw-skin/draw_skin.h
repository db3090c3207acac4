// Painters of the embedded images; each writes its files into `folder` and returns false on a write failure.
#pragma once

#include <QString>

namespace velomir {

bool drawMainSkin(const QString& folder);       // main window images
bool drawCompanionSkin(const QString& folder);  // preview and about window images

}  // namespace velomir
