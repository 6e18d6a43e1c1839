#pragma once

#include "agenda/core/datafolder.h"
#include "common/clock.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quindara {

// Notes of the notes pad in "notas", each named by the minute it was saved.
class NotesPad {
public:
    NotesPad(const DataFolder& data, const common::Clock& clock);

    QString folder() const;
    // Names of the stored notes, sorted as a file list shows them.
    QStringList noteNames() const;

    // Saves under the current minute's name; a second save within the same minute replaces the first.
    // Returns the name written, or nothing when the note could not be stored.
    std::optional<QString> save(const QString& text, QString* error = nullptr) const;
    std::optional<QString> read(const QString& name) const;
    bool remove(const QString& name, QString* error = nullptr) const;

private:
    DataFolder data_;
    const common::Clock& clock_;
};

} // namespace quindara
