// The pin wiring dialog: its rows and choices, and how Ok and Cancel move a
// device's ports between the nodes of the chip's pins.
#include <cmath>

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include "workbench_fixture.h"

namespace pin_wiring_dialog_test {
namespace {

class PinWiringTest : public twtest::WorkbenchTest {
protected:
    void SetUp() override
    {
        WorkbenchTest::SetUp();
        dialog = std::make_unique<TformNodes>(*host);
    }

    void TearDown() override
    {
        dialog.reset();
        WorkbenchTest::TearDown();
    }

    // Shows the dialog for device `index` the way the workbench fills it.
    void Open(int index)
    {
        host->SelectedDeviceIndex = index;
        dialog->FormShow();
    }

    QString Key(int row) const { return dialog->list->item(row, 0)->text(); }
    QString Value(int row) const { return dialog->ValueEditor(row)->currentText(); }
    void Choose(int row, const QString& value) { dialog->ValueEditor(row)->setEditText(value); }

    // The pins of node k other than the chip's own, in member order.
    std::vector<TRCPort*> Members(int node) const
    {
        const TRCPorts& ports = host->Nodes()[node]->Ports;
        return std::vector<TRCPort*>(ports.begin() + 1, ports.end());
    }

    std::unique_ptr<TformNodes> dialog;
};

TEST_F(PinWiringTest, EachPortIsARowWithThePinsToChooseFrom)
{
    EXPECT_EQ(dialog->windowTitle(), "Connect pins");
    EXPECT_EQ(dialog->size(), QSize(309, 305));
    EXPECT_EQ(dialog->list->horizontalHeaderItem(0)->text(), "Pin");
    EXPECT_EQ(dialog->list->horizontalHeaderItem(1)->text(), "Node");
    EXPECT_EQ(dialog->Button2->text(), "Ok");
    EXPECT_EQ(dialog->Button1->text(), "Cancel");
    EXPECT_TRUE(dialog->Button2->isDefault());

    const int probe = Place(basic, 100, 100);
    Open(probe);
    ASSERT_EQ(dialog->list->rowCount(), 4);
    const char* names[] = {"OUT5", "OUT0", "IN", "FLOAT"};
    const QStringList choices{"[N/C]", "P0", "P1", "P2", "P3", "P4", "P5", "P6", "P7"};
    EXPECT_EQ(dialog->listGetPickList(), choices);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(Key(row), names[row]);
        EXPECT_FALSE(dialog->list->item(row, 0)->flags() & Qt::ItemIsEditable);
        QComboBox* value = dialog->ValueEditor(row);
        ASSERT_NE(value, nullptr);
        EXPECT_TRUE(value->isEditable());
        EXPECT_EQ(value->currentText(), "[N/C]");
        QStringList offered;
        for (int item = 0; item < value->count(); ++item)
            offered << value->itemText(item);
        EXPECT_EQ(offered, choices);
    }

    // The chip never gets rows; nor does a device that is not there.
    Open(0);
    EXPECT_EQ(dialog->list->rowCount(), 0);
    Open(7);
    EXPECT_EQ(dialog->list->rowCount(), 0);
    dialog->Button2Click();
    EXPECT_EQ(host->Nodes()[0]->Ports.length(), 1);
}

TEST_F(PinWiringTest, OkJoinsMovesAndParksPorts)
{
    const int probe = Place(basic, 100, 100);
    TDevice* device = host->Devices()[probe];
    TRCPort* out5 = device->Port[0];
    TRCPort* in = device->Port[2];

    Open(probe);
    Choose(0, "P3");
    Choose(2, "P3");
    dialog->Button2Click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(out5->Node, host->Nodes()[3]);
    EXPECT_EQ(Members(3), (std::vector<TRCPort*>{out5, in}));
    EXPECT_FLOAT_EQ(host->Nodes()[3]->GetLevel(), 5.0f);

    // The grid shows what is wired; Ok without changes keeps every
    // connection, each port re-appended in row order.
    Open(probe);
    EXPECT_EQ(Value(0), "P3");
    EXPECT_EQ(Value(1), "[N/C]");
    EXPECT_EQ(Value(2), "P3");
    dialog->Button2Click();
    EXPECT_EQ(Members(3), (std::vector<TRCPort*>{out5, in}));

    // From one pin to another, then away again.
    Open(probe);
    Choose(0, "P5");
    dialog->Button2Click();
    EXPECT_EQ(Members(3), (std::vector<TRCPort*>{in}));
    EXPECT_EQ(Members(5), (std::vector<TRCPort*>{out5}));
    EXPECT_EQ(out5->Node, host->Nodes()[5]);

    Open(probe);
    Choose(0, "[N/C]");
    // A typed name is matched exactly: no pin is called "p3".
    Choose(2, "p3");
    dialog->Button2Click();
    EXPECT_EQ(out5->Node, nullptr);
    EXPECT_EQ(in->Node, nullptr);
    for (int node = 0; node < host->Nodes().length(); ++node)
        EXPECT_TRUE(Members(node).empty()) << node;
    for (int node = 0; node < 8; ++node)
        EXPECT_EQ(host->Nodes()[node]->Ports[0], host->Devices()[0]->Port[node]);
}

TEST_F(PinWiringTest, APortListedTwiceLeavesEveryPlaceAndTheLastNodeOfANameWins)
{
    const int probe = Place(basic, 100, 100);
    const int reader = Place(input, 200, 100);
    const int key = Place(mouse, 300, 100);
    // Nodes named after the probe's and the reader's pins join the chip's:
    // "IN" now names node 10 (the probe's) and node 12 (the reader's).
    ASSERT_TRUE(host->CreateNodesForDevice(probe));
    ASSERT_TRUE(host->CreateNodesForDevice(reader));
    ASSERT_EQ(host->Nodes().length(), 13);
    TRCPort* pin = host->Devices()[key]->Port[0];
    // A member listed twice in one node and once in another.
    for (int node : {1, 1, 2}) {
        TRCPorts& members = host->Nodes()[node]->Ports;
        members.resize(members.length() + 1);
        members[members.length() - 1] = pin;
    }

    Open(key);
    EXPECT_EQ(dialog->listGetPickList().count("IN"), 2);
    Choose(0, "IN");
    dialog->Button2Click();
    EXPECT_EQ(pin->Node, host->Nodes()[12]);
    EXPECT_EQ(Members(12).back(), pin);
    EXPECT_TRUE(Members(1).empty());
    EXPECT_TRUE(Members(2).empty());
    EXPECT_EQ(Members(10).size(), 0u);
}

TEST_F(PinWiringTest, CancelEscapeAndClosingChangeNothing)
{
    const int probe = Place(basic, 100, 100);
    TDevice* device = host->Devices()[probe];
    Open(probe);
    Choose(1, "P2");
    dialog->Button2Click();
    ASSERT_EQ(device->Port[1]->Node, host->Nodes()[2]);

    Open(probe);
    Choose(0, "P4");
    Choose(1, "[N/C]");
    Choose(3, "P7");
    dialog->Button1Click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(device->Port[0]->Node, nullptr);
    EXPECT_EQ(device->Port[1]->Node, host->Nodes()[2]);
    EXPECT_EQ(device->Port[3]->Node, nullptr);
    EXPECT_EQ(Members(2), (std::vector<TRCPort*>{device->Port[1]}));

    // Escape is Cancel and Enter is Ok, also while typing in a row.
    dialog->show();
    Choose(0, "P4");
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog->ValueEditor(0)->lineEdit(), &escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(device->Port[0]->Node, nullptr);

    dialog->show();
    Choose(0, "P4");
    dialog->ValueEditor(0)->lineEdit()->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog->ValueEditor(0)->lineEdit(), &enter);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(device->Port[0]->Node, host->Nodes()[4]);
}

TEST_F(PinWiringTest, TheWorkbenchOpensItForTheClickedPeripheral)
{
    const int output_ = Place(output, 100, 100);
    const TModalRunner previous = SetModalRunner([&](QDialog& shown) {
        auto& nodes = dynamic_cast<TformNodes&>(shown);
        nodes.FormShow();
        EXPECT_EQ(nodes.list->rowCount(), 1);
        nodes.ValueEditor(0)->setEditText("P6");
        nodes.Button2Click();
        return nodes.result();
    });
    host->ClickedImage = &PictureOf(output_);
    workbench->mnuPopupSetupPortsClick();
    SetModalRunner(previous);
    EXPECT_EQ(host->SelectedDeviceIndex, output_);
    EXPECT_EQ(host->Devices()[output_]->Port[0]->Node, host->Nodes()[6]);
}

} // namespace

} // namespace pin_wiring_dialog_test
