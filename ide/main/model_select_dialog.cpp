#include "ide/main/model_select_dialog.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ide/main/user_message.h"
#include "ide/texts/texts.h"
#include "ide/workbench/device_host.h"

namespace {

constexpr std::int32_t CaptionText = 5;
constexpr std::int32_t OkText = 101;
constexpr std::int32_t CancelText = 102;
constexpr std::int32_t GroupText = 400;
constexpr std::int32_t ArchitectureLabelText = 401;
constexpr std::int32_t ModelLabelText = 402;
constexpr std::int32_t NotAvailableText = 403;
constexpr std::int32_t SelectValidModelText = 2010;

// Microcontroller libraries have kind 0.
constexpr std::uint8_t MicrocontrollerKind = 0;

const char* const RefusedModels[] = {"PIC12F519", "PIC16F505", "PIC16F506", "PIC16F526"};

} // namespace

Tfrmopn::Tfrmopn(TDeviceHost& host, TBindModel bind, TModelChosen chosen, QWidget* parent)
    : QDialog(parent)
    , host_(host)
    , bind_(std::move(bind))
    , chosen_(std::move(chosen))
{
    FormCreate();
}

bool Tfrmopn::IsRefusedModel(const QString& model)
{
    return std::any_of(std::begin(RefusedModels), std::end(RefusedModels),
                       [&](const char* refused) { return model == QLatin1String(refused); });
}

QString Tfrmopn::ArchitectureText(const TInfoDevice& library)
{
    return library.vSType.toQString() + QLatin1Char(' ') + library.vSFamily.toQString();
}

void Tfrmopn::FormCreate()
{
    setObjectName(QStringLiteral("frmopn"));
    setModal(true);
    setFixedSize(188, 185);
    setWindowOpacity(250.0 / 255.0);

    grpHexSelectMC = new QGroupBox(this);
    grpHexSelectMC->setGeometry(4, 6, 180, 112);
    Label1 = new QLabel(grpHexSelectMC);
    Label1->setGeometry(6, 18, 168, 16);
    cbHexSelectFamily = new QComboBox(grpHexSelectMC);
    cbHexSelectFamily->setObjectName(QStringLiteral("cbHexSelectFamily"));
    cbHexSelectFamily->setGeometry(6, 34, 168, 22);
    Label2 = new QLabel(grpHexSelectMC);
    Label2->setGeometry(6, 62, 168, 16);
    cbHexSelectMC = new QComboBox(grpHexSelectMC);
    cbHexSelectMC->setObjectName(QStringLiteral("cbHexSelectMC"));
    cbHexSelectMC->setGeometry(6, 78, 168, 22);

    // The architecture text is longer than the dialog is wide: the open
    // list shows it whole.
    for (QComboBox* box : {cbHexSelectFamily, cbHexSelectMC})
        box->view()->setMinimumWidth(240);

    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(14, 128, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(99, 128, 75, 25);

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(0, 160, 188, 18);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setStyleSheet(QStringLiteral("color: red;"));
    Label3->hide();

    ApplyLanguage();

    for (const auto& library : host_.InfoDevices()) {
        if (library->vType != MicrocontrollerKind)
            continue;
        const QString architecture = ArchitectureText(*library);
        if (cbHexSelectFamily->findText(architecture) < 0)
            cbHexSelectFamily->addItem(architecture);
    }
    cbHexSelectFamily->model()->sort(0);
    cbHexSelectFamily->setCurrentIndex(cbHexSelectFamily->count() > 0 ? 0 : -1);
    cbHexSelectFamilyChange();
    cbHexSelectMCChange();

    // Only the user's choices run the handlers, as the lists are filled by
    // the program above.
    connect(cbHexSelectFamily, &QComboBox::activated, this, [this] {
        cbHexSelectFamilyChange();
        cbHexSelectMCChange();
    });
    connect(cbHexSelectMC, &QComboBox::activated, this, &Tfrmopn::cbHexSelectMCChange);
    connect(Button1, &QPushButton::clicked, this, &Tfrmopn::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tfrmopn::Button2Click);
}

void Tfrmopn::ApplyLanguage()
{
    setWindowTitle(GetText(CaptionText));
    grpHexSelectMC->setTitle(GetText(GroupText));
    Label1->setText(GetText(ArchitectureLabelText));
    Label2->setText(GetText(ModelLabelText));
    Label3->setText(GetText(NotAvailableText));
    Button1->setText(GetText(OkText));
    Button2->setText(GetText(CancelText));
}

void Tfrmopn::cbHexSelectFamilyChange()
{
    cbHexSelectMC->clear();
    const QString architecture = cbHexSelectFamily->currentText();
    for (const auto& library : host_.InfoDevices()) {
        if (library->vType != MicrocontrollerKind || ArchitectureText(*library) != architecture)
            continue;
        for (const TShortString& model : library->vSModel)
            cbHexSelectMC->addItem(model.toQString());
    }
    cbHexSelectMC->setCurrentIndex(cbHexSelectMC->count() > 0 ? 0 : -1);
}

bool Tfrmopn::SelectedModelRefused() const
{
    return IsRefusedModel(cbHexSelectMC->currentText());
}

void Tfrmopn::cbHexSelectMCChange()
{
    const bool refused = SelectedModelRefused();
    Button1->setEnabled(!refused);
    Label3->setVisible(refused);
}

bool Tfrmopn::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void Tfrmopn::FormActivate()
{
    Button1->setEnabled(!SelectedModelRefused());
}

void Tfrmopn::Button1Click()
{
    const QString model = cbHexSelectMC->currentText();
    if (model.isEmpty()) {
        ShowUserMessage(GetText(SelectValidModelText));
        return;
    }
    // A refused model never gets this far, whoever presses Ok.
    if (IsRefusedModel(model))
        return;
    Button1->setEnabled(false);

    const QString architecture = cbHexSelectFamily->currentText();
    const auto& libraries = host_.InfoDevices();
    for (std::size_t entry = 0; entry < libraries.size(); ++entry) {
        const TDeviceLibraryInfo& library = *libraries[entry];
        if (library.vType != MicrocontrollerKind || ArchitectureText(library) != architecture)
            continue;
        for (std::int32_t index = 0; index < library.vSModel.length(); ++index)
            if (library.vSModel[index].toQString() == model) {
                host_.MCUInfoIndex = std::int32_t(entry);
                host_.MCUModelIndex = index;
            }
    }

    if (!bind_ || !bind_())
        return; // Ok comes back when the dialog is next activated
    if (chosen_ && !chosen_(TypeOfCall, NameOfImportFile)) {
        Button1->setEnabled(true);
        return;
    }
    accept();
}

void Tfrmopn::Button2Click()
{
    reject();
}
