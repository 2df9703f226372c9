#pragma once

// A way to look at the register views with a real model before the project
// commands exist: the environment variable TARNWICK_VIEW_MODEL names a model
// (for example "PIC16F59"); the main window binds the microcontroller library
// that lists it, selects it and shows its state. For tests and screenshots.
#include <QString>

class TDeviceHost;
class TMainForm;

// Binds the library of the first description that lists `model` (compared
// without regard to case), selects that model and lets the views show it.
// False when no library lists it or the bind was refused.
bool BindModelForViewing(TMainForm& form, TDeviceHost& host, const QString& model);

// BindModelForViewing with the model that TARNWICK_VIEW_MODEL names; does
// nothing when it is not set.
void BindModelFromEnvironment(TMainForm& form, TDeviceHost& host);
