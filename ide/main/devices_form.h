#pragma once

// The devices window: a captioned window that the program creates at
// start-up and never shows.
#include <QWidget>

class TformDevices : public QWidget {
    Q_OBJECT

public:
    explicit TformDevices(QWidget* parent = nullptr);
    ~TformDevices() override;

private:
    void FormCreate();
};

// The devices window created at program start, else null.
extern TformDevices* formDevices;
