#pragma once

#include "agenda/core/datafolder.h"

#include <QWidget>

namespace quindara {

// The year overview (Form2): twelve month panels of one year; a clicked day is handed back through
// pickedDate() before the window closes.
class YearOverviewWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(YearOverviewWindow)

public:
    // `mainWindowYear` is the year the main window shows when the overview opens.
    YearOverviewWindow(const DataFolder& data, int mainWindowYear, QWidget* parent = nullptr);

signals:
    // Emitted after pickedDate() has been filled, just before the window closes.
    void datePicked();

private:
    void Form_Load();

    DataFolder data_;
    int mainWindowYear_;
};

} // namespace quindara
