#include "editor/rich_text_editor.h"

#include "documents/storage_layout.h"
#include "editor/editor_requests.h"
#include "editor/editor_spelling.h"
#include "editor/highlight_palette.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_document.h"
#include "store/writing_store.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLocale>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace inkwarden {
namespace {

const QColor kHighlightText = Qt::black;

// The families keep their names in text and files; where one is not
// installed, Qt draws it with a free face chosen for likeness, so the four
// choices look like four: a screen serif with a large x-height, a neo-grotesque,
// a geometric sans and the monospace Menlo grew out of. Then faces of the same
// kind, for a system without them.
void registerSubstitutions() {
    static const bool registered = [] {
        QFont::insertSubstitutions(QStringLiteral("Georgia"),
                                   {QStringLiteral("DejaVu Serif"), QStringLiteral("C059"),
                                    QStringLiteral("Noto Serif"), QStringLiteral("serif")});
        QFont::insertSubstitutions(QStringLiteral("Helvetica Neue"),
                                   {QStringLiteral("Nimbus Sans"),
                                    QStringLiteral("Liberation Sans"),
                                    QStringLiteral("sans-serif")});
        QFont::insertSubstitutions(QStringLiteral("Avenir Next"),
                                   {QStringLiteral("URW Gothic"), QStringLiteral("Cantarell"),
                                    QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
        QFont::insertSubstitutions(QStringLiteral("Menlo"), {QStringLiteral("DejaVu Sans Mono"),
                                                             QStringLiteral("Liberation Mono"),
                                                             QStringLiteral("monospace")});
        return true;
    }();
    Q_UNUSED(registered);
}

bool fontExists(const QString& name) {
    return !name.isEmpty() &&
           (QFontDatabase::hasFamily(name) || !QFont::substitutes(name).isEmpty());
}

QString familyFor(const QString& name) {
    return fontExists(name) ? name : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QTextCharFormat fontFormat(const QString& name, double pointSize) {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{familyFor(name)});
    format.setFontPointSize(pointSize);
    format.setFontWeight(QFont::Normal);
    format.setFontItalic(false);
    return format;
}

struct Piece {
    int from;
    int to;
    QTextCharFormat format;
};

// Every stretch of uniform format in [start, end), block separators included,
// gathered first so the caller may change formats while going through them.
QList<Piece> piecesIn(const QTextDocument& document, int start, int end) {
    QList<Piece> pieces;
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment piece = it.fragment();
            const int from = qMax(start, piece.position());
            const int to = qMin(end, piece.position() + piece.length());
            if (from < to)
                pieces.append({from, to, piece.charFormat()});
        }
        const int separator = block.position() + block.length() - 1;
        if (block.next().isValid() && separator >= start && separator < end)
            pieces.append({separator, separator + 1, block.next().charFormat()});
    }
    return pieces;
}

void forEachPiece(QTextDocument& document, int start, int end,
                  const std::function<void(int, int, const QTextCharFormat&)>& visit) {
    for (const Piece& piece : piecesIn(document, start, end))
        visit(piece.from, piece.to, piece.format);
}

// Walks the fragments only as far as the first highlight.
std::optional<QColor> firstHighlightIn(const QTextDocument& document, int start, int end) {
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment piece = it.fragment();
            if (piece.position() + piece.length() <= start || piece.position() >= end)
                continue;
            if (piece.charFormat().hasProperty(QTextFormat::BackgroundBrush))
                return piece.charFormat().background().color();
        }
    }
    return std::nullopt;
}

void setFormat(QTextDocument& document, int from, int to, const QTextCharFormat& format) {
    QTextCursor cursor(&document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.setCharFormat(format);
}

void clearHighlight(QTextDocument& document, int start, int end) {
    forEachPiece(document, start, end, [&](int from, int to, QTextCharFormat format) {
        format.clearBackground();
        format.clearForeground();
        setFormat(document, from, to, format);
    });
}

} // namespace

RichTextEditor::RichTextEditor(WritingStore& store, QWidget* parent, SpellChecker* spelling)
    : QWidget(parent)
    , m_store(store)
    , m_textView(new PlaceholderTextView(this)) {
    registerSubstitutions();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_textView);
    setUpTextView();
    loadContent();
    m_textView->setZoom(m_store.textZoom());
    m_textView->setCurrentCharFormat(fontFormat(m_store.fontName(), kBaseFontSize));

    connect(&EditorRequests::instance(), &EditorRequests::requested, this,
            &RichTextEditor::received);
    connect(m_textView->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) {
                m_lastChangeStart = position;
                m_lastChangeEnd = position + added;
                m_contentsChanged = true;
            });
    connect(m_textView, &QTextEdit::textChanged, this, &RichTextEditor::textDidChange);
    m_textView->installEventFilter(this);
    connect(m_textView, &QTextEdit::cursorPositionChanged, this,
            &RichTextEditor::updateHighlightState);
    connect(m_textView, &QTextEdit::selectionChanged, this, &RichTextEditor::updateHighlightState);
    if (spelling)
        m_spelling = new EditorSpelling(*m_textView, *spelling, this);
    QTimer::singleShot(0, m_textView, [this] {
        m_textView->setFocus();
        updateHighlightState();
    });
}

QFont RichTextEditor::fontNamed(const QString& name, double pointSize) {
    registerSubstitutions();
    QFont font(familyFor(name));
    font.setPointSizeF(pointSize);
    return font;
}

void RichTextEditor::setUpTextView() {
    m_textView->setFrameShape(QFrame::NoFrame);
    m_textView->setAcceptRichText(true);
    m_textView->setUndoRedoEnabled(true);
    m_textView->setLineWrapMode(QTextEdit::WidgetWidth);
    m_textView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_textView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QTextDocument* document = m_textView->document();
    document->setDocumentMargin(0);
    QTextFrameFormat frame = document->rootFrame()->frameFormat();
    frame.setLeftMargin(kInsetWidth + kLinePadding);
    frame.setRightMargin(kInsetWidth + kLinePadding);
    frame.setTopMargin(kInsetHeight);
    frame.setBottomMargin(kInsetHeight);
    document->rootFrame()->setFrameFormat(frame);
    const QFont font = fontNamed(m_store.fontName(), kBaseFontSize);
    m_textView->setFont(font);
    document->setDefaultFont(font);
}

// Text reaches a live editor only here: foregrounds are derived from the
// highlights and line breaks lose theirs. Loading is not an undoable edit.
void RichTextEditor::loadContent() {
    m_changingText = true;
    QTextDocument* document = m_textView->document();
    document->setUndoRedoEnabled(false);
    editor::loadRichText(*document, editor::normalizedForEditing(m_store.currentContent()));
    // A caret that Qt places anew in an empty text (select all, Ctrl+End)
    // types in the first block's format: the base font, not no font at all.
    if (document->isEmpty())
        QTextCursor(document).setBlockCharFormat(fontFormat(m_store.fontName(), kBaseFontSize));
    document->setUndoRedoEnabled(true);
    // A document opens at its beginning, as in other editors. Left at the end
    // (where loading leaves it), showing it would first lay out every page.
    m_textView->moveCursor(QTextCursor::Start);
    m_changingText = false;
}

void RichTextEditor::received(const QString& name, const QVariant& object,
                              const QVariantMap& userInfo) {
    if (name == EditorRequests::kFormatting) {
        if (object.metaType() != QMetaType::fromType<FormattingCommand>())
            return;
        const QVariant color = userInfo.value(EditorRequests::kColorKey);
        const QString highlight = color.metaType() == QMetaType::fromType<QString>()
                                      ? color.toString()
                                      : HighlightPalette::defaultName();
        apply(object.value<FormattingCommand>(), highlight);
    } else if (name == EditorRequests::kFont) {
        if (object.metaType() == QMetaType::fromType<QString>())
            changeFont(object.toString());
    }
}

void RichTextEditor::apply(FormattingCommand command, const QString& highlightName) {
    QTextDocument& document = *m_textView->document();
    QTextCursor selection = m_textView->textCursor();
    m_changingText = true;
    // One undo step for the command and the line-break rule it may trigger.
    QTextCursor step(&document);
    step.beginEditBlock();
    switch (command) {
    case FormattingCommand::Bold:
        setFont(selection, [](QTextCharFormat format) {
            format.setFontWeight(format.fontWeight() > QFont::Medium ? QFont::Normal : QFont::Bold);
            return format;
        });
        break;
    case FormattingCommand::Italic:
        setFont(selection, [](QTextCharFormat format) {
            format.setFontItalic(!format.fontItalic());
            return format;
        });
        break;
    case FormattingCommand::Highlight: {
        QTextCharFormat change;
        change.setBackground(HighlightPalette::color(highlightName));
        change.setForeground(kHighlightText);
        setAttribute(selection, change);
        editor::removeHighlightsFromLineBreaks(document);
        if (selection.hasSelection()) {
            selection.setPosition(selection.selectionEnd());
            m_textView->setTextCursor(selection);
            plainTypingAttributes();
        }
        break;
    }
    case FormattingCommand::ClearHighlight:
        if (selection.hasSelection()) {
            clearHighlight(document, selection.selectionStart(), selection.selectionEnd());
        } else {
            if (const auto range = highlightRange(selection.position()))
                clearHighlight(document, range->first, range->first + range->second);
            plainTypingAttributes();
        }
        break;
    }
    step.endEditBlock();
    m_changingText = false;
    m_textView->setFocus();
    handBackToStore();
    updateHighlightState();
}

// Each run's size and boldness are kept; italics become upright, as a new
// family may not have them.
void RichTextEditor::changeFont(const QString& name) {
    const QString family = familyFor(name);
    QTextCursor all(m_textView->document());
    all.select(QTextCursor::Document);
    m_changingText = true;
    setFont(all, [&](QTextCharFormat format) {
        format.setFontFamilies(QStringList{family});
        if (format.fontPointSize() <= 0)
            format.setFontPointSize(kBaseFontSize);
        format.setFontItalic(false);
        return format;
    });
    // The placeholder and an emptied text's typing take the font from here.
    const QFont font = fontNamed(name, kBaseFontSize);
    m_textView->setFont(font);
    m_textView->document()->setDefaultFont(font);
    // With a selection Qt would apply a "typing" format to the selected text.
    if (!m_textView->textCursor().hasSelection()) {
        QTextCharFormat typing = m_textView->currentCharFormat();
        typing.merge(fontFormat(name, kBaseFontSize));
        m_textView->setCurrentCharFormat(typing);
    }
    m_changingText = false;
    m_textView->setFocus();
    handBackToStore();
}

void RichTextEditor::setFont(
    const QTextCursor& range,
    const std::function<QTextCharFormat(const QTextCharFormat&)>& transform) {
    if (!range.hasSelection()) {
        QTextCharFormat typing = m_textView->currentCharFormat();
        if (typing.fontFamilies().toStringList().isEmpty())
            typing.merge(fontFormat(m_store.fontName(), kBaseFontSize));
        m_textView->setCurrentCharFormat(transform(typing));
        return;
    }
    QTextDocument& document = *m_textView->document();
    QTextCursor edit(&document);
    edit.beginEditBlock();
    forEachPiece(document, range.selectionStart(), range.selectionEnd(),
                 [&](int from, int to, const QTextCharFormat& format) {
                     setFormat(document, from, to, transform(format));
                 });
    edit.endEditBlock();
}

void RichTextEditor::setAttribute(QTextCursor& range, const QTextCharFormat& change) {
    if (range.hasSelection()) {
        range.mergeCharFormat(change);
        return;
    }
    QTextCharFormat typing = m_textView->currentCharFormat();
    typing.merge(change);
    m_textView->setCurrentCharFormat(typing);
}

// A highlight never crosses a line break, so its run lies inside one block.
std::optional<std::pair<int, int>> RichTextEditor::highlightRange(int location) const {
    QTextDocument& document = *m_textView->document();
    const int length = document.characterCount() - 1;
    if (length <= 0)
        return std::nullopt;
    const int index = qMin(location, length - 1);
    const QTextBlock block = document.findBlock(index);
    std::optional<std::pair<int, int>> found;
    int runStart = -1;
    QBrush runBrush;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment piece = it.fragment();
        const QTextCharFormat format = piece.charFormat();
        const bool highlighted = format.hasProperty(QTextFormat::BackgroundBrush);
        if (!highlighted || format.background() != runBrush)
            runStart = highlighted ? piece.position() : -1;
        runBrush = highlighted ? format.background() : QBrush();
        const int runEnd = piece.position() + piece.length();
        if (runStart >= 0 && index >= runStart && index < runEnd)
            found = std::pair(runStart, runEnd - runStart);
        else if (found)
            break;
    }
    return found;
}

void RichTextEditor::updateHighlightState() {
    QTextDocument& document = *m_textView->document();
    const QTextCursor cursor = m_textView->textCursor();
    std::optional<QColor> color;
    if (!cursor.hasSelection()) {
        if (const auto range = highlightRange(cursor.position())) {
            QTextCursor at(&document);
            at.setPosition(range->first + 1);
            color = at.charFormat().background().color();
        }
    } else {
        color = firstHighlightIn(document, cursor.selectionStart(), cursor.selectionEnd());
    }
    if (color != m_cursorHighlightColor) {
        m_cursorHighlightColor = color;
        Q_EMIT cursorHighlightColorChanged(color);
    }
}

void RichTextEditor::setCursorHighlightColor(std::optional<QColor> color) {
    m_cursorHighlightColor = std::move(color);
}

// Qt also says the text changed when only the look of some words did (the
// spelling marks); that is not an edit and must not be saved.
void RichTextEditor::textDidChange() {
    if (!std::exchange(m_contentsChanged, false) || m_changingText)
        return;
    m_changingText = true;
    QTextDocument& document = *m_textView->document();
    if (const int excess = document.characterCount() - 1 - int(storage::kLongestOpenableDocument);
        excess > 0)
        refuseExcess(document, excess);
    if (document.blockCount() > storage::kMostOpenableParagraphs)
        refuseParagraphs(document);
    bool highlightedLineBreak = false;
    RichText content = editor::toRichText(document, &highlightedLineBreak);
    // Rarely needed now that breaks are made plain; when it is, it joins the
    // edit that caused it, so one undo takes both back.
    if (highlightedLineBreak) {
        QTextCursor step(&document);
        step.joinPreviousEditBlock();
        editor::removeHighlightsFromLineBreaks(document);
        step.endEditBlock();
        content = editor::toRichText(document);
    }
    const QTextCursor caret = m_textView->textCursor();
    if (!caret.hasSelection() && caret.position() >= 1 && caret.atBlockStart())
        plainTypingAttributes();
    // Emptied, the text would type in the font it was opened with, not the chosen one.
    if (document.isEmpty())
        m_textView->setCurrentCharFormat(fontFormat(m_store.fontName(), kBaseFontSize));
    m_changingText = false;
    m_store.saveEntry(content);
    updateHighlightState();
    m_textView->viewport()->update();
}

// Return makes its paragraph break with the typing format; a highlight must
// not reach the break, nor continue on the new line.
bool RichTextEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_textView && event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const bool newParagraph =
            (press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter) &&
            !(press->modifiers() & Qt::ShiftModifier);
        if (newParagraph && !m_textView->textCursor().hasSelection())
            plainTypingAttributes();
    }
    return QWidget::eventFilter(watched, event);
}

// A longer text could be saved but never opened again, so what passes the
// limit is taken back off the end of the edit that brought it, in the same
// undo step, and the person is told.
void RichTextEditor::refuseExcess(QTextDocument& document, int excess) {
    const int end = std::clamp(m_lastChangeEnd, excess, document.characterCount() - 1);
    int start = end - excess;
    if (start > 0 && document.characterAt(start).isLowSurrogate())
        --start; // never half a character
    QTextCursor cut(&document);
    cut.setPosition(start);
    cut.setPosition(end, QTextCursor::KeepAnchor);
    cut.joinPreviousEditBlock();
    cut.removeSelectedText();
    cut.endEditBlock();
    m_store.setNotice(
        tr("This document has reached its limit of %1 characters; the rest was not added.")
            .arg(QLocale().toString(qlonglong(storage::kLongestOpenableDocument))));
}

// Past the most paragraphs a document may hold, the edit that brought them
// is taken back whole, in the same undo step.
void RichTextEditor::refuseParagraphs(QTextDocument& document) {
    QTextCursor cut(&document);
    cut.setPosition(std::min(m_lastChangeStart, document.characterCount() - 1));
    cut.setPosition(std::clamp(m_lastChangeEnd, cut.position(), document.characterCount() - 1),
                    QTextCursor::KeepAnchor);
    cut.joinPreviousEditBlock();
    cut.removeSelectedText();
    cut.endEditBlock();
    m_store.setNotice(tr("This document has reached its limit of %1 paragraphs; that was not "
                         "added.")
                          .arg(QLocale().toString(qlonglong(storage::kMostOpenableParagraphs))));
}

void RichTextEditor::plainTypingAttributes() {
    QTextCharFormat typing = m_textView->currentCharFormat();
    typing.clearBackground();
    typing.clearForeground();
    m_textView->setCurrentCharFormat(typing);
}

void RichTextEditor::handBackToStore() {
    m_store.saveEntry(editor::toRichText(*m_textView->document()));
}

} // namespace inkwarden
