// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/addressbookfolder.h"
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/exchange/exchange.h"
#include "agenda/core/formats/vcard.h"
#include "common/programfolder.h"
#include "fuzzcheck.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

using namespace quindara;

// Any bytes read as cards of seven fields, or as a refusal with no cards. Imported into an empty
// agenda, every card becomes a file inside its category folder with a name the address book accepts and
// Windows can keep, or is left out: no surname reaches outside the address book or hides there.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const VCardReading reading = readVCards(bytes);
    FUZZ_CHECK(reading.refusal.isEmpty() || reading.contacts.isEmpty());
    FUZZ_CHECK(reading.uids.size() == reading.contacts.size());
    for (const QStringList& card : reading.contacts) {
        FUZZ_CHECK(card.size() == kContactFieldCount);
        for (int i = 0; i < kReferenceField; ++i)
            FUZZ_CHECK(!card.at(i).contains(u'\n') && !card.at(i).contains(u'\r'));
    }

    // A card the agenda changed, written over it as the server sync does: still one card, with the
    // agenda's numbers, addresses and note.
    if (reading.contacts.size() == 1) {
        QStringList changed = reading.contacts.first();
        changed[kPhoneField] = QStringLiteral("600 000 000");
        changed[kEmailField] = QStringLiteral("fuzz@example.com");
        changed[kReferenceField] = QStringLiteral("Nota");
        const QByteArray updated = updatedVCard(bytes, writeVCards({{changed, {}, {}}}, {}));
        if (!updated.isEmpty()) {
            const VCardReading back = readVCards(updated);
            FUZZ_CHECK(back.contacts.size() == 1);
            FUZZ_CHECK(back.contacts.value(0).value(kPhoneField) == changed[kPhoneField]);
            FUZZ_CHECK(back.contacts.value(0).value(kEmailField) == changed[kEmailField]);
        }
    }

    QTemporaryDir holder;
    const QString agenda = holder.filePath(QStringLiteral("agenda"));
    FUZZ_CHECK(QDir().mkpath(agenda));
    const ExchangeResult result = importVcfBytes(DataFolder(agenda), bytes, QStringLiteral("fuzz.vcf"));
    FUZZ_CHECK(result.status == ExchangeStatus::Done || result.status == ExchangeStatus::Refused);
    FUZZ_CHECK(QDir(holder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ==
               QStringList{QStringLiteral("agenda")});
    const QString book = QDir(agenda).filePath(QStringLiteral("direcciones"));
    int files = 0;
    QDirIterator it(book, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        FUZZ_CHECK(isSafeAddressBookName(file.fileName()));
        FUZZ_CHECK(common::windowsNameProblem(file.fileName()).isEmpty());
        FUZZ_CHECK(QFileInfo(file.absolutePath()).absolutePath() == QFileInfo(book).absoluteFilePath());
        ++files;
    }
    // Each added card is in "Todos" and in "Importados".
    FUZZ_CHECK(files == 2 * result.contacts.added);
    FUZZ_CHECK(result.contacts.added <= reading.contacts.size());
    return 0;
}
