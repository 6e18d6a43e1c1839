#include "agenda/ui/autosync.h"

#include "agenda/ui/outsidechangeprompt.h"

#include <QTimer>

#include <algorithm>

namespace quindara {

namespace {

// The timer looks again at least this often, so that a question closed or a clock put forward is noticed.
constexpr qint64 kLongestWaitMs = 60 * 1000;
constexpr qint64 kQuestionWaitMs = 1000;

} // namespace

AutoSync::AutoSync(const DataFolder& data, const common::Clock& clock, QObject* parent)
    : QObject(parent), data_(data), clock_(clock), schedule_(clock), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("autoSync"));
    timer_->setObjectName(QStringLiteral("syncTimer"));
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &AutoSync::tick);
}

void AutoSync::saved() {
    schedule_.saved();
    planTick();
}

void AutoSync::tick() {
    schedule_.setQuestionOpen(outsideQuestionOpen());
    planTick();
}

void AutoSync::planTick() {
    const std::optional<QDateTime> next = schedule_.nextRun();
    if (!next) {
        timer_->stop();
        return;
    }
    const qint64 wait = outsideQuestionOpen() ? kQuestionWaitMs : clock_.now().msecsTo(*next);
    timer_->start(int(std::clamp<qint64>(wait, 0, kLongestWaitMs)));
}

QString AutoSync::toolTip() const {
    QString text = schedule_.statusText();
    if (schedule_.lastRun().isValid())
        text += QStringLiteral("\nÚltima sincronización: ") +
                schedule_.lastRun().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    return text;
}

} // namespace quindara
