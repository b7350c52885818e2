#include "screens/library_view.h"

#include "documents/document_names.h"
#include "screens/glyphs.h"
#include "screens/library_delegate.h"
#include "screens/library_model.h"
#include "search/search_index.h"
#include "store/writing_store.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace inkwarden {
namespace {

constexpr int kMargin = 24;
constexpr int kSpacing = 16;
constexpr int kButtonHeight = 32;
// Long enough to skip the letters of a word typed fast, short enough not to be seen.
constexpr int kSearchDelayMilliseconds = 60;

QFont sizedFont(const QWidget* widget, int pixels, QFont::Weight weight) {
    QFont font = widget->font();
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

QPixmap glyphPixmap(const QWidget* widget, const QString& name, int size, const QColor& color) {
    return glyph(name, color).pixmap(QSize(size, size), widget->devicePixelRatioF());
}

QColor secondaryColor(const QWidget* widget) {
    return widget->palette().color(QPalette::PlaceholderText);
}

QColor destructiveRed(const QWidget* widget) {
    const bool dark = widget->palette().color(QPalette::Base).lightness() < 128;
    return dark ? QColor(0xFF, 0x45, 0x3A) : QColor(0xE0, 0x2B, 0x22);
}

// The first marked words of a snippet: what the editor selects on opening.
QString firstMatch(const QString& snippet) {
    const qsizetype start = snippet.indexOf(LibraryModel::kMatchStart);
    const qsizetype end = snippet.indexOf(LibraryModel::kMatchEnd, start + 1);
    return start < 0 || end < 0 ? QString() : snippet.mid(start + 1, end - start - 1);
}

} // namespace

LibraryView::LibraryView(WritingStore& store, QWidget* parent)
    : QDialog(parent)
    , m_store(store)
    , m_model(new LibraryModel(this)) {
    setWindowTitle(tr("Your writing"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(kWidth, kHeight);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    m_ask = [](QMessageBox& box) -> QAbstractButton* {
        QPointer<QMessageBox> alive(&box);
        box.exec();
        return alive ? box.clickedButton() : nullptr;
    };
    // Only the open document can be shown selected in the file manager; for
    // any other the folder holding it is the closest the store offers.
    m_revealFunction = [this](const QUrl& url) {
        if (m_store.currentDocumentURL() == url)
            m_store.revealCurrentInFinder();
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(url.toLocalFile()).path()));
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kSpacing);
    layout->addWidget(buildHeader());
    layout->addWidget(buildSearch());
    m_listOrEmpty = new QStackedWidget(this);
    m_listOrEmpty->addWidget(buildList());
    m_listOrEmpty->addWidget(buildEmptyState());
    layout->addWidget(m_listOrEmpty, 1);
    layout->addWidget(buildButtons());

    applyGlyphs();
    connect(&m_store, &WritingStore::objectWillChange, this, &LibraryView::scheduleRefresh);
    connect(this, &QDialog::finished, this, [this] { m_store.setIsLibraryPresented(false); });
    refresh();
}

void LibraryView::setAskFunction(AskFunction ask) {
    m_ask = std::move(ask);
}

void LibraryView::setRevealFunction(RevealFunction reveal) {
    m_revealFunction = std::move(reveal);
}

void LibraryView::setSearchIndex(SearchIndex* index) {
    m_index = index;
    m_search->parentWidget()->setVisible(index != nullptr);
    if (!index)
        return;
    connect(index, &SearchIndex::resultsReady, this,
            [this](const QString& typed, const QList<SearchIndex::Match>& found) {
                if (typed != m_search->text().trimmed())
                    return; // an answer to words since changed
                QList<LibraryModel::Match> matches;
                matches.reserve(found.size());
                for (const SearchIndex::Match& match : found)
                    matches.append({QUrl::fromLocalFile(match.path), match.snippet});
                m_model->setMatches(std::move(matches));
                // The best match starts selected, so Return opens it.
                m_selection =
                    m_model->rowCount() ? std::optional(m_model->document(0).url) : std::nullopt;
                refresh();
            });
    connect(index, &SearchIndex::progressChanged, this, &LibraryView::showProgress);
    showProgress(index->progress().first, index->progress().second);
}

void LibraryView::focusSearch() {
    if (m_index) {
        m_searchFirst = true;
        m_search->setFocus();
        m_search->selectAll();
    }
}

QWidget* LibraryView::buildHeader() {
    auto* header = new QWidget(this);
    auto* heading = new QLabel(tr("Your writing"), header);
    heading->setFont(sizedFont(this, 23, QFont::DemiBold));
    heading->setForegroundRole(QPalette::Text);
    auto* add = m_newDocument = new QToolButton(header);
    add->setAutoRaise(true);
    add->setFixedSize(40, 32);
    add->setIconSize(QSize(15, 15));
    add->setAccessibleName(tr("New document"));
    add->setToolTip(add->accessibleName());
    connect(add, &QToolButton::clicked, this, &LibraryView::startNewDocument);

    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(heading);
    layout->addStretch(1);
    layout->addWidget(add);
    return header;
}

// Hidden until an index is given.
QWidget* LibraryView::buildSearch() {
    auto* box = new QWidget(this);
    m_search = new QLineEdit(box);
    m_search->setPlaceholderText(tr("Search your writing"));
    m_search->setAccessibleName(m_search->placeholderText());
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    m_progress = new QLabel(box);
    m_progress->setFont(sizedFont(this, 11, QFont::Normal));
    m_progress->setForegroundRole(QPalette::PlaceholderText);
    m_progress->hide();
    m_searchDelay = new QTimer(this);
    m_searchDelay->setSingleShot(true);
    m_searchDelay->setInterval(kSearchDelayMilliseconds);
    connect(m_searchDelay, &QTimer::timeout, this, &LibraryView::runSearch);
    connect(m_search, &QLineEdit::textChanged, m_searchDelay, qOverload<>(&QTimer::start));
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, &LibraryView::focusSearch);

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_search);
    layout->addWidget(m_progress);
    box->hide();
    return box;
}

QWidget* LibraryView::buildList() {
    m_list = new QListView(this);
    m_list->setModel(m_model);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setUniformItemSizes(false);
    m_list->setItemDelegate(new LibraryDelegate(m_list));
    m_list->viewport()->setBackgroundRole(QPalette::Base);
    m_list->setAccessibleName(tr("Documents"));
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList selected = m_list->selectionModel()->selectedRows();
        m_selection = selected.isEmpty()
                          ? std::nullopt
                          : std::optional(m_model->document(selected.first().row()).url);
        showSelection();
    });
    // Queued: opening may ask about unsaved writing, and the list must not be
    // rebuilt under the view's own double-click handler.
    connect(m_list, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        const QUrl url = index.data(LibraryModel::UrlRole).toUrl();
        QMetaObject::invokeMethod(
            this, [this, url] { openRow(url); }, Qt::QueuedConnection);
    });
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, &LibraryView::placeTrash);

    // One trash button for the list, over the selected row: a real button, so
    // it takes clicks, the keyboard and screen readers as any other does.
    m_trash = new QToolButton(m_list->viewport());
    m_trash->setAutoRaise(true);
    m_trash->setFixedSize(LibraryDelegate::kTrashSize, LibraryDelegate::kTrashSize);
    m_trash->setIconSize(QSize(15, 15));
    m_trash->hide();
    // Queued, so the alert never runs inside the button's own click.
    connect(m_trash, &QToolButton::clicked, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (const std::optional<WritingDocument> document = selectedDocument())
                    askToDelete(*document);
            },
            Qt::QueuedConnection);
    });
    return m_list;
}

QWidget* LibraryView::buildEmptyState() {
    auto* empty = new QWidget(this);
    empty->setObjectName(QStringLiteral("emptyState"));
    auto* symbol = m_emptySymbol = new QLabel(empty);
    symbol->setAlignment(Qt::AlignCenter);
    auto* title = m_emptyTitle = new QLabel(empty);
    title->setFont(sizedFont(this, 17, QFont::DemiBold));
    title->setForegroundRole(QPalette::Text);
    auto* description = m_emptyDescription = new QLabel(empty);
    description->setFont(sizedFont(this, 13, QFont::Normal));
    description->setForegroundRole(QPalette::PlaceholderText);

    auto* layout = new QVBoxLayout(empty);
    layout->setSpacing(8);
    layout->addStretch(1);
    for (QLabel* label : {symbol, title, description}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    return empty;
}

QWidget* LibraryView::buildButtons() {
    auto* row = new QWidget(this);
    m_showInFinder = new QPushButton(tr("Show in Folder"), row);
    auto* close = new QPushButton(tr("Close"), row);
    m_open = new QPushButton(tr("Open"), row);
    m_open->setDefault(true);
    connect(m_showInFinder, &QPushButton::clicked, this, &LibraryView::revealSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_open, &QPushButton::clicked, this, &LibraryView::openSelected);

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_showInFinder);
    layout->addStretch(1);
    layout->addWidget(close);
    layout->addWidget(m_open);
    // Room around the label, which some styles draw edge to edge.
    for (QPushButton* button : {m_showInFinder, close, m_open})
        button->setMinimumSize(button->sizeHint().width() + 16, kButtonHeight);
    return row;
}

void LibraryView::setSelection(std::optional<QUrl> url) {
    m_selection = std::move(url);
    showSelection();
}

std::optional<WritingDocument> LibraryView::selectedDocument() const {
    if (!m_selection)
        return std::nullopt;
    for (const WritingDocument& document : m_store.documents()) {
        if (document.url == *m_selection)
            return document;
    }
    return std::nullopt;
}

void LibraryView::openSelected() {
    if (const std::optional<WritingDocument> document = selectedDocument())
        openRow(document->url);
}

// A false answer leaves the sheet as it is: the leave question was cancelled,
// or the store holds the reason in fileError for the writing screen to show.
// A search result opens with its first match to be selected.
void LibraryView::openRow(const QUrl& url) {
    const int row = m_model->rowOf(url);
    const QString match =
        row < 0 ? QString()
                : firstMatch(m_model->index(row).data(LibraryModel::SnippetRole).toString());
    if (!m_store.openDocument(url))
        return;
    if (!match.isEmpty())
        Q_EMIT openedAtMatch(match);
    accept();
}

void LibraryView::revealSelected() {
    if (const std::optional<WritingDocument> document = selectedDocument())
        m_revealFunction(document->url);
}

void LibraryView::startNewDocument() {
    if (m_store.newDocument())
        accept();
}

void LibraryView::askToDelete(const WritingDocument& document) {
    m_deleteCandidate = document;
    runDeleteAlerts();
}

// One alert at a time: the confirmation, then, if the deletion failed, the
// same alert again as "Couldn't delete".
void LibraryView::runDeleteAlerts() {
    QPointer<LibraryView> alive(this);
    while (alive && (m_deleteCandidate || m_deletionError)) {
        QAbstractButton* confirm = nullptr;
        QPointer<QMessageBox> alert = buildDeleteAlert(&confirm);
        QAbstractButton* answer = m_ask(*alert);
        delete alert;
        if (!alive)
            return;
        if (m_deletionError) {
            m_deletionError.reset();
            m_deleteCandidate.reset();
        } else if (confirm && answer == confirm) {
            deletePermanently();
        } else {
            m_deleteCandidate.reset();
        }
    }
}

QMessageBox* LibraryView::buildDeleteAlert(QAbstractButton** confirm) {
    auto* alert = new QMessageBox(this);
    alert->setWindowModality(Qt::WindowModal);
    alert->setIcon(QMessageBox::Warning);
    if (m_deletionError) {
        alert->setText(tr("Couldn’t delete"));
        alert->setInformativeText(*m_deletionError);
        QPushButton* ok = alert->addButton(tr("OK"), QMessageBox::AcceptRole);
        alert->setDefaultButton(ok);
        alert->setEscapeButton(ok);
        return alert;
    }
    const QString name =
        names::shownName(QFileInfo(m_deleteCandidate->url.toLocalFile()).completeBaseName());
    alert->setText(tr("Permanently delete this writing?"));
    alert->setInformativeText(tr("“%1” will be deleted permanently and can’t be recovered. If "
                                 "it’s open, unsaved changes will also be discarded.")
                                  .arg(name));
    QPushButton* cancel = alert->addButton(tr("Cancel"), QMessageBox::RejectRole);
    *confirm = alert->addButton(tr("Delete Permanently"), QMessageBox::DestructiveRole);
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    return alert;
}

void LibraryView::deletePermanently() {
    if (!m_deleteCandidate)
        return;
    const WritingDocument document = *std::exchange(m_deleteCandidate, std::nullopt);
    if (m_store.deleteDocument(document)) {
        setSelection(std::nullopt);
        return;
    }
    m_deletionError = m_store.fileError().value_or(tr("The document couldn’t be deleted."));
    // Shown here as "Couldn't delete"; left in the store it would come back as
    // the writing screen's save alert.
    m_store.setFileError(std::nullopt);
}

void LibraryView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    m_store.refreshDocuments();
    m_selection = m_store.currentDocumentURL();
    refresh();
    if (m_searchFirst && m_index)
        m_search->setFocus();
    else
        m_list->setFocus();
}

// With nothing selected the list still has a current row (the first, once it
// has the keyboard), unmarked. The first arrow key or Return then means that
// row, as in file choosers: selected, not skipped; Return goes on to Open.
// In the search field the arrow keys move through the results.
bool LibraryView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        QMetaObject::invokeMethod(this, &LibraryView::placeTrash, Qt::QueuedConnection);
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool arrow = key->key() == Qt::Key_Down || key->key() == Qt::Key_Up;
    if (watched == m_search && arrow && m_model->rowCount()) {
        QCoreApplication::sendEvent(m_list, event);
        return true;
    }
    const QModelIndex current = m_list->currentIndex();
    if (watched != m_list || m_list->selectionModel()->hasSelection() || !current.isValid() ||
        key->modifiers() != Qt::NoModifier)
        return QDialog::eventFilter(watched, event);
    if (arrow) {
        m_list->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        m_list->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    return QDialog::eventFilter(watched, event);
}

void LibraryView::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_list) {
        applyGlyphs();
        m_list->viewport()->update();
    }
}

void LibraryView::applyGlyphs() {
    m_newDocument->setIcon(glyph(QStringLiteral("plus"), palette().color(QPalette::Text)));
    m_trash->setIcon(glyph(QStringLiteral("trash"), destructiveRed(this)));
    m_emptySymbol->setPixmap(
        glyphPixmap(this, QStringLiteral("document"), 40, secondaryColor(this)));
}

void LibraryView::scheduleRefresh() {
    if (std::exchange(m_refreshQueued, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshQueued = false;
            refresh();
        },
        Qt::QueuedConnection);
}

void LibraryView::refresh() {
    m_model->setDocuments(m_store.documents());
    const bool empty = m_model->rowCount() == 0;
    m_listOrEmpty->setCurrentIndex(empty ? 1 : 0);
    if (empty && m_model->isFiltered()) {
        m_emptyTitle->setText(tr("No matches"));
        m_emptyDescription->setText(
            tr("No writing contains “%1”.").arg(m_search->text().trimmed()));
    } else if (empty) {
        m_emptyTitle->setText(tr("No documents yet"));
        m_emptyDescription->setText(tr("Save a document to see it here."));
    }
    showSelection();
}

void LibraryView::showSelection() {
    const int row = m_selection ? m_model->rowOf(*m_selection) : -1;
    {
        const QSignalBlocker blocker(m_list->selectionModel());
        if (row >= 0) {
            const QModelIndex index = m_model->index(row);
            m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
            m_list->scrollTo(index);
        } else {
            m_list->selectionModel()->clearSelection();
        }
    }
    m_list->viewport()->update();
    placeTrash();
    const bool hasDocument = selectedDocument().has_value();
    m_open->setEnabled(hasDocument);
    m_showInFinder->setEnabled(hasDocument);
}

// Over the selected row's right end, named for its document; hidden otherwise.
void LibraryView::placeTrash() {
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        m_trash->hide();
        return;
    }
    const QRect row = m_list->visualRect(selected.first());
    m_trash->move(row.right() - LibraryDelegate::kRightMargin - m_trash->width() + 1,
                  row.center().y() - m_trash->height() / 2 + 1);
    m_trash->setAccessibleName(
        tr("Delete %1").arg(selected.first().data(LibraryModel::NameRole).toString()));
    m_trash->setToolTip(m_trash->accessibleName());
    m_trash->show();
}

void LibraryView::runSearch() {
    const QString typed = m_search->text().trimmed();
    if (typed.isEmpty() || !m_index) {
        m_model->setMatches(std::nullopt);
        refresh();
        return;
    }
    m_index->search(typed);
}

// "Indexing… (1,204 of 3,650)" while documents are still being read; what is
// indexed so far is searched meanwhile.
void LibraryView::showProgress(int done, int total) {
    m_progress->setVisible(done < total);
    m_progress->setText(
        tr("Indexing… (%1 of %2)").arg(QLocale().toString(done), QLocale().toString(total)));
}

} // namespace inkwarden
