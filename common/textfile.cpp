// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/textfile.h"

#include "common/leftoversavefiles.h"
#include "common/logging.h"
#include "common/regularfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace common {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
constexpr char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QChar cp1252Char(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b);
}

// Length of the well-formed UTF-8 sequence that starts at `at`, or 0 when the byte there starts none
// (overlong forms, surrogates and values above U+10FFFF are not well-formed).
int utf8SequenceLength(const QByteArray& bytes, qsizetype at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[at + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

bool fileStartsWithByteOrderMark(const QByteArray& nativePath) {
    const int fd = openRegularFile(nativePath);
    if (fd < 0)
        return false;
    char start[3] = {};
    ssize_t got = 0;
    do {
        got = ::read(fd, start, sizeof start);
    } while (got < 0 && errno == EINTR);
    ::close(fd);
    return got == ssize_t(sizeof start) && QByteArrayView(start, sizeof start) == kUtf8ByteOrderMark;
}

} // namespace

// The causes a save meets, told in the user's language.
QString writeFailureText(int code) {
    switch (code) {
    case ENOSPC:
        return QStringLiteral("no queda espacio en el disco");
    case EDQUOT:
        return QStringLiteral("se ha agotado la cuota de disco");
    case EFBIG:
        return QStringLiteral("el archivo supera el tamaño máximo permitido");
    case EIO:
        return QStringLiteral("error de lectura o escritura en el disco");
    case EISDIR:
        return QStringLiteral("es una carpeta");
    case EACCES:
    case EPERM:
        return QStringLiteral("no hay permiso para escribir ahí");
    case EROFS:
        return QStringLiteral("el disco es de solo lectura");
    case ENOENT:
        return QStringLiteral("la carpeta no existe");
    case ENOTDIR:
        return QStringLiteral("una parte del camino no es una carpeta");
    case ENAMETOOLONG:
        return QStringLiteral("el nombre es demasiado largo");
    case EEXIST:
        return QStringLiteral("ya existe");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("está en uso");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("hay demasiados archivos abiertos");
    default:
        // The system's own words are English: the user gets the number, which names it exactly.
        return QStringLiteral("error del sistema n.º %1").arg(code);
    }
}

namespace {

// A text that itself starts with U+FEFF gets a byte-order mark before it: reading takes one mark away, so
// without it every save would lose one of the text's own.
QByteArray markingOwnLeadingMark(QStringView text, QByteArray bytes) {
    if (text.startsWith(QChar(0xFEFF)))
        bytes.prepend(kUtf8ByteOrderMark);
    return bytes;
}

QByteArray keepingByteOrderMark(const QByteArray& nativePath, QByteArray bytes) {
    if (!startsWithByteOrderMark(bytes) && fileStartsWithByteOrderMark(nativePath))
        bytes.prepend(kUtf8ByteOrderMark);
    return bytes;
}

QString normaliseLineEnds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

qsizetype lastLineStart(const QString& text) {
    return text.lastIndexOf(QLatin1Char('\n')) + 1;
}

} // namespace

int zonePadding(int lastLineLength) {
    return kZoneWidth - lastLineLength % kZoneWidth;
}

bool startsWithByteOrderMark(const QByteArray& bytes) {
    return bytes.startsWith(kUtf8ByteOrderMark);
}

namespace {

// Well-formed UTF-8 to text, keeping a U+FEFF at its start: QString::fromUtf8 would take it for a byte-order
// mark and drop it, and a text's own U+FEFF would be lost at every read.
QString fromUtf8Run(const char* bytes, qsizetype length) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(QByteArrayView(bytes, length));
}

} // namespace

QString decodeText(const QByteArray& bytes) {
    const qsizetype start = startsWithByteOrderMark(bytes) ? kUtf8ByteOrderMark.size() : 0;
    QString text;
    text.reserve(bytes.size() - start);
    // Runs of well-formed UTF-8 are converted in one go; a byte that starts no sequence is one character.
    qsizetype runStart = start;
    qsizetype at = start;
    while (at < bytes.size()) {
        const int length = utf8SequenceLength(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        text += fromUtf8Run(bytes.constData() + runStart, at - runStart);
        text += cp1252Char(static_cast<unsigned char>(bytes[at]));
        runStart = ++at;
    }
    text += fromUtf8Run(bytes.constData() + runStart, at - runStart);
    return text;
}

QByteArray encodeText(const QString& text, Ending ending) {
    QString out = text;
    out.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    switch (ending) {
    case Ending::Line:
        out += QStringLiteral("\r\n");
        break;
    case Ending::Bare:
        break;
    case Ending::Zoned: {
        const auto lineLength = static_cast<int>(text.size() - lastLineStart(text));
        out += QString(zonePadding(lineLength), QLatin1Char(' '));
        break;
    }
    }
    return markingOwnLeadingMark(out, out.toUtf8());
}

QString textFromBytes(const QByteArray& bytes, Ending ending) {
    QString text = normaliseLineEnds(decodeText(bytes));
    switch (ending) {
    case Ending::Line:
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        break;
    case Ending::Bare:
        break;
    case Ending::Zoned: {
        // Only a last line that fills whole zones can carry padding; strip its blanks, at most one zone.
        const qsizetype lineLength = text.size() - lastLineStart(text);
        if (lineLength == 0 || lineLength % kZoneWidth != 0)
            break;
        int blanks = 0;
        while (blanks < kZoneWidth && text.at(text.size() - 1 - blanks) == QLatin1Char(' '))
            ++blanks;
        text.chop(blanks);
        break;
    }
    }
    return text;
}

std::optional<QByteArray> readBytes(const QString& path) {
    return readNativeBytes(QFile::encodeName(path));
}

// Straight system calls: a summary reads hundreds of small files, and QFile spends seven calls on each
// (three of them asking the size) where these need five.
std::optional<QByteArray> readNativeBytes(const QByteArray& nativePath) {
    qint64 size = 0;
    const int fd = openRegularFile(nativePath, &size);
    if (fd < 0)
        return std::nullopt;
    QByteArray bytes;
    qsizetype filled = 0;
    // A day note, a list or a card in one read; a larger file in as few as its size allows.
    qsizetype room = std::clamp<qsizetype>(qsizetype(size) + 1, 4096, qsizetype(1) << 24);
    for (;;) {
        bytes.resize(filled + room);
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(room));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt; // a failing disk
        }
        if (got == 0)
            break;
        filled += got;
        if (got == room)
            room = std::min<qsizetype>(room * 2, qsizetype(1) << 24);
        else
            room -= got;
    }
    ::close(fd);
    bytes.resize(filled);
    return bytes;
}

namespace {

Status writeNativeBytes(const QByteArray& nativePath, const QByteArray& bytes) {
    AtomicFile file(NativePath{nativePath});
    if (file.open() && file.write(bytes) && file.commit())
        return {};
    return Status::failure(file.errorString());
}

} // namespace

Status writeBytes(const QString& path, const QByteArray& bytes) {
    return writeNativeBytes(QFile::encodeName(path), bytes);
}

namespace {

// A fresh hidden staging file beside `target`, opened for writing. The reason of a failure, or an empty text.
QString createStaging(const QByteArray& target, QByteArray& staging, int& fd) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray() : target.left(slash + 1);
    const QByteArrayView name = QByteArrayView(target).sliced(slash + 1);
    // A fresh name each try; a clash with a name that is there already only means another try.
    for (int attempt = 0; attempt < 100; ++attempt) {
        staging = folder + newScratchName(name);
        fd = ::open(staging.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return {};
        if (errno != EEXIST)
            break;
    }
    const int cause = errno;
    staging.clear();
    return writeFailureText(cause);
}

// Writes every byte, retrying a short write, or gives the cause of the failure.
QString writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return writeFailureText(errno);
        }
        data += written;
        left -= written;
    }
    return {};
}

void removeStaging(const QByteArray& staging) {
    if (::unlink(staging.constData()) != 0 && errno != ENOENT) {
        const int cause = errno;
        qCWarning(lcAtomicFile) << "cannot remove" << QFile::decodeName(staging) << qt_error_string(cause);
    }
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// Puts a staged file in place of nothing: fails with EEXIST when a file of that name is there.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without that rename: a link never replaces either.
    if (::link(from.constData(), to.constData()) == 0) {
        removeStaging(from);
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    // Nor links (FAT): a look just before the rename.
    struct stat info {};
    if (::lstat(to.constData(), &info) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

namespace {

// Checks that `path` may be replaced and opens a fresh staging file beside the file it leads to; a file
// replaced keeps its mode. The reason of a failure, with nothing left behind, or an empty text.
QString openStaging(const QByteArray& path, QByteArray& target, QByteArray& staging, int& fd) {
    const Result<QByteArray> resolved = writeTarget(path);
    if (!resolved)
        return resolved.error();
    target = *resolved;
    struct stat existing {};
    const bool replacing = ::stat(target.constData(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode))
        return writeFailureText(EISDIR);
    if (replacing && !S_ISREG(existing.st_mode))
        return QStringLiteral("no es un archivo normal, sino una tubería, un dispositivo o un socket");
    const QString reason = createStaging(target, staging, fd);
    if (!reason.isEmpty())
        return reason;
    // A new file gets the mode any new file gets (the umask applied); a replaced one keeps its own.
    if (replacing && ::fchmod(fd, existing.st_mode & 07777) != 0) {
        const int cause = errno;
        qCWarning(lcAtomicFile) << "cannot keep the mode of" << QFile::decodeName(target)
                                << qt_error_string(cause);
    }
    return {};
}

} // namespace

AtomicFile::AtomicFile(const QString& path) : AtomicFile(NativePath{QFile::encodeName(path)}) {}

AtomicFile::AtomicFile(NativePath path) : path_(std::move(path.bytes)) {}

AtomicFile::~AtomicFile() {
    dropStaging();
}

void AtomicFile::dropStaging() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!staging_.isEmpty() && ::unlink(staging_.constData()) != 0 && errno != ENOENT) {
        const int cause = errno;
        qCWarning(lcAtomicFile) << "cannot remove" << QFile::decodeName(staging_) << qt_error_string(cause);
    }
    staging_.clear();
}

bool AtomicFile::fail(const QString& reason) {
    if (error_.isEmpty())
        error_ = reason.isEmpty() ? QStringLiteral("error desconocido") : reason;
    dropStaging();
    return false;
}

bool AtomicFile::open() {
    if (!error_.isEmpty() || fd_ >= 0)
        return false;
    const QString reason = openStaging(path_, target_, staging_, fd_);
    return reason.isEmpty() || fail(reason);
}

bool AtomicFile::write(const QByteArray& bytes) {
    if (!error_.isEmpty() || fd_ < 0)
        return false;
    const QString reason = writeAll(fd_, bytes);
    return reason.isEmpty() || fail(reason);
}

bool AtomicFile::commit() {
    if (!error_.isEmpty() || fd_ < 0)
        return false;
    // Some file systems (network, quota) tell a failed write only at the sync or the close.
    if (::fsync(fd_) != 0 && errno != EINVAL)
        return fail(writeFailureText(errno));
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR)
        return fail(writeFailureText(errno));
    if (::rename(staging_.constData(), target_.constData()) != 0)
        return fail(writeFailureText(errno));
    staging_.clear();
    return true;
}

WriteBatch::~WriteBatch() {
    for (const Entry& entry : std::as_const(entries_))
        if (!entry.staging.isEmpty())
            removeStaging(entry.staging);
}

Status WriteBatch::stage(const QString& path, const QByteArray& bytes, Target target) {
    Entry entry;
    entry.kind = target;
    int fd = -1;
    const QByteArray native = QFile::encodeName(path);
    // A new name needs no look at what is there: the rename refuses to replace anything.
    QString reason = target == Target::New ? (entry.target = native, createStaging(native, entry.staging, fd))
                                           : openStaging(native, entry.target, entry.staging, fd);
    if (reason.isEmpty())
        reason = writeAll(fd, bytes);
    // Some file systems (network, quota) tell a failed write only at the close.
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR && reason.isEmpty())
        reason = writeFailureText(errno);
    if (!reason.isEmpty()) {
        if (!entry.staging.isEmpty())
            removeStaging(entry.staging);
        entry.staging.clear();
        entry.status = Status::failure(reason);
    }
    entries_.append(entry);
    return entry.status;
}

QList<WriteBatch::Outcome> WriteBatch::commit() {
    // The folders the staged files are in, each opened once, and the cause of a failure to flush them.
    QHash<QByteArray, int> folders;
    QHash<QByteArray, int> folderFailure;
    QHash<dev_t, int> flushed; // one flush of each file system: the device, and the cause of a failure or 0
    for (const Entry& entry : std::as_const(entries_)) {
        const QByteArray folder = folderOf(entry.target);
        if (entry.staging.isEmpty() || folders.contains(folder))
            continue;
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folders.insert(folder, fd);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            folderFailure.insert(folder, errno);
            continue;
        }
        // Every staged byte on the disk before the first rename.
        if (!flushed.contains(info.st_dev))
            flushed.insert(info.st_dev, ::syncfs(fd) == 0 ? 0 : errno);
        folderFailure.insert(folder, flushed.value(info.st_dev));
    }
    QList<Outcome> outcomes;
    outcomes.reserve(entries_.size());
    QSet<QByteArray> renamedIn;
    for (Entry& entry : entries_) {
        Outcome outcome;
        outcome.status = entry.status;
        if (!entry.staging.isEmpty()) {
            const QByteArray folder = folderOf(entry.target);
            int cause = folderFailure.value(folder);
            if (cause == 0)
                cause = entry.kind == Target::New ? renameNoReplace(entry.staging, entry.target)
                        : ::rename(entry.staging.constData(), entry.target.constData()) == 0 ? 0
                                                                                             : errno;
            if (cause == 0) {
                renamedIn.insert(folder);
            } else {
                removeStaging(entry.staging);
                outcome.appearedMeanwhile = entry.kind == Target::New && cause == EEXIST;
                outcome.status = Status::failure(writeFailureText(cause));
            }
            entry.staging.clear();
        }
        outcomes.append(outcome);
    }
    // The renames themselves on the disk.
    for (auto it = folders.cbegin(); it != folders.cend(); ++it) {
        if (it.value() < 0)
            continue;
        if (renamedIn.contains(it.key()) && ::fsync(it.value()) != 0 && errno != EINVAL) {
            const int cause = errno;
            qCWarning(lcAtomicFile) << "cannot flush the folder" << QFile::decodeName(it.key())
                                    << qt_error_string(cause);
        }
        ::close(it.value());
    }
    entries_.clear();
    return outcomes;
}

std::optional<QString> readText(const QString& path, Ending ending) {
    const auto bytes = readBytes(path);
    if (!bytes)
        return std::nullopt;
    return textFromBytes(*bytes, ending);
}

QString readTextOrEmpty(const QString& path, Ending ending) {
    return readText(path, ending).value_or(QString());
}

Status writeText(const QString& path, const QString& text, Ending ending) {
    return writeText(NativePath{QFile::encodeName(path)}, text, ending);
}

Status writeText(const NativePath& path, const QString& text, Ending ending) {
    return writeNativeBytes(path.bytes, keepingByteOrderMark(path.bytes, encodeText(text, ending)));
}

QStringList readLines(const QString& path) {
    const auto bytes = readBytes(path);
    if (!bytes || bytes->isEmpty())
        return {};
    QString text = normaliseLineEnds(decodeText(*bytes));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

QByteArray encodeLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    if (!lines.isEmpty())
        bytes = markingOwnLeadingMark(lines.first(), std::move(bytes));
    return bytes;
}

Status writeLines(const QString& path, const QStringList& lines) {
    return writeBytes(path, keepingByteOrderMark(QFile::encodeName(path), encodeLines(lines)));
}

Status removeFile(const QString& path) {
    QFile file(path);
    if (file.remove() || !QFileInfo::exists(path))
        return {};
    return Status::failure(file.errorString());
}

} // namespace common
