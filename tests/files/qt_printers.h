// Readable failure output for Qt texts in this test program.
#pragma once

#include <ostream>

#include <QByteArray>
#include <QString>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"' << bytes.toStdString() << '"';
}
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE
