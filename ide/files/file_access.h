#pragma once

// Reading and writing whole files safely: a write never leaves a damaged
// file (the bytes go to a new file beside the target, which replaces the
// target only once everything was written and flushed), and a read never
// takes more than its caller can use.
#include <QByteArray>
#include <QString>

// True when fileName now holds exactly `bytes`. On false the old file (if any)
// is untouched and *error, when given, says why in the platform's words.
bool WriteFileSafely(const QString& fileName, const QByteArray& bytes, QString* error = nullptr);

enum class TReadResult { Read, Failed, TooLarge };

// The whole file into *bytes, unless it holds more than maxBytes (then
// TooLarge, without reading past maxBytes + 1) or cannot be read (Failed,
// with the platform's reason in *error).
TReadResult ReadFileBounded(const QString& fileName, qint64 maxBytes, QByteArray* bytes, QString* error = nullptr);
