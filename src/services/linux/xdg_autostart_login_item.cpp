#include "services/linux/xdg_autostart_login_item.h"

#include "documents/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

namespace inkwarden {
namespace {

// Characters that make an Exec argument need double quotes.
const QString kExecReservedCharacters = QStringLiteral(" \t\n\"'\\><~|&;$*?#`()");
// Characters that must carry a backslash inside a quoted Exec argument.
const QString kExecQuotedEscapes = QStringLiteral("\"`$\\");

QString quoteExecArgument(const QString& argument) {
    const bool needsQuotes = std::any_of(argument.begin(), argument.end(), [](QChar c) {
        return kExecReservedCharacters.contains(c);
    });
    QString quoted;
    if (needsQuotes) {
        quoted += QLatin1Char('"');
        for (const QChar c : argument) {
            if (kExecQuotedEscapes.contains(c))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        quoted += QLatin1Char('"');
    } else {
        quoted = argument;
    }
    // A lone % would start a field code that the launcher replaces.
    return quoted.replace(QStringLiteral("%"), QStringLiteral("%%"));
}

// Every string value is unescaped once on reading, before the Exec quoting applies.
QString escapeStringValue(QString value) {
    return value.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
}

// Desktop entry values may not hold control characters; a raw newline would
// end the Exec line and start a key of its own.
bool hasControlCharacters(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// Read as desktops read entries: only the [Desktop Entry] group counts, key
// names are case-sensitive and a boolean is exactly "true" or "false".
bool disabledByUser(const QByteArray& contents) {
    bool inMainGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return true;
    }
    return false;
}

// Ours when it carries our mark, or the description every entry we wrote had.
bool isOurs(const QByteArray& contents) {
    return contents.contains("\nX-Inkwarden-Entry=true") ||
           contents.contains("\nComment=Keeps Inkwarden running for your daily writing time\n");
}

// The program an Exec line starts, unquoted as desktops read it.
QString execProgram(const QByteArray& contents) {
    for (const QByteArray& line : contents.split('\n')) {
        if (!line.startsWith("Exec="))
            continue;
        QString exec = QString::fromUtf8(line.mid(5))
                           .trimmed()
                           .replace(QStringLiteral("%%"), QStringLiteral("%"));
        if (!exec.startsWith(u'"'))
            return exec.section(u' ', 0, 0);
        QString program;
        for (qsizetype i = 1; i < exec.size() && exec.at(i) != u'"'; ++i) {
            if (exec.at(i) == u'\\' && i + 1 < exec.size())
                ++i;
            program += exec.at(i);
        }
        return program;
    }
    return {};
}

QByteArray readEntry(const QString& path) {
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                      : QByteArray();
}

// A dangling link still occupies the name, and writing through it would change
// whatever it points at.
bool somethingAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString executablePath, bool installed)
    : m_executablePath(std::move(executablePath))
    , m_installed(installed) {}

QString XdgAutostartLoginItem::entryPath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return {};
    return config + QStringLiteral("/autostart/inkwarden.desktop");
}

LoginItemStatus XdgAutostartLoginItem::status() {
    if (!executableFound())
        return LoginItemStatus::NotFound;
    const QString path = entryPath();
    if (path.isEmpty())
        return LoginItemStatus::Other;
    if (!somethingAt(path))
        return LoginItemStatus::NotRegistered;
    // Something we cannot read (a folder, a dangling link) is left alone.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return LoginItemStatus::Other;
    return disabledByUser(file.readAll()) ? LoginItemStatus::RequiresApproval
                                          : LoginItemStatus::Enabled;
}

bool XdgAutostartLoginItem::registerItem() {
    const QString path = entryPath();
    // An entry for a program that is not there would fail at every login.
    if (path.isEmpty() || !executableFound() || hasControlCharacters(m_executablePath) ||
        !m_installed)
        return false;
    if (somethingAt(path))
        return false;
    return !writeFileAtomically(path, entryContents()).has_value();
}

bool XdgAutostartLoginItem::followThisProgram() {
    const QString path = entryPath();
    const QByteArray contents = readEntry(path);
    if (!m_installed || !executableFound() || hasControlCharacters(m_executablePath) ||
        !isOurs(contents) || disabledByUser(contents))
        return false;
    const QString program = execProgram(contents);
    if (program == m_executablePath || QFileInfo(program).isExecutable())
        return false;
    return !writeFileAtomically(path, entryContents()).has_value();
}

// Turning it off keeps the entry, marked hidden, so that registering "once"
// never brings it back; turning it on writes ours again, for this program.
bool XdgAutostartLoginItem::setEnabled(bool enabled) {
    const QString path = entryPath();
    if (path.isEmpty() || (somethingAt(path) && !QFileInfo(path).isFile()))
        return false;
    if (!enabled && !somethingAt(path))
        return true;
    if (enabled && (!m_installed || !executableFound() || hasControlCharacters(m_executablePath)))
        return false;
    return !writeFileAtomically(path, entryContents(!enabled)).has_value();
}

bool XdgAutostartLoginItem::executableFound() const {
    const QFileInfo info(m_executablePath);
    return !m_executablePath.isEmpty() && info.isAbsolute() && info.isFile() && info.isExecutable();
}

QByteArray XdgAutostartLoginItem::entryContents(bool hidden) const {
    const QString exec = escapeStringValue(quoteExecArgument(m_executablePath));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Inkwarden\n"
                          "Comment=Keeps Inkwarden running for your daily writing time\n"
                          "Exec=%1\n"
                          "Icon=inkwarden\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=%2\n"
                          "X-Inkwarden-Entry=true\n"
                          "%3")
        .arg(exec, hidden ? QStringLiteral("false") : QStringLiteral("true"),
             hidden ? QStringLiteral("Hidden=true\n") : QString())
        .toUtf8();
}

} // namespace inkwarden
