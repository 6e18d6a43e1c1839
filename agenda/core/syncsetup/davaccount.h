// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/sync/davsync.h"
#include "common/result.h"

#include <QList>
#include <QString>
#include <QUrl>

namespace quindara {

// The accounts of the data folder, one "<id>.account" file each in the sync folder.
QList<SyncAccount> readSyncAccounts(const DataFolder& data);
common::Status saveSyncAccount(const DataFolder& data, const SyncAccount& account);
// The id an account of this server and user gets.
QString syncAccountId(const QUrl& server, const QString& user);

} // namespace quindara
