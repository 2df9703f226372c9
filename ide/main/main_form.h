#pragma once

#include <QMainWindow>

// The program's multiple-document main window.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(QWidget* parent = nullptr);
};
