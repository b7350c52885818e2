#pragma once

#include "documents/writing_document.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <optional>

namespace inkwarden {

// The library's rows: the store's documents, newest first, or, while a search
// is shown, only those that match, best first, each with its snippet. Holds
// names and dates only, never a document's text. Main thread.
class LibraryModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        UrlRole = Qt::UserRole,
        ModifiedTextRole, // "Dec 5, 2026, 9:30 PM"
        SnippetRole,      // the text around the first match, matched words marked
        NameRole,         // the file's name as shown in "Delete …"
    };
    // Around each matched word in a snippet.
    static constexpr QChar kMatchStart = u'\x01';
    static constexpr QChar kMatchEnd = u'\x02';

    struct Match {
        QUrl url;
        QString snippet;
    };

    using QAbstractListModel::QAbstractListModel;

    // The store's list; the rows follow it unless a search filters them.
    void setDocuments(const QList<WritingDocument>& documents);
    // Shows only these, in this order (those no longer listed are left out);
    // none shows every document again.
    void setMatches(std::optional<QList<Match>> matches);
    bool isFiltered() const { return m_matches.has_value(); }

    const WritingDocument& document(int row) const { return m_rows.at(row); }
    int rowOf(const QUrl& url) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void rebuild();

    QList<WritingDocument> m_documents;
    QHash<QUrl, qsizetype> m_positions; // of each URL in m_documents
    std::optional<QList<Match>> m_matches;
    QList<WritingDocument> m_rows;
    QHash<QUrl, QString> m_snippets;
};

} // namespace inkwarden
