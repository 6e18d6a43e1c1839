// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/exchange/exchange.h"
#include "agenda/ui/agendapages.h"
#include "common/desktopservices.h"

#include <QFrame>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quindara {

// The import and export page of the main window: the calendar as an iCalendar file (.ics) and the
// address book as vCards (.vcf), each way. Files are chosen through the desktop services; what each
// action did is shown as the exchange's own summary.
class ExchangePage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExchangePage)

public:
    ExchangePage(const DataFolder& data, common::DesktopServices& desktop, QWidget* parent = nullptr);

    // Lists the address book's categories again for the export, keeping the chosen one when it is left.
    void loadCategories();

signals:
    // Days were added: the grid marks and the shown day must be drawn again.
    void calendarImported();
    // Contacts were added: the address book must list its folders again.
    void contactsImported();
    // "Sincronizar con un servidor..." was clicked.
    void syncPageRequested();

private:
    void exportIcsButton_Click();
    void importIcsButton_Click();
    void exportVcfButton_Click();
    void importVcfButton_Click();
    void showResult(const ExchangeResult& result);
    // Runs an import with a progress dialog, made at the start and shown once the import has taken more
    // than half a second; its "Cancelar" stops the import after the files written so far.
    ExchangeResult runWithProgress(
        const std::function<ExchangeResult(const ExchangeProgress&, const ExchangeCancelled&)>& work);

    DataFolder data_;
    common::DesktopServices& desktop_;
    QPushButton* exportIcsButton_ = nullptr;
    QCheckBox* withNotesCheck_ = nullptr;
    QPushButton* importIcsButton_ = nullptr;
    QCheckBox* asHolidaysCheck_ = nullptr;
    QPushButton* exportVcfButton_ = nullptr;
    QComboBox* exportCategoryCombo_ = nullptr;
    QPushButton* importVcfButton_ = nullptr;
    QLineEdit* importCategoryEdit_ = nullptr;
    QPlainTextEdit* resultText_ = nullptr;
    // Opens the "Sincronizar" page.
    QPushButton* syncSetupButton_ = nullptr;
};

// Puts the exchange page into the agenda window: its tool button brings it to the front, and its sync button
// the "Sincronizar" page; imported days get their marks in the grid, imported contacts their place in the
// address book.
void connectExchangePage(const AgendaPages& pages, QPushButton& button, AgendaPageHost& host);

} // namespace quindara
