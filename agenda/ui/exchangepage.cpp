// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/exchangepage.h"

#include "agenda/core/contacts/addressbookfolder.h"
#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/controls.h"
#include "common/units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>

#include <climits>

namespace quindara {

namespace {

constexpr QLatin1StringView kCalendarFilter("Calendario (*.ics)");
constexpr QLatin1StringView kContactsFilter("Contactos (*.vcf)");
// Imports shorter than this finish without a progress dialog flashing by.
constexpr qint64 kProgressDelayMs = 500;

QPushButton* actionButton(QWidget* parent, const QString& name, int top, const QString& caption) {
    QPushButton* button = makeButton(parent, name, QRect(240, top, 4215, 495), caption);
    button->setFont(arialFont(9.75, true));
    setBackColour(button, 0x00FFFFFF);
    return button;
}

} // namespace

ExchangePage::ExchangePage(const DataFolder& data, common::DesktopServices& desktop, QWidget* parent)
    : QFrame(parent), data_(data), desktop_(desktop) {
    setObjectName(QStringLiteral("exchangePage"));
    resize(common::twipsSize(8895, 8295));

    QLabel* title = makeLabel(this, QStringLiteral("exchangeTitle"), QRect(240, 120, 8415, 435),
                              QStringLiteral("IMPORTAR / EXPORTAR"));
    title->setFont(arialFont(14.25, true));

    exportIcsButton_ = actionButton(this, QStringLiteral("exportIcsButton"), 720,
                                    QStringLiteral("Exportar el calendario (.ics)"));
    withNotesCheck_ = new QCheckBox(QStringLiteral("incluir las notas de los días"), this);
    withNotesCheck_->setObjectName(QStringLiteral("withNotesCheck"));
    withNotesCheck_->setGeometry(common::twipsRect(4620, 720, 4035, 495));

    importIcsButton_ = actionButton(this, QStringLiteral("importIcsButton"), 1380,
                                    QStringLiteral("Importar un calendario (.ics)"));
    asHolidaysCheck_ = new QCheckBox(QStringLiteral("importar como fiestas"), this);
    asHolidaysCheck_->setObjectName(QStringLiteral("asHolidaysCheck"));
    asHolidaysCheck_->setGeometry(common::twipsRect(4620, 1380, 4035, 495));
    asHolidaysCheck_->setToolTip(QStringLiteral("Los días que se repiten cada año se guardan como fiestas "
                                                "aunque el calendario no los marque como festivos."));
    asHolidaysCheck_->setAccessibleDescription(asHolidaysCheck_->toolTip());

    exportVcfButton_ = actionButton(this, QStringLiteral("exportVcfButton"), 2040,
                                    QStringLiteral("Exportar la agenda de direcciones (.vcf)"));
    makeLabel(this, QStringLiteral("exportCategoryLabel"), QRect(4620, 2100, 1095, 375),
              QStringLiteral("Categoría:"));
    exportCategoryCombo_ = new QComboBox(this);
    exportCategoryCombo_->setObjectName(QStringLiteral("exportCategoryCombo"));
    exportCategoryCombo_->setGeometry(common::twipsRect(5760, 2040, 2895, 495));
    nameComboBox(exportCategoryCombo_, QStringLiteral("Categoría a exportar"));

    importVcfButton_ = actionButton(this, QStringLiteral("importVcfButton"), 2700,
                                    QStringLiteral("Importar contactos (.vcf)"));
    makeLabel(this, QStringLiteral("importCategoryLabel"), QRect(4620, 2760, 1095, 375),
              QStringLiteral("Categoría:"));
    importCategoryEdit_ = new QLineEdit(kImportedCategory, this);
    importCategoryEdit_->setObjectName(QStringLiteral("importCategoryEdit"));
    importCategoryEdit_->setGeometry(common::twipsRect(5760, 2700, 2895, 495));
    importCategoryEdit_->setAccessibleName(QStringLiteral("Categoría de los contactos importados"));

    makeLabel(this, QStringLiteral("resultLabel"), QRect(240, 3420, 8415, 375), QStringLiteral("Resultado:"));
    resultText_ = new QPlainTextEdit(this);
    resultText_->setObjectName(QStringLiteral("resultText"));
    resultText_->setGeometry(common::twipsRect(240, 3780, 8415, 3675));
    resultText_->setReadOnly(true);
    resultText_->setFont(arialFont(9.75));
    setBackColour(resultText_, 0x00FFFFFF);
    resultText_->setAccessibleName(QStringLiteral("Resultado de la importación o exportación"));

    syncSetupButton_ = actionButton(this, QStringLiteral("syncSetupButton"), 7620,
                                    QStringLiteral("Sincronizar con un servidor..."));

    for (QWidget* control : std::initializer_list<QWidget*>{withNotesCheck_, asHolidaysCheck_,
                                                            exportCategoryCombo_, importCategoryEdit_})
        control->setFont(arialFont(9.75));
    for (QLabel* label : findChildren<QLabel*>())
        if (label != title)
            label->setFont(arialFont(9.75, true));

    connect(exportIcsButton_, &QPushButton::clicked, this, &ExchangePage::exportIcsButton_Click);
    connect(importIcsButton_, &QPushButton::clicked, this, &ExchangePage::importIcsButton_Click);
    connect(exportVcfButton_, &QPushButton::clicked, this, &ExchangePage::exportVcfButton_Click);
    connect(importVcfButton_, &QPushButton::clicked, this, &ExchangePage::importVcfButton_Click);
    connect(syncSetupButton_, &QPushButton::clicked, this, &ExchangePage::syncPageRequested);
}

void ExchangePage::loadCategories() {
    const QString chosen = exportCategoryCombo_->currentText();
    QStringList categories = AddressBookFolder(data_.folder(folders::addressBook)).categories();
    // "Todos" holds every contact: it comes first and is the default.
    categories.removeIf(
        [](const QString& name) { return name.compare(folders::allContacts, Qt::CaseInsensitive) == 0; });
    categories.prepend(folders::allContacts);
    exportCategoryCombo_->clear();
    exportCategoryCombo_->addItems(categories);
    const int keep = exportCategoryCombo_->findText(chosen);
    exportCategoryCombo_->setCurrentIndex(keep >= 0 ? keep : 0);
}

void ExchangePage::exportIcsButton_Click() {
    const QString file =
        desktop_.askSaveFile(QStringLiteral("Exportar el calendario"),
                             QDir::home().filePath(QStringLiteral("agenda.ics")), kCalendarFilter);
    if (file.isEmpty())
        return;
    showResult(exportIcs(data_, file, withNotesCheck_->isChecked()));
}

void ExchangePage::importIcsButton_Click() {
    const QString file =
        desktop_.askOpenFile(QStringLiteral("Importar un calendario"), QDir::homePath(), kCalendarFilter);
    if (file.isEmpty())
        return;
    const bool asHolidays = asHolidaysCheck_->isChecked();
    const ExchangeResult result =
        runWithProgress([&](const ExchangeProgress& progress, const ExchangeCancelled& cancelled) {
            IcsReadOptions options;
            options.asHolidays = asHolidays;
            options.progress = progress;
            options.cancelled = cancelled;
            return importIcs(data_, file, options);
        });
    showResult(result);
    if (result.holidays.added + result.reminders.added + result.notes.added > 0)
        emit calendarImported();
}

void ExchangePage::exportVcfButton_Click() {
    const QString file =
        desktop_.askSaveFile(QStringLiteral("Exportar la agenda de direcciones"),
                             QDir::home().filePath(QStringLiteral("contactos.vcf")), kContactsFilter);
    if (file.isEmpty())
        return;
    showResult(exportVcf(data_, file, exportCategoryCombo_->currentText()));
}

void ExchangePage::importVcfButton_Click() {
    const QString file =
        desktop_.askOpenFile(QStringLiteral("Importar contactos"), QDir::homePath(), kContactsFilter);
    if (file.isEmpty())
        return;
    const QString typed = importCategoryEdit_->text().trimmed();
    const QString category = typed.isEmpty() ? kImportedCategory : typed;
    const ExchangeResult result =
        runWithProgress([&](const ExchangeProgress& progress, const ExchangeCancelled& cancelled) {
            return importVcf(data_, file, category, progress, cancelled);
        });
    showResult(result);
    if (result.contacts.added > 0) {
        loadCategories();
        emit contactsImported();
    }
}

void ExchangePage::showResult(const ExchangeResult& result) {
    resultText_->setPlainText(result.summary());
}

ExchangeResult ExchangePage::runWithProgress(
    const std::function<ExchangeResult(const ExchangeProgress&, const ExchangeCancelled&)>& work) {
    QProgressDialog dialog(this);
    dialog.setObjectName(QStringLiteral("exchangeProgress"));
    dialog.setWindowTitle(QStringLiteral("Importar"));
    dialog.setLabelText(QStringLiteral("Leyendo el archivo..."));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    // Modal to every window: the events let through meanwhile reach only its "Cancelar".
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(int(kProgressDelayMs));
    // A cancel stays asked for when the reading ends at its last step.
    dialog.setAutoReset(false);
    dialog.setRange(0, 0);
    dialog.setValue(0);
    // Until the dialog shows, nothing the user does may reach the windows while the import runs.
    const auto letEventsThrough = [&] {
        QCoreApplication::processEvents(dialog.isVisible() ? QEventLoop::AllEvents
                                                           : QEventLoop::ExcludeUserInputEvents);
    };
    const ExchangeProgress progress = [&](ExchangePhase phase, qsizetype done, qsizetype total) {
        dialog.setLabelText(phase == ExchangePhase::Reading ? QStringLiteral("Leyendo el archivo...")
                                                            : QStringLiteral("Guardando en la agenda..."));
        dialog.setRange(0, int(qMin<qsizetype>(total, INT_MAX)));
        dialog.setValue(int(qMin<qsizetype>(done, INT_MAX)));
        letEventsThrough();
    };
    const ExchangeCancelled cancelled = [&] {
        letEventsThrough();
        return dialog.wasCanceled();
    };
    ExchangeResult result = work(progress, cancelled);
    dialog.reset();
    return result;
}

void connectExchangePage(const AgendaPages& pages, QPushButton& button, AgendaPageHost& host) {
    QObject::connect(&button, &QPushButton::clicked, pages.exchange,
                     [&host] { host.openPage(AgendaPage::Exchange); });
    QObject::connect(pages.exchange, &ExchangePage::syncPageRequested, pages.exchange,
                     [&host] { host.openPage(AgendaPage::Sync); });
    QObject::connect(pages.exchange, &ExchangePage::calendarImported, pages.exchange,
                     [&host] { host.DrawMonth(); });
    QObject::connect(pages.exchange, &ExchangePage::contactsImported, pages.addressBook,
                     &AddressBookPage::loadCategories);
}

} // namespace quindara
