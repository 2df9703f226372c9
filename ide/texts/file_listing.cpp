// The recursive file listing behind the device-library search.
#include "ide/texts/file_listing.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>

namespace {

void ListFolder(const QString& folder, const QString& mask, bool recursive, QStringList& found)
{
    QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(entries.begin(), entries.end(), [](const QFileInfo& left, const QFileInfo& right) {
        return left.fileName() < right.fileName();
    });
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            if (recursive && !entry.isSymLink())
                ListFolder(entry.filePath(), mask, recursive, found);
        } else if (entry.isFile() && MatchesMask(entry.fileName(), mask)) {
            found.append(entry.filePath());
        }
    }
}

} // namespace

bool MatchesMask(const QString& name, const QString& mask)
{
    // Compared by code points, so "?" stands for one character even outside
    // the basic plane.
    const QList<uint> text = name.toUcs4();
    const QList<uint> pattern = mask.toUcs4();
    qsizetype t = 0;
    qsizetype p = 0;
    // Where the last "*" stood and the text position it was tried against:
    // on a mismatch that star takes one more character.
    qsizetype starAt = -1;
    qsizetype starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            starText = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (starAt >= 0) {
            p = starAt + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

QStringList FindFilesByMask(const QString& folder, const QString& mask, bool recursive)
{
    QStringList found;
    if (QFileInfo(folder).isDir())
        ListFolder(folder, mask, recursive, found);
    return found;
}
