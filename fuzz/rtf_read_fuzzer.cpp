// libFuzzer entry: reads any bytes as RTF; whatever reads without error must
// write as ASCII and read back to what the writer promises (rtf::asWritten).

#include "documents/rtf/rtf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char* what) {
    if (condition)
        return;
    std::fprintf(stderr, "rtf_read_fuzzer: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace inkwarden;
    const rtf::ReadResult first = rtf::read(QByteArrayView(data, qsizetype(size)));
    if (!first.ok()) {
        require(first.text.isEmpty(), "an error came with text");
        return 0;
    }
    require(first.text.isEmpty() || first.text.hasMaximalRuns(), "runs are not maximal");
    require(first.text.length() <= qsizetype(size), "more text than input bytes");
    const std::optional<QByteArray> written = rtf::write(first.text);
    require(written.has_value(), "what was read cannot be written");
    for (const char byte : *written)
        require(static_cast<unsigned char>(byte) < 0x80, "the writer wrote a non-ASCII byte");
    const rtf::ReadResult second = rtf::read(*written);
    require(second.ok(), "what the writer wrote does not read");
    require(second.text == rtf::asWritten(first.text), "the round trip changed the text");
    return 0;
}
