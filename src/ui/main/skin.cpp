#include "ui/main/skin.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QStringList>

namespace velomir::skin {

const QByteArray& imageBytes(const char* name) {
    static QHash<QString, QByteArray> cache;
    const QString key = QString::fromLatin1(name);
    auto found = cache.find(key);
    if (found == cache.end()) {
        QFile file(key);
        found = cache.insert(key, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return *found;
}

QFont detailFont(int pixelSize) {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixelSize);
    return font;
}

QFont guiFont(int pixelSize) {
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace velomir::skin
