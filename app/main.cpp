// Tintra: a desktop colour picker.
#include "app/AppStyle.h"
#include "app/frmTintra.h"
#include "platform/QtServices.h"
#include "platform/Startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (!platform::HasDisplay(argc, argv)) {
        return 1;
    }
    platform::PrepareDisplayConnection();
    platform::FontConfigPreload fonts;
    platform::DisplayFailureGuard guard;
    QApplication app(argc, argv);
    guard.End();
    QApplication::setStyle(new AppStyle);
    QApplication::setApplicationName(frmTintra::AppTitle());
    QApplication::setOrganizationName(frmTintra::AppTitle());
    // Lets a Wayland compositor find the menu entry, and with it the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tintra"));

    fonts.Wait();
    platform::QtServices services;
    frmTintra window(services.Get());
    window.Form_Initialize();
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
