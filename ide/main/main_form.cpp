#include "ide/main/main_form.h"

#include <QMdiArea>

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Tarnwick"));
    setCentralWidget(new QMdiArea(this));
    resize(1024, 720);
}
