// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/syncsetup/davaccount.h"

#include "agenda/core/syncsetup/logging.h"
#include "common/textfile.h"

#include <QCryptographicHash>
#include <QDir>

namespace quindara {

namespace {

const QString kAccountSuffix = QStringLiteral(".account");

} // namespace

QString syncAccountId(const QUrl& server, const QString& user) {
    const QByteArray seed = server.toString(QUrl::StripTrailingSlash).toUtf8() + '\n' + user.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(seed, QCryptographicHash::Sha1).toHex().left(12));
}

QList<SyncAccount> readSyncAccounts(const DataFolder& data) {
    QList<SyncAccount> accounts;
    const QDir folder(syncFolderPath(data));
    for (const QString& name :
         folder.entryList({QStringLiteral("*") + kAccountSuffix}, QDir::Files, QDir::Name)) {
        SyncAccount account;
        account.id = name.chopped(kAccountSuffix.size());
        for (const QString& line : common::readLines(folder.filePath(name))) {
            const QString key = line.section(u'=', 0, 0);
            const QString value = line.section(u'=', 1);
            if (key == u"server")
                account.server = QUrl(value);
            else if (key == u"user")
                account.user = value;
            else if (key == u"calendar")
                account.calendar = QUrl(value);
            else if (key == u"calendar-name")
                account.calendarName = value;
            else if (key == u"addressbook")
                account.addressBook = QUrl(value);
            else if (key == u"addressbook-name")
                account.addressBookName = value;
            else if (key == u"day-notes")
                account.withNotes = value == u"1";
            else if (key == u"accepted-certificate")
                account.acceptedFingerprint = value;
        }
        if (account.server.isValid())
            accounts.append(account);
        else
            qCWarning(lcDavAccount) << "account file without a server:" << name;
    }
    return accounts;
}

common::Status saveSyncAccount(const DataFolder& data, const SyncAccount& account) {
    if (!QDir().mkpath(syncFolderPath(data)))
        return common::Status::failure(
            QStringLiteral("no se puede crear la carpeta «%1»").arg(syncFolderPath(data)));
    const auto oneLine = [](QString text) { return text.remove(u'\r').remove(u'\n'); };
    const QStringList lines = {QStringLiteral("server=") + account.server.toString(),
                               QStringLiteral("user=") + oneLine(account.user),
                               QStringLiteral("calendar=") + account.calendar.toString(),
                               QStringLiteral("calendar-name=") + oneLine(account.calendarName),
                               QStringLiteral("addressbook=") + account.addressBook.toString(),
                               QStringLiteral("addressbook-name=") + oneLine(account.addressBookName),
                               QStringLiteral("day-notes=") + (account.withNotes ? u'1' : u'0'),
                               QStringLiteral("accepted-certificate=") +
                                   oneLine(account.acceptedFingerprint)};
    return common::writeLines(QDir(syncFolderPath(data)).filePath(account.id + kAccountSuffix), lines);
}

} // namespace quindara
