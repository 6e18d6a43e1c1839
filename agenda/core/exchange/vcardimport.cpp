// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/exchange/vcardimport.h"

#include "agenda/core/contacts/addressbookfolder.h"
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/folderid.h"
#include "common/programfolder.h"
#include "common/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace quindara {

namespace {

constexpr int kMaxNumberedNames = 1000;

QString folded(const QString& name) {
    return common::FolderIndex::foldName(name);
}

QStringList asStored(const QStringList& fields) {
    return contactFieldsFromLines(contactLinesFromFields(fields));
}

QString numberedName(const QString& surname, int number) {
    return number == 1 ? surname : QStringLiteral("%1 (%2)").arg(surname).arg(number);
}

// Every field but the name, as one key: cards equal but for their name share it.
QString fieldsKey(const QStringList& card) {
    return card.mid(1).join(QChar(0x1F));
}

// The numbers or addresses of a field, in a form where the same one typed otherwise compares equal.
QSet<QString> reachedBy(const QString& field, bool phones) {
    QSet<QString> found;
    static const QRegularExpression between(QStringLiteral("\\s*[,;/]\\s*"));
    for (const QString& part : field.split(between, Qt::SkipEmptyParts)) {
        QString key;
        if (phones) {
            for (const QChar c : part) {
                if (c.isDigit())
                    key.append(c);
            }
        } else {
            key = part.trimmed().toCaseFolded();
        }
        if (!key.isEmpty())
            found.insert(key);
    }
    return found;
}

// A name as the same person's name typed otherwise compares.
QString foldedPersonName(const QString& text) {
    return folded(text.simplified());
}

// What samePerson compares first: the surname without its number and the name, as typed otherwise.
QString personKey(const QString& surname, const QString& name) {
    return foldedPersonName(surnameWithoutNumber(surname)) + u'\n' + foldedPersonName(name);
}

// The same person: the same full name, and a telephone or e-mail in common.
bool samePerson(const QStringList& stored, const QStringList& card) {
    if (foldedPersonName(surnameWithoutNumber(stored.value(0))) != foldedPersonName(card.value(0)) ||
        foldedPersonName(stored.value(1)) != foldedPersonName(card.value(1)))
        return false;
    return reachedBy(stored.value(kPhoneField), true).intersects(reachedBy(card.value(kPhoneField), true)) ||
           reachedBy(stored.value(kEmailField), false).intersects(reachedBy(card.value(kEmailField), false));
}

// Characters a file name cannot hold, as the user can read them: a control character by its code.
QString shownCharacters(const QString& characters) {
    QString shown;
    for (const QChar c : characters)
        shown += c.unicode() < 0x20 || c.unicode() == 0x7F
                     ? QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper()
                     : QString(c);
    return shown;
}

// The surname as a file name can hold it: characters no file name may hold become look-alikes, and a name
// Windows could not keep is cleaned; `changed` says so when the result can be stored.
QString storableSurname(const QString& surname, QStringList& changed) {
    QString replaced;
    const QString alike = common::withLookAlikes(surname, &replaced);
    QString problem = common::windowsNameProblem(alike);
    if (problem.isEmpty() && !replaced.isEmpty())
        problem = QStringLiteral("un nombre de archivo no admite «%1»").arg(shownCharacters(replaced));
    if (problem.isEmpty())
        return surname;
    const QString cleaned = common::windowsSafeName(alike);
    if (isSafeAddressBookName(cleaned))
        changed.append(QStringLiteral("«%1»: guardado como «%2»: %3").arg(surname, cleaned, problem));
    return cleaned;
}

// The contacts of one surname ("Pérez", "Pérez (2)"...), gathered once and kept as the import plans more,
// so that a card is compared only with those of its full name, or of its very fields: thousands of cards
// sharing a surname cost each a look-up, not a walk through all the others.
struct Family {
    int nextAbsent = 1;                   // the first number no target holds
    QHash<QString, QStringList> byPerson; // full name -> names, by number
    QHash<QString, QList<int>> byFields;  // every field but the name -> numbers

    void note(const QString& name, int number, const QStringList& card) {
        QStringList& names = byPerson[personKey(card.value(0), card.value(1))];
        if (names.isEmpty() || names.last() != name)
            names.append(name);
        QList<int>& numbers = byFields[fieldsKey(card)];
        if (numbers.isEmpty() || numbers.last() != number)
            numbers.append(number);
    }
};

// Decides, card after card, what each becomes. Every card sees the address book as the cards before it
// left it in the plan, so two cards of one person make one contact and a surname's numbers go on.
class VCardImportPlanner {
public:
    VCardImportPlanner(const DataFolder& data, const QStringList& targets, const QString& file)
        : data_(data), exportedBefore_(QFileInfo::exists(QDir(data.programFolder()).filePath(kFolderIdFile))),
          separator_(QStringLiteral("—— Importado de %1 ——").arg(QFileInfo(file).fileName())),
          planned_(targets.size()), read_(targets.size()), writeAt_(targets.size()) {
        for (const QString& target : targets) {
            plan_.targets.append(common::FolderIndex(target));
            plan_.targets.last().refresh();
        }
    }

    void add(const QStringList& card, const QString& uid) {
        const QString surname = storableSurname(card.value(0), plan_.changed);
        if (!isSafeAddressBookName(surname)) {
            plan_.skipped.append(
                QStringLiteral("«%1»: el apellido no sirve como nombre de archivo").arg(card.value(0)));
            return;
        }
        QStringList contact = card;
        if (!contact.isEmpty() && contact.first() != surname)
            contact[0] = surname;
        if (const QString match = matchOf(contact, uid); !match.isEmpty())
            merge(contact, match);
        else
            place(contact);
    }

    VCardImportPlan take() { return std::move(plan_); }

private:
    int targetCount() const { return int(plan_.targets.size()); }

    // The card under `name` in target t: as this import plans it, else as stored (each file read once).
    std::optional<QStringList> cardIn(int t, const QString& name) {
        const QString key = folded(name);
        const auto found = planned_[t].constFind(key);
        if (found != planned_[t].constEnd())
            return *found;
        const common::FolderIndex& index = plan_.targets.at(t);
        if (!index.contains(name))
            return std::nullopt;
        auto known = read_[t].find(key);
        if (known == read_[t].end())
            known = read_[t].insert(key, readContactCard(index.pathFor(name)));
        return *known;
    }

    // The contact whose export gave it `uid`. A folder that never exported has no identifier yet, and no
    // card can carry a UID of it; the UIDs are made only when a card carries one.
    QString nameOfUid(const QString& uid) {
        if (!exportedBefore_)
            return {};
        if (folderId_.isEmpty()) {
            folderId_ = folderIdentifier(data_);
            for (int t = targetCount() - 1; t >= 0; --t) {
                for (const QString& name : visibleNames(plan_.targets.at(t).names()))
                    nameByUid_.insert(exportedContactUid(folderId_, name), name);
            }
        }
        return nameByUid_.value(uid);
    }

    // Walks on from the family's first absent number over the names the targets hold.
    void extendFamily(Family& family, const QString& surname) {
        for (; family.nextAbsent <= kMaxNumberedNames; ++family.nextAbsent) {
            const QString name = numberedName(surname, family.nextAbsent);
            bool anywhere = false;
            for (int t = 0; t < targetCount(); ++t) {
                if (const std::optional<QStringList> card = cardIn(t, name)) {
                    anywhere = true;
                    family.note(name, family.nextAbsent, *card);
                }
            }
            if (!anywhere)
                break;
        }
    }

    Family& familyOf(const QString& surname) {
        const QString key = folded(surname);
        auto found = families_.find(key);
        if (found == families_.end()) {
            found = families_.insert(key, Family());
            extendFamily(*found, surname);
        }
        return *found;
    }

    // The contact the card is: by its UID, else by its full name with a shared telephone or e-mail.
    QString matchOf(const QStringList& contact, const QString& uid) {
        if (!uid.isEmpty()) {
            const QString name = nameOfUid(uid);
            if (!name.isEmpty())
                return name;
        }
        const Family& family = familyOf(contact.value(0));
        for (const QString& name : family.byPerson.value(personKey(contact.value(0), contact.value(1)))) {
            for (int t = 0; t < targetCount(); ++t) {
                const std::optional<QStringList> stored = cardIn(t, name);
                if (stored && samePerson(*stored, contact))
                    return name;
            }
        }
        return {};
    }

    // The contact `match` takes what the card adds, in every target; a card it already holds changes nothing.
    void merge(const QStringList& contact, const QString& match) {
        // A surname changed elsewhere does not rename the file: the contact keeps its name, and says so.
        if (folded(surnameWithoutNumber(match)) != folded(contact.value(0)))
            plan_.changed.append(
                QStringLiteral("«%1»: es el contacto «%2» (por su UID) y se guarda con ese nombre")
                    .arg(contact.value(0), match));
        QStringList fields = contact;
        fields[0] = match;
        fields = asStored(fields);
        bool changed = false;
        bool changedPlanned = false;
        for (int t = 0; t < targetCount(); ++t) {
            const std::optional<QStringList> stored = cardIn(t, match);
            const QStringList merged = stored ? asStored(keepBothCards(*stored, fields, separator_)) : fields;
            if (stored && merged == *stored)
                continue;
            const QString key = folded(match);
            planned_[t].insert(key, merged);
            if (const auto at = writeAt_[t].constFind(key); at != writeAt_[t].constEnd()) {
                // Planned by an earlier card of this file: the one write takes both.
                plan_.writes[*at].fields = merged;
                changedPlanned = true;
                continue;
            }
            writeAt_[t].insert(key, plan_.writes.size());
            plan_.writes.append({plan_.targets.at(t).pathFor(match), match, t, merged, planning_, stored});
            changed = true;
        }
        if (changed)
            plan_.updates.insert(planning_++);
        else if (!changedPlanned)
            ++plan_.alreadyThere;
    }

    // A new contact, under the first number of its surname whose cards are this very card, or that no
    // target holds.
    void place(const QStringList& contact) {
        const QString surname = contact.value(0);
        Family& family = familyOf(surname);
        QList<int> numbers = family.byFields.value(fieldsKey(asStored(contact)));
        numbers.append(family.nextAbsent);
        for (const int number : std::as_const(numbers)) {
            if (number > kMaxNumberedNames || number > family.nextAbsent)
                break;
            if (!isSafeAddressBookName(numberedName(surname, number))) {
                plan_.skipped.append(
                    QStringLiteral("«%1»: el apellido no sirve como nombre de archivo").arg(surname));
                return;
            }
            if (placeUnder(family, number, contact))
                return;
        }
        plan_.skipped.append(QStringLiteral("«%1»: hay demasiados contactos con ese apellido").arg(surname));
    }

    // Places the card under its surname's number `number`, where it is already or in the targets still
    // missing it; false when another contact holds that name.
    bool placeUnder(Family& family, int number, const QStringList& contact) {
        const QString surname = contact.value(0);
        const QString name = numberedName(surname, number);
        QStringList fields = contact;
        fields[0] = name; // the card's name and its APELLIDOS stay one, so saving it later keeps it apart
        fields = asStored(fields);
        bool taken = false;
        QList<int> missing;
        for (int t = 0; t < targetCount(); ++t) {
            const std::optional<QStringList> existing = cardIn(t, name);
            if (!existing)
                missing.append(t);
            else if (*existing != fields)
                taken = true;
        }
        if (taken)
            return false;
        if (missing.isEmpty()) {
            ++plan_.alreadyThere;
            return true;
        }
        const QString key = folded(name);
        for (const int t : std::as_const(missing)) {
            planned_[t].insert(key, fields);
            writeAt_[t].insert(key, plan_.writes.size());
            plan_.writes.append({plan_.targets.at(t).pathFor(name), name, t, fields, planning_});
        }
        if (!folderId_.isEmpty())
            nameByUid_.insert(exportedContactUid(folderId_, name), name);
        ++planning_;
        family.note(name, number, fields);
        if (number == family.nextAbsent) {
            ++family.nextAbsent;
            extendFamily(family, surname);
        }
        return true;
    }

    DataFolder data_;
    const bool exportedBefore_;
    const QString separator_;
    VCardImportPlan plan_;
    // Per target: the cards as this import plans them, the cards read from disk, and where the write of
    // each name is in the plan's writes (a second card of one person changes that write, so the file is
    // written once, with both). All by folded name.
    QList<QHash<QString, QStringList>> planned_;
    QList<QHash<QString, std::optional<QStringList>>> read_;
    QList<QHash<QString, qsizetype>> writeAt_;
    int planning_ = 0; // contacts with a write planned, a number for each
    // The UIDs this folder's export gives its contacts, made only when a card carries a UID.
    QString folderId_;
    QHash<QString, QString> nameByUid_;
    QHash<QString, Family> families_; // by folded surname
};

// Writes a plan's cards and counts what reached the disk.
class VCardImportWriter {
public:
    VCardImportWriter(VCardImportPlan& plan, ExchangeResult& result) : plan_(plan), result_(result) {}

    // The new cards go as one batch: each whole under a staging name, one flush, then the renames. The
    // folders are listed once more instead of asking for each name. A contact that takes what the card adds
    // is replaced on its own, right after its file is found unchanged.
    void write(const ExchangeProgress& progress, const ExchangeCancelled& cancelled) {
        result_.changed += plan_.changed;
        result_.skipped += plan_.skipped;
        result_.contacts.alreadyThere += plan_.alreadyThere;
        const QList<CardWrite>& writes = plan_.writes;
        qsizetype done = 0;
        if (progress)
            progress(ExchangePhase::Writing, done, writes.size());
        for (common::FolderIndex& index : plan_.targets)
            index.refresh();
        qsizetype asked = 0;
        for (qsizetype i = 0; i < writes.size(); ++i) {
            // Asked only between two contacts, so none stops with one of its copies written.
            const bool nextContact = i == 0 || writes[i - 1].contact != writes[i].contact;
            if (!result_.cancelled && nextContact && asked++ % kCancelCheck == 0 && cancelled && cancelled())
                result_.cancelled = true;
            if (result_.cancelled)
                break;
            writeOrStage(i);
            if (progress && (++done % 256 == 0 || done == writes.size()))
                progress(ExchangePhase::Writing, done, writes.size());
        }
        commitStaged();
        count();
    }

private:
    void writeOrStage(qsizetype i) {
        const CardWrite& write = plan_.writes[i];
        const bool there = plan_.targets.at(write.target).contains(write.name);
        if (there && write.replaces && readContactCard(write.path) == write.replaces) {
            if (const common::Status written = writeContactCard(write.path, write.fields); !written)
                result_.failures.append(QStringLiteral("%1: %2").arg(write.path, written.error()));
            else
                added_.insert(write.contact);
        } else if (there) {
            keepTheirs(write);
        } else {
            (void)batch_.stage(write.path, common::encodeLines(contactLinesFromFields(write.fields)),
                               common::WriteBatch::Target::New);
            staged_.append(i);
        }
    }

    void commitStaged() {
        const QList<common::WriteBatch::Outcome> outcomes = batch_.commit();
        for (qsizetype k = 0; k < outcomes.size(); ++k) {
            const CardWrite& write = plan_.writes[staged_[k]];
            if (outcomes[k].appearedMeanwhile)
                keepTheirs(write);
            else if (!outcomes[k].status)
                result_.failures.append(QStringLiteral("%1: %2").arg(write.path, outcomes[k].status.error()));
            else
                added_.insert(write.contact);
        }
    }

    // Checked again right before writing: a card saved under this name since the import looked (in the
    // window, by another machine) is never replaced.
    void keepTheirs(const CardWrite& write) {
        if (!QFileInfo(write.path).isFile()) {
            result_.failures.append(
                QStringLiteral("%1: ya hay con ese nombre algo que no es un archivo").arg(write.path));
            return;
        }
        if (readContactCard(write.path) == std::optional<QStringList>(write.fields))
            savedMeanwhile_.insert(write.contact);
        else
            result_.skipped.append(
                QStringLiteral("«%1»: se ha guardado otro contacto con ese nombre mientras se importaba")
                    .arg(QFileInfo(write.path).fileName()));
    }

    // A contact counts as added once one of its copies is written, as updated when it took what the card
    // adds; one whose every copy was saved meanwhile, with the same fields, was already there.
    void count() {
        result_.contacts.updated = int((added_ & plan_.updates).size());
        result_.contacts.added = int((added_ - plan_.updates).size());
        savedMeanwhile_.subtract(added_);
        result_.contacts.alreadyThere += int(savedMeanwhile_.size());
    }

    VCardImportPlan& plan_;
    ExchangeResult& result_;
    common::WriteBatch batch_;
    QList<qsizetype> staged_; // the writes staged in the batch, in its order
    QSet<int> added_;
    QSet<int> savedMeanwhile_;
};

} // namespace

VCardImportPlan planVCardImport(const DataFolder& data, const QStringList& targets,
                                const VCardReading& reading, const QString& file) {
    VCardImportPlanner planner(data, targets, file);
    for (qsizetype c = 0; c < reading.contacts.size(); ++c)
        planner.add(reading.contacts.at(c), reading.uids.value(c));
    return planner.take();
}

void writeVCardImport(VCardImportPlan& plan, ExchangeResult& result, const ExchangeProgress& progress,
                      const ExchangeCancelled& cancelled) {
    VCardImportWriter(plan, result).write(progress, cancelled);
}

} // namespace quindara
