#pragma once

#include "documents/rich_text.h"
#include "documents/rtf/codepages.h"
#include "documents/rtf/control_words.h"
#include "documents/rtf/rtf.h"
#include "documents/rtf/tokenizer.h"

#include <QHash>
#include <vector>

namespace inkwarden::rtf {

// Reads one RTF document: tokens from the Tokenizer, control words dispatched
// through the control word table, formatting kept on an explicit stack of
// group states (no recursion). One Reader reads one document, then is discarded.
class Reader {
public:
    explicit Reader(QByteArrayView document, qsizetype maxCharacters = -1,
                    qsizetype maxParagraphs = -1);
    ReadResult read();

private:
    enum class Destination : unsigned char { Body, FontTable, ColorTable, Skip };
    // The kind of text that follows (\loch/\hich/\ltrch, \rtlch, \dbch), and so
    // which associated size and style (\afs, \ab, \ai) apply to it.
    enum class Script : unsigned char { Latin, RightToLeft, DoubleByte };

    // Size and style given for right-to-left or double-byte text only; -1: not given.
    struct AssociatedFormat {
        int halfPoints = -1;
        int bold = -1;
        int italic = -1;
        friend bool operator==(const AssociatedFormat&, const AssociatedFormat&) = default;
    };

    // Character formatting as the file states it: indexes into the tables.
    struct CharFormat {
        int font = -1; // -1: the document's default font
        int halfPoints = 24;
        bool bold = false;
        bool italic = false;
        int foreground = -1; // colour table indexes; -1: none given
        int background = -1;
        int patternBackground = -1;
        int highlight = -1;
        Script script = Script::Latin;
        AssociatedFormat rightToLeft;
        AssociatedFormat doubleByte;
        friend bool operator==(const CharFormat&, const CharFormat&) = default;
    };

    struct GroupState {
        CharFormat format;
        int unicodeSkip = 1;
        Destination destination = Destination::Body;
        Destination afterUnicodePair = Destination::Skip; // where \ud inside \upr leads
    };

    struct FontEntry {
        QString family;
        bool bold = false;
        bool italic = false;
        int codepage = 0; // 0: the document's
    };

    bool handle(const Token& token);
    bool openGroup();
    bool closeGroup();
    void handleControlWord(const Token& token, bool ignorable);
    bool applyDestinationWord(const ControlWord& word);
    void applyDocumentWord(const ControlWord& word, const Token& token);
    void applyFormatWord(const ControlWord& word, const Token& token);
    void applyScriptWord(const ControlWord& word, const Token& token);
    void handleControlSymbol(unsigned char symbol);
    void handleText(QByteArrayView bytes);
    void handleTableText(QByteArrayView bytes);
    void addBytes(QByteArrayView bytes);
    void flushWholeCharacters();
    void flushBytes(qsizetype end = -1); // all pending bytes, or the first `end`
    void emitText(QStringView text);
    void emitCodeUnit(char16_t unit);
    void emitUnicode(int parameter);
    void finishFontEntry();
    void finishColor();
    int currentCodepage();
    const FontEntry* fontFor(int number) const;
    std::optional<QRgb> colorAt(int index) const;
    const TextRun& resolvedFormat();
    GroupState& state() { return m_stack.back(); }
    const GroupState& state() const { return m_stack.back(); }

    Tokenizer m_tokenizer;
    std::vector<GroupState> m_stack;
    RichTextBuilder m_builder;
    CodepageDecoder m_decoder;
    QString m_error;
    qsizetype m_maxCharacters = -1;
    qsizetype m_maxParagraphs = -1;
    qsizetype m_paragraphMarks = 0;

    QHash<int, FontEntry> m_fonts;
    QList<std::optional<QRgb>> m_colors;
    int m_documentCodepage = 1252;
    int m_defaultFont = 0;

    int m_entryNumber = -1; // the font table entry being read, -1: none
    int m_entryCodepage = 0;
    QString m_entryName;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colorGiven = false;

    QByteArray m_pendingBytes; // 8-bit text waiting to be decoded as a whole
    int m_pendingCodepage = 0;
    qsizetype m_searchedBytes = 0; // how many pending bytes hold none below '0'
    int m_fallbackToSkip = 0;      // what follows \uN for readers without Unicode
    bool m_ignorableNext = false;

    // The codepage of the last font asked for, since text asks for it every time.
    std::optional<int> m_codepageFont;
    int m_codepageOfFont = 0;

    bool m_formatCached = false;
    CharFormat m_cachedFormat;
    TextRun m_cachedRun;
};

} // namespace inkwarden::rtf
