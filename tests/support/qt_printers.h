#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <ostream>

// Readable gtest failure messages for the Qt types tests compare most.
inline void PrintTo(const QString& value, std::ostream* out) {
    *out << '"' << value.toStdString() << '"';
}
inline void PrintTo(const QUrl& value, std::ostream* out) {
    *out << value.toString().toStdString();
}
inline void PrintTo(const QDateTime& value, std::ostream* out) {
    *out << value.toString(Qt::ISODateWithMs).toStdString();
}
