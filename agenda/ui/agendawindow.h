#pragma once

#include "agenda/core/datafolder.h"
#include "common/clock.h"
#include "common/desktopservices.h"

#include <QWidget>

namespace quindara {

// The agenda's main window (Form1).
class AgendaWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AgendaWindow)

public:
    AgendaWindow(const QString& programFolder, const common::Clock& clock, common::DesktopServices& desktop,
                 QWidget* parent = nullptr);

private:
    void Form_Load();

    DataFolder data_;
    const common::Clock& clock_;
    common::DesktopServices& desktop_;
};

} // namespace quindara
