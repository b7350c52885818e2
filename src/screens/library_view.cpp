#include "screens/library_view.h"

#include "documents/document_names.h"
#include "documents/storage_layout.h"
#include "screens/glyphs.h"
#include "store/writing_store.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace inkwarden {
namespace {

constexpr int kUrlRole = Qt::UserRole;
constexpr int kMargin = 24;
constexpr int kSpacing = 16;
constexpr int kButtonHeight = 32;

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

// One line of text, cut with an ellipsis when the row is too narrow for it.
class ElidedLabel final : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, width()));
    }
};

// A row of the list: glyph, title, time and, while selected, the trash button.
class LibraryRow final : public QWidget {
public:
    LibraryRow(const WritingDocument& document, QWidget* parent)
        : QWidget(parent) {
        const QString path = document.url.toLocalFile();
        const QString name = names::shownName(QFileInfo(path).completeBaseName());
        auto* symbol = new QLabel(this);
        symbol->setPixmap(glyphPixmap(this, QStringLiteral("document"), 18, secondaryColor(this)));
        symbol->setFixedSize(18, 18);
        auto* title = new ElidedLabel(storage::displayTitle(path, document.isDailyEntry), this);
        title->setFont(sizedFont(this, 13, QFont::Medium));
        title->setForegroundRole(QPalette::Text);
        auto* modified = new ElidedLabel(modifiedText(document.modifiedAt), this);
        modified->setFont(sizedFont(this, 11, QFont::Normal));
        modified->setForegroundRole(QPalette::PlaceholderText);
        m_trash = new QToolButton(this);
        m_trash->setAutoRaise(true);
        m_trash->setFixedSize(30, 30);
        m_trash->setIconSize(QSize(15, 15));
        m_trash->setIcon(glyph(QStringLiteral("trash"), destructiveRed(this)));
        m_trash->setAccessibleName(LibraryView::tr("Delete %1").arg(name));
        m_trash->setToolTip(m_trash->accessibleName());
        m_trash->hide();

        auto* texts = new QVBoxLayout;
        texts->setSpacing(3);
        texts->addWidget(title);
        texts->addWidget(modified);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(10, 9, 8, 9);
        layout->setSpacing(12);
        layout->addWidget(symbol);
        layout->addLayout(texts, 1);
        layout->addWidget(m_trash);
        for (QLabel* label : {symbol, static_cast<QLabel*>(title), static_cast<QLabel*>(modified)})
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    QToolButton* trash() const { return m_trash; }

private:
    QToolButton* m_trash;
};

// Paints only the selected row's rounded fill; the row widget draws the rest.
class SelectionFillDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex&) const override {
        if (!(option.state & QStyle::State_Selected))
            return;
        QColor fill = option.palette.color(QPalette::Highlight);
        const bool dark = option.palette.color(QPalette::Base).lightness() < 128;
        fill.setAlphaF(dark ? 0.45f : 0.22f);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(QRectF(option.rect).adjusted(0, 1, 0, -1), 6, 6);
        painter->restore();
    }
};

} // namespace

LibraryView::LibraryView(WritingStore& store, QWidget* parent)
    : QDialog(parent)
    , m_store(store) {
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

QWidget* LibraryView::buildList() {
    m_list = new QListWidget(this);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setItemDelegate(new SelectionFillDelegate(m_list));
    m_list->viewport()->setBackgroundRole(QPalette::Base);
    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = m_list->selectedItems();
        m_selection = selected.isEmpty() ? std::nullopt
                                         : std::optional(selected.first()->data(kUrlRole).toUrl());
        showSelection();
    });
    // Queued: opening may ask about unsaved writing, and the list must not be
    // rebuilt under the view's own double-click handler.
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const QUrl url = item->data(kUrlRole).toUrl();
        QMetaObject::invokeMethod(
            this, [this, url] { openRow(url); }, Qt::QueuedConnection);
    });
    return m_list;
}

QWidget* LibraryView::buildEmptyState() {
    auto* empty = new QWidget(this);
    empty->setObjectName(QStringLiteral("emptyState"));
    auto* symbol = m_emptySymbol = new QLabel(empty);
    symbol->setAlignment(Qt::AlignCenter);
    auto* title = new QLabel(tr("No documents yet"), empty);
    title->setFont(sizedFont(this, 17, QFont::DemiBold));
    title->setForegroundRole(QPalette::Text);
    auto* description = new QLabel(tr("Save a document to see it here."), empty);
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
void LibraryView::openRow(const QUrl& url) {
    if (m_store.openDocument(url))
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
    m_list->setFocus();
}

// With nothing selected the list still has a current row (the first, once it
// has the keyboard), unmarked. The first arrow key or Return then means that
// row, as in file choosers: selected, not skipped; Return goes on to Open.
bool LibraryView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_list || event->type() != QEvent::KeyPress ||
        !m_list->selectedItems().isEmpty())
        return QDialog::eventFilter(watched, event);
    QListWidgetItem* current = m_list->currentItem();
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (!current || static_cast<QKeyEvent*>(event)->modifiers() != Qt::NoModifier)
        return QDialog::eventFilter(watched, event);
    if (key == Qt::Key_Down || key == Qt::Key_Up) {
        current->setSelected(true);
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        current->setSelected(true);
    return QDialog::eventFilter(watched, event);
}

void LibraryView::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_list) {
        applyGlyphs();
        m_shown.clear();
        refresh();
    }
}

void LibraryView::applyGlyphs() {
    m_newDocument->setIcon(glyph(QStringLiteral("plus"), palette().color(QPalette::Text)));
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
    if (m_store.documents() != m_shown || m_list->count() != m_shown.size())
        rebuildRows();
    m_listOrEmpty->setCurrentIndex(m_shown.isEmpty() ? 1 : 0);
    showSelection();
}

void LibraryView::rebuildRows() {
    m_shown = m_store.documents();
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const WritingDocument& document : std::as_const(m_shown)) {
        const QString title =
            storage::displayTitle(document.url.toLocalFile(), document.isDailyEntry);
        auto* item = new QListWidgetItem(title, m_list);
        item->setData(kUrlRole, document.url);
        auto* row = new LibraryRow(document, m_list);
        item->setSizeHint(QSize(0, row->sizeHint().height()));
        m_list->setItemWidget(item, row);
        // Queued, so the alert never runs inside the button's own click.
        connect(row->trash(), &QToolButton::clicked, this, [this, document] {
            QMetaObject::invokeMethod(
                this, [this, document] { askToDelete(document); }, Qt::QueuedConnection);
        });
    }
}

void LibraryView::showSelection() {
    const QSignalBlocker blocker(m_list);
    QListWidgetItem* selected = nullptr;
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        const bool isSelected = m_selection && item->data(kUrlRole).toUrl() == *m_selection;
        if (isSelected)
            selected = item;
        if (auto* widget = static_cast<LibraryRow*>(m_list->itemWidget(item)))
            widget->trash()->setVisible(isSelected);
    }
    if (selected) {
        m_list->setCurrentItem(selected);
        m_list->scrollToItem(selected);
    } else {
        m_list->clearSelection();
    }
    const bool hasDocument = selectedDocument().has_value();
    m_open->setEnabled(hasDocument);
    m_showInFinder->setEnabled(hasDocument);
}

} // namespace inkwarden
