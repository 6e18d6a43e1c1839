// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "common/clock.h"
#include "common/conflictcopy.h"
#include "common/result.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quindara {

// A note as the pad last stored or opened it.
struct PadNote {
    QString name;
    QString text;
};

// Notes of the notes pad in "notas", each named by the minute it was saved.
class NotesPad {
public:
    NotesPad(const DataFolder& data, const common::Clock& clock);

    QString folder() const;
    // Names of the stored notes, sorted as a file list shows them, with the conflict copies a sync tool
    // left of them set apart.
    common::NamesAndCopies listing() const;
    QStringList noteNames() const { return listing().names; }

    // Saves under the current minute's name. The note being edited (`editing`, while its file still
    // holds what the pad stored or opened) is replaced there; any other note of that minute is kept and
    // the save takes the next free name ("2011-1-5--9-7-2"). Returns the name written.
    common::Result<QString> save(const QString& text,
                                 const std::optional<PadNote>& editing = std::nullopt) const;
    std::optional<QString> read(const QString& name) const;
    common::Status remove(const QString& name) const;
    // Keeps both texts in the note `name`, the conflict copy's first, as a save that keeps both versions
    // does, then removes the copy; the copy stays in place when a step fails.
    common::Status mergeCopy(const QString& name, const QString& copyName) const;

private:
    DataFolder data_;
    const common::Clock& clock_;
};

} // namespace quindara
