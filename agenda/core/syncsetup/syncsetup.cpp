// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/syncsetup/syncsetup.h"

#include "common/textfile.h"

#include <QDir>

namespace quindara {

QString passwordKey(const SyncAccount& account) {
    return account.user + u'@' + account.server.toString();
}

common::Status removeSyncAccount(const DataFolder& data, const SyncAccount& account) {
    // This machine's record, and the single one of earlier versions; other machines' records are theirs.
    for (const QString& path : {QDir(syncFolderPath(data)).filePath(account.id + QStringLiteral(".account")),
                                syncStatusPath(data, account), earlierSyncStatusPath(data, account)}) {
        if (const common::Status removed = common::removeFile(path); !removed)
            return removed;
    }
    return {};
}

SyncOutcome outcomeOf(const SyncResult& result) {
    switch (result.error.kind) {
    case DavErrorKind::None:
        break;
    case DavErrorKind::Unreachable:
        return SyncOutcome::Offline;
    case DavErrorKind::WrongPassword:
    case DavErrorKind::Forbidden:
    case DavErrorKind::CertificateNotTrusted:
    case DavErrorKind::InsecureAddress:
        return SyncOutcome::WaitsForUser;
    case DavErrorKind::StorageFull:
    case DavErrorKind::Cancelled:
    case DavErrorKind::Protocol:
        return SyncOutcome::Attention;
    }
    if (!result.emptySideQuestion.isEmpty())
        return SyncOutcome::WaitsForUser;
    return result.failures.isEmpty() ? SyncOutcome::Done : SyncOutcome::Attention;
}

QString attentionText(const DavError& error) {
    switch (error.kind) {
    case DavErrorKind::None:
        return {};
    case DavErrorKind::WrongPassword:
        return QStringLiteral("El servidor no acepta el usuario o la contraseña: corríjalos en «Usuario» y "
                              "«Contraseña» y vuelva a intentarlo.");
    case DavErrorKind::Forbidden:
        return QStringLiteral("El servidor no deja a este usuario usar ese calendario o esa agenda de "
                              "direcciones: elija otros con «Buscar calendarios».");
    case DavErrorKind::StorageFull:
        return QStringLiteral("El servidor no tiene sitio para guardar más: libere espacio en él y "
                              "sincronice de nuevo.");
    case DavErrorKind::Unreachable:
        return QStringLiteral("No se puede conectar con el servidor: compruebe la conexión a la red y la "
                              "dirección del servidor. La agenda lo intentará de nuevo ella sola.");
    case DavErrorKind::CertificateNotTrusted:
        return QStringLiteral("El certificado del servidor no es de confianza: compruebe su huella y, si es "
                              "el de su servidor, acéptelo en la página Sincronizar.");
    case DavErrorKind::InsecureAddress:
        return QStringLiteral("Sin cifrar (http) solo se admite un servidor de este mismo equipo: escriba la "
                              "dirección con https.");
    case DavErrorKind::Cancelled:
        return QStringLiteral("La sincronización se ha cancelado; la próxima sigue donde se quedó.");
    case DavErrorKind::Protocol:
        break;
    }
    return QStringLiteral("El servidor ha dado una respuesta que no se entiende: compruebe la dirección del "
                          "servidor.");
}

QString attentionText(const SyncResult& result) {
    if (result.error.kind != DavErrorKind::None)
        return attentionText(result.error);
    if (!result.emptySideQuestion.isEmpty())
        return result.emptySideQuestion;
    if (!result.failures.isEmpty())
        return result.failures.size() == 1
                   ? QStringLiteral("Un elemento no se ha podido sincronizar: vea el resultado en la página "
                                    "Sincronizar.")
                   : QStringLiteral(
                         "%1 elementos no se han podido sincronizar: vea el resultado en la página "
                         "Sincronizar.")
                         .arg(result.failures.size());
    return {};
}

} // namespace quindara
