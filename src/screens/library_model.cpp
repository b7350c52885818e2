#include "screens/library_model.h"

#include "documents/document_names.h"
#include "documents/storage_layout.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace inkwarden {
namespace {

// The locale's long date without the weekday and with short month names:
// "Dec 5, 2026" in English, "5. Dez. 2026" in German.
QString abbreviatedDate(const QDate& date, const QLocale& locale) {
    static const QRegularExpression weekday(QStringLiteral(",?\\s*dddd,?\\s*"));
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return locale.toString(date, format.trimmed());
}

QString modifiedText(const QDateTime& moment) {
    const QDateTime local = moment.toLocalTime();
    const QLocale locale;
    return QStringLiteral("%1, %2").arg(abbreviatedDate(local.date(), locale),
                                        locale.toString(local.time(), QLocale::ShortFormat));
}

} // namespace

void LibraryModel::setDocuments(const QList<WritingDocument>& documents) {
    if (documents == m_documents)
        return;
    m_documents = documents;
    m_positions.clear();
    for (qsizetype at = 0; at < m_documents.size(); ++at)
        m_positions.insert(m_documents.at(at).url, at);
    rebuild();
}

void LibraryModel::setMatches(std::optional<QList<Match>> matches) {
    m_matches = std::move(matches);
    rebuild();
}

// A reset rather than row moves: the view puts its selection back by URL,
// and a reset costs nothing per row until a row is painted.
void LibraryModel::rebuild() {
    beginResetModel();
    m_snippets.clear();
    if (!m_matches) {
        m_rows = m_documents;
    } else {
        m_rows.clear();
        for (const Match& match : std::as_const(*m_matches)) {
            const auto found = m_positions.constFind(match.url);
            if (found == m_positions.cend() || m_snippets.contains(match.url))
                continue;
            m_rows.append(m_documents.at(*found));
            m_snippets.insert(match.url, match.snippet);
        }
    }
    endResetModel();
}

int LibraryModel::rowOf(const QUrl& url) const {
    for (int row = 0; row < m_rows.size(); ++row)
        if (m_rows.at(row).url == url)
            return row;
    return -1;
}

int LibraryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant LibraryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const WritingDocument& row = m_rows.at(index.row());
    const QString path = row.url.toLocalFile();
    switch (role) {
    case Qt::DisplayRole:
        return storage::displayTitle(path, row.isDailyEntry);
    case Qt::AccessibleTextRole:
        return QStringLiteral("%1, %2").arg(storage::displayTitle(path, row.isDailyEntry),
                                            modifiedText(row.modifiedAt));
    case UrlRole:
        return row.url;
    case ModifiedTextRole:
        return modifiedText(row.modifiedAt);
    case SnippetRole:
        return m_snippets.value(row.url);
    case NameRole:
        return names::shownName(QFileInfo(path).completeBaseName());
    default:
        return {};
    }
}

} // namespace inkwarden
