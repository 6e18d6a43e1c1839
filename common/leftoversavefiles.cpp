#include "common/leftoversavefiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>

namespace common {

namespace {

Q_LOGGING_CATEGORY(leftovers, "quindara.leftovers")

constexpr int kSuffixLength = 7; // "." and six letters or digits

int removeIn(const QDir& folder) {
    int removed = 0;
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const auto exists = [&folder](const QString& stem) {
            return QFileInfo(folder.filePath(stem)).isFile();
        };
        if (!isLeftoverSaveFile(name, exists) && !isLeftoverScratchFile(name))
            continue;
        if (QFile::remove(folder.filePath(name)))
            ++removed;
        else
            qCWarning(leftovers) << "cannot remove" << folder.filePath(name);
    }
    return removed;
}

} // namespace

bool looksLikeSaveFile(const QString& name) {
    if (name.size() <= kSuffixLength || name.at(name.size() - kSuffixLength) != u'.')
        return false;
    for (qsizetype i = name.size() - kSuffixLength + 1; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return false;
    }
    return true;
}

bool isLeftoverSaveFile(const QString& name, const std::function<bool(const QString&)>& fileExists) {
    return looksLikeSaveFile(name) && fileExists(name.left(name.size() - kSuffixLength));
}

bool isLeftoverScratchFile(const QString& name) {
    static const QRegularExpression scratch(
        QStringLiteral(R"(^(?:\.quindara-\d+|prueba-escritura-[0-9A-Za-z]{6})\.tmp$)"));
    return scratch.match(name).hasMatch();
}

int removeLeftoverSaveFiles(const QString& programFolder, const QStringList& relativeFolders) {
    int removed = 0;
    const QDir root(programFolder);
    for (const QString& relative : relativeFolders) {
        const QDir folder(root.filePath(relative));
        removed += removeIn(folder);
        for (const QString& sub : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
            removed += removeIn(QDir(folder.filePath(sub)));
    }
    if (removed > 0)
        qCWarning(leftovers) << removed << "unfinished saves removed under" << programFolder;
    return removed;
}

} // namespace common
