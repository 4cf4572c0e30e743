// Tintra: a desktop colour picker.
#include "app/AppStyle.h"
#include "app/CommandLine.h"
#include "app/PickHost.h"
#include "app/frmTintra.h"
#include "favourites/Recovery.h"
#include "platform/EndSignals.h"
#include "platform/QtServices.h"
#include "platform/Startup.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QSessionManager>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    // --help, --version, --colour, --contrast and a wrong command line answer
    // without a display.
    const app::CommandLine command = app::ParseCommandLine(app::Arguments(argc, argv));
    if (const auto rc = app::AnswerAtOnce(command)) {
        return *rc;
    }
    if (!platform::HasDisplay(argc, argv)) {
        return 1;
    }
    platform::PrepareDisplayConnection();
    platform::FontConfigPreload fonts;
    platform::DisplayFailureGuard guard;
    QApplication application(argc, argv);
    platform::DisplayConnected();
    guard.End();
    if (!resources::InstallNorwegian()) {
        std::fputs("Tintra: fant ikke de norske tekstene til Qts dialoger\n", stderr);
    }
    QApplication::setStyle(new AppStyle);
    // Also names the data folder, ~/.local/share/Tintra.
    QApplication::setApplicationName(frmTintra::AppTitle());
    // Lets a Wayland compositor find the menu entry, and with it the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tintra"));

    fonts.Wait();
    int rc = 0;
    if (command.action == app::CommandLine::Action::Pick) {
        rc = app::RunPick(command.format);
    } else {
        platform::QtServices services;
        frmTintra window(services.Get());
        window.Form_Initialize();
        window.Form_Load(command.file);
        // SIGTERM, SIGHUP and SIGINT end the program as closing it does,
        // without a question (also while one is showing): unsaved
        // favourites stay in their recovery copy.
        platform::EndSignals endSignals([&window](int) {
            window.EndQuietly();
            std::fflush(nullptr);
            std::_Exit(0);
        });
        // Logging out of the desktop.
        QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                         &frmTintra::CommitData, Qt::DirectConnection);
        // The display gone under the program (Qt then exits): the copy of
        // unsaved favourites is brought up to date first.
        std::atexit([] { favourites::Recovery::KeepAllNow(); });
        window.show();
        rc = QApplication::exec();
    }
    // Everything is saved once the window has gone. Qt 6.4's Wayland client
    // can wait forever for its event thread when the application ends.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fflush(nullptr);
        std::_Exit(rc);
    }
    return rc;
}
