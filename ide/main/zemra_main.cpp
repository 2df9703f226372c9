// The program body: the language, the start-up log window with the search
// for device libraries, then the main window until it closes.
#include <QApplication>
#include <QScreen>

#include "ide/main/about_box.h"
#include "ide/main/devices_form.h"
#include "ide/main/main_form.h"
#include "ide/main/startup_window.h"
#include "ide/texts/texts.h"
#include "ide/web/bug_report.h"
#include "ide/web/update_check.h"
#include "ide/workbench/device_host.h"

int main(int argc, char* argv[])
{
    // Counted before QApplication takes its own options out of argv: any
    // argument at all shortens the start-up window's stay.
    const bool anyArgument = argc > 1;

    QApplication application(argc, argv);
    LoadLanguageSetting();

    {
        // Closing the log window must not end the program before the main
        // window exists.
        application.setQuitOnLastWindowClosed(false);
        TformSplash splash(DeviceHost(), QCoreApplication::applicationDirPath(), anyArgument);
        splash.exec();
        application.setQuitOnLastWindowClosed(true);
    }

    TMainForm mainForm;
    // The long-lived windows belong to the main window and go with it; the
    // update window's creation starts the update check when that is set.
    new TAboutBox(&mainForm);
    new TformBugReport(&mainForm);
    new TformCheckUpdates(&mainForm);
    new TformDevices(&mainForm);
    // Larger than its design size where the screen has room: the register
    // panels, the editor and the workbench share the window.
    if (const QScreen* screen = mainForm.screen()) {
        const QRect available = screen->availableGeometry();
        mainForm.resize(mainForm.size().expandedTo(QSize(available.width() * 9 / 10, available.height() * 9 / 10)));
    }
    mainForm.show();
    return application.exec();
}
