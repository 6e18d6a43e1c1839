// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/attachments.h"
#include "common/desktopservices.h"

#include <QDate>
#include <QStringList>
#include <QWidget>

#include <array>

class QLabel;
class QListWidget;
class QPushButton;

namespace quindara {

// The right-hand column of the main window, visible on every page: the files attached to the selected
// day, for this year only (List1(0)) and for that day of every year (List1(1)). Attaching and removing act
// on the lists of the selected day only; while no day is selected the lists may still show another day's
// entries, but nothing can be attached or removed.
class AttachmentPanel : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AttachmentPanel)

public:
    AttachmentPanel(const DataFolder& data, common::DesktopServices& desktop, QWidget* window);

    void showDay(const QDate& date, const QStringList& thisYear, const QStringList& everyYear);
    void forgetDay();

    // Attach a file: 0 to this year's list, 1 to the every-year list.
    std::array<QPushButton*, 2> Command16{};
    // "Sólo este año", "Todos los años".
    std::array<QLabel*, 2> Label6{};
    std::array<QListWidget*, 2> List1{};
    // "Eliminar": remove the selected entry of List1 of the same index.
    std::array<QPushButton*, 2> Command17{};
    // "Carpeta Archivos": open the attachments folder.
    QPushButton* Command18 = nullptr;

private:
    void Command16_Click(int Index);
    void AttachFile(int Index);
    void Command17_Click(int Index);
    void List1_Click(int Index);
    void Command18_Click();
    void enableAttaching();
    QString shownListKey(int Index) const;
    // Shows the list stored after an attach or a removal; false, after telling the user, when it was
    // not stored.
    bool showStoredList(int Index, const common::Result<QStringList>& stored);

    const DataFolder& data_;
    Attachments files_;
    common::DesktopServices& desktop_;
    // The selected day, or an invalid date while none is.
    QDate day_;
};

} // namespace quindara
