#include "agenda/core/searchcommand.h"

#include "agenda/core/datafolder.h"
#include "agenda/core/searchindex.h"

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

QString column(QString text) {
    text.replace(u'\t', u' ');
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return text;
}

} // namespace

int runSearchCommand(const QString& dataFolder, const QString& query, QTextStream& out) {
    out.setEncoding(QStringConverter::Utf8);
    const DataFolder data(dataFolder);
    if (dataFolder.isEmpty() || !looksLikeAgendaFolder(data)) {
        QTextStream err(stderr);
        err.setEncoding(QStringConverter::Utf8);
        err << QStringLiteral("quindara: %1 no es una carpeta de la agenda\n")
                   .arg(QDir::toNativeSeparators(dataFolder));
        return kSearchBadFolder;
    }
    SearchIndex index(data);
    const QList<SearchHit> hits = index.search(query, -1);
    for (const SearchHit& hit : hits)
        out << column(hit.isoDateOrKind()) << u'\t' << column(hit.where) << u'\t' << column(hit.excerpt)
            << u'\n';
    out.flush();
    return hits.isEmpty() ? kSearchNothingFound : kSearchFound;
}

} // namespace quindara
