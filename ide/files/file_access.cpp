#include "ide/files/file_access.h"

#include <QFile>
#include <QSaveFile>

bool WriteFileSafely(const QString& fileName, const QByteArray& bytes, QString* error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

TReadResult ReadFileBounded(const QString& fileName, qint64 maxBytes, QByteArray* bytes, QString* error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return TReadResult::Failed;
    }
    if (!file.isSequential() && file.size() > maxBytes)
        return TReadResult::TooLarge;
    constexpr qint64 kChunk = 64 * 1024;
    QByteArray data;
    while (true) {
        const qsizetype at = data.size();
        data.resize(at + kChunk);
        const qint64 got = file.read(data.data() + at, kChunk);
        if (got < 0) {
            if (error)
                *error = file.errorString();
            return TReadResult::Failed;
        }
        data.resize(at + qsizetype(got));
        if (data.size() > maxBytes)
            return TReadResult::TooLarge;
        if (got == 0)
            break;
    }
    *bytes = std::move(data);
    return TReadResult::Read;
}
