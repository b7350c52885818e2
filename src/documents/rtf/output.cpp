#include "documents/rtf/output.h"

#include "documents/rtf/codepages.h"

#include <charconv>
#include <cstring>

namespace inkwarden::rtf {
namespace {

// Lines are broken at a space after this many bytes, and anywhere safe after
// the second; RTF readers ignore raw line breaks.
constexpr qsizetype kSoftLineLength = 78;
constexpr qsizetype kHardLineLength = 200;
// The most one UTF-16 code unit can take: "\u-12345\'3f", a delimiter and a line break.
constexpr qsizetype kMaxBytesPerUnit = 16;
constexpr qsizetype kMaxWordLength = 40;

} // namespace

Output::Output(qsizetype expectedSize) {
    m_bytes.resize(qMax<qsizetype>(expectedSize, 256));
    m_cursor = m_bytes.data();
    m_end = m_cursor + m_bytes.size();
    m_lineStart = m_cursor;
}

void Output::ensure(qsizetype bytes) {
    if (m_end - m_cursor >= bytes)
        return;
    const qsizetype used = m_cursor - m_bytes.data();
    const qsizetype lineStart = m_lineStart - m_bytes.data();
    m_bytes.resize(qMax(m_bytes.size() * 2, used + bytes));
    m_cursor = m_bytes.data() + used;
    m_end = m_bytes.data() + m_bytes.size();
    m_lineStart = m_bytes.data() + lineStart;
}

QByteArray Output::take() {
    m_bytes.resize(m_cursor - m_bytes.data());
    m_cursor = m_end = m_lineStart = nullptr;
    return std::move(m_bytes);
}

void Output::raw(const char* text) {
    const qsizetype length = qsizetype(std::strlen(text));
    ensure(length);
    std::memcpy(m_cursor, text, std::size_t(length));
    m_cursor += length;
    if (length > 0 && m_cursor[-1] == '\n')
        m_lineStart = m_cursor;
    m_needsDelimiter = false;
}

void Output::word(const char* name) {
    ensure(kMaxWordLength);
    put('\\');
    for (; *name; ++name)
        put(*name);
    m_needsDelimiter = true;
}

void Output::word(const char* name, qint64 parameter) {
    word(name);
    m_cursor = std::to_chars(m_cursor, m_end, parameter).ptr;
}

void Output::lineBreak() {
    put('\n');
    m_lineStart = m_cursor;
}

void Output::breakLineBeforeGroup() {
    ensure(1);
    if (m_cursor - m_lineStart >= kSoftLineLength)
        lineBreak();
}

void Output::breakLineIfLong(char16_t next) {
    if (next != u' ' && m_cursor - m_lineStart < kHardLineLength)
        return;
    if (m_needsDelimiter)
        put(' '); // ends the control word before the line break
    m_needsDelimiter = false;
    lineBreak();
}

// \uN for readers that know Unicode, then one Windows-1252 byte (or '?') as
// \'hh for those that do not, so the file stays ASCII.
void Output::unicode(char16_t unit) {
    put('\\');
    put('u');
    m_cursor = std::to_chars(m_cursor, m_end, unit > 0x7FFF ? int(unit) - 0x10000 : int(unit)).ptr;
    const char fallback = cp1252ByteFor(unit);
    const auto byte = static_cast<unsigned char>(fallback ? fallback : '?');
    constexpr char kHex[] = "0123456789abcdef";
    put('\\');
    put('\'');
    put(kHex[byte >> 4]);
    put(kHex[byte & 0xF]);
    m_needsDelimiter = false;
}

void Output::text(QStringView text, bool inFontTable) {
    // Room is made a slice at a time so a long run never needs a huge buffer.
    constexpr qsizetype kSlice = 1024;
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (index % kSlice == 0)
            ensure(qMin(kSlice, text.size() - index) * kMaxBytesPerUnit + kMaxWordLength);
        const char16_t unit = text[index].unicode();
        if (!inFontTable && m_cursor - m_lineStart >= kSoftLineLength)
            breakLineIfLong(unit);
        if (unit == u'\\' || unit == u'{' || unit == u'}') {
            put('\\');
            put(char(unit));
            m_needsDelimiter = false;
        } else if (unit >= 0x20 && unit < 0x7F && !(inFontTable && unit == u';')) {
            if (m_needsDelimiter)
                put(' ');
            put(char(unit));
            m_needsDelimiter = false;
        } else if (inFontTable) {
            unicode(unit);
        } else if (unit == u'\n') {
            std::memcpy(m_cursor, "\\par", 4);
            m_cursor += 4;
            lineBreak();
            m_needsDelimiter = false;
        } else if (unit == u'\t' || unit == 0x2028) {
            std::memcpy(m_cursor, unit == u'\t' ? "\\tab" : "\\line", unit == u'\t' ? 4 : 5);
            m_cursor += unit == u'\t' ? 4 : 5;
            m_needsDelimiter = true;
        } else {
            unicode(unit);
        }
    }
}

} // namespace inkwarden::rtf
