#include "screens/writing_view.h"

#include "editor/editor_requests.h"
#include "editor/highlight_palette.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_editor.h"
#include "screens/daily_session_menu.h"
#include "screens/glyphs.h"
#include "screens/highlight_picker_popup.h"
#include "screens/library_view.h"
#include "screens/save_document_view.h"
#include "screens/toolbar_hover.h"
#include "store/writing_store.h"

#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace inkwarden {
namespace {

const QStringList kFontFamilies = {QStringLiteral("Georgia"), QStringLiteral("Helvetica Neue"),
                                   QStringLiteral("Avenir Next"), QStringLiteral("Menlo")};
constexpr QSize kFormatButton(26, 28);
constexpr QSize kPickerButton(23, 28);
constexpr int kSymbol = 16;

QFont mediumFont(int pixels) {
    QFont font;
    font.setPixelSize(pixels);
    font.setWeight(QFont::Medium);
    return font;
}

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(alpha);
    return color;
}

// The picker's face: an 11-point circle of the chosen colour with a faint ring.
QIcon pickerCircle(const QColor& fill, const QColor& ink, qreal scale) {
    QPixmap pixmap(QSize(11, 11) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(fill);
    painter.setPen(QPen(withAlpha(ink, 0.2), 1));
    painter.drawEllipse(QRectF(0.5, 0.5, 10, 10));
    return QIcon(pixmap);
}

} // namespace

WritingView::WritingView(WritingStore& store, QWidget* parent, SpellChecker* spelling)
    : QWidget(parent)
    , m_store(store)
    , m_spelling(spelling)
    , m_selectedHighlight(HighlightPalette::defaultName()) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildControlRow());
    column->addWidget(buildNoticeBar());
    m_editorArea = new QVBoxLayout;
    m_editorArea->setContentsMargins(kWritingMargin, 0, kWritingMargin, 0);
    column->addLayout(m_editorArea, 1);
    m_picker = new HighlightPickerPopup(this);
    connect(m_picker, &HighlightPickerPopup::chosen, this, &WritingView::chooseHighlight);
    connect(&m_store, &WritingStore::objectWillChange, this, &WritingView::scheduleRefresh);
    setCompact(width() < kCompactBelow);
    tintSymbols();
    refresh();
}

int WritingView::rowSpacing() const {
    return m_row->spacing();
}

QWidget* WritingView::sessionControl() const {
    return m_store.isSessionActive() ? static_cast<QWidget*>(m_countdown) : m_start;
}

QWidget* WritingView::buildControlRow() {
    auto* band = new QWidget(this);
    band->setFixedHeight(kRowHeight);
    m_row = new QHBoxLayout(band);
    m_row->setContentsMargins(kWritingMargin + 17, 0, kWritingMargin + 17, 0);
    m_row->addWidget(buildFontChooser(), 0, Qt::AlignVCenter);
    m_row->addWidget(
        formatButton(QStringLiteral("bold"), tr("Bold"), int(FormattingCommand::Bold)));
    m_row->addWidget(
        formatButton(QStringLiteral("italic"), tr("Italic"), int(FormattingCommand::Italic)));

    auto* highlightGroup = new QHBoxLayout;
    highlightGroup->setSpacing(2);
    m_highlightToggle = formatButton(QStringLiteral("highlighter"), tr("Highlight text"), -1);
    connect(m_highlightToggle, &QToolButton::clicked, this, [this] {
        format(int(m_cursorHighlightColor ? FormattingCommand::ClearHighlight
                                          : FormattingCommand::Highlight));
    });
    auto* picker = new ToolbarHoverButton(band);
    picker->setFixedContentSize(kPickerButton);
    m_colorPicker = picker;
    m_colorPicker->setToolTip(tr("Choose highlight color"));
    m_colorPicker->setAccessibleName(tr("Choose highlight color"));
    connect(m_colorPicker, &QToolButton::clicked, this, [this] {
        if (m_picker->isVisible()) {
            m_picker->hide();
            return;
        }
        m_picker->setSelected(m_selectedHighlight);
        m_picker->popUpBelow(m_colorPicker);
    });
    highlightGroup->addWidget(m_highlightToggle);
    highlightGroup->addWidget(m_colorPicker);
    m_row->addLayout(highlightGroup);
    m_row->addStretch(1);

    m_wordCountLabel = new QLabel(band);
    m_wordCountLabel->setFont(mediumFont(14));
    m_wordCountLabel->setForegroundRole(QPalette::PlaceholderText);
    m_row->addWidget(m_wordCountLabel);
    QToolButton* save = textButton(tr("Save"), tr("Save a copy to your library"));
    m_save = save;
    connect(save, &QToolButton::clicked, this, [this] { m_store.saveCurrent(); });
    m_row->addWidget(save);
    QToolButton* files = textButton(tr("Files"), tr("Browse your writing"));
    connect(files, &QToolButton::clicked, this, [this] { m_store.setIsLibraryPresented(true); });
    m_row->addWidget(files);

    auto* daily = new QHBoxLayout;
    daily->setSpacing(5);
    m_dailyLabel = new QLabel(tr("Daily"), band);
    m_dailyLabel->setFont(mediumFont(14));
    daily->addWidget(m_dailyLabel);
    daily->addWidget(new DailySessionMenu(m_store, band));
    m_row->addLayout(daily);

    m_start = textButton(tr("Start"), tr("Begin a 15-minute writing session"));
    connect(m_start, &QToolButton::clicked, this, [this] { m_store.startSession(); });
    m_row->addWidget(m_start);
    m_countdown = new QLabel(band);
    QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    digits.setPixelSize(15);
    m_countdown->setFont(digits);
    m_countdown->setForegroundRole(QPalette::PlaceholderText);
    m_row->addWidget(m_countdown);
    return band;
}

// Nothing in it takes the keyboard: it appears while someone is typing, and
// every key must still reach the text.
QWidget* WritingView::buildNoticeBar() {
    m_noticeBar = new QWidget(this);
    m_noticeBar->setObjectName(QStringLiteral("noticeBar"));
    m_noticeBar->setAutoFillBackground(true);
    m_noticeBar->setFocusPolicy(Qt::NoFocus);
    auto* line = new QHBoxLayout(m_noticeBar);
    line->setContentsMargins(kWritingMargin + 17, 6, kWritingMargin + 17, 6);
    m_noticeText = new QLabel(m_noticeBar);
    m_noticeText->setTextFormat(Qt::PlainText);
    m_noticeText->setMinimumWidth(0);
    m_noticeText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_noticeText->setTextInteractionFlags(Qt::NoTextInteraction);
    line->addWidget(m_noticeText, 1);
    m_noticeAction = new QToolButton(m_noticeBar);
    m_noticeAction->setFocusPolicy(Qt::NoFocus);
    m_noticeAction->setAutoRaise(true);
    connect(m_noticeAction, &QToolButton::clicked, this, [this] {
        if (m_store.writeProblem())
            m_store.saveEntry(m_store.currentContent());
        else
            m_store.setNotice(std::nullopt);
    });
    line->addWidget(m_noticeAction);
    m_noticeBar->hide();
    return m_noticeBar;
}

void WritingView::refreshNoticeBar() {
    const std::optional<QString>& problem = m_store.writeProblem();
    const std::optional<QString>& notice = problem ? problem : m_store.notice();
    m_noticeBar->setVisible(notice.has_value());
    if (!notice)
        return;
    const QString text =
        problem ? tr("%1 Your writing is kept here and saved again with your next change.")
                      .arg(problem->isEmpty() ? tr("Unknown error") : *problem)
                : *notice;
    m_noticeText->setText(text);
    m_noticeText->setToolTip(text);
    m_noticeBar->setAccessibleName(text);
    m_noticeAction->setText(problem ? tr("Try Again") : tr("Dismiss"));
    // A warning's tint over the window's own colours, so it reads in light and dark themes.
    QPalette tinted = palette();
    QColor tint = problem ? QColor(0xd9, 0x30, 0x25) : palette().color(QPalette::Highlight);
    const QColor base = palette().color(QPalette::Base);
    const double strength = 0.16;
    tinted.setColor(QPalette::Window,
                    QColor::fromRgbF(base.redF() + (tint.redF() - base.redF()) * strength,
                                     base.greenF() + (tint.greenF() - base.greenF()) * strength,
                                     base.blueF() + (tint.blueF() - base.blueF()) * strength));
    tinted.setColor(QPalette::WindowText, palette().color(QPalette::Text));
    m_noticeBar->setPalette(tinted);
}

QToolButton* WritingView::formatButton(const QString& symbol, const QString& label, int command) {
    auto* button = new ToolbarHoverButton(this);
    button->setObjectName(symbol);
    button->setFixedContentSize(kFormatButton);
    button->setIconSize(QSize(kSymbol, kSymbol));
    button->setIcon(glyph(symbol, palette().color(QPalette::WindowText)));
    button->setToolTip(label);
    button->setAccessibleName(label);
    if (command >= 0)
        connect(button, &QToolButton::clicked, this, [this, command] { format(command); });
    return button;
}

QToolButton* WritingView::textButton(const QString& text, const QString& toolTip) {
    auto* button = new ToolbarHoverButton(this);
    button->setText(text);
    button->setFont(mediumFont(14));
    button->setToolTip(toolTip);
    button->setAccessibleName(text);
    return button;
}

QToolButton* WritingView::buildFontChooser() {
    m_fontChooser = new ToolbarHoverButton(this);
    m_fontChooser->setPopupMode(QToolButton::InstantPopup);
    m_fontChooser->setAccessibleName(tr("Choose writing font"));
    m_fontChooser->setStyleSheet(
        QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
    auto* face = new QHBoxLayout(m_fontChooser);
    face->setContentsMargins(4, 0, 4, 0);
    face->setSpacing(7);
    auto* symbol = new QLabel(m_fontChooser);
    symbol->setObjectName(QStringLiteral("symbol"));
    symbol->setPixmap(glyph(QStringLiteral("text.format"), palette().color(QPalette::WindowText))
                          .pixmap(QSize(kSymbol, kSymbol), devicePixelRatioF()));
    m_fontName = new QLabel(m_fontChooser);
    m_fontName->setFont(mediumFont(15));
    m_fontChevron = new QLabel(m_fontChooser);
    m_fontChevron->setPixmap(glyph(QStringLiteral("chevron"), palette().color(QPalette::WindowText))
                                 .pixmap(QSize(10, 10), devicePixelRatioF()));
    for (QLabel* part : {symbol, m_fontName, m_fontChevron}) {
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
        face->addWidget(part);
    }
    auto* menu = new QMenu(m_fontChooser);
    for (const QString& family : kFontFamilies) {
        connect(menu->addAction(family), &QAction::triggered, this, [this, family] {
            m_store.setFontName(family);
            EditorRequests::postFont(family);
        });
    }
    m_fontChooser->setMenu(menu);
    return m_fontChooser;
}

void WritingView::format(int command) {
    EditorRequests::postFormatting(static_cast<FormattingCommand>(command), m_selectedHighlight);
}

void WritingView::chooseHighlight(const QString& name) {
    m_selectedHighlight = name;
    m_picker->setSelected(name);
    m_picker->hide();
    refreshHighlightControls();
    format(int(FormattingCommand::Highlight));
}

void WritingView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    setCompact(width() < kCompactBelow);
    refreshWordCount();
}

// Symbols follow the palette's text colour, so a switch to a dark palette
// redraws them.
void WritingView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        tintSymbols();
}

void WritingView::tintSymbols() {
    if (!m_highlightToggle || !m_colorPicker || !m_fontChooser || !m_fontChevron || !m_dailyLabel)
        return; // still being built
    const QColor ink = palette().color(QPalette::WindowText);
    for (const char* symbol : {"bold", "italic"}) {
        if (auto* button = findChild<QToolButton*>(QLatin1String(symbol)))
            button->setIcon(glyph(QLatin1String(symbol), ink));
    }
    if (auto* symbol = m_fontChooser->findChild<QLabel*>(QStringLiteral("symbol")))
        symbol->setPixmap(glyph(QStringLiteral("text.format"), ink)
                              .pixmap(QSize(kSymbol, kSymbol), devicePixelRatioF()));
    m_fontChevron->setPixmap(
        glyph(QStringLiteral("chevron"), ink).pixmap(QSize(10, 10), devicePixelRatioF()));
    QPalette dim = m_dailyLabel->palette();
    dim.setColor(QPalette::WindowText, withAlpha(ink, 0.85));
    m_dailyLabel->setPalette(dim);
    refreshHighlightControls();
}

void WritingView::setCompact(bool compact) {
    m_compact = compact;
    m_row->setSpacing(compact ? 7 : 9);
    refreshFontChooser();
}

// Many assignments can arrive in one turn of the event loop; one re-read serves them all.
void WritingView::scheduleRefresh() {
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QMetaObject::invokeMethod(this, &WritingView::refresh, Qt::QueuedConnection);
}

void WritingView::refresh() {
    m_refreshQueued = false;
    refreshFontChooser();
    refreshSession();
    refreshSaveToolTip();
    refreshWordCount();
    replaceEditorIfNeeded();
    selectMatch();
    m_editor->textView().setZoom(m_store.textZoom());
    refreshHighlightControls();
    refreshNoticeBar();
    presentSheetsAndAlerts();
}

void WritingView::presentLibrarySearch() {
    m_focusLibrarySearch = true;
    m_store.setIsLibraryPresented(true);
}

// The first place the words occur, in any case; the editor scrolls to it.
void WritingView::selectMatch() {
    if (m_matchToSelect.isEmpty())
        return;
    PlaceholderTextView& text = m_editor->textView();
    text.moveCursor(QTextCursor::Start);
    text.find(std::exchange(m_matchToSelect, QString()));
    text.ensureCursorVisible();
}

void WritingView::refreshFontChooser() {
    if (!m_fontName)
        return;
    // The store changes on every keystroke; relayout only when the look does.
    const QString look = m_store.fontName() + (m_compact ? u'|' : u'-');
    if (look == m_fontChooserLook)
        return;
    m_fontChooserLook = look;
    m_fontName->setText(m_store.fontName());
    m_fontName->setVisible(!m_compact);
    m_fontChevron->setVisible(!m_compact);
    static_cast<ToolbarHoverButton*>(m_fontChooser)
        ->setFixedContentSize(m_fontChooser->layout()->sizeHint().expandedTo(QSize(26, 28)));
}

// Says what a click does: a library document is already saved with every change.
void WritingView::refreshSaveToolTip() {
    m_save->setToolTip(m_store.isLibraryDocument() ? tr("Saved automatically")
                                                   : tr("Save a copy to your library"));
}

void WritingView::refreshSession() {
    const bool running = m_store.isSessionActive();
    m_start->setVisible(!running);
    m_countdown->setVisible(running);
    m_countdown->setText(m_store.remainingLabel());
    m_countdown->setAccessibleName(
        QStringLiteral("%1 seconds remaining").arg(m_store.remainingSeconds()));
}

// In the compact row the count is the first thing to give way.
void WritingView::refreshWordCount() {
    const qint64 words = m_store.wordCount();
    const QString text = words == 0   ? QString()
                         : words == 1 ? tr("1 word")
                                      : tr("%1 words").arg(QLocale().toString(words));
    if (text != m_wordCountLabel->text())
        m_wordCountLabel->setText(text);
    bool fits = true;
    if (m_compact && !text.isEmpty()) {
        const int others =
            m_row->sizeHint().width() -
            (m_wordCountLabel->isVisible() ? m_wordCountLabel->sizeHint().width() : 0);
        fits = others + m_row->spacing() + m_wordCountLabel->sizeHint().width() <= width();
    }
    m_wordCountLabel->setVisible(!text.isEmpty() && fits);
    const bool completed = m_store.isDayCompleted();
    const QString daily = completed ? tr("Daily \u2713") : tr("Daily");
    if (daily != m_dailyLabel->text()) {
        m_dailyLabel->setText(daily);
        m_dailyLabel->setAccessibleName(completed ? tr("Daily, today’s session is complete")
                                                  : tr("Daily"));
    }
}

void WritingView::replaceEditorIfNeeded() {
    if (m_editor && m_editorRevision == m_store.documentRevision())
        return;
    delete m_editor;
    m_editor = new RichTextEditor(m_store, this, m_spelling);
    m_editorRevision = m_store.documentRevision();
    m_cursorHighlightColor.reset();
    connect(m_editor, &RichTextEditor::cursorHighlightColorChanged, this,
            [this](std::optional<QColor> color) {
                m_cursorHighlightColor = std::move(color);
                refreshHighlightControls();
            });
    m_editorArea->addWidget(m_editor);
}

void WritingView::refreshHighlightControls() {
    const QColor ink = palette().color(QPalette::WindowText);
    const bool marked = m_cursorHighlightColor.has_value();
    // Re-rendering the symbols is only worth it when what they show changed.
    const QString look = (marked ? m_cursorHighlightColor->name() : QString()) + u'|' +
                         m_selectedHighlight + u'|' + ink.name();
    if (look == m_highlightLook)
        return;
    m_highlightLook = look;
    m_highlightToggle->setIcon(
        glyph(QStringLiteral("highlighter"), marked ? QColor(Qt::black) : ink));
    const QString label = marked ? tr("Remove highlight") : tr("Highlight text");
    m_highlightToggle->setToolTip(label);
    m_highlightToggle->setAccessibleName(label);
    static_cast<ToolbarHoverButton*>(m_highlightToggle)->setBackdrop(m_cursorHighlightColor);
    m_colorPicker->setIconSize(QSize(11, 11));
    m_colorPicker->setIcon(
        pickerCircle(HighlightPalette::color(m_selectedHighlight), ink, devicePixelRatioF()));
}

void WritingView::presentSheetsAndAlerts() {
    if (m_store.isLibraryPresented() && !m_library) {
        auto* library = new LibraryView(m_store, window());
        library->setRevealFunction([this](const QUrl& url) { m_store.revealDocument(url); });
        library->setSearchIndex(m_searchIndex);
        if (std::exchange(m_focusLibrarySearch, false))
            library->focusSearch();
        connect(library, &LibraryView::openedAtMatch, this, [this](const QString& words) {
            m_matchToSelect = words;
            scheduleRefresh();
        });
        m_library = library;
        m_library->setAttribute(Qt::WA_DeleteOnClose);
        m_library->open();
    }
    if (m_store.isSavePresented() && !m_saveSheet) {
        m_saveSheet = new SaveDocumentView(m_store, window());
        m_saveSheet->setAttribute(Qt::WA_DeleteOnClose);
        m_saveSheet->open();
    }
    if (m_store.fileError() && m_fileErrorAlert) {
        // A newer failure replaces the message rather than being cleared unseen.
        m_fileErrorAlert->setInformativeText(m_store.fileError()->isEmpty() ? tr("Unknown error")
                                                                            : *m_store.fileError());
    }
    if (m_store.fileError() && !m_fileErrorAlert) {
        const QString message =
            m_store.fileError()->isEmpty() ? tr("Unknown error") : *m_store.fileError();
        const QString title = m_store.fileErrorTask() == WritingStore::FileTask::Opening
                                  ? tr("Couldn’t open")
                                  : tr("Couldn’t save");
        m_fileErrorAlert =
            new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::Ok, window());
        m_fileErrorAlert->setInformativeText(message);
        m_fileErrorAlert->setAttribute(Qt::WA_DeleteOnClose);
        m_fileErrorAlert->setWindowModality(Qt::WindowModal);
        connect(m_fileErrorAlert, &QMessageBox::finished, this,
                [this] { m_store.setFileError(std::nullopt); });
        m_fileErrorAlert->open();
    }
}

} // namespace inkwarden
