// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/toolrow.h"

#include "agenda/ui/controls.h"
#include "common/units.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace quindara {

namespace {

constexpr int kTabLefts[kAgendaPageCount] = {6480, 6960, 7440, 7920, 9000, 9480};
constexpr quint32 kTabColours[kAgendaPageCount] = {0x00FFFFFF, 0x00C0FFC0, 0x00FFC0FF,
                                                   0x00FFFFC0, 0x00C0FFFF, 0x00FFC0FF};
// The row fills the window's top edge down to the pages, which start at 480 twips: nothing of it is hidden.
constexpr int kToolRowTop = 0;
constexpr int kPagesTop = 480;
// The import and export page and its button: pale orange.
constexpr quint32 kExchangeColour = 0x00C0E0FF;
// The sync page and its indicator: pale blue.
constexpr quint32 kSyncColour = 0x00FFE8C8;

} // namespace

ToolRow::ToolRow(QWidget* window) {
    const char* const captions[4] = {"D", "S", "M", "A"};
    // A screen reader reads the page a letter stands for.
    const char* const pageNames[4] = {"Día", "Semana", "Resumen del mes", "Resumen del año"};
    for (int index = 0; index < kAgendaPageCount; ++index) {
        Command6[index] =
            makeButton(window, elementName("Command6", index), QRect(kTabLefts[index], 120, 495, 495));
        setBackColour(Command6[index], kTabColours[index]);
        if (index < 4) {
            Command6[index]->setText(QString::fromLatin1(captions[index]));
            Command6[index]->setFont(arialFont(18, true));
            Command6[index]->setAccessibleName(QString::fromUtf8(pageNames[index]));
            Command6[index]->setToolTip(QString::fromUtf8(pageNames[index]));
        }
    }
    setPicture(Command6[4], Picture::Clipboard);
    setPicture(Command6[5], Picture::People);

    Command15 = makeButton(window, QStringLiteral("Command15"), QRect(8520, 120, 495, 495));
    setBackColour(Command15, kWhite);
    setPicture(Command15, Picture::Calculator);
    Command9 = makeButton(window, QStringLiteral("Command9"), QRect(9960, 120, 495, 495));
    setPicture(Command9, Picture::SpiralNotepad);
    Command12 = makeButton(window, QStringLiteral("Command12"), QRect(10680, 120, 495, 495));
    setPicture(Command12, Picture::Minimize);
    Command10 = makeButton(window, QStringLiteral("Command10"), QRect(11280, 120, 495, 495));
    setPicture(Command10, Picture::Exit);
    searchButton = makeButton(window, QStringLiteral("searchButton"), QRect(12000, 120, 495, 495));
    setPicture(searchButton, Picture::Magnifier);
    exchangeButton = makeButton(window, QStringLiteral("exchangeButton"), QRect(12600, 120, 495, 495));
    setBackColour(exchangeButton, kExchangeColour);
    setPicture(exchangeButton, Picture::Exchange);
    syncButton = makeButton(window, QStringLiteral("syncButton"), QRect(13200, 120, 495, 495));
    setBackColour(syncButton, kSyncColour);
    showSyncState(SyncState::Off, QString());
}

void ToolRow::showSyncState(SyncState state, const QString& toolTip) {
    switch (state) {
    case SyncState::Synced:
        setPicture(syncButton, Picture::SyncDone);
        break;
    case SyncState::Syncing:
        setPicture(syncButton, Picture::SyncRunning);
        break;
    case SyncState::Off:
    case SyncState::Offline:
        setPicture(syncButton, Picture::SyncOffline);
        break;
    case SyncState::NeedsAttention:
        setPicture(syncButton, Picture::SyncAttention);
        break;
    }
    syncButton->setAccessibleName(syncButton->toolTip());
    if (!toolTip.isEmpty())
        syncButton->setToolTip(toolTip + QStringLiteral(" (Ctrl+Mayús+S)"));
}

void ToolRow::arrange() {
    std::vector<QWidget*> row(Command6.begin(), Command6.end());
    row.insert(row.end(),
               {Command15, Command9, Command12, Command10, searchButton, exchangeButton, syncButton});
    for (QWidget* button : row)
        button->setGeometry(button->x(), common::twips(kToolRowTop), button->width(),
                            common::twips(kPagesTop) - common::twips(kToolRowTop));
    // Tab goes along the row from left to right, whatever order its buttons were made in. The exchange
    // and sync buttons at its right end keep the place their creation gives them.
    row.resize(row.size() - 2);
    std::stable_sort(row.begin(), row.end(),
                     [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    for (std::size_t k = 1; k < row.size(); ++k)
        QWidget::setTabOrder(row[k - 1], row[k]);
}

std::optional<quint32> ToolRow::pageColour(AgendaPage page) const {
    if (page == AgendaPage::Exchange)
        return backColour(exchangeButton);
    if (page == AgendaPage::Sync)
        return backColour(syncButton);
    const int index = static_cast<int>(page);
    if (index < 0 || index >= kAgendaPageCount)
        return std::nullopt;
    return backColour(Command6[index]);
}

QString calculatorToStart(const QString& runningFolder) {
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("tallimo.exe");
#else
    const QString name = QStringLiteral("tallimo");
#endif
    // Portable, the calculator sits in the agenda's "tallimo" sub-folder; installed, beside the agenda.
    // A copy in the data folder is never started: whoever can write there could put any program there.
    const QDir folder(runningFolder);
    for (const QString& candidate :
         {folder.filePath(QStringLiteral("tallimo/") + name), folder.filePath(name)}) {
        const QFileInfo program(candidate);
        if (program.isFile() && program.isExecutable())
            return program.absoluteFilePath();
    }
    return {};
}

} // namespace quindara
