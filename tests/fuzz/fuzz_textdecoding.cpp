// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/textfile.h"
#include "fuzzcheck.h"

#include <QStringDecoder>

using namespace common;

namespace {

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

} // namespace

// Decoding never fails: every byte sequence gives a text that can be written back without loss, UTF-8
// stays UTF-8. Bytes the writer made, read and written again, come back the same, for every ending.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString decoded = decodeText(bytes);
    FUZZ_CHECK(QStringView(decoded).isValidUtf16());
    if (!bytes.isEmpty() && !bytes.startsWith("\xEF\xBB\xBF"))
        FUZZ_CHECK(!decoded.isEmpty());
    if (isValidUtf8(bytes) && !bytes.startsWith("\xEF\xBB\xBF"))
        FUZZ_CHECK(decoded == QString::fromUtf8(bytes));

    for (const Ending ending : {Ending::Line, Ending::Bare, Ending::Zoned}) {
        const QString text = textFromBytes(bytes, ending);
        FUZZ_CHECK(!text.contains(u'\r'));
        const QByteArray written = encodeText(text, ending);
        FUZZ_CHECK(isValidUtf8(written));
        // Blanks that end a last line are not told apart from zone padding, so the text itself may lose
        // them once; from then on the file is stable.
        FUZZ_CHECK(encodeText(textFromBytes(written, ending), ending) == written);
    }
    FUZZ_CHECK(zonePadding(int(size)) >= 1 && zonePadding(int(size)) <= kZoneWidth);
    return 0;
}
