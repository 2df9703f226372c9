#pragma once

// Assembly source files as the editor imports and exports them: read as UTF-8,
// or as Windows-1251 when the bytes are not valid UTF-8, with CR LF, LF or CR
// line ends; written as UTF-8 with every line ended by CR LF.
#include <QByteArray>
#include <QString>
#include <QStringList>

// The text of a source file's bytes (a leading UTF-8 byte-order mark dropped).
QString DecodeSourceFile(const QByteArray& bytes);

// The lines of a source file: each line end closes a line, and a line end at
// the very end opens none.
QStringList SourceFileLines(const QByteArray& bytes);

// The bytes of a source file holding `lines`; SourceFileLines reads them back.
QByteArray SourceFileBytes(const QStringList& lines);

// Writes `lines` to fileName, replacing it only once the whole file is
// written; false (and *error) when it could not be written.
bool ExportAsmFile(const QString& fileName, const QStringList& lines, QString* error = nullptr);
