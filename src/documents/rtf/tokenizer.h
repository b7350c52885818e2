#pragma once

#include <QByteArrayView>
#include <optional>

namespace inkwarden::rtf {

enum class TokenKind {
    GroupStart,
    GroupEnd,
    ControlWord,   // name in `word`, optional `parameter`
    ControlSymbol, // the character after the backslash in `symbol`
    HexByte,       // \'hh, the byte in `symbol`
    Text,          // bytes in `word`, never containing CR, LF or NUL
    Binary,        // \bin data, already stepped over
    End,
    Damaged, // \bin claims more bytes than there are
};

struct Token {
    TokenKind kind = TokenKind::End;
    QByteArrayView word;
    int parameter = 0;
    bool hasParameter = false;
    unsigned char symbol = 0;
};

// Splits RTF bytes into tokens without copying or allocating; a view into the
// input that must outlive it. Raw CR, LF and other C0 controls except TAB are
// dropped, as RTF readers do, and a backslash before a line break reads as \par.
class Tokenizer {
public:
    explicit Tokenizer(QByteArrayView input);
    Token next();

private:
    std::optional<Token> readControl();
    Token readControlWord();
    Token readText();
    bool atTextByte() const;

    QByteArrayView m_input;
    qsizetype m_position = 0;
};

} // namespace inkwarden::rtf
