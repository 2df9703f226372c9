#pragma once

// The About box: the program's name and version, a link to the maker's web
// site, and pictures drawn by our own code.
#include <QDialog>
#include <QImage>

QT_FORWARD_DECLARE_CLASS(QFrame)
QT_FORWARD_DECLARE_CLASS(QLabel)
QT_FORWARD_DECLARE_CLASS(QPushButton)

class TImageView;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    // The tall picture along the left edge, the logo in its top part and a
    // second picture below it.
    TImageView* Image2 = nullptr;
    TImageView* Image3 = nullptr;
    TImageView* Image4 = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Shape1 = nullptr;
    QLabel* lblPrgVer = nullptr;
    QLabel* lblLink = nullptr;
    QPushButton* OKButton = nullptr;

    // Opens the maker's web site.
    void lblLinkClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
};

// The pictures at their sizes on the box: 108 x 457, 108 x 138, 105 x 105.
QImage DrawAboutSidePicture();
QImage DrawAboutLogo();
QImage DrawAboutChipPicture();

// The About box created at program start, else null.
extern TAboutBox* AboutBox;
