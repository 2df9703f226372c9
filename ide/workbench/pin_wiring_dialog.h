#pragma once

// The pin wiring dialog: one row per port of the selected device with the
// node it is joined to, "[N/C]" for none. Ok moves the ports between the
// nodes' member lists; Cancel, Escape and closing change nothing.
#include <functional>

#include <QDialog>
#include <QString>
#include <QStringList>

QT_FORWARD_DECLARE_CLASS(QComboBox)
QT_FORWARD_DECLARE_CLASS(QPushButton)
QT_FORWARD_DECLARE_CLASS(QTableWidget)

class TDeviceHost;
class TNode;

// What a port joined to no node shows and what picks "no node".
inline constexpr char NotConnectedText[] = "[N/C]";

// A node is named by its first member, the microcontroller pin it was made for.
QString NodeName(const TNode* node);

class TformNodes : public QDialog {
    Q_OBJECT

public:
    explicit TformNodes(TDeviceHost& host, QWidget* parent = nullptr);
    ~TformNodes() override;

    QTableWidget* list;
    QPushButton* Button2; // Ok
    QPushButton* Button1; // Cancel

    // Fills the grid for the host's SelectedDeviceIndex; runs on every show.
    void FormShow();
    // The choices of every row: "[N/C]", then every node's name in node order.
    QStringList listGetPickList() const;
    // Ok: applies every row, then closes.
    void Button2Click();
    // Cancel: closes; nothing changes.
    void Button1Click();

    // Row r's value editor (port r of the selected device); null outside the grid.
    QComboBox* ValueEditor(int row) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    // Joins port `portIndex` of the selected device to the last node named
    // value, or to none when no node bears that name.
    void ApplyRow(int portIndex, const QString& value);

    TDeviceHost& host_;
    // The device the grid was filled for; Ok applies to it only.
    int shownDeviceIndex_ = -1;
};

// The dialog made at start-up while it exists, else null.
extern TformNodes* formNodes;

// Shows a dialog modally and returns its result. Tests put something in its
// place that works the dialog without waiting on it.
using TModalRunner = std::function<int(QDialog& dialog)>;
int RunModalDialog(QDialog& dialog);
// Replaces the runner and returns the one before; an empty runner brings
// QDialog::exec back.
TModalRunner SetModalRunner(TModalRunner runner);
