#pragma once

// Every message the main program shows to the user passes through here: a
// message box by default, or whatever a test puts in its place.
#include <functional>

#include <QString>

using TMessageSink = std::function<void(const QString& text)>;

// Shows text in a message box over the active window, or hands it to the sink.
void ShowUserMessage(const QString& text);

// Replaces the sink and returns the one before; an empty sink brings the
// message box back.
TMessageSink SetMessageSink(TMessageSink sink);

// ---- Addresses opened in the user's web browser

using TUrlSink = std::function<void(const QString& address)>;

// Opens the address in the default web browser, or hands it to the sink.
void OpenUserUrl(const QString& address);
TUrlSink SetUrlSink(TUrlSink sink);

// ---- Modal dialogs

class QDialog;
using TDialogSink = std::function<int(QDialog& dialog)>;

// Shows the dialog modally and returns its result, or lets the sink answer
// for the user (a test's sink may press the dialog's buttons itself).
int ExecUserDialog(QDialog& dialog);
TDialogSink SetDialogSink(TDialogSink sink);

// ---- A device library's own settings dialog

class TDevice;
using TDeviceSettingsSink = std::function<void(TDevice& device)>;

// Shows the device's settings dialog (the library's own, modal), or lets the
// sink act for the user.
void ShowDeviceSettings(TDevice& device);
TDeviceSettingsSink SetDeviceSettingsSink(TDeviceSettingsSink sink);
