// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/search/searchcommand.h"

#include "agenda/core/days/datafolder.h"
#include "agenda/core/search/searchindex.h"

#include <QDir>
#include <QFileInfo>
#include <QStringConverter>

namespace quindara {

namespace {

// An agenda folder holds at least one of the folders the search reads.
bool looksLikeAgendaFolder(const DataFolder& data) {
    if (!QFileInfo(data.programFolder()).isDir())
        return false;
    for (const QString& name :
         {folders::dayNotes, folders::holidays, folders::yearlyReminders, folders::oneYearReminders,
          folders::saints, folders::notesPad, folders::addressBook}) {
        if (QFileInfo(data.folder(name)).isDir())
            return true;
    }
    return false;
}

// One column of a line for a terminal: tabs and line breaks become blanks (they separate columns and
// lines), other control characters are shown as "^[" or "^?", so a note holding escape sequences cannot
// retitle or clear the terminal; C1 controls, which some terminals also obey, become U+FFFD.
QString column(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t' || u == u'\n' || u == u'\r') {
            out += u' ';
        } else if (u < 0x20) {
            out += u'^';
            out += QChar(char16_t(u + 0x40));
        } else if (u == 0x7F) {
            out += QLatin1String("^?");
        } else if (u >= 0x80 && u < 0xA0) {
            out += QChar(QChar::ReplacementCharacter);
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

int runSearchCommand(const QString& dataFolder, const QString& query, int shownYear, QTextStream& out) {
    out.setEncoding(QStringConverter::Utf8);
    const DataFolder data(dataFolder);
    if (dataFolder.isEmpty() || !looksLikeAgendaFolder(data)) {
        QTextStream err(stderr);
        err.setEncoding(QStringConverter::Utf8);
        err << QStringLiteral("quindara: %1 no es una carpeta de la agenda\n")
                   .arg(column(QDir::toNativeSeparators(dataFolder)));
        return kSearchBadFolder;
    }
    SearchIndex index(data);
    const QList<SearchHit> hits = index.search(query, shownYear);
    for (const SearchHit& hit : hits)
        out << column(hit.isoDateOrKind()) << u'\t' << column(hit.where) << u'\t' << column(hit.excerpt)
            << u'\n';
    out.flush();
    return hits.isEmpty() ? kSearchNothingFound : kSearchFound;
}

} // namespace quindara
