// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/sync/davsync.h"
#include "agenda/core/syncsetup/syncschedule.h"
#include "common/result.h"

namespace quindara {

// What the window needs around the sync engine: the keyring entry of an account, its removal, and the
// meaning of a run's result for the schedule and for the user.

// The name of the account's password in the keyring: "ana@https://servidor/".
QString passwordKey(const SyncAccount& account);

// Removes the account and this machine's status record from the data folder; the agenda's data and the
// server's collections stay as they are.
common::Status removeSyncAccount(const DataFolder& data, const SyncAccount& account);

SyncOutcome outcomeOf(const SyncResult& result);
// What went wrong and what to do about it, in plain Spanish; empty after a run that went well.
QString attentionText(const SyncResult& result);
QString attentionText(const DavError& error);

} // namespace quindara
