// corvel's configuration dialog for the chip device: the selected model's
// configuration bits, the clock frequency, and the value that register bits
// of unknown state take at power-on. Ok writes the chip device's saved
// settings; the caller hands the bits and the frequency to the engine.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QDialog>
#include <QString>

#include "devices/contract.h"
#include "engine/engine.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace corvel {

class ChipDevice;

class TformSettings : public QDialog {
public:
    explicit TformSettings(QWidget* parent = nullptr);

    // Set before the dialog is shown.
    std::int32_t InternalIndex = 0;
    ChipDevice* Device = nullptr;         // its model selects the panel; Ok writes its record
    std::array<std::uint8_t, 12> Config{}; // working copy of the engine's bits
    std::vector<TConfigBits> ConfigBits;   // the model's bits as the engine lists them
    std::int32_t rtCrystalFreq = 0;        // working copy of the engine's clock, in hertz

    // Loads every control from Config, rtCrystalFreq and the record. Runs
    // once, just before the dialog is first shown: reloading on every
    // activation would throw away the user's choices whenever a message box
    // over the dialog closes.
    void FormActivate();
    // Checks the frequency, then writes the record and the working copies and
    // accepts the dialog; an invalid user frequency leaves everything as it
    // was and the dialog open.
    void btnOkClick();
    void btnCancelClick();
    void chkDCFClick();
    void cmb12FFosc0Change();
    void cmb12FFosc1Change();
    void cmb12FIOSCFSChange();
    void cmb22xIOSCFSChange();
    void cmb5xFosc0Change();
    void cmb5xFosc1Change();

    void setVisible(bool visible) override;

    QPushButton* btnOk;
    QPushButton* btnCancel;
    QTabWidget* TAB;
    QWidget* tabCB;
    QWidget* tabO;

    QWidget* pnlCfg20x;
    QLabel* lbl20xMCLR;
    QComboBox* cmb20xMCLR;
    QLabel* lbl20xCP;
    QComboBox* cmb20xCP;
    QLabel* lbl20xWDTE;
    QComboBox* cmb20xWDTE;

    QWidget* pnlCfg22x;
    QLabel* lbl22xMCLRE;
    QComboBox* cmb22xMCLRE;
    QLabel* lbl22xCP;
    QComboBox* cmb22xCP;
    QLabel* lbl22xWDTE;
    QComboBox* cmb22xWDTE;
    QLabel* lbl22xMCPU;
    QComboBox* cmb22xMCPU;
    QLabel* lbl22xIOSCFS;
    QComboBox* cmb22xIOSCFS;

    QWidget* pnlCfg12F;
    QLabel* lbl12FMCLRE;
    QComboBox* cmb12FMCLRE;
    QLabel* lbl12FCP;
    QComboBox* cmb12FCP;
    QLabel* lbl12FWDTE;
    QComboBox* cmb12FWDTE;
    QLabel* lbl12FCPDF;
    QComboBox* cmb12FCPDF;
    QLabel* lbl12FFosc1;
    QComboBox* cmb12FFosc1;
    QLabel* lbl12FFosc0;
    QComboBox* cmb12FFosc0;
    QLabel* lbl12FIOSCFS;
    QComboBox* cmb12FIOSCFS;

    QWidget* pnlCfg5X;
    QLabel* lbl5xCP;
    QComboBox* cmb5xCP;
    QLabel* lbl5xWDTE;
    QComboBox* cmb5xWDTE;
    QLabel* lbl5xFosc1;
    QComboBox* cmb5xFosc1;
    QLabel* lbl5xFosc0;
    QComboBox* cmb5xFosc0;

    QGroupBox* gbCF;
    QLabel* lblTCF;
    QLineEdit* edtF;
    QLabel* lblHZ;
    QCheckBox* chkDCF;
    QLabel* lbldcf;

    QGroupBox* gbGetXValue;
    QRadioButton* rbXB0;
    QRadioButton* rbXB1;
    QRadioButton* rbXBr;

private:
    // A list of the shown panel and the ConfigBits entry it stands for.
    struct BitList {
        QLabel* label;
        QComboBox* list;
        int entry;
        int hintId; // -1: no hint
    };

    void buildConfigPage();
    void buildOtherPage();
    void chainTabOrder();
    // The lists of the device's model that have an entry, with their hints.
    std::vector<BitList> modelLists() const;
    int model() const;
    // How many configuration bits the model's catalogue row offers.
    std::size_t modelBitCount() const;

    void ShowDefaultFrequency();
    void UpdateClockSource5x();
    void UpdateClockSource12F();
    // Checks or unchecks chkDCF as the clock source asks; an internal
    // oscillator shows its frequency also when the box was unchecked before,
    // since IOSCFS may have changed it.
    void followClockSource(int sourceTextId, bool external);

    bool controlsLoaded_ = false;
};

// A dialog for `device`, parented to the host's window, holding working
// copies of its engine's configuration bits, bit list and clock.
std::unique_ptr<TformSettings> CreateSettingsDialog(ChipDevice& device);

// The dialog's configuration bits and clock into `engine`.
void TakeBackSettings(const TformSettings& form, Engine& engine);

// The chip device's settings command: shows the dialog modally over the
// host's window; after Ok the engine works with the new bits at once and
// with the new clock from the next run. Does nothing for anything but a live
// chip device, or in a process without a widget application.
extern "C" void ShowSettingsMC(TObject* sender);

// The dialog's error message: a message box with an error symbol by default,
// or whatever a test puts in its place.
using SettingsMessageSink = std::function<void(QWidget* dialog, const QString& text)>;
void ShowSettingsError(QWidget* dialog, const QString& text);
// Replaces the sink and returns the one before; an empty sink brings the
// message box back.
SettingsMessageSink SetSettingsMessageSink(SettingsMessageSink sink);

} // namespace corvel
