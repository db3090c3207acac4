// velomir: the desktop window.
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>

#include "analysis/curl_transport.h"
#include "settings/settings_store.h"
#include "ui/companions/widget_player.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"
#include "ui/main/main_window.h"

namespace {

constexpr int kUsageError = 2;

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
    // A mistyped stand-in address must not quietly become a connection to the real service.
    const std::string serviceAddress = environment("VELOMIR_SERVICE_ADDRESS");
    if (!serviceAddress.empty() && !velomir::isServiceAddress(serviceAddress)) {
        std::fprintf(stderr, "velomir: VELOMIR_SERVICE_ADDRESS must be HOST:PORT, not \"%s\"\n",
                     serviceAddress.c_str());
        return kUsageError;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    velomir::BackgroundWork work;
    velomir::HttpSettings http;
    http.serviceAddress = serviceAddress;
    http.stop = &work.stopFlag();
    velomir::CurlTransport transport(http);
    velomir::SystemClipboard clipboard;
    velomir::SystemOpener opener;
    velomir::MainWindowSetup setup{
        {transport, work, clipboard, opener}, settingsPath(), velomir::makeSystemMediaBackend, {}, {}};
    setup.downloadHttp = http;
    velomir::MainWindow window(std::move(setup));
    window.show();
    return app.exec();
}
