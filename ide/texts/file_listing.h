#pragma once

// The file listing behind the device-library search.
#include <QString>
#include <QStringList>

// Full paths of the regular files in folder whose names match mask ("*" any
// run of characters, "?" exactly one; case-sensitive, as names are on Linux),
// and with recursive set those of every subfolder at any depth as well.
//
// Order: depth first, each folder's entries sorted by name (ordinal order,
// independent of locale and file system) and each subfolder walked
// where it is met, so the result is the same on every run.
// Folders are never listed, even when their name matches. A symbolic link to
// a file is listed like the file; a symbolic link to a folder is neither
// listed nor entered, so a linked loop cannot make the walk endless and no
// file is found twice. Entries that are not regular files (sockets, pipes,
// devices, dangling links) are skipped, as are folders that cannot be read.
// A folder that does not exist, or is not a folder, yields an empty list:
// for the search that simply means no libraries were found.
QStringList FindFilesByMask(const QString& folder, const QString& mask, bool recursive);

// Whether name matches mask with the wildcards "*" and "?".
bool MatchesMask(const QString& name, const QString& mask);
