#include "mcu-device/config_dialog.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTabWidget>

#include "engine/catalogue.h"
#include "mcu-device/chip_device.h"
#include "mcu-device/chip_save_data.h"
#include "mcu-device/config_dialog_layout.h"
#include "mcu-device/library_texts.h"

namespace corvel {
namespace {

using Family = ConfigFamily;

// The page of the model's configuration bits; none for a model without a row.
Family familyOf(int model)
{
    const ModelEntry* row = listedModel(model);
    return row ? row->configFamily : Family::None;
}

// The models whose internal oscillator can run at 8 MHz.
bool hasFastOscillator(int model)
{
    return save_data::ioscfsBit(model) >= 0;
}

// The oscillator hints separate their lines with line feed then carriage
// return; a tool tip shows a stray carriage return as a blank or a box.
QString hintText(int textId)
{
    QString text = GetTextMC(textId);
    text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    text.remove(QLatin1Char('\r'));
    return text;
}

bool selectsOne(const QComboBox* list)
{
    return list->currentIndex() == 1;
}

// One to nine decimal digits; anything else is no frequency.
std::optional<std::int32_t> frequencyOf(const QString& text)
{
    if (text.isEmpty() || text.size() > save_data::kFrequencyDigits)
        return std::nullopt;
    std::int32_t value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

constexpr std::int32_t kLowestUserFrequency = 100;

SettingsMessageSink& messageSink()
{
    static SettingsMessageSink sink;
    return sink;
}

} // namespace

// ---------------------------------------------------------------------------
// Construction: the controls as designed, without texts that depend on the
// model or the language.

TformSettings::TformSettings(QWidget* parent)
    : QDialog(parent)
{
    using namespace settings_layout;
    setObjectName(QStringLiteral("formSettings"));
    setFixedSize(kClientWidth, kClientHeight);

    TAB = named(new QTabWidget(this), "TAB");
    TAB->setGeometry(kTabs);
    tabCB = named(new QWidget, "tabCB");
    tabO = named(new QWidget, "tabO");
    TAB->addTab(tabCB, QString());
    TAB->addTab(tabO, QString());

    btnOk = named(new QPushButton(this), "btnOk");
    btnOk->setGeometry(kOkButton);
    btnOk->setDefault(true);
    btnCancel = named(new QPushButton(this), "btnCancel");
    btnCancel->setGeometry(kCancelButton);

    buildConfigPage();
    buildOtherPage();
    chainTabOrder();

    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(chkDCF, &QCheckBox::toggled, this, [this] { chkDCFClick(); });
    connect(cmb12FFosc0, &QComboBox::currentIndexChanged, this, [this] { cmb12FFosc0Change(); });
    connect(cmb12FFosc1, &QComboBox::currentIndexChanged, this, [this] { cmb12FFosc1Change(); });
    connect(cmb12FIOSCFS, &QComboBox::currentIndexChanged, this, [this] { cmb12FIOSCFSChange(); });
    connect(cmb22xIOSCFS, &QComboBox::currentIndexChanged, this, [this] { cmb22xIOSCFSChange(); });
    connect(cmb5xFosc0, &QComboBox::currentIndexChanged, this, [this] { cmb5xFosc0Change(); });
    connect(cmb5xFosc1, &QComboBox::currentIndexChanged, this, [this] { cmb5xFosc1Change(); });
}

void TformSettings::buildConfigPage()
{
    using namespace settings_layout;
    const auto panel = [this](const char* name) {
        QWidget* widget = named(new QWidget(tabCB), name);
        widget->setGeometry(kPanel);
        return widget;
    };
    // Captions of the bit labels are the bits' names, the same in every language.
    const auto row = [](QWidget* parent, int column, int line, const char* caption, const char* labelName,
                        QLabel*& label, const char* listName, QComboBox*& list) {
        label = named(new QLabel(QString::fromUtf8(caption), parent), labelName);
        label->setGeometry(bitLabel(column, line));
        list = named(new QComboBox(parent), listName);
        list->setGeometry(bitList(column, line));
        label->setBuddy(list);
    };

    pnlCfg20x = panel("pnlCfg20x");
    row(pnlCfg20x, 0, 0, "MCLRE", "lbl20xMCLR", lbl20xMCLR, "cmb20xMCLR", cmb20xMCLR);
    row(pnlCfg20x, 0, 1, "\\CP", "lbl20xCP", lbl20xCP, "cmb20xCP", cmb20xCP);
    row(pnlCfg20x, 0, 2, "WDTE", "lbl20xWDTE", lbl20xWDTE, "cmb20xWDTE", cmb20xWDTE);

    pnlCfg22x = panel("pnlCfg22x");
    row(pnlCfg22x, 0, 0, "MCLRE", "lbl22xMCLRE", lbl22xMCLRE, "cmb22xMCLRE", cmb22xMCLRE);
    row(pnlCfg22x, 0, 1, "\\CP", "lbl22xCP", lbl22xCP, "cmb22xCP", cmb22xCP);
    row(pnlCfg22x, 0, 2, "WDTE", "lbl22xWDTE", lbl22xWDTE, "cmb22xWDTE", cmb22xWDTE);
    row(pnlCfg22x, 1, 0, "\\MCPU", "lbl22xMCPU", lbl22xMCPU, "cmb22xMCPU", cmb22xMCPU);
    row(pnlCfg22x, 1, 1, "IOSCFS", "lbl22xIOSCFS", lbl22xIOSCFS, "cmb22xIOSCFS", cmb22xIOSCFS);

    pnlCfg12F = panel("pnlCfg12F");
    row(pnlCfg12F, 0, 0, "MCLRE", "lbl12FMCLRE", lbl12FMCLRE, "cmb12FMCLRE", cmb12FMCLRE);
    row(pnlCfg12F, 0, 1, "\\CP", "lbl12FCP", lbl12FCP, "cmb12FCP", cmb12FCP);
    row(pnlCfg12F, 0, 2, "WDTE", "lbl12FWDTE", lbl12FWDTE, "cmb12FWDTE", cmb12FWDTE);
    row(pnlCfg12F, 0, 3, "\\CPDF", "lbl12FCPDF", lbl12FCPDF, "cmb12FCPDF", cmb12FCPDF);
    row(pnlCfg12F, 1, 0, "Fosc1", "lbl12FFosc1", lbl12FFosc1, "cmb12FFosc1", cmb12FFosc1);
    row(pnlCfg12F, 1, 1, "Fosc0", "lbl12FFosc0", lbl12FFosc0, "cmb12FFosc0", cmb12FFosc0);
    row(pnlCfg12F, 1, 2, "IOSCFS", "lbl12FIOSCFS", lbl12FIOSCFS, "cmb12FIOSCFS", cmb12FIOSCFS);

    pnlCfg5X = panel("pnlCfg5X");
    row(pnlCfg5X, 0, 0, "\\CP", "lbl5xCP", lbl5xCP, "cmb5xCP", cmb5xCP);
    row(pnlCfg5X, 0, 1, "WDTE", "lbl5xWDTE", lbl5xWDTE, "cmb5xWDTE", cmb5xWDTE);
    row(pnlCfg5X, 1, 0, "Fosc1", "lbl5xFosc1", lbl5xFosc1, "cmb5xFosc1", cmb5xFosc1);
    row(pnlCfg5X, 1, 1, "Fosc0", "lbl5xFosc0", lbl5xFosc0, "cmb5xFosc0", cmb5xFosc0);

    gbCF = named(new QGroupBox(tabCB), "gbCF");
    gbCF->setGeometry(kClockGroup);
    lblTCF = named(new QLabel(gbCF), "lblTCF");
    lblTCF->setGeometry(kFrequencyLabel);
    lblTCF->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtF = named(new QLineEdit(gbCF), "edtF");
    edtF->setGeometry(kFrequencyEdit);
    edtF->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtF->setMaxLength(save_data::kFrequencyDigits);
    edtF->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edtF));
    edtF->setReadOnly(true);
    lblTCF->setBuddy(edtF);
    lblHZ = named(new QLabel(gbCF), "lblHZ");
    lblHZ->setGeometry(kUnitLabel);
    chkDCF = named(new WrappingCheckBox(gbCF), "chkDCF");
    chkDCF->setGeometry(kUserFrequencyBox);
    lbldcf = named(new QLabel(gbCF), "lbldcf");
    lbldcf->setGeometry(kClockSourceLabel);
    lbldcf->setWordWrap(true);
    lbldcf->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TformSettings::buildOtherPage()
{
    using namespace settings_layout;
    gbGetXValue = named(new QGroupBox(tabO), "gbGetXValue");
    gbGetXValue->setGeometry(kUnknownBitGroup);
    rbXB0 = named(new QRadioButton(gbGetXValue), "rbXB0");
    rbXB0->setGeometry(unknownBitChoice(0));
    rbXB0->setChecked(true);
    rbXB1 = named(new QRadioButton(gbGetXValue), "rbXB1");
    rbXB1->setGeometry(unknownBitChoice(1));
    rbXBr = named(new QRadioButton(gbGetXValue), "rbXBr");
    rbXBr->setGeometry(unknownBitChoice(2));
}

// In reading order: each panel's left column, then its right one; hidden
// panels and the page not shown drop out of the chain by themselves.
void TformSettings::chainTabOrder()
{
    QWidget* const order[] = {
        TAB,
        cmb20xMCLR, cmb20xCP, cmb20xWDTE,
        cmb22xMCLRE, cmb22xCP, cmb22xWDTE, cmb22xMCPU, cmb22xIOSCFS,
        cmb12FMCLRE, cmb12FCP, cmb12FWDTE, cmb12FCPDF, cmb12FFosc1, cmb12FFosc0, cmb12FIOSCFS,
        cmb5xCP, cmb5xWDTE, cmb5xFosc1, cmb5xFosc0,
        edtF, chkDCF,
        rbXB0, rbXB1, rbXBr,
        btnOk, btnCancel,
    };
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

int TformSettings::model() const
{
    return Device ? Device->model() : -1;
}

std::size_t TformSettings::modelBitCount() const
{
    const ModelEntry* row = listedModel(model());
    return row ? row->configBits.size() : 0;
}

std::vector<TformSettings::BitList> TformSettings::modelLists() const
{
    std::vector<BitList> lists;
    switch (familyOf(model())) {
    case Family::Pic10F20x:
        lists = {{lbl20xWDTE, cmb20xWDTE, 0, 20}, {lbl20xCP, cmb20xCP, 1, 21}, {lbl20xMCLR, cmb20xMCLR, 2, 22}};
        break;
    case Family::Pic10F22x:
        lists = {{lbl22xIOSCFS, cmb22xIOSCFS, 0, -1},
                 {lbl22xMCPU, cmb22xMCPU, 1, -1},
                 {lbl22xWDTE, cmb22xWDTE, 2, 20},
                 {lbl22xCP, cmb22xCP, 3, 21},
                 {lbl22xMCLRE, cmb22xMCLRE, 4, 22}};
        break;
    case Family::Pic12F:
        lists = {{lbl12FFosc0, cmb12FFosc0, 0, 25},
                 {lbl12FFosc1, cmb12FFosc1, 1, 25},
                 {lbl12FWDTE, cmb12FWDTE, 2, 20},
                 {lbl12FCP, cmb12FCP, 3, 21},
                 {lbl12FMCLRE, cmb12FMCLRE, 4, 22}};
        // IOSCFS and \CPDF follow where the model's row has them.
        if (modelBitCount() > 5)
            lists.push_back({lbl12FIOSCFS, cmb12FIOSCFS, 5, 23});
        if (modelBitCount() > 6)
            lists.push_back({lbl12FCPDF, cmb12FCPDF, 6, 26});
        break;
    case Family::Pic16F5x:
        lists = {{lbl5xFosc0, cmb5xFosc0, 0, 27},
                 {lbl5xFosc1, cmb5xFosc1, 1, 27},
                 {lbl5xWDTE, cmb5xWDTE, 2, 20},
                 {lbl5xCP, cmb5xCP, 3, 21}};
        break;
    case Family::None:
        break;
    }
    std::erase_if(lists, [this](const BitList& list) { return list.entry >= std::ssize(ConfigBits); });
    return lists;
}

// ---------------------------------------------------------------------------
// Loading the controls

void TformSettings::setVisible(bool visible)
{
    if (visible && !controlsLoaded_) {
        controlsLoaded_ = true;
        FormActivate();
    }
    QDialog::setVisible(visible);
}

void TformSettings::FormActivate()
{
    setWindowTitle(GetTextMC(3) + QStringLiteral(": ") + GetTextMC(0) + QStringLiteral(" (")
                   + QString::number(InternalIndex) + QLatin1Char(')'));

    for (QWidget* panel : {pnlCfg20x, pnlCfg22x, pnlCfg12F, pnlCfg5X})
        panel->hide();
    for (QWidget* control : std::initializer_list<QWidget*>{lbl12FCPDF, cmb12FCPDF, lbl12FIOSCFS, cmb12FIOSCFS})
        control->setEnabled(false);

    btnOk->setText(GetTextMC(1));
    btnCancel->setText(GetTextMC(2));
    TAB->setTabText(TAB->indexOf(tabCB), GetTextMC(10));
    TAB->setTabText(TAB->indexOf(tabO), GetTextMC(11));
    chkDCF->setText(GetTextMC(200));
    gbCF->setTitle(GetTextMC(201));
    lblTCF->setText(GetTextMC(202));
    lblHZ->setText(GetTextMC(203));
    gbGetXValue->setTitle(GetTextMC(204));
    rbXB0->setText(GetTextMC(205));
    rbXB1->setText(GetTextMC(206));
    rbXBr->setText(GetTextMC(207));
    chkDCF->show();
    lbldcf->hide();

    edtF->setText(QString::number(rtCrystalFreq));
    if (!Device)
        return;
    // A record from a damaged project file may be short; it is read and
    // written only once it has its 23 characters.
    save_data::normaliseRecord(*Device, Config);
    const TArrayChar record = Device->SaveData();
    if (record[save_data::kUserFrequencyFlag] == '1')
        chkDCF->setChecked(true); // shows the stored frequency, editable

    switch (record[save_data::kUnknownBit]) {
    case '0':
        rbXB0->setChecked(true);
        break;
    case '1':
        rbXB1->setChecked(true);
        break;
    default:
        rbXBr->setChecked(true);
        break;
    }

    const Family family = familyOf(model());
    const std::vector<BitList> lists = modelLists();
    for (const BitList& bit : lists) {
        const TConfigBits& entry = ConfigBits[size_t(bit.entry)];
        const QSignalBlocker quiet(bit.list);
        bit.list->clear();
        bit.list->addItem(GetTextMC(entry.Value0Id));
        bit.list->addItem(GetTextMC(entry.Value1Id));
        const bool set = entry.No >= 0 && entry.No < std::ssize(Config) && Config[size_t(entry.No)] != 0;
        bit.list->setCurrentIndex(set ? 1 : 0);
        bit.label->setEnabled(true);
        bit.list->setEnabled(true);
        if (bit.hintId >= 0) {
            bit.label->setToolTip(hintText(bit.hintId));
            bit.list->setToolTip(hintText(bit.hintId));
        }
    }

    switch (family) {
    case Family::Pic10F20x:
        pnlCfg20x->show();
        break;
    case Family::Pic10F22x:
        pnlCfg22x->show();
        break;
    case Family::Pic12F:
        lblTCF->setText(GetTextMC(208));
        chkDCF->hide();
        lbldcf->show();
        pnlCfg12F->show();
        UpdateClockSource12F();
        break;
    case Family::Pic16F5x:
        lblTCF->setText(GetTextMC(208));
        chkDCF->hide();
        lbldcf->show();
        pnlCfg5X->show();
        UpdateClockSource5x();
        break;
    case Family::None:
        break;
    }
}

// ---------------------------------------------------------------------------
// Clock source and frequency

void TformSettings::followClockSource(int sourceTextId, bool external)
{
    lbldcf->setText(GetTextMC(209) + GetTextMC(sourceTextId));
    if (chkDCF->isChecked() != external)
        chkDCF->setChecked(external);
    else if (!external)
        ShowDefaultFrequency();
}

void TformSettings::UpdateClockSource12F()
{
    const bool fosc1 = selectsOne(cmb12FFosc1);
    const bool fosc0 = selectsOne(cmb12FFosc0);
    if (!fosc1)
        followClockSource(fosc0 ? 211 : 210, true);
    else if (fosc0)
        followClockSource(214, true);
    else {
        const bool fast = hasFastOscillator(model()) && selectsOne(cmb12FIOSCFS);
        followClockSource(fast ? 213 : 212, false);
    }
}

void TformSettings::UpdateClockSource5x()
{
    constexpr int kSourceText[2][2] = {{210, 211}, {215, 214}};
    followClockSource(kSourceText[selectsOne(cmb5xFosc1)][selectsOne(cmb5xFosc0)], true);
}

void TformSettings::ShowDefaultFrequency()
{
    if (chkDCF->isChecked())
        return;
    bool ioscfs = false;
    switch (familyOf(model())) {
    case Family::Pic10F22x:
        ioscfs = selectsOne(cmb22xIOSCFS);
        break;
    case Family::Pic12F:
        ioscfs = selectsOne(cmb12FIOSCFS);
        break;
    default:
        break;
    }
    edtF->setText(QString::number(save_data::internalFrequency(model(), ioscfs)));
}

void TformSettings::chkDCFClick()
{
    if (chkDCF->isChecked()) {
        QString digits;
        if (Device && Device->LenSaveData() == save_data::kLength)
            if (const auto stored = save_data::storedFrequency(Device->SaveData()))
                digits = QString::number(*stored);
        edtF->setText(digits);
        edtF->setReadOnly(false);
    } else {
        ShowDefaultFrequency();
        edtF->setReadOnly(true);
    }
}

void TformSettings::cmb12FFosc0Change()
{
    UpdateClockSource12F();
}

void TformSettings::cmb12FFosc1Change()
{
    UpdateClockSource12F();
}

void TformSettings::cmb12FIOSCFSChange()
{
    UpdateClockSource12F();
}

// On PIC10F220/222 IOSCFS picks the internal oscillator's frequency, which
// the dialog shows and stores unless the user chose one.
void TformSettings::cmb22xIOSCFSChange()
{
    ShowDefaultFrequency();
}

void TformSettings::cmb5xFosc0Change()
{
    UpdateClockSource5x();
}

void TformSettings::cmb5xFosc1Change()
{
    UpdateClockSource5x();
}

// ---------------------------------------------------------------------------
// Closing

void TformSettings::btnOkClick()
{
    const std::optional<std::int32_t> frequency = frequencyOf(edtF->text());
    const bool userFrequency = chkDCF->isChecked();
    if (userFrequency && (!frequency || *frequency < kLowestUserFrequency)) {
        ShowSettingsError(this, GetTextMC(100));
        return;
    }

    for (const BitList& bit : modelLists()) {
        const int no = ConfigBits[size_t(bit.entry)].No;
        if (no >= 0 && no < std::ssize(Config))
            Config[size_t(no)] = selectsOne(bit.list) ? 1 : 0;
    }

    if (Device) {
        save_data::normaliseRecord(*Device, Config);
        const TArrayChar record = Device->SaveData();
        for (int bit = 0; bit < save_data::kConfigBits; ++bit)
            record[bit] = Config[size_t(bit)] == 1 ? '1' : '0';
        if (userFrequency) {
            record[save_data::kUserFrequencyFlag] = '1';
            const QByteArray digits = edtF->text().rightJustified(save_data::kFrequencyDigits, QLatin1Char('0')).toLatin1();
            std::copy(digits.begin(), digits.end(), record.begin() + save_data::kFrequency);
        } else {
            record[save_data::kUserFrequencyFlag] = '0';
        }
        record[save_data::kUnknownBit] = rbXB0->isChecked() ? '0' : rbXB1->isChecked() ? '1' : 'R';
    }
    // The frequency shown is the one the chip runs at: the user's, or the
    // internal oscillator's.
    if (frequency)
        rtCrystalFreq = *frequency;
    accept();
}

void TformSettings::btnCancelClick()
{
    reject();
}

// ---------------------------------------------------------------------------
// Opening from the chip device

std::unique_ptr<TformSettings> CreateSettingsDialog(ChipDevice& device)
{
    auto form = std::make_unique<TformSettings>(device.HostHandle());
    const Engine& engine = device.engine();
    form->InternalIndex = device.InternalIndex;
    form->Device = &device;
    form->Config = engine.Config;
    form->ConfigBits = engine.ConfigBits;
    form->rtCrystalFreq = engine.crystalFrequency;
    return form;
}

void TakeBackSettings(const TformSettings& form, Engine& engine)
{
    engine.Config = form.Config;
    engine.crystalFrequency = form.rtCrystalFreq;
}

extern "C" void ShowSettingsMC(TObject* sender)
{
    ChipDevice* device = asChipDevice(sender);
    if (!device || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    // The host's window may close while the dialog runs its own event loop.
    QPointer<TformSettings> form = CreateSettingsDialog(*device).release();
    const int result = form->exec();
    if (!form)
        return;
    // Cancel and the close box leave the engine as it is.
    if (result == QDialog::Accepted)
        TakeBackSettings(*form, device->engine());
    delete form;
}

void ShowSettingsError(QWidget* dialog, const QString& text)
{
    if (messageSink()) {
        messageSink()(dialog, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, dialog ? dialog->windowTitle() : QString(), text, QMessageBox::Ok, dialog);
    box.exec();
}

SettingsMessageSink SetSettingsMessageSink(SettingsMessageSink sink)
{
    return std::exchange(messageSink(), std::move(sink));
}

} // namespace corvel
