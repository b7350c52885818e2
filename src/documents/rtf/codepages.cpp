#include "documents/rtf/codepages.h"

#include <algorithm>
#include <array>

namespace inkwarden::rtf {
namespace {

constexpr int kWindowsLatin1 = 1252;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; its five unassigned
// bytes decode to the C1 controls of the same value, as Windows does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct CharsetCodepage {
    int charset;
    int codepage;
};

constexpr std::array<CharsetCodepage, 28> kCharsets = {{
    {77, 10000}, {78, 10001}, {79, 10003}, {80, 10008}, {81, 10002}, {83, 10005}, {84, 10004},
    {85, 10006}, {86, 10081}, {87, 10021}, {88, 10029}, {89, 10007}, {128, 932},  {129, 949},
    {130, 1361}, {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255},
    {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850},
}};

QByteArray converterName(int codepage) {
    switch (codepage) {
    case 10000:
        return "macintosh";
    case 65001:
        return "UTF-8";
    case 437:
    case 850:
    case 852:
    case 855:
    case 857:
    case 860:
    case 861:
    case 862:
    case 863:
    case 864:
    case 865:
    case 866:
    case 869:
        return "IBM" + QByteArray::number(codepage);
    default:
        return "windows-" + QByteArray::number(codepage);
    }
}

void decodeCp1252(QByteArrayView bytes, QString& out) {
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        out.append(value >= 0x80 && value < 0xA0 ? QChar(kCp1252High[value - 0x80])
                                                 : QChar(char16_t(value)));
    }
}

// Decodes bytes that end where a text ends: a lead byte left over at the end
// becomes U+FFFD instead of vanishing into the decoder's state. A line feed,
// which no codepage uses as a trail byte, forces the decoder to finish.
void decodeWhole(QStringDecoder& decoder, QByteArrayView bytes, QString& out) {
    QString decoded = decoder.decode(bytes.toByteArray() + '\n');
    decoder.resetState();
    if (decoded.endsWith(QLatin1Char('\n')))
        decoded.chop(1);
    if (!bytes.contains('\x1a')) // some converters substitute SUB for a bad byte
        decoded.replace(QChar(0x1A), QChar::ReplacementCharacter);
    out.append(decoded);
}

} // namespace

int codepageForCharset(int charset) {
    const auto found =
        std::find_if(kCharsets.begin(), kCharsets.end(),
                     [charset](const auto& entry) { return entry.charset == charset; });
    return found == kCharsets.end() ? 0 : found->codepage;
}

char cp1252ByteFor(char16_t unit) {
    if (unit >= 0xA0 && unit <= 0xFF)
        return static_cast<char>(unit);
    if (unit < 0x152 || unit > 0x2122) // outside every entry of the table below
        return 0;
    for (std::size_t index = 0; index < kCp1252High.size(); ++index) {
        if (kCp1252High[index] == unit && unit > 0xFF)
            return static_cast<char>(0x80 + index);
    }
    return 0;
}

void CodepageDecoder::decode(int codepage, QByteArrayView bytes, QString& out) {
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char byte) {
        return static_cast<unsigned char>(byte) < 0x80;
    });
    if (ascii) {
        out.append(QLatin1StringView(bytes.data(), bytes.size()));
        return;
    }
    if (codepage == kWindowsLatin1 || codepage <= 0) {
        decodeCp1252(bytes, out);
        return;
    }
    if (QStringDecoder* decoder = decoderFor(codepage)) {
        decodeWhole(*decoder, bytes, out);
        return;
    }
    for (const char byte : bytes)
        out.append(static_cast<unsigned char>(byte) < 0x80 ? QChar(char16_t(byte))
                                                           : QChar(QChar::ReplacementCharacter));
}

QStringDecoder* CodepageDecoder::decoderFor(int codepage) {
    // Files can name any number of codepages; keep the cache small.
    constexpr std::size_t kMaxDecoders = 16;
    auto found = m_decoders.find(codepage);
    if (found == m_decoders.end()) {
        if (m_decoders.size() >= kMaxDecoders)
            m_decoders.clear();
        QStringDecoder decoder(converterName(codepage).constData(),
                               QStringConverter::Flag::Stateless);
        found = m_decoders.emplace(codepage, std::move(decoder)).first;
    }
    return found->second.isValid() ? &found->second : nullptr;
}

} // namespace inkwarden::rtf
