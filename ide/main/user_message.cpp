#include "ide/main/user_message.h"

#include <utility>

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QUrl>

#include "devices/contract.h"
#include "ide/texts/texts.h"

namespace {

TMessageSink& Sink()
{
    static TMessageSink sink;
    return sink;
}

TUrlSink& UrlSink()
{
    static TUrlSink sink;
    return sink;
}

TDialogSink& DialogSink()
{
    static TDialogSink sink;
    return sink;
}

} // namespace

void ShowUserMessage(const QString& text)
{
    if (Sink()) {
        Sink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, GetText(1), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

TMessageSink SetMessageSink(TMessageSink sink)
{
    return std::exchange(Sink(), std::move(sink));
}

void OpenUserUrl(const QString& address)
{
    if (UrlSink()) {
        UrlSink()(address);
        return;
    }
    QDesktopServices::openUrl(QUrl(address));
}

TUrlSink SetUrlSink(TUrlSink sink)
{
    return std::exchange(UrlSink(), std::move(sink));
}

int ExecUserDialog(QDialog& dialog)
{
    if (DialogSink())
        return DialogSink()(dialog);
    return dialog.exec();
}

TDialogSink SetDialogSink(TDialogSink sink)
{
    return std::exchange(DialogSink(), std::move(sink));
}

namespace {

TDeviceSettingsSink& DeviceSettingsSink()
{
    static TDeviceSettingsSink sink;
    return sink;
}

} // namespace

void ShowDeviceSettings(TDevice& device)
{
    if (DeviceSettingsSink()) {
        DeviceSettingsSink()(device);
        return;
    }
    device.ShowSettings();
}

TDeviceSettingsSink SetDeviceSettingsSink(TDeviceSettingsSink sink)
{
    return std::exchange(DeviceSettingsSink(), std::move(sink));
}
