#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace inkwarden::testing {

// Points HOME and the XDG folders at a fresh temporary folder for as long as
// it lives, and puts the previous values back afterwards.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return m_folder.path(); }
    QString configHome() const { return path() + QStringLiteral("/config"); }
    QString dataHome() const { return path() + QStringLiteral("/data"); }

private:
    QTemporaryDir m_folder;
    QMap<QByteArray, std::optional<QByteArray>> m_previous; // none: it was not set
};

} // namespace inkwarden::testing
