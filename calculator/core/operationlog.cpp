// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/operationlog.h"

#include "calculator/core/tape.h"

namespace tallimo {

namespace {

constexpr int kNameColumn = 6;
// Every value, of a row or the total, typed or formatted, ends just before this column: one column of
// numbers, as on a printed tape, whatever decimals each has.
constexpr int kValueColumn = 27;
const QString kRule(30, u'-');

// Lines written like a printer with tab stops: moving to a column already passed starts a new line.
class LogLines {
public:
    void moveTo(int column) {
        column = std::max(column, 1);
        if (nextColumn() > column) {
            endLine();
            line_ = QString(column - 1, u' ');
            return;
        }
        line_ += QString(column - nextColumn(), u' ');
    }
    void write(const QString& text) { line_ += text; }
    void endLine() {
        text_ += line_;
        text_ += u'\n';
        line_.clear();
    }
    // Everything written; the last line carries no line end.
    QString finish() { return text_ + line_; }

private:
    int nextColumn() const { return int(line_.size()) + 1; }

    QString text_;
    QString line_;
};

} // namespace

QString operationLogText(const Tape& tape, LogMode mode, const QString& total,
                         const QStringList& operationNames) {
    const bool formatted = mode == LogMode::Formatted;
    LogLines log;
    log.endLine();
    for (int i = 0; i <= tape.currentRow(); ++i) {
        log.write(u' ' + QString::number(i + 1) + QStringLiteral(" )"));
        if (i >= 1) {
            log.moveTo(kNameColumn);
            log.write(operationNames.value(tape.operation(i)));
        }
        const QString value = formatted ? tape.formatted(i) : tape.text(i);
        log.moveTo(kValueColumn - int(value.size()));
        log.write(value);
        log.endLine();
    }
    log.endLine();
    log.write(kRule);
    log.endLine();
    log.moveTo(kValueColumn - int(total.size()));
    log.write(total);
    return log.finish();
}

} // namespace tallimo
