#pragma once

#include <QByteArray>
#include <QStringView>

namespace inkwarden::rtf {

// The bytes of one RTF document being written: control words, escaped text
// and the bookkeeping for word delimiters and line length. Writes through a
// raw cursor into a buffer grown ahead of each piece, because the editor
// writes the whole document on every keystroke. Lives for one write() call.
class Output {
public:
    explicit Output(qsizetype expectedSize);

    void raw(const char* text);
    void word(const char* name);
    void word(const char* name, qint64 parameter);
    // Text as RTF: ASCII as itself (with \ { } escaped), other characters as
    // \uN plus a one-byte fallback. In the font table ';' is escaped too and
    // paragraph, line and tab characters have no special words.
    void text(QStringView text, bool inFontTable);
    // Between groups a line break is always safe; it keeps lines of short runs short.
    void breakLineBeforeGroup();
    QByteArray take();

private:
    void ensure(qsizetype bytes);
    void put(char byte) { *m_cursor++ = byte; }
    void unicode(char16_t unit);
    void breakLineIfLong(char16_t next); // once past the soft line length
    void lineBreak();

    QByteArray m_bytes; // sized to its capacity; the document ends at m_cursor
    char* m_cursor = nullptr;
    char* m_end = nullptr;
    char* m_lineStart = nullptr;
    bool m_needsDelimiter = false;
};

} // namespace inkwarden::rtf
