#pragma once

// The start-up log kept on disk, so that it survives a crash during start-up:
// "CrashLog.txt" in the folder "Veltrona Tarnwick Baseline edition" under the
// user's temporary folder.
#include <QString>
#include <QStringList>

QString CrashLogPath();

// Writes every line, each followed by a line break, in the locale's encoding,
// replacing what the file held. The folder is created (for this user only)
// when it is missing. False, with nothing written, when the folder or the
// file is not this user's own, is reached through a symbolic link, is not a
// plain folder or file, or cannot be written.
bool SaveCrashLog(const QStringList& lines);
