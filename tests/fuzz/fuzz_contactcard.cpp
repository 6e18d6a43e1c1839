// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/contactcard.h"
#include "common/textfile.h"
#include "fuzzcheck.h"

#include <QDir>
#include <QTemporaryDir>

using namespace quindara;

// Any card file reads as seven fields with one-line fields first; writing them and reading again gives
// the same fields, and a second write the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir folder;
    const QString card = folder.filePath(QStringLiteral("PÉREZ"));
    const QString copy = folder.filePath(QStringLiteral("copia"));
    FUZZ_CHECK(common::writeBytes(card, fuzz::bytesOf(data, size)));

    const auto fields = readContactCard(card);
    FUZZ_CHECK(fields.has_value());
    FUZZ_CHECK(fields->size() == kContactFieldCount);
    for (int i = 0; i < kReferenceField; ++i)
        FUZZ_CHECK(!fields->at(i).contains(u'\n') && !fields->at(i).contains(u'\r'));

    FUZZ_CHECK(writeContactCard(copy, *fields));
    const auto written = common::readBytes(copy);
    const auto again = readContactCard(copy);
    FUZZ_CHECK(written && again);
    FUZZ_CHECK(*again == *fields);
    FUZZ_CHECK(writeContactCard(copy, *again));
    FUZZ_CHECK(common::readBytes(copy) == written);

    const CategoryTable table = categoryTable(QStringLiteral("Todos"), {*fields});
    FUZZ_CHECK(table.progress.size() == 1);
    FUZZ_CHECK(table.clipboard.count(u'\r') == 3);
    return 0;
}
