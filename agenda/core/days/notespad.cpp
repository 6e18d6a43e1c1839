// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/notespad.h"

#include "agenda/core/days/dayconflicts.h"
#include "common/programfolder.h"
#include "common/textfile.h"
#include "common/timestamp.h"

#include <QDir>
#include <QFileInfo>

namespace quindara {

NotesPad::NotesPad(const DataFolder& data, const common::Clock& clock) : data_(data), clock_(clock) {}

QString NotesPad::folder() const {
    return data_.folder(folders::notesPad);
}

common::NamesAndCopies NotesPad::listing() const {
    return common::setConflictCopiesApart(
        QDir(folder()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

common::Result<QString> NotesPad::save(const QString& text, const std::optional<PadNote>& editing) const {
    const QString name = common::freeTimeStampName(clock_.now(), [&](const QString& candidate) {
        const QString path = data_.noteFile(candidate);
        if (!QFileInfo::exists(path))
            return true;
        return editing && editing->name == candidate &&
               common::readText(path, common::Ending::Zoned) == editing->text;
    });
    if (common::Status written = common::writeText(data_.noteFile(name), text, common::Ending::Zoned);
        !written)
        return written;
    return name;
}

std::optional<QString> NotesPad::read(const QString& name) const {
    if (!common::isSafeFileName(name))
        return std::nullopt;
    return common::readText(data_.noteFile(name), common::Ending::Zoned);
}

common::Status NotesPad::remove(const QString& name) const {
    if (!common::isSafeFileName(name))
        return common::Status::failure(QStringLiteral("nombre de nota no válido"));
    if (common::removeFile(data_.noteFile(name)))
        return {};
    return common::Status::failure(QStringLiteral("no se puede borrar %1").arg(data_.noteFile(name)));
}

common::Status NotesPad::mergeCopy(const QString& name, const QString& copyName) const {
    const auto copy = common::parseConflictCopyName(copyName);
    if (!common::isSafeFileName(name) || !common::isSafeFileName(copyName) || !copy)
        return common::Status::failure(QStringLiteral("nombre de nota no válido"));
    return DayConflicts::merge(
        {folder(), copyName, name, *copy, common::Ending::Zoned, QStringLiteral("la nota")});
}

} // namespace quindara
