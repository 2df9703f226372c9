#include <QApplication>

#include "ide/main/main_form.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    TMainForm mainForm;
    mainForm.show();
    return application.exec();
}
