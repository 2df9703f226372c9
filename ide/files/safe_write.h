#pragma once

// Writing a whole file so that a failure never leaves a damaged one: the bytes
// go to a new file beside the target, which replaces the target only once
// everything was written and flushed.
#include <QByteArray>
#include <QString>

// True when fileName now holds exactly `bytes`. On false the old file (if any)
// is untouched and *error, when given, says why in the platform's words.
bool WriteFileSafely(const QString& fileName, const QByteArray& bytes, QString* error = nullptr);
