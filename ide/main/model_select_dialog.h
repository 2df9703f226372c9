#pragma once

// The dialog in which the user picks a project's microcontroller: first the
// architecture (one line per microcontroller library family found at
// start-up), then the model. Ok binds corvel for the choice and goes on by
// why the dialog was opened. Created once and reused: the lists and the last
// choice are offered again.
#include <cstdint>
#include <functional>

#include <QDialog>
#include <QString>

QT_FORWARD_DECLARE_CLASS(QComboBox)
QT_FORWARD_DECLARE_CLASS(QGroupBox)
QT_FORWARD_DECLARE_CLASS(QLabel)
QT_FORWARD_DECLARE_CLASS(QPushButton)

class TDeviceHost;
class TInfoDevice;

// Why the dialog is shown.
enum TModelChoiceCall : std::uint8_t {
    mcNewProject = 1,
    mcImportAsm = 2,
    mcImportHex = 3,
    // The project loader asks for a model its file names but the system
    // cannot simulate.
    mcReselect = 4,
};

// What the dialog hands on once corvel is bound for the choice: set up the
// project for the call. False keeps the dialog open (a HEX file that could
// not be imported); the callee has shown why.
using TModelChosen = std::function<bool(std::uint8_t typeOfCall, const QString& importFile)>;
// Binds corvel for the host's MCUInfoIndex and MCUModelIndex; false when
// refused (it has shown why).
using TBindModel = std::function<bool()>;

class Tfrmopn : public QDialog {
    Q_OBJECT

public:
    Tfrmopn(TDeviceHost& host, TBindModel bind, TModelChosen chosen, QWidget* parent = nullptr);

    std::uint8_t TypeOfCall = mcNewProject;
    QString NameOfImportFile;

    // Whether the dialog refuses the model named `model`.
    static bool IsRefusedModel(const QString& model);
    // The architecture text of a library: its type text, a blank, its family.
    static QString ArchitectureText(const TInfoDevice& library);

    void ApplyLanguage();

    QGroupBox* grpHexSelectMC = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cbHexSelectFamily = nullptr;
    QComboBox* cbHexSelectMC = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void cbHexSelectFamilyChange();
    void cbHexSelectMCChange();
    void Button1Click();
    void Button2Click();

protected:
    bool event(QEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    bool SelectedModelRefused() const;

    TDeviceHost& host_;
    TBindModel bind_;
    TModelChosen chosen_;
};
