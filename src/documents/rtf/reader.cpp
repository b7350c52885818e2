#include "documents/rtf/reader.h"

#include "documents/rtf/font_names.h"

#include <utility>

namespace inkwarden::rtf {
namespace {

// Deep enough for any real document (tables, fields and lists nest a few
// dozen levels at most), shallow enough that the state stack stays small.
constexpr std::size_t kMaxGroupDepth = 1000;
// Real documents name a few dozen fonts and colours (a few hundred after a PDF
// conversion); a crafted table of millions would take gigabytes. Entries past
// these are read but not kept, and text that asks for one gets the default
// font or no colour. A full colour table is 32 KB, so it can afford more.
constexpr qsizetype kMaxFonts = 1000;
constexpr qsizetype kMaxColors = 4096;
// Longer than any face name, in bytes or characters; the rest of a longer one is dropped.
constexpr qsizetype kMaxFontNameLength = 256;
// Text is decoded a slice at a time, so its bytes are never held whole and an
// overlong document stops within one slice of the limit.
constexpr qsizetype kDecodeSlice = 64 * 1024;
// No codepage needs more bytes than this for one UTF-16 code unit (GB18030).
constexpr qsizetype kMaxBytesPerUnit = 4;
constexpr int kDefaultHalfPoints = 24;
constexpr int kWindowsLatin1 = 1252;
constexpr int kMaxHalfPoints = 3276;
constexpr QRgb kWhite = 0xFFFFFFFF;

QString emptyMessage() {
    return QStringLiteral("This file is empty.");
}
QString notRtfMessage() {
    return QStringLiteral("This file is not an RTF document.");
}
QString tooDeepMessage() {
    return QStringLiteral("This RTF document is nested too deeply to open.");
}
QString damagedMessage() {
    return QStringLiteral("This RTF document is damaged.");
}

QString tooLongMessage(qsizetype maxCharacters) {
    return QStringLiteral(
               "This document is longer than %L1 characters, the most Inkwarden can open.")
        .arg(maxCharacters);
}

bool isSpace(char byte) {
    return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

// Where "{\rtf" starts after an optional UTF-8 byte order mark and white
// space; -1 when the bytes hold nothing; -2 when they are not RTF.
qsizetype headerStart(QByteArrayView bytes) {
    qsizetype position = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (position < bytes.size() && isSpace(bytes[position]))
        ++position;
    if (position == bytes.size())
        return -1;
    return bytes.sliced(position).startsWith("{\\rtf") ? position : -2;
}

} // namespace

ReadResult read(QByteArrayView bytes, qsizetype maxCharacters, qsizetype maxParagraphs) {
    const qsizetype start = headerStart(bytes);
    if (start < 0)
        return ReadResult{RichText(), start == -1 ? emptyMessage() : notRtfMessage()};
    return Reader(bytes.sliced(start), maxCharacters, maxParagraphs).read();
}

Reader::Reader(QByteArrayView document, qsizetype maxCharacters, qsizetype maxParagraphs)
    : m_tokenizer(document)
    , m_maxCharacters(maxCharacters)
    , m_maxParagraphs(maxParagraphs) {
    m_stack.reserve(64);
}

ReadResult Reader::read() {
    for (Token token = m_tokenizer.next(); token.kind != TokenKind::End;
         token = m_tokenizer.next()) {
        if (token.kind == TokenKind::Damaged)
            m_error = damagedMessage();
        if (!m_error.isEmpty() || !handle(token))
            break;
    }
    if (!m_error.isEmpty())
        return ReadResult{RichText(), m_error};
    if (!m_stack.empty())
        flushBytes(); // a file that ends early keeps the text it has
    // A document's last paragraph mark ends its last paragraph rather than
    // starting an empty one: that is how word processors write it.
    m_builder.chopTrailing(QLatin1Char('\n'));
    if (m_maxCharacters >= 0 && m_builder.length() > m_maxCharacters)
        return ReadResult{RichText(), tooLongMessage(m_maxCharacters)};
    m_builder.replaceLoneSurrogates();
    return ReadResult{m_builder.take(), QString()};
}

// Answers false when reading stops: the document's last group closed, or an error.
bool Reader::handle(const Token& token) {
    if (m_stack.empty())
        return token.kind != TokenKind::GroupStart || openGroup();
    const bool ignorable = std::exchange(m_ignorableNext, false);
    if (token.kind == TokenKind::GroupStart || token.kind == TokenKind::GroupEnd) {
        flushBytes();
        m_fallbackToSkip = 0;
        return token.kind == TokenKind::GroupStart ? openGroup() : closeGroup();
    }
    if (state().destination == Destination::Skip) {
        if (token.kind == TokenKind::ControlWord && token.word == QByteArrayView("ud"))
            state().destination = state().afterUnicodePair;
        return true;
    }
    if (token.kind == TokenKind::Text) {
        handleText(token.word);
        return true;
    }
    if (m_fallbackToSkip > 0) {
        --m_fallbackToSkip; // a \'hh or a control word stands for one fallback character
        return true;
    }
    if (token.kind == TokenKind::ControlWord)
        handleControlWord(token, ignorable);
    else if (token.kind == TokenKind::ControlSymbol)
        handleControlSymbol(token.symbol);
    else if (token.kind == TokenKind::HexByte)
        addBytes(QByteArrayView(reinterpret_cast<const char*>(&token.symbol), 1));
    return true;
}

bool Reader::openGroup() {
    if (m_stack.size() >= kMaxGroupDepth) {
        m_error = tooDeepMessage();
        return false;
    }
    GroupState inner = m_stack.empty() ? GroupState{} : m_stack.back();
    m_stack.push_back(inner);
    return true;
}

bool Reader::closeGroup() {
    if (state().destination == Destination::FontTable)
        finishFontEntry(); // entries that end with the group rather than ';'
    m_stack.pop_back();
    return !m_stack.empty();
}

void Reader::handleControlWord(const Token& token, bool ignorable) {
    flushBytes();
    const ControlWord* word = findControlWord(token.word);
    if (!word) {
        if (ignorable)
            state().destination = Destination::Skip; // \* marks a destination we may skip
        return;
    }
    if (applyDestinationWord(*word))
        return;
    switch (word->action) {
    case Action::Unicode:
        emitUnicode(token.hasParameter ? token.parameter : 0);
        m_fallbackToSkip = state().unicodeSkip;
        break;
    case Action::UnicodeSkip:
        state().unicodeSkip = qMax(0, token.parameter);
        break;
    case Action::Character:
        emitCodeUnit(char16_t(word->value));
        break;
    default:
        applyDocumentWord(*word, token);
        applyFormatWord(*word, token);
        applyScriptWord(*word, token);
        break;
    }
}

// Answers whether `word` starts a destination (and has been handled).
bool Reader::applyDestinationWord(const ControlWord& word) {
    GroupState& group = state();
    switch (word.action) {
    case Action::FontTable:
        group.destination = Destination::FontTable;
        m_entryNumber = -1;
        return true;
    case Action::ColorTable:
        group.destination = Destination::ColorTable;
        m_colorGiven = false;
        return true;
    case Action::SkipDestination:
        group.destination = Destination::Skip;
        group.afterUnicodePair = Destination::Skip;
        return true;
    case Action::UnicodePair:
        group.afterUnicodePair = group.destination;
        group.destination = Destination::Skip;
        return true;
    case Action::UnicodeAlternative:
        return true;
    default:
        return false;
    }
}

void Reader::applyDocumentWord(const ControlWord& word, const Token& token) {
    const int value = token.parameter;
    const bool inFontTable = state().destination == Destination::FontTable;
    const bool inColorTable = state().destination == Destination::ColorTable;
    switch (word.action) {
    case Action::Codepage:
        m_documentCodepage = word.value;
        break;
    case Action::AnsiCodepage:
        if (value > 0)
            m_documentCodepage = value;
        break;
    case Action::DefaultFont:
        m_defaultFont = value;
        m_formatCached = false;
        m_codepageFont.reset();
        break;
    case Action::FontCharset:
        if (inFontTable)
            m_entryCodepage = codepageForCharset(value);
        break;
    case Action::FontCodepage:
        if (inFontTable && value > 0)
            m_entryCodepage = value;
        break;
    case Action::Red:
    case Action::Green:
    case Action::Blue:
        if (inColorTable) {
            int& component = word.action == Action::Red     ? m_red
                             : word.action == Action::Green ? m_green
                                                            : m_blue;
            component = qBound(0, value, 255);
            m_colorGiven = true;
        }
        break;
    default:
        break;
    }
}

void Reader::applyFormatWord(const ControlWord& word, const Token& token) {
    CharFormat& format = state().format;
    const int value = token.parameter;
    const bool on = !token.hasParameter || value != 0;
    switch (word.action) {
    case Action::Plain:
        format = CharFormat{};
        break;
    case Action::Font:
        if (state().destination != Destination::FontTable) {
            format.font = value;
        } else if (token.hasParameter) {
            finishFontEntry();
            // A full table still takes new definitions of the fonts it has.
            m_entryNumber = m_fonts.size() < kMaxFonts || m_fonts.contains(value) ? value : -1;
            m_entryCodepage = 0;
        }
        break;
    case Action::FontSize:
        format.halfPoints = value > 0 ? qMin(value, kMaxHalfPoints) : kDefaultHalfPoints;
        break;
    case Action::Bold:
        format.bold = on;
        break;
    case Action::Italic:
        format.italic = on;
        break;
    case Action::Foreground:
        format.foreground = value;
        break;
    case Action::Background:
        format.background = value;
        break;
    case Action::PatternBackground:
        format.patternBackground = value;
        break;
    case Action::Highlight:
        format.highlight = value;
        break;
    default:
        break;
    }
}

// LibreOffice gives the size of Asian and right-to-left text only this way;
// the family stays the Latin one, which is what the writer chose.
void Reader::applyScriptWord(const ControlWord& word, const Token& token) {
    CharFormat& format = state().format;
    AssociatedFormat* associated = format.script == Script::RightToLeft  ? &format.rightToLeft
                                   : format.script == Script::DoubleByte ? &format.doubleByte
                                                                         : nullptr;
    const int value = token.parameter;
    const int on = !token.hasParameter || value != 0 ? 1 : 0;
    if (word.action == Action::Script)
        format.script = Script(word.value);
    else if (associated && word.action == Action::AssociatedSize)
        associated->halfPoints = value > 0 ? qMin(value, kMaxHalfPoints) : -1;
    else if (associated && word.action == Action::AssociatedBold)
        associated->bold = on;
    else if (associated && word.action == Action::AssociatedItalic)
        associated->italic = on;
}

void Reader::handleControlSymbol(unsigned char symbol) {
    switch (symbol) {
    case '\\':
    case '{':
    case '}': {
        const char byte = char(symbol);
        addBytes(QByteArrayView(&byte, 1)); // may be the second byte of a double-byte character
        break;
    }
    case '~':
        emitCodeUnit(0x00A0);
        break;
    case '-':
        emitCodeUnit(0x00AD); // an optional hyphen: invisible unless the line breaks there
        break;
    case '_':
        emitCodeUnit(0x2011);
        break;
    case '\t':
        emitCodeUnit(u'\t');
        break;
    case '*':
        m_ignorableNext = true;
        break;
    default:
        break;
    }
}

void Reader::handleText(QByteArrayView bytes) {
    if (m_fallbackToSkip > 0) {
        const qsizetype skipped = qMin<qsizetype>(m_fallbackToSkip, bytes.size());
        m_fallbackToSkip -= int(skipped);
        bytes = bytes.sliced(skipped);
    }
    if (bytes.isEmpty())
        return;
    if (state().destination == Destination::Body)
        addBytes(bytes);
    else
        handleTableText(bytes);
}

// Table entries end at ';'. Text that can add nothing (outside a font entry
// kept, or past a full colour table) is passed over whole.
void Reader::handleTableText(QByteArrayView bytes) {
    const bool fonts = state().destination == Destination::FontTable;
    for (qsizetype end = bytes.indexOf(';'); end >= 0; end = bytes.indexOf(';')) {
        if (fonts ? m_entryNumber < 0 : m_colors.size() >= kMaxColors)
            return;
        if (fonts) {
            addBytes(bytes.first(end));
            finishFontEntry();
        } else {
            finishColor();
        }
        bytes = bytes.sliced(end + 1);
    }
    if (fonts)
        addBytes(bytes);
}

void Reader::addBytes(QByteArrayView bytes) {
    if (state().destination == Destination::FontTable) {
        // Only the name of an entry being kept, and only as long as a name can be.
        const qsizetype room =
            m_entryNumber < 0 ? 0 : kMaxFontNameLength - m_entryName.size() - m_pendingBytes.size();
        bytes = bytes.first(qBound<qsizetype>(0, room, bytes.size()));
    }
    if (bytes.isEmpty())
        return;
    const int codepage = currentCodepage();
    if (!m_pendingBytes.isEmpty() && codepage != m_pendingCodepage)
        flushBytes();
    m_pendingCodepage = codepage;
    while (!bytes.isEmpty() && m_error.isEmpty()) {
        const qsizetype taken = qMin(bytes.size(), kDecodeSlice);
        m_pendingBytes.append(bytes.first(taken));
        bytes = bytes.sliced(taken);
        if (m_pendingBytes.size() >= kDecodeSlice)
            flushWholeCharacters();
    }
}

// Decodes the pending bytes up to the last one below '0', which no codepage
// uses inside a multi-byte character; Windows-1252 may be cut anywhere.
void Reader::flushWholeCharacters() {
    if (m_pendingCodepage == kWindowsLatin1)
        return flushBytes();
    qsizetype end = m_pendingBytes.size();
    while (end > m_searchedBytes && static_cast<unsigned char>(m_pendingBytes[end - 1]) >= 0x30)
        --end;
    if (end > m_searchedBytes)
        return flushBytes(end);
    m_searchedBytes = m_pendingBytes.size();
    if (m_maxCharacters >= 0 &&
        m_pendingBytes.size() / kMaxBytesPerUnit > m_maxCharacters + 1 - m_builder.length())
        m_error = tooLongMessage(m_maxCharacters); // more bytes than the room left could hold
}

void Reader::flushBytes(qsizetype end) {
    if (m_pendingBytes.isEmpty())
        return;
    const qsizetype length = end < 0 ? m_pendingBytes.size() : end;
    QString decoded;
    m_decoder.decode(m_pendingCodepage, QByteArrayView(m_pendingBytes).first(length), decoded);
    m_pendingBytes.remove(0, length);
    m_searchedBytes = m_pendingBytes.size(); // what is left has no byte below '0'
    emitText(decoded);
}

void Reader::emitText(QStringView text) {
    if (state().destination == Destination::Body) {
        m_builder.append(text, resolvedFormat());
        // One over, for the last paragraph mark that read() drops at the end.
        if (m_maxCharacters >= 0 && m_builder.length() > m_maxCharacters + 1)
            m_error = tooLongMessage(m_maxCharacters);
        // Each paragraph costs the editor far more than its mark costs the file.
        m_paragraphMarks += text.count(u'\n');
        if (m_maxParagraphs >= 0 && m_paragraphMarks > m_maxParagraphs)
            m_error = QStringLiteral("This document has more than %L1 paragraphs, the most "
                                     "Inkwarden can open.")
                          .arg(m_maxParagraphs);
    } else if (state().destination == Destination::FontTable && m_entryNumber >= 0) {
        const qsizetype room = kMaxFontNameLength - m_entryName.size();
        m_entryName.append(text.first(qBound<qsizetype>(0, room, text.size())));
    }
}

void Reader::emitCodeUnit(char16_t unit) {
    flushBytes();
    emitText(QStringView(&unit, 1));
}

void Reader::emitUnicode(int parameter) {
    flushBytes();
    // Values above 32767 are written negative; a few writers give whole code points.
    const qint64 value = parameter < 0 ? qint64(parameter) + 65536 : parameter;
    if (value >= 0 && value <= 0xFFFF) {
        emitCodeUnit(char16_t(value));
    } else if (value > 0xFFFF && value <= 0x10FFFF) {
        const char32_t codePoint = char32_t(value);
        emitText(QString::fromUcs4(&codePoint, 1));
    } else {
        emitCodeUnit(QChar::ReplacementCharacter);
    }
}

void Reader::finishFontEntry() {
    if (m_entryNumber < 0)
        return;
    flushBytes();
    const FontFace face = faceFromFontName(m_entryName);
    m_fonts.insert(m_entryNumber, FontEntry{face.family, face.bold, face.italic, m_entryCodepage});
    m_entryNumber = -1;
    m_entryName.clear();
    m_formatCached = false;
    m_codepageFont.reset();
}

void Reader::finishColor() {
    if (m_colors.size() < kMaxColors)
        m_colors.append(m_colorGiven ? std::optional<QRgb>(qRgb(m_red, m_green, m_blue))
                                     : std::nullopt);
    m_red = m_green = m_blue = 0;
    m_colorGiven = false;
    m_formatCached = false;
}

int Reader::currentCodepage() {
    if (state().destination == Destination::FontTable)
        return m_entryCodepage > 0 ? m_entryCodepage : m_documentCodepage;
    if (m_codepageFont != state().format.font) {
        const FontEntry* font = fontFor(state().format.font);
        m_codepageFont = state().format.font;
        m_codepageOfFont = font ? font->codepage : 0;
    }
    return m_codepageOfFont > 0 ? m_codepageOfFont : m_documentCodepage;
}

const Reader::FontEntry* Reader::fontFor(int number) const {
    auto found = m_fonts.constFind(number < 0 ? m_defaultFont : number);
    if (found == m_fonts.constEnd())
        found = m_fonts.constFind(m_defaultFont);
    return found == m_fonts.constEnd() ? nullptr : &*found;
}

std::optional<QRgb> Reader::colorAt(int index) const {
    return index >= 0 && index < m_colors.size() ? m_colors[index] : std::nullopt;
}

// White behind text is how Mac programs switch a highlight off, so it means none.
const TextRun& Reader::resolvedFormat() {
    const CharFormat& format = state().format;
    if (m_formatCached && format == m_cachedFormat)
        return m_cachedRun;
    TextRun run;
    const FontEntry* font = fontFor(format.font);
    run.fontFamily = font ? font->family : QString();
    const AssociatedFormat scriptFormat = format.script == Script::RightToLeft ? format.rightToLeft
                                          : format.script == Script::DoubleByte
                                              ? format.doubleByte
                                              : AssociatedFormat{};
    run.pointSize =
        (scriptFormat.halfPoints > 0 ? scriptFormat.halfPoints : format.halfPoints) / 2.0;
    run.bold =
        (scriptFormat.bold >= 0 ? scriptFormat.bold == 1 : format.bold) || (font && font->bold);
    run.italic = (scriptFormat.italic >= 0 ? scriptFormat.italic == 1 : format.italic) ||
                 (font && font->italic);
    run.foreground = colorAt(format.foreground);
    const int highlight = format.highlight > 0 ? format.highlight : -1; // \highlight0: none
    for (const int index : {highlight, format.patternBackground, format.background}) {
        const std::optional<QRgb> color = colorAt(index);
        if (color && *color != kWhite) {
            run.background = color;
            break;
        }
    }
    m_cachedFormat = format;
    m_cachedRun = run;
    m_formatCached = true;
    return m_cachedRun;
}

} // namespace inkwarden::rtf
