#include "documents/rtf/tokenizer.h"

#include <limits>
#include <optional>

namespace inkwarden::rtf {
namespace {

constexpr qsizetype kMaxWordLength = 32; // longer names are cut; RTF names are shorter

bool isLetter(char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

bool isDigit(char byte) {
    return byte >= '0' && byte <= '9';
}

int hexValue(char byte) {
    if (isDigit(byte))
        return byte - '0';
    if (byte >= 'a' && byte <= 'f')
        return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F')
        return byte - 'A' + 10;
    return -1;
}

Token symbolToken(TokenKind kind, unsigned char symbol) {
    Token token;
    token.kind = kind;
    token.symbol = symbol;
    return token;
}

} // namespace

Tokenizer::Tokenizer(QByteArrayView input)
    : m_input(input) {}

Token Tokenizer::next() {
    while (m_position < m_input.size()) {
        const char byte = m_input[m_position];
        if (byte == '{' || byte == '}') {
            ++m_position;
            return symbolToken(byte == '{' ? TokenKind::GroupStart : TokenKind::GroupEnd, 0);
        }
        if (byte == '\\') {
            if (std::optional<Token> token = readControl())
                return *token;
            continue;
        }
        if (atTextByte())
            return readText();
        ++m_position; // CR, LF, NUL and other control bytes carry nothing
    }
    return Token{};
}

bool Tokenizer::atTextByte() const {
    const auto byte = static_cast<unsigned char>(m_input[m_position]);
    return byte >= 0x20 || byte == '\t';
}

Token Tokenizer::readText() {
    const qsizetype start = m_position;
    while (m_position < m_input.size()) {
        const char byte = m_input[m_position];
        if (byte == '{' || byte == '}' || byte == '\\' || !atTextByte())
            break;
        ++m_position;
    }
    Token token;
    token.kind = TokenKind::Text;
    token.word = m_input.sliced(start, m_position - start);
    return token;
}

std::optional<Token> Tokenizer::readControl() {
    ++m_position; // the backslash
    if (m_position >= m_input.size())
        return Token{};
    const char byte = m_input[m_position];
    if (isLetter(byte))
        return readControlWord();
    ++m_position;
    if (byte == '\r' || byte == '\n') {
        Token token;
        token.kind = TokenKind::ControlWord;
        token.word = QByteArrayView("par");
        return token;
    }
    if (byte != '\'')
        return symbolToken(TokenKind::ControlSymbol, static_cast<unsigned char>(byte));
    const int high = m_position < m_input.size() ? hexValue(m_input[m_position]) : -1;
    const int low = m_position + 1 < m_input.size() ? hexValue(m_input[m_position + 1]) : -1;
    if (high < 0 || low < 0) {
        m_position += high < 0 ? 0 : 1; // a broken \' carries nothing, with its one digit
        return std::nullopt;
    }
    m_position += 2;
    return symbolToken(TokenKind::HexByte, static_cast<unsigned char>(high * 16 + low));
}

Token Tokenizer::readControlWord() {
    Token token;
    token.kind = TokenKind::ControlWord;
    const qsizetype start = m_position;
    while (m_position < m_input.size() && isLetter(m_input[m_position]))
        ++m_position;
    token.word = m_input.sliced(start, qMin(m_position - start, kMaxWordLength));
    const bool negative = m_position + 1 < m_input.size() && m_input[m_position] == '-' &&
                          isDigit(m_input[m_position + 1]);
    if (negative)
        ++m_position;
    qint64 value = 0;
    while (m_position < m_input.size() && isDigit(m_input[m_position])) {
        token.hasParameter = true;
        // Saturate instead of overflowing; real parameters are far smaller.
        value = qMin<qint64>(value * 10 + (m_input[m_position] - '0'),
                             qint64(std::numeric_limits<int>::max()) + 1);
        ++m_position;
    }
    value = negative ? -value : value;
    token.parameter = int(qBound(qint64(std::numeric_limits<int>::min()), value,
                                 qint64(std::numeric_limits<int>::max())));
    if (m_position < m_input.size() && m_input[m_position] == ' ')
        ++m_position;
    if (token.word == QByteArrayView("bin") && token.hasParameter && token.parameter > 0) {
        if (token.parameter > m_input.size() - m_position)
            return symbolToken(TokenKind::Damaged, 0);
        m_position += token.parameter;
        token.kind = TokenKind::Binary;
    }
    return token;
}

} // namespace inkwarden::rtf
