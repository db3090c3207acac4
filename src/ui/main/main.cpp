// velomir: the desktop window.
#include <QApplication>
#include <QEventLoop>
#include <QStyleFactory>
#include <cstdlib>

#include "analysis/curl_transport.h"
#include "settings/settings_store.h"
#include "ui/companions/widget_player.h"
#include "ui/desktop/desktop_services.h"
#include "ui/main/main_window.h"

namespace {

std::string environment(const char* name) {
    const QByteArray value = qgetenv(name);
    return value.toStdString();
}

std::string settingsPath() {
    return velomir::settingsPathFor(QCoreApplication::applicationDirPath().toStdString(),
                                    environment("XDG_CONFIG_HOME"), environment("HOME"));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    bool closing = false;
    velomir::HttpSettings http;
    // While a request waits the window keeps working; once it has closed, the process ends right there.
    http.pump = [&closing] {
        if (closing) std::_Exit(0);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    };
    velomir::CurlTransport transport(http);
    velomir::SystemClipboard clipboard;
    velomir::SystemOpener opener;
    velomir::MainWindow window({{transport, clipboard, opener},
                                settingsPath(),
                                velomir::makeSystemMediaBackend,
                                [&closing] {
                                    closing = true;
                                    QCoreApplication::exit(0);
                                },
                                {}});
    window.show();
    app.exec();
    return 0;
}
