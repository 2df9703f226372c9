#pragma once

// The Options dialog: the interface language. Ok stores the choice and puts
// the main window into it at once; the other windows follow at the next
// start of the program.
#include <QDialog>

QT_FORWARD_DECLARE_CLASS(QComboBox)
QT_FORWARD_DECLARE_CLASS(QGroupBox)
QT_FORWARD_DECLARE_CLASS(QPushButton)

class TFormOptions : public QDialog {
    Q_OBJECT

public:
    explicit TFormOptions(QWidget* parent = nullptr);

    QGroupBox* gpbLang = nullptr;
    // "English (Английский)" and "Русский (Russian)", whatever the language.
    QComboBox* cbxLang = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnOkClick();
    void btnCancelClick();

private:
    void FormCreate();
};
