#include "agenda/ui/outsidechangeprompt.h"

namespace quindara {

std::optional<QString> askAboutOutsideChange(common::DesktopServices& desktop, const QString& what,
                                             const QString& mine, const StoredText& other) {
    const QDateTime otherTime = other.version.modified();
    const int answer =
        desktop.askChoice(common::outsideChangeQuestion(what, otherTime),
                          QStringLiteral("Cambiado en otro equipo"), common::outsideChoiceCaptions(), 0);
    const auto choice = answer == 1   ? common::OutsideChoice::UseMine
                        : answer == 2 ? common::OutsideChoice::UseOther
                                      : common::OutsideChoice::KeepBoth;
    return common::resolveOutsideChange(choice, mine, other.text, otherTime);
}

} // namespace quindara
