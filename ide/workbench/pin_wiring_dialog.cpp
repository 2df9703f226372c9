#include "ide/workbench/pin_wiring_dialog.h"

#include <utility>

#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "ide/texts/texts.h"
#include "ide/workbench/device_host.h"

TformNodes* formNodes = nullptr;

namespace {

constexpr int CaptionText = 10;
constexpr int OkText = 101;
constexpr int CancelText = 102;
constexpr int PinColumnText = 3120;
constexpr int NodeColumnText = 3121;

TModalRunner& ModalRunner()
{
    static TModalRunner runner;
    return runner;
}

// Every occurrence of pin leaves the list; the others keep their order.
void RemoveFromList(TRCPorts& members, const TRCPort* pin)
{
    std::int32_t kept = 0;
    const std::int32_t length = members.length();
    for (std::int32_t index = 0; index < length; ++index)
        if (members[index] != pin)
            ++kept;
    if (kept == length)
        return;
    // A shared array is copied first, so other holders keep what they see.
    TRCPorts remaining = TRCPorts::make(kept);
    std::int32_t next = 0;
    for (std::int32_t index = 0; index < length; ++index)
        if (members[index] != pin)
            remaining[next++] = members[index];
    members.release();
    members = remaining;
}

void AppendToList(TRCPorts& members, TRCPort* pin)
{
    const std::int32_t length = members.length();
    members.resize(length + 1);
    members[length] = pin;
}

} // namespace

int RunModalDialog(QDialog& dialog)
{
    if (ModalRunner())
        return ModalRunner()(dialog);
    return dialog.exec();
}

TModalRunner SetModalRunner(TModalRunner runner)
{
    return std::exchange(ModalRunner(), std::move(runner));
}

QString NodeName(const TNode* node)
{
    if (!node || node->Ports.empty() || !node->Ports[0])
        return QString();
    return node->Ports[0]->PortName().toQString();
}

TformNodes::TformNodes(TDeviceHost& host, QWidget* parent)
    : QDialog(parent, Qt::Tool)
    , host_(host)
{
    FormCreate();
    if (!formNodes)
        formNodes = this;
}

TformNodes::~TformNodes()
{
    if (formNodes == this)
        formNodes = nullptr;
}

void TformNodes::FormCreate()
{
    setObjectName(QStringLiteral("formNodes"));
    setFixedSize(309, 305);
    setWindowTitle(GetText(CaptionText));

    list = new QTableWidget(0, 2, this);
    list->setObjectName(QStringLiteral("list"));
    list->setGeometry(0, 0, 309, 257);
    list->setHorizontalHeaderLabels({GetText(PinColumnText), GetText(NodeColumnText)});
    list->setColumnWidth(0, 150);
    list->setColumnWidth(1, 153);
    list->horizontalHeader()->setStretchLastSection(true);
    list->verticalHeader()->hide();
    list->setShowGrid(true);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);

    Button2 = new QPushButton(GetText(OkText), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(121, 263, 89, 34);
    Button2->setDefault(true);
    Button2->setAutoDefault(true);
    connect(Button2, &QPushButton::clicked, this, &TformNodes::Button2Click);

    Button1 = new QPushButton(GetText(CancelText), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(216, 263, 85, 34);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TformNodes::Button1Click);
}

void TformNodes::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

QStringList TformNodes::listGetPickList() const
{
    QStringList choices{QString::fromLatin1(NotConnectedText)};
    for (const TNode* node : host_.Nodes())
        choices << NodeName(node);
    return choices;
}

void TformNodes::FormShow()
{
    while (list->rowCount() > 0)
        list->removeRow(list->rowCount() - 1);
    shownDeviceIndex_ = -1;

    const TDevices& devices = host_.Devices();
    const std::int32_t deviceIndex = host_.SelectedDeviceIndex;
    // Never for the chip (element 0): its pins are the nodes' names.
    if (deviceIndex <= 0 || deviceIndex >= devices.length())
        return;
    shownDeviceIndex_ = deviceIndex;
    const TDevice* device = devices[deviceIndex];

    const QStringList choices = listGetPickList();
    for (const TRCPort* pin : device->Port) {
        const int row = list->rowCount();
        list->insertRow(row);
        auto* key = new QTableWidgetItem(pin->PortName().toQString());
        key->setFlags(Qt::ItemIsEnabled);
        list->setItem(row, 0, key);

        auto* value = new QComboBox(list);
        value->setEditable(true);
        // Typed text stays what it is: it is matched exactly on Ok and never
        // added to the choices.
        value->setInsertPolicy(QComboBox::NoInsert);
        value->setDuplicatesEnabled(true);
        value->addItems(choices);
        if (value->completer())
            value->completer()->setCaseSensitivity(Qt::CaseSensitive);
        value->setFrame(false);
        value->setEditText(pin->Node ? NodeName(pin->Node) : QString::fromLatin1(NotConnectedText));
        list->setCellWidget(row, 1, value);
    }
}

QComboBox* TformNodes::ValueEditor(int row) const
{
    return qobject_cast<QComboBox*>(list->cellWidget(row, 1));
}

void TformNodes::ApplyRow(int portIndex, const QString& value)
{
    const TDevices& devices = host_.Devices();
    if (shownDeviceIndex_ < 0 || shownDeviceIndex_ >= devices.length())
        return;
    TDevice* device = devices[shownDeviceIndex_];
    if (portIndex >= device->Port.length())
        return;
    TRCPort* pin = device->Port[portIndex];

    // Of several nodes with the name, the last one is taken; "[N/C]" and a
    // name that no node bears mean no node.
    TNode* target = nullptr;
    for (TNode* node : host_.Nodes())
        if (NodeName(node) == value)
            target = node;

    pin->Node = target;
    for (TNode* node : host_.Nodes())
        RemoveFromList(node->Ports, pin);
    if (target)
        AppendToList(target->Ports, pin);
}

void TformNodes::Button2Click()
{
    for (int row = 0; row < list->rowCount(); ++row)
        if (const QComboBox* value = ValueEditor(row))
            ApplyRow(row, value->currentText());
    accept();
}

void TformNodes::Button1Click()
{
    reject();
}
