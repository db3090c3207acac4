#include "ui/desktop/desktop_services.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include "text/text_helpers.h"

namespace velomir {

bool isWebAddress(const std::string& address) {
    const std::string lower = asciiLower(address);
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

bool copyText(Clipboard& clipboard, const std::string& text) {
    clipboard.setText(text);
    return clipboard.text() == text;
}

void openWebAddress(DesktopOpener& opener, const std::string& address) {
    if (isWebAddress(address)) opener.openAddress(address);
}

void SystemClipboard::setText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

std::string SystemClipboard::text() const { return QGuiApplication::clipboard()->text().toStdString(); }

void SystemOpener::openAddress(const std::string& address) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

}  // namespace velomir
