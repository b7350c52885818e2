#pragma once

#include "documents/writing_document.h"

#include <QDialog>
#include <QList>
#include <QUrl>
#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QListView;
class QMessageBox;
class QPushButton;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace inkwarden {

class LibraryModel;
class SearchIndex;
class WritingStore;

// The library sheet over the writer window: every stored document, newest
// first, to open, reveal, start anew or delete after a confirmation. Keeps
// no copy of the list beyond what it shows; every file operation is the
// store's. Main thread.
class LibraryView : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 520;
    static constexpr int kHeight = 420;

    // Runs a built alert modally and answers the button pressed (none when it
    // was dismissed otherwise). Replaceable so the alerts can be answered
    // without a person.
    using AskFunction = std::function<QAbstractButton*(QMessageBox&)>;
    // Shows a document's file in the file manager.
    using RevealFunction = std::function<void(const QUrl&)>;

    LibraryView(WritingStore& store, QWidget* parent);

    // With an index the sheet offers "Search your writing"; without, it lists only.
    void setSearchIndex(SearchIndex* index);
    void focusSearch();
    LibraryModel& model() const { return *m_model; }

    void setAskFunction(AskFunction ask);
    void setRevealFunction(RevealFunction reveal);

    const std::optional<QUrl>& selection() const { return m_selection; }
    void setSelection(std::optional<QUrl> url);
    std::optional<WritingDocument> selectedDocument() const;

    // The sheet's actions, as its buttons run them.
    void openSelected();
    void revealSelected();
    void startNewDocument();
    void askToDelete(const WritingDocument& document);

Q_SIGNALS:
    // A search result was opened; `words` is its first match, to be selected.
    void openedAtMatch(const QString& words);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildSearch();
    QWidget* buildList();
    QWidget* buildEmptyState();
    QWidget* buildButtons();
    void applyGlyphs();
    void scheduleRefresh();
    void refresh();
    void showSelection();
    void placeTrash();
    void runSearch();
    void showProgress(int done, int total);
    void openRow(const QUrl& url);
    void runDeleteAlerts();
    QMessageBox* buildDeleteAlert(QAbstractButton** confirm);
    void deletePermanently();

    WritingStore& m_store;
    AskFunction m_ask;
    RevealFunction m_revealFunction;
    bool m_refreshQueued = false;
    bool m_searchFirst = false; // the search field, not the list, takes the keys on showing
    std::optional<QUrl> m_selection;
    std::optional<WritingDocument> m_deleteCandidate;
    std::optional<QString> m_deletionError;
    SearchIndex* m_index = nullptr;
    LibraryModel* m_model = nullptr;
    QToolButton* m_newDocument = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_progress = nullptr;
    QTimer* m_searchDelay = nullptr;
    QLabel* m_emptySymbol = nullptr;
    QLabel* m_emptyTitle = nullptr;
    QLabel* m_emptyDescription = nullptr;
    QListView* m_list = nullptr;
    QToolButton* m_trash = nullptr;
    QStackedWidget* m_listOrEmpty = nullptr;
    QPushButton* m_showInFinder = nullptr;
    QPushButton* m_open = nullptr;
};

} // namespace inkwarden
