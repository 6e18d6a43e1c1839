// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/exchange/exchange.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/contacts/addressbookfolder.h"
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/days/folderid.h"
#include "agenda/core/exchange/vcardimport.h"
#include "agenda/core/formats/vcard.h"
#include "common/folderindex.h"
#include "common/programfolder.h"
#include "common/regularfile.h"
#include "common/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quindara {

namespace {

ExchangeResult started(ExchangeResult::Action action, const QString& file) {
    ExchangeResult result;
    result.action = action;
    result.file = file;
    return result;
}

ExchangeResult& fail(ExchangeResult& result, ExchangeStatus status, const QString& problem) {
    result.status = status;
    result.problem = problem;
    return result;
}

bool checkFolder(const DataFolder& data, ExchangeResult& result) {
    if (QFileInfo(data.programFolder()).isDir())
        return true;
    fail(result, ExchangeStatus::BadOptionOrFolder,
         QStringLiteral("la carpeta de datos «%1» no existe").arg(data.programFolder()));
    return false;
}

// The most the calendar and card readers accept; one byte more tells them the file is larger.
constexpr qint64 kMaxInputBytes = 64 * 1024 * 1024;

// The file's bytes, up to one more than the readers accept. Its kind and size are looked at before any
// byte is read: a FIFO or a device is refused rather than waited for or read without end.
std::optional<QByteArray> readInput(const QString& file, ExchangeResult& result) {
    const QByteArray native = QFile::encodeName(file);
    struct stat info {};
    const bool there = ::stat(native.constData(), &info) == 0;
    if (there && S_ISDIR(info.st_mode)) {
        fail(result, ExchangeStatus::Refused, QStringLiteral("«%1» es una carpeta, no un archivo").arg(file));
        return std::nullopt;
    }
    if (there && !S_ISREG(info.st_mode)) {
        fail(result, ExchangeStatus::Refused,
             QStringLiteral("«%1» no es un archivo normal, sino una tubería, un dispositivo o un socket")
                 .arg(file));
        return std::nullopt;
    }
    qint64 size = 0;
    const int fd = common::openRegularFile(native, &size);
    if (fd < 0) {
        fail(result, ExchangeStatus::Refused, QStringLiteral("no se puede leer «%1»").arg(file));
        return std::nullopt;
    }
    if (size > kMaxInputBytes) {
        ::close(fd);
        fail(result, ExchangeStatus::Refused,
             QStringLiteral("el archivo es demasiado grande (más de 64 MB)"));
        return std::nullopt;
    }
    // The size may change while it is read; never more than one byte past the limit.
    QByteArray bytes(qsizetype(std::min(size, kMaxInputBytes) + 1), Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > kMaxInputBytes)
                break;
            bytes.resize(std::min<qsizetype>(filled * 2, kMaxInputBytes + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            fail(result, ExchangeStatus::Refused, QStringLiteral("no se puede leer «%1»").arg(file));
            return std::nullopt;
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    bytes.resize(filled);
    return bytes;
}

// A device or a descriptor (/dev/stdout, /proc/self/fd/1) is never an export's file: replacing it would
// take its name from the terminal or the program reading it, and writing into it could not be undone.
bool isSystemPath(const QString& file) {
    const QFileInfo info(file);
    const QString path = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    return path.startsWith(QLatin1String("/dev/")) || path.startsWith(QLatin1String("/proc/")) ||
           info.absoluteFilePath().startsWith(QLatin1String("/dev/"));
}

bool writeOutput(const QString& file, const QByteArray& bytes, ExchangeResult& result) {
    const common::Status written =
        isSystemPath(file) ? common::Status::failure(
                                 QStringLiteral("no es un archivo normal, sino un dispositivo o una salida"))
                           : common::writeBytes(file, bytes);
    if (written)
        return true;
    result.failures.append(QStringLiteral("%1: %2").arg(file, written.error()));
    fail(result, ExchangeStatus::WriteFailed, QStringLiteral("no se ha podido escribir «%1»").arg(file));
    return false;
}

ExchangeCount& countOf(ExchangeResult& result, CalendarKind kind) {
    switch (kind) {
    case CalendarKind::Holiday:
        return result.holidays;
    case CalendarKind::YearlyReminder:
    case CalendarKind::OneYearReminder:
        return result.reminders;
    case CalendarKind::DayNote:
        break;
    }
    return result.notes;
}

// ---- the calendar files by name ----

QDate dateOfName(const QString& name, bool annual) {
    return dayOfCalendarFile(name, annual);
}

void collectFolder(const DataFolder& data, CalendarKind kind, QList<CalendarItem>& items,
                   ExchangeResult& result) {
    const bool annual = kind == CalendarKind::Holiday || kind == CalendarKind::YearlyReminder;
    QString folder;
    common::Ending ending = common::Ending::Zoned;
    if (kind == CalendarKind::DayNote) {
        folder = data.folder(folders::dayNotes);
    } else {
        const DayTextKind textKind = kind == CalendarKind::Holiday          ? DayTextKind::Holiday
                                     : kind == CalendarKind::YearlyReminder ? DayTextKind::YearlyReminder
                                                                            : DayTextKind::OneYearReminder;
        const DayTextPlace place =
            dayTextPlace(data, textKind, QStringLiteral("1"), monthName(1), QStringLiteral("2000"));
        folder = place.folder;
        ending = place.ending;
    }
    const QDir dir(folder);
    QSet<QDate> seen;
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& info : files) {
        const QString what = dir.dirName() + u'/' + info.fileName();
        const QDate date = dateOfName(info.fileName(), annual);
        if (!date.isValid()) {
            result.skipped.append(QStringLiteral("«%1»: el nombre no es un día de 1901 a 2100").arg(what));
            continue;
        }
        const std::optional<QString> text = common::readText(info.filePath(), ending);
        if (!text) {
            result.skipped.append(QStringLiteral("«%1»: no se puede leer").arg(what));
            continue;
        }
        if (text->trimmed().isEmpty()) {
            // An emptied day note keeps its file; there is nothing to give away.
            if (kind != CalendarKind::DayNote)
                result.skipped.append(QStringLiteral("«%1»: no tiene texto").arg(what));
            continue;
        }
        if (seen.contains(date)) {
            result.skipped.append(QStringLiteral("«%1»: el mismo día ya está en otro archivo").arg(what));
            continue;
        }
        seen.insert(date);
        items.append({kind, date, *text, info.lastModified().toUTC()});
    }
    std::sort(items.end() - seen.size(), items.end(),
              [](const CalendarItem& a, const CalendarItem& b) { return a.date < b.date; });
}

// ---- holiday feeds ----

// Holiday calendars list every year's holidays as single days. A text on the same day and month in two or
// more years of the file is a fixed holiday and becomes one yearly holiday, where its first day was; a feast
// that moves (Good Friday) stays a reminder of each year.
QList<CalendarItem> withFixedHolidays(const QList<CalendarItem>& items) {
    const auto keyOf = [](const CalendarItem& item) {
        return QStringLiteral("%1-%2 ").arg(item.date.month()).arg(item.date.day()) + item.text;
    };
    QHash<QString, QSet<int>> years;
    for (const CalendarItem& item : items) {
        if (item.holiday && item.kind == CalendarKind::OneYearReminder)
            years[keyOf(item)].insert(item.date.year());
    }
    QList<CalendarItem> out;
    out.reserve(items.size());
    QSet<QString> placed;
    for (const CalendarItem& item : items) {
        if (!item.holiday || item.kind != CalendarKind::OneYearReminder) {
            out.append(item);
            continue;
        }
        const QString key = keyOf(item);
        if (years.value(key).size() < 2) {
            out.append(item);
        } else if (!placed.contains(key)) {
            placed.insert(key);
            CalendarItem yearly = item;
            yearly.kind = CalendarKind::Holiday;
            out.append(yearly);
        }
    }
    return out;
}

// ---- adding texts to days ----

// The text as it reads back once written on its own (a file's ending takes some trailing blanks).
QString asStoredText(const QString& text, common::Ending ending) {
    return common::textFromBytes(common::encodeText(text, ending), ending);
}

// A day's text as an import grows it. Where each line stands is kept by the line's text, so whether a
// text is already there costs the same for a day with one text as for a day with thousands, and appending
// costs the text's own length.
class DayText {
public:
    explicit DayText(const QString& text = {}) { reset(text); }

    // Whether the day holds `text` (already as stored) whole: the same text, or the same lines one after
    // another among its lines. A text's trailing line ends are not part of it there: the next text added
    // goes right after them.
    bool holds(const QString& text) const {
        if (size_ == text.size() && this->text() == text)
            return true;
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1) == u'\n')
            --end;
        if (end == 0)
            return false;
        const QStringList wanted = text.left(end).split(u'\n');
        // The run is looked for around the places of its rarest line, so that texts sharing a first line
        // ("Guardia" over thousands of descriptions) are not compared one by one.
        const QList<qsizetype>* anchor = nullptr;
        qsizetype offset = 0;
        for (qsizetype i = 0; i < wanted.size(); ++i) {
            const auto found = positions_.constFind(wanted[i]);
            if (found == positions_.constEnd())
                return false;
            if (!anchor || found->size() < anchor->size()) {
                anchor = &*found;
                offset = i;
            }
        }
        for (const qsizetype place : *anchor) {
            const qsizetype at = place - offset;
            if (at < 0 || at + wanted.size() > lines_.size())
                continue;
            qsizetype i = 0;
            while (i < wanted.size() && lines_[at + i] == wanted[i])
                ++i;
            if (i == wanted.size())
                return true;
        }
        return false;
    }

    // The text on a new line after what the day holds, or right after its last line end; a day of blanks
    // alone is replaced by it.
    void append(const QString& text) {
        if (blank_) {
            reset(text);
            return;
        }
        if (lines_.last().isEmpty()) {
            positions_[QString()].removeLast();
            lines_.removeLast();
            --size_;
        }
        for (const QString& line : text.split(u'\n'))
            addLine(line);
    }

    QString text() const { return lines_.join(u'\n'); }

private:
    void reset(const QString& text) {
        lines_.clear();
        positions_.clear();
        size_ = -1;
        blank_ = text.trimmed().isEmpty();
        for (const QString& line : text.split(u'\n'))
            addLine(line);
    }
    void addLine(const QString& line) {
        positions_[line].append(lines_.size());
        lines_.append(line);
        size_ += line.size() + 1;
    }

    QStringList lines_;
    QHash<QString, QList<qsizetype>> positions_;
    qsizetype size_ = 0; // of text()
    bool blank_ = true;
};

struct PlannedText {
    CalendarKind kind;
    QString key;  // day-note key, for notes
    QString name; // the file's name in its folder
    QString path; // for the other kinds
    common::Ending ending = common::Ending::Line;
    DayText text;
    bool changed = false;
    QStringList added; // the texts this import adds, merged again into what the file holds when written
};

DayTextKind textKindOf(CalendarKind kind) {
    return kind == CalendarKind::Holiday          ? DayTextKind::Holiday
           : kind == CalendarKind::YearlyReminder ? DayTextKind::YearlyReminder
                                                  : DayTextKind::OneYearReminder;
}

class DayTextPlanner {
public:
    explicit DayTextPlanner(const DataFolder& data) : data_(data), notes_(data) {
        for (const DayTextKind kind :
             {DayTextKind::Holiday, DayTextKind::YearlyReminder, DayTextKind::OneYearReminder}) {
            indexes_[int(kind)].setFolder(
                dayTextPlace(data, kind, QStringLiteral("1"), monthName(1), QStringLiteral("2000")).folder);
            indexes_[int(kind)].refresh();
        }
    }

    void add(const CalendarItem& item, ExchangeResult& result) {
        PlannedText& planned = plannedFor(item);
        ExchangeCount& count = countOf(result, item.kind);
        // Compared as it will be stored, so that a second import finds it.
        const QString text = asStoredText(item.text, planned.ending);
        if (planned.text.holds(text)) {
            ++count.alreadyThere;
            return;
        }
        planned.text.append(text);
        planned.changed = true;
        planned.added.append(text);
        ++count.added;
    }

    // A day whose file is still missing is written new, in one batch with all the others: each file whole
    // under a staging name, one flush, then the renames. A day whose file is there now is read again right
    // before it is replaced, so what the window or another machine saved since the import read it stays
    // and only the texts still missing are added.
    void write(ExchangeResult& result, const ExchangeProgress& progress, const ExchangeCancelled& cancelled) {
        qsizetype total = 0;
        for (const PlannedText& planned : std::as_const(planned_))
            total += planned.changed ? 1 : 0;
        qsizetype done = 0;
        if (progress)
            progress(ExchangePhase::Writing, done, total);
        for (common::FolderIndex& index : indexes_)
            index.refresh();
        const common::FolderIndex& notes = notes_.index();
        common::WriteBatch batch;
        QList<qsizetype> staged;
        qsizetype asked = 0;
        for (qsizetype i = 0; i < planned_.size(); ++i) {
            const PlannedText& planned = planned_[i];
            if (!planned.changed)
                continue;
            if (!result.cancelled && asked++ % kCancelCheck == 0 && cancelled && cancelled())
                result.cancelled = true;
            if (result.cancelled) {
                // Not written: not added.
                countOf(result, planned.kind).added -= int(planned.added.size());
                continue;
            }
            const bool isNote = planned.kind == CalendarKind::DayNote;
            const common::FolderIndex& index = isNote ? notes : indexes_[int(textKindOf(planned.kind))];
            if (index.contains(planned.name)) {
                replace(planned, result);
            } else {
                DayText text;
                for (const QString& added : planned.added)
                    if (!text.holds(added))
                        text.append(added);
                const QString path = isNote ? index.pathFor(planned.name) : planned.path;
                (void)batch.stage(path, common::encodeText(text.text(), planned.ending),
                                  common::WriteBatch::Target::New);
                staged.append(i);
            }
            if (progress && (++done % 256 == 0 || done == total))
                progress(ExchangePhase::Writing, done, total);
        }
        const QList<common::WriteBatch::Outcome> outcomes = batch.commit();
        for (qsizetype k = 0; k < outcomes.size(); ++k) {
            const PlannedText& planned = planned_[staged[k]];
            if (outcomes[k].appearedMeanwhile)
                replace(planned, result);
            else if (!outcomes[k].status)
                failed(planned, outcomes[k].status, int(planned.added.size()), result);
        }
    }

private:
    void replace(const PlannedText& planned, ExchangeResult& result) {
        const QString now = planned.kind == CalendarKind::DayNote
                                ? notes_.load(planned.key).text
                                : common::readTextOrEmpty(planned.path, planned.ending);
        DayText text(now);
        int addedHere = 0;
        for (const QString& added : planned.added) {
            if (!text.holds(added)) {
                text.append(added);
                ++addedHere;
                continue;
            }
            // Someone else added the same text meanwhile.
            ExchangeCount& count = countOf(result, planned.kind);
            --count.added;
            ++count.alreadyThere;
        }
        if (addedHere == 0)
            return;
        const common::Status written = planned.kind == CalendarKind::DayNote
                                           ? notes_.save(planned.key, text.text())
                                           : common::writeText(planned.path, text.text(), planned.ending);
        if (!written)
            failed(planned, written, addedHere, result);
    }

    // What did not reach the disk was not added.
    static void failed(const PlannedText& planned, const common::Status& written, int texts,
                       ExchangeResult& result) {
        result.failures.append(QStringLiteral("%1: %2").arg(
            planned.kind == CalendarKind::DayNote ? planned.key : planned.path, written.error()));
        countOf(result, planned.kind).added -= texts;
    }

    PlannedText& plannedFor(const CalendarItem& item) {
        const QString day = QString::number(item.date.day());
        const QString month = monthName(item.date.month());
        const QString year = QString::number(item.date.year());
        PlannedText planned{item.kind, {}, {}, {}, common::Ending::Zoned, DayText(), false, {}};
        if (item.kind == CalendarKind::DayNote) {
            planned.key = dayNoteKey(item.date);
            planned.name = planned.key + QStringLiteral(".txt");
        } else {
            const DayTextPlace place = dayTextName(textKindOf(item.kind), day, month, year);
            planned.name = place.fileName;
            planned.ending = place.ending;
        }
        const QString id =
            QString::number(int(item.kind)) + u'/' + common::FolderIndex::foldName(planned.name);
        const auto found = byId_.constFind(id);
        if (found != byId_.constEnd())
            return planned_[*found];
        if (item.kind == CalendarKind::DayNote) {
            planned.text = DayText(notes_.load(planned.key).text);
        } else {
            const common::FolderIndex& index = indexes_[int(textKindOf(item.kind))];
            planned.path = index.pathFor(planned.name);
            if (index.contains(planned.name))
                planned.text = DayText(common::readTextOrEmpty(planned.path, planned.ending));
        }
        byId_.insert(id, planned_.size());
        planned_.append(planned);
        return planned_.last();
    }

    DataFolder data_;
    DayNotes notes_;
    common::FolderIndex indexes_[3];
    QList<PlannedText> planned_;
    QHash<QString, qsizetype> byId_;
};

// ---- contacts ----

QString contactUid(const QString& folderId, const QString& fileName) {
    return exportedContactUid(folderId, fileName);
}

// "1 fiesta", "2 fiestas": a count with its noun in the right number.
QString counted(int count, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

QString countLine(const QString& noun, const ExchangeCount& count, bool feminine) {
    QStringList parts = {feminine
                             ? counted(count.added, QStringLiteral("añadida"), QStringLiteral("añadidas"))
                             : counted(count.added, QStringLiteral("añadido"), QStringLiteral("añadidos"))};
    if (count.updated > 0)
        parts.append(
            feminine ? counted(count.updated, QStringLiteral("actualizada"), QStringLiteral("actualizadas"))
                     : counted(count.updated, QStringLiteral("actualizado"), QStringLiteral("actualizados")));
    parts.append(counted(count.alreadyThere, QStringLiteral("ya estaba"), QStringLiteral("ya estaban")));
    return QStringLiteral("%1: %2.").arg(noun, parts.join(QStringLiteral(", ")));
}

} // namespace

QString ExchangeResult::summary() const {
    QStringList lines;
    switch (status) {
    case ExchangeStatus::Refused:
        lines.append(QStringLiteral("No se ha importado nada: «%1» no sirve: %2.").arg(file, problem));
        return lines.join(u'\n');
    case ExchangeStatus::BadOptionOrFolder:
        lines.append(QStringLiteral("No se ha hecho nada: %1.").arg(problem));
        return lines.join(u'\n');
    case ExchangeStatus::Done:
    case ExchangeStatus::WriteFailed:
        break;
    }
    if (cancelled)
        lines.append(QStringLiteral("Importación cancelada: solo se ha guardado lo que se cuenta aquí."));
    const bool exported = action == Action::ExportIcs || action == Action::ExportVcf;
    if (exported && status == ExchangeStatus::WriteFailed) {
        // The file was not written at all: nothing counts as exported.
        lines.append(QStringLiteral("No se ha exportado nada: no se ha podido escribir «%1».").arg(file));
    } else {
        switch (action) {
        case Action::ExportIcs:
            lines.append(
                QStringLiteral("Calendario exportado a «%1»: %2, %3, %4.")
                    .arg(file, counted(holidays.added, QStringLiteral("fiesta"), QStringLiteral("fiestas")),
                         counted(reminders.added, QStringLiteral("recordatorio"),
                                 QStringLiteral("recordatorios")),
                         counted(notes.added, QStringLiteral("nota de un día"),
                                 QStringLiteral("notas de los días"))));
            break;
        case Action::ImportIcs:
            lines.append(QStringLiteral("Calendario importado de «%1».").arg(file));
            lines.append(countLine(QStringLiteral("Fiestas"), holidays, true));
            lines.append(countLine(QStringLiteral("Recordatorios"), reminders, false));
            lines.append(countLine(QStringLiteral("Notas de los días"), notes, true));
            break;
        case Action::ExportVcf:
            lines.append(QStringLiteral("Contactos exportados a «%1»: %2.").arg(file).arg(contacts.added));
            break;
        case Action::ImportVcf:
            lines.append(QStringLiteral("Contactos importados de «%1».").arg(file));
            lines.append(countLine(QStringLiteral("Contactos"), contacts, false));
            break;
        }
    }
    common::appendListed(lines, QStringLiteral("Cambiados"), changed);
    common::appendListed(lines, QStringLiteral("Omitidos"), skipped);
    common::appendListed(lines, QStringLiteral("No se ha podido escribir"), failures);
    return lines.join(u'\n');
}

ExchangeResult exportIcs(const DataFolder& data, const QString& file, bool withNotes) {
    ExchangeResult result = started(ExchangeResult::Action::ExportIcs, file);
    if (!checkFolder(data, result))
        return result;
    QList<CalendarItem> items;
    collectFolder(data, CalendarKind::Holiday, items, result);
    collectFolder(data, CalendarKind::YearlyReminder, items, result);
    collectFolder(data, CalendarKind::OneYearReminder, items, result);
    if (withNotes)
        collectFolder(data, CalendarKind::DayNote, items, result);
    if (!writeOutput(file, writeIcs(items, folderIdentifier(data)), result))
        return result;
    for (const CalendarItem& item : std::as_const(items))
        ++countOf(result, item.kind).added;
    return result;
}

ExchangeResult importIcsBytes(const DataFolder& data, const QByteArray& bytes, const QString& file,
                              const IcsReadOptions& options) {
    ExchangeResult result = started(ExchangeResult::Action::ImportIcs, file);
    if (!checkFolder(data, result))
        return result;
    const IcsReading reading = readIcs(bytes, options);
    if (!reading.refusal.isEmpty())
        return fail(result, ExchangeStatus::Refused, reading.refusal);
    result.skipped = reading.skipped;
    if (!common::ensureFolders(data.programFolder(), {folders::holidays, folders::yearlyReminders,
                                                      folders::oneYearReminders, folders::dayNotes}))
        return fail(result, ExchangeStatus::BadOptionOrFolder,
                    QStringLiteral("no se pueden crear las carpetas del calendario en «%1»")
                        .arg(data.programFolder()));
    DayTextPlanner planner(data);
    for (const CalendarItem& item : withFixedHolidays(reading.items))
        planner.add(item, result);
    planner.write(result, options.progress, options.cancelled);
    if (!result.failures.isEmpty())
        fail(result, ExchangeStatus::WriteFailed, QStringLiteral("algunos días no se han podido guardar"));
    return result;
}

ExchangeResult importIcs(const DataFolder& data, const QString& file, const IcsReadOptions& options) {
    ExchangeResult result = started(ExchangeResult::Action::ImportIcs, file);
    if (!checkFolder(data, result))
        return result;
    const std::optional<QByteArray> bytes = readInput(file, result);
    return bytes ? importIcsBytes(data, *bytes, file, options) : result;
}

std::optional<QByteArray> readImportFile(const QString& file, ExchangeResult& result) {
    return readInput(file, result);
}

ExchangeResult exportVcf(const DataFolder& data, const QString& file, const QString& category) {
    ExchangeResult result = started(ExchangeResult::Action::ExportVcf, file);
    if (!checkFolder(data, result))
        return result;
    const AddressBookFolder book(data.folder(folders::addressBook));
    const QString stored = isSafeAddressBookName(category) ? book.existingCategory(category) : QString();
    if (stored.isEmpty())
        return fail(result, ExchangeStatus::BadOptionOrFolder,
                    QStringLiteral("no hay ninguna categoría «%1» en la agenda").arg(category));
    const QDir folder(book.categoryPath(stored));
    const QString folderId = folderIdentifier(data);
    QList<ExportedCard> cards;
    for (const QString& name : visibleNames(folder.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))) {
        const QString path = folder.filePath(name);
        const std::optional<QStringList> card = readContactCard(path);
        if (card)
            cards.append({*card, contactUid(folderId, name), QFileInfo(path).lastModified()});
        else
            result.skipped.append(QStringLiteral("«%1»: no se puede leer").arg(name));
    }
    const bool all =
        common::FolderIndex::foldName(stored) == common::FolderIndex::foldName(folders::allContacts);
    if (writeOutput(file, writeVCards(cards, all ? QString() : stored), result))
        result.contacts.added = int(cards.size());
    return result;
}

ExchangeResult importVcfBytes(const DataFolder& data, const QByteArray& bytes, const QString& file,
                              const QString& category, const ExchangeProgress& progress,
                              const ExchangeCancelled& cancelled) {
    ExchangeResult result = started(ExchangeResult::Action::ImportVcf, file);
    if (!checkFolder(data, result))
        return result;
    if (!isSafeAddressBookName(category))
        return fail(result, ExchangeStatus::BadOptionOrFolder,
                    QStringLiteral("la categoría «%1» no sirve como nombre de carpeta").arg(category));
    const VCardReading reading = readVCards(bytes);
    if (!reading.refusal.isEmpty())
        return fail(result, ExchangeStatus::Refused, reading.refusal);
    result.skipped = reading.skipped;

    const AddressBookFolder book(data.folder(folders::addressBook));
    if (!common::ensureFolders(data.programFolder(), {folders::addressBook + u'/' + folders::allContacts}) ||
        book.createCategory(category) == AddressBookFolder::Creation::Failed)
        return fail(result, ExchangeStatus::BadOptionOrFolder,
                    QStringLiteral("no se puede crear la categoría «%1» en «%2»").arg(category, book.root()));
    QStringList targets = {book.categoryPath(category)};
    const QString all = book.categoryPath(folders::allContacts);
    if (common::FolderIndex::foldName(all) != common::FolderIndex::foldName(targets.first()))
        targets.append(all);
    VCardImportPlan plan = planVCardImport(data, targets, reading, file);
    writeVCardImport(plan, result, progress, cancelled);
    if (!result.failures.isEmpty())
        fail(result, ExchangeStatus::WriteFailed,
             QStringLiteral("algunos contactos no se han podido guardar"));
    return result;
}

ExchangeResult importVcf(const DataFolder& data, const QString& file, const QString& category,
                         const ExchangeProgress& progress, const ExchangeCancelled& cancelled) {
    ExchangeResult result = started(ExchangeResult::Action::ImportVcf, file);
    if (!checkFolder(data, result))
        return result;
    const std::optional<QByteArray> bytes = readInput(file, result);
    return bytes ? importVcfBytes(data, *bytes, file, category, progress, cancelled) : result;
}

} // namespace quindara
