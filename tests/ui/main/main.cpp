// ui_main_tests: the main window's Qt Test classes, run offscreen against the stand-in service.
#include <QApplication>
#include <QStyleFactory>

#include "ui_test_support.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    int failures = 0;
    failures += velomir::test::runAnalysisFlowTests(argc, argv);
    failures += velomir::test::runDetailPaneTests(argc, argv);
    failures += velomir::test::runListActionsTests(argc, argv);
    failures += velomir::test::runWindowLayoutTests(argc, argv);
    failures += velomir::test::runSettingsTests(argc, argv);
    failures += velomir::test::runDownloadTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
