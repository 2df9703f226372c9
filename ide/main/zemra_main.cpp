// The program body: the language, the start-up log window with the search
// for device libraries, then the main window until it closes.
#include <QApplication>

#include "ide/main/main_form.h"
#include "ide/main/startup_window.h"
#include "ide/texts/texts.h"
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
    mainForm.show();
    return application.exec();
}
