// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/exchange/exchange.h"
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
    void exportIcsClicked();
    void importIcsClicked();
    void exportVcfClicked();
    void importVcfClicked();
    void showResult(const ExchangeResult& result);
    // Runs an import with a progress dialog, made at the start and shown once the import has taken more
    // than half a second; its "Cancelar" stops the import after the files written so far.
    ExchangeResult runWithProgress(
        const std::function<ExchangeResult(const ExchangeProgress&, const ExchangeCancelled&)>& work);

    DataFolder data_;
    common::DesktopServices& desktop_;
    QPushButton* exportIcsButton;
    QCheckBox* withNotesCheck;
    QPushButton* importIcsButton;
    QCheckBox* asHolidaysCheck;
    QPushButton* exportVcfButton;
    QComboBox* exportCategoryCombo;
    QPushButton* importVcfButton;
    QLineEdit* importCategoryEdit;
    QPlainTextEdit* resultText;
    // Opens the "Sincronizar" page.
    QPushButton* syncSetupButton;
};

} // namespace quindara
