// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/sync/davsync.h"

#include "agenda/core/days/folderid.h"
#include "agenda/core/sync/davcollectionrun.h"
#include "agenda/core/sync/logging.h"
#include "common/conflictcopy.h"
#include "common/instancelock.h"
#include "common/summarylines.h"
#include "common/textfile.h"

#include <QDir>
#include <QFileInfo>

#include <memory>
#include <utility>
#include <vector>

namespace quindara {

namespace {

QString plural(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString countLine(const QString& side, const SyncCount& c) {
    return QStringLiteral("%1: %2, %3, %4, %5.")
        .arg(side, plural(c.created, "creado", "creados"), plural(c.changed, "cambiado", "cambiados"),
             plural(c.deleted, "borrado", "borrados"),
             plural(c.merged, "con las dos versiones conservadas", "con las dos versiones conservadas"));
}

// Conflict copies a sync tool left of the account's status records (two machines wrote the single record
// of earlier versions at once) are never read: removed, so that they do not pile up.
void removeRecordCopies(const DataFolder& data, const SyncAccount& account) {
    const QDir folder(syncFolderPath(data));
    for (const QString& name : folder.entryList({account.id + u'*'}, QDir::Files)) {
        const std::optional<common::ConflictCopy> copy = common::parseConflictCopyName(name);
        if (!copy || !copy->originalName.endsWith(QStringLiteral(".status")))
            continue;
        if (const common::Status removed = common::removeFile(folder.filePath(name)); !removed)
            qCWarning(lcDavSync) << "conflict copy of a status record not removed:" << name
                                 << removed.error();
    }
}

QString httpFailure(int status) {
    return status == 0 ? QStringLiteral("el servidor no ha contestado")
                       : QStringLiteral("el servidor no lo acepta (HTTP %1)").arg(status);
}

} // namespace

QString syncFolderPath(const DataFolder& data) {
    return QDir(data.programFolder()).filePath(kSyncFolder);
}

QString syncStatusPath(const DataFolder& data, const SyncAccount& account) {
    return QDir(syncFolderPath(data))
        .filePath(account.id + u'.' + common::InstanceLock::machineMark() + QStringLiteral(".status"));
}

QString earlierSyncStatusPath(const DataFolder& data, const SyncAccount& account) {
    return QDir(syncFolderPath(data)).filePath(account.id + QStringLiteral(".status"));
}

bool SyncProblem::retryLater() const {
    switch (kind) {
    case SyncProblemKind::ServerKeepsChanging:
    case SyncProblemKind::ItemsNotGiven:
        return true;
    case SyncProblemKind::ServerRefused:
    case SyncProblemKind::ListingRefused:
        // No answer, a busy or failing server, or a version that moved meanwhile.
        return httpStatus == 0 || httpStatus == 412 || httpStatus == 423 || httpStatus == 429 ||
               httpStatus >= 500;
    case SyncProblemKind::NotUnderstood:
    case SyncProblemKind::AgendaNotWritten:
    case SyncProblemKind::RecordNotSaved:
        return false;
    }
    return false;
}

QString SyncProblem::text() const {
    QString why;
    switch (kind) {
    case SyncProblemKind::ServerRefused:
        why = httpFailure(httpStatus);
        break;
    case SyncProblemKind::ServerKeepsChanging:
        why = QStringLiteral("el servidor lo cambia una y otra vez");
        break;
    case SyncProblemKind::ListingRefused:
        why = QStringLiteral("el servidor no da la lista (HTTP %1)").arg(httpStatus);
        break;
    case SyncProblemKind::ItemsNotGiven:
        why = QStringLiteral("el servidor no da los elementos (HTTP %1)").arg(httpStatus);
        break;
    case SyncProblemKind::NotUnderstood:
    case SyncProblemKind::AgendaNotWritten:
        why = detail;
        break;
    case SyncProblemKind::RecordNotSaved:
        return QStringLiteral("el estado de la sincronización: %1").arg(detail);
    }
    return QStringLiteral("«%1»: %2").arg(what, why);
}

int SyncResult::exitCode() const {
    switch (error.kind) {
    case DavErrorKind::None:
        break;
    case DavErrorKind::Unreachable:
        return 4;
    case DavErrorKind::Cancelled:
        return 3;
    case DavErrorKind::WrongPassword:
    case DavErrorKind::Forbidden:
    case DavErrorKind::StorageFull:
    case DavErrorKind::CertificateNotTrusted:
    case DavErrorKind::InsecureAddress:
    case DavErrorKind::Protocol:
        return 1;
    }
    return failures.isEmpty() && emptySideQuestion.isEmpty() ? 0 : 3;
}

QString SyncResult::summary() const {
    QStringList lines;
    if (error.kind != DavErrorKind::None) {
        lines.append(QStringLiteral("No se ha terminado: %1.").arg(error.text));
        if (!error.fingerprint.isEmpty())
            lines.append(QStringLiteral("Huella SHA-256 del certificado: %1").arg(error.fingerprint));
    }
    lines.append(countLine(QStringLiteral("En la agenda"), agenda));
    lines.append(countLine(QStringLiteral("En el servidor"), server));
    if (!emptySideQuestion.isEmpty()) {
        lines.append(emptySideQuestion);
        lines.append(QStringLiteral("No se ha cambiado nada en esa colección."));
    }
    common::appendListed(lines, QStringLiteral("Omitidos"), leftOut);
    common::appendListed(lines, QStringLiteral("No se ha podido sincronizar"), failures);
    return lines.join(u'\n') + u'\n';
}

SyncResult runSync(const DataFolder& data, const SyncAccount& account, const QString& password,
                   const SyncOptions& options) {
    SyncResult result;
    DavClient client(account.server, account.user, password, account.acceptedFingerprint,
                     options.answerTimeoutMs);
    client.setCancelled(options.cancelled);
    if (!QDir().mkpath(syncFolderPath(data))) {
        result.add({SyncProblemKind::AgendaNotWritten, syncFolderPath(data), 0,
                    QStringLiteral("no se puede crear la carpeta")});
        return result;
    }
    removeRecordCopies(data, account);
    // Only this machine's own record tells of deletions. Its first run after earlier versions starts from
    // their single record, which any machine may have written; without either it is a merge that deletes
    // nothing.
    const QString own = syncStatusPath(data, account);
    const QString earlier = earlierSyncStatusPath(data, account);
    const bool fromElsewhere = !QFileInfo::exists(own) && QFileInfo::exists(earlier);
    SyncStatus record(own);
    record.load(fromElsewhere ? earlier : QString());
    const QString folderId = folderIdentifier(data);
    std::vector<std::unique_ptr<CollectionRun>> runs;
    for (const bool addressBook : {false, true}) {
        const QUrl& url = addressBook ? account.addressBook : account.calendar;
        if (!url.isValid() || url.isEmpty())
            continue;
        runs.push_back(std::make_unique<CollectionRun>(
            client, url, addressBook ? account.addressBookName : account.calendarName,
            SyncItems(data, addressBook, account.withNotes, folderId, options.today),
            record.collection(url.toString()), record, result, options,
            fromElsewhere ? RecordOrigin::Elsewhere : RecordOrigin::ThisMachine));
    }
    if (options.progress)
        options.progress(SyncPhase::Listing, 0, qsizetype(runs.size()));
    // Every collection listed at once: one round trip when nothing changed.
    QList<DavReply> listings;
    const bool sameVerb = std::all_of(runs.begin(), runs.end(), [&](const auto& run) {
        return run->listingVerb() == runs.front()->listingVerb();
    });
    if (sameVerb && !runs.empty()) {
        QList<QPair<QUrl, QByteArray>> requests;
        for (const auto& run : runs)
            requests.append({run->url(), run->listingBody()});
        const QByteArray verb = runs.front()->listingVerb();
        listings = client.sendAll(requests, verb, {{"Depth", verb == "REPORT" ? "0" : "1"}});
    } else {
        for (const auto& run : runs)
            listings.append(client.send(run->listingVerb(), run->url(), run->listingBody(),
                                        {{"Depth", run->listingVerb() == "REPORT" ? "0" : "1"}}));
    }
    for (size_t i = 0; i < runs.size() && !client.failed(); ++i) {
        if (runs[i]->listed(listings.value(qsizetype(i))))
            runs[i]->run();
        if (options.cancelled && options.cancelled())
            break;
    }
    if (const common::Status saved = record.save(); !saved)
        result.add({SyncProblemKind::RecordNotSaved, {}, 0, saved.error()});
    if (client.failed())
        result.error = client.error();
    else if (options.cancelled && options.cancelled())
        result.error = {DavErrorKind::Cancelled, davErrorText(DavErrorKind::Cancelled), {}, {}};
    result.requests = client.requestCount();
    return result;
}

} // namespace quindara
