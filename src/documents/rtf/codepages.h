#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <map>

namespace inkwarden::rtf {

// The Windows codepage that an RTF \fcharsetN stands for, or 0 when the
// charset means "the document's codepage" (ANSI, default, or unknown).
int codepageForCharset(int charset);

// The Windows-1252 byte for a UTF-16 code unit, or 0 when it has none.
char cp1252ByteFor(char16_t unit);

// Decodes 8-bit text in the codepages RTF files name. Windows-1252 and ASCII
// are built in; the others go through Qt's converters, created once each.
// Bytes of a codepage this system cannot decode become U+FFFD.
class CodepageDecoder {
public:
    void decode(int codepage, QByteArrayView bytes, QString& out);

private:
    QStringDecoder* decoderFor(int codepage);

    std::map<int, QStringDecoder> m_decoders;
};

} // namespace inkwarden::rtf
