// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/savedlogswindow.h"

#include "calculator/ui/calculatorpictures.h"
#include "common/folderwatcher.h"
#include "common/textfile.h"
#include "common/timestamp.h"
#include "common/ui/controls.h"
#include "common/ui/longtext.h"
#include "common/units.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextDocument>

namespace tallimo {

namespace {

constexpr QLatin1StringView kCalculatorTitle("TALLIMO 1.2");

struct ButtonPlace {
    int left;
    quint32 colour;
    Picture picture;
    const char* toolTip;
};

// Indexed by the button's Index; left to right they read 0, 2, 3, 1, 4.
constexpr std::array<ButtonPlace, 5> kButtons{{
    {2280, 0x00C0FFC0, Picture::Camera, "Guardar una copia con la fecha y la hora"},
    {4440, 0x00C0E0FF, Picture::Clipboard, "Copiar el texto al portapapeles"},
    {3000, 0x00FFFFC0, Picture::Printer, "Imprimir"},
    {3720, 0x00FFC0FF, Picture::Notepad, "Abrir en el editor de textos"},
    {5160, 0x00C0FFFF, Picture::TextSize, "Cambiar el tamaño del texto"},
}};

} // namespace

SavedLogsWindow::SavedLogsWindow(const QString& programFolder, const common::Clock& clock,
                                 common::DesktopServices& desktop, QWidget* parent, LogWrite logWrite,
                                 const QString& unwrittenLog)
    : QDialog(parent), folder_(programFolder), savedLogs_(folder_), clock_(clock), desktop_(desktop),
      logWrite_(logWrite), unwrittenLog_(unwrittenLog) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(parent && !parent->window()->windowTitle().isEmpty() ? parent->window()->windowTitle()
                                                                        : QString(kCalculatorTitle));
    common::setBackColour(this, 0x00C0C0FF);
    createControls();
    Form_Load();
}

void SavedLogsWindow::createControls() {
    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(common::twipsRect(120, 120, 2055, 5130));
    File1->setFont(common::arialFont(9.75));
    // A conflict copy's name is long: it wraps onto more lines rather than being cut off.
    File1->setWordWrap(true);
    File1->setTextElideMode(Qt::ElideNone);
    File1->setAccessibleName(QStringLiteral("Copias guardadas"));
    // Selection, not the current item: focus alone makes the first name current without choosing it.
    connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!listing_)
            File1_Click();
    });

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(common::twipsRect(2280, 960, 7095, 4935));
    Text1->setFont(QFont(QStringLiteral("Courier New"), 12));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setAccessibleName(QStringLiteral("Registro de operaciones"));

    for (int index = 0; index < int(kButtons.size()); ++index) {
        const ButtonPlace& place = kButtons[index];
        auto* button = new common::ColourButton(this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(index));
        button->setGeometry(common::twipsRect(place.left, 120, 735, 735));
        button->setToolTip(QString::fromUtf8(place.toolTip));
        button->setAccessibleName(button->toolTip());
        button->setIconSize(common::twipsSize(600, 600));
        button->setPictureMargin(common::twips(735 - 600) / 2);
        common::setBackColour(button, place.colour);
        common::setPicture(button, pictureIcon(place.picture));
        connect(button, &QPushButton::clicked, this, [this, index] { Command1_Click(index); });
        Command1[index] = button;
    }

    Command2 = new QPushButton(this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(common::twipsRect(120, 5280, 2055, 615));
    Command2->setToolTip(QStringLiteral("Borrar la copia seleccionada"));
    Command2->setAccessibleName(Command2->toolTip());
    Command2->setIconSize(common::twipsSize(480, 480));
    common::setPicture(Command2, pictureIcon(Picture::Eraser));
    connect(Command2, &QPushButton::clicked, this, &SavedLogsWindow::Command2_Click);
}

void SavedLogsWindow::Form_Load() {
    coverCalculatorWindow();
    ViewerFontSize = 12;
    // A program folder that has gone was told by the calculator when it could not write the log.
    if (const common::Status present = folder_.checkPresent(); !present) {
        if (logWrite_ == LogWrite::Written)
            tell(present.error());
    } else if (!savedLogs_.ensureFolder())
        tell(QStringLiteral("No se pudo crear la carpeta de las operaciones guardadas:\n%1\n"
                            "No se podrán guardar copias.")
                 .arg(QDir::toNativeSeparators(savedLogs_.folderPath())));
    refreshFileList();
    LoadCurrentLog();
    // Logs saved or removed by another machine of a synced folder, or by hand, show as they come.
    auto* watcher = new common::FolderWatcher(this);
    watcher->setObjectName(QStringLiteral("folderWatcher"));
    watcher->watchFolders({savedLogs_.folderPath()});
    connect(watcher, &common::FolderWatcher::changed, this, [this] { refreshFileList(selectedName()); });
}

void SavedLogsWindow::coverCalculatorWindow() {
    const QWidget* calculator = parentWidget() ? parentWidget()->window() : nullptr;
    if (!calculator) {
        setFixedSize(common::twipsSize(9420, 6045));
        return;
    }
    // Same frame position and same client size: with the same decorations the two windows coincide.
    move(calculator->pos());
    setFixedSize(calculator->size());
}

void SavedLogsWindow::LoadCurrentLog() {
    // The file still holds an older log; the tape's own is the current one.
    if (logWrite_ == LogWrite::Failed) {
        showLog(common::encodeText(unwrittenLog_, common::Ending::Line));
        return;
    }
    const QString path = folder_.logFile();
    // A missing log is the calculator's failure to write it, told there; the viewer stays empty.
    if (!QFileInfo::exists(path)) {
        showLog({});
        return;
    }
    const auto bytes = common::readBytes(path);
    if (!bytes) {
        showLog({});
        tell(QStringLiteral("No se pudo leer el registro de operaciones:\n%1")
                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    showLog(*bytes);
}

void SavedLogsWindow::File1_Click() {
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    const auto bytes = savedLogs_.read(name);
    if (!bytes) {
        tell(QStringLiteral("No se pudo leer la operación guardada «%1».").arg(name));
        refreshFileList();
        return;
    }
    showLog(*bytes);
    editing_ = SavedLog{name, *bytes};
}

void SavedLogsWindow::Command1_Click(int Index) {
    switch (Index) {
    case 0:
        saveCopy();
        break;
    case 1:
        copyText();
        break;
    case 2:
        printText();
        break;
    case 3:
        openInTextEditor();
        break;
    case 4:
        changeTextSize();
        break;
    default:
        break;
    }
}

void SavedLogsWindow::Command2_Click() {
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    if (const common::Status removed = savedLogs_.remove(name); !removed)
        tell(QStringLiteral("No se pudo borrar la operación guardada «%1».\nERROR: %2")
                 .arg(name, removed.error()));
    // The viewer keeps the text, so it can still be saved again under a new name.
    refreshFileList();
}

void SavedLogsWindow::saveCopy() {
    const QByteArray bytes = shownLog_.bytesFor(viewerText());
    const common::Result<QString> name = savedLogs_.save(bytes, clock_.now(), editing_);
    if (!name) {
        tell(QStringLiteral("No se pudo guardar la copia «%1».\nERROR: %2")
                 .arg(common::timeStampName(clock_.now()), name.error()));
        refreshFileList();
        return;
    }
    editing_ = SavedLog{*name, bytes};
    refreshFileList(*name);
}

void SavedLogsWindow::copyText() {
    desktop_.setClipboardText(viewerText());
}

void SavedLogsWindow::printText() {
    const QString text = viewerText() + u'\n';
    switch (desktop_.printText(text, Text1->font())) {
    case common::PrintResult::Printed:
        break;
    case common::PrintResult::NoPrinter:
        offerPdfInstead(QStringLiteral("No hay ninguna impresora predeterminada."), text);
        break;
    case common::PrintResult::Failed:
        offerPdfInstead(QStringLiteral("No se pudo imprimir el texto."), text);
        break;
    }
}

void SavedLogsWindow::offerPdfInstead(const QString& reason, const QString& text) {
    if (!desktop_.askYesNo(reason + QStringLiteral("\n¿Quiere guardar el texto como archivo PDF?"),
                           windowTitle()))
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested =
        QDir(folder).filePath(common::timeStampName(clock_.now()) + QStringLiteral(".pdf"));
    const QString path = desktop_.askSaveFile(QStringLiteral("Guardar como PDF"), suggested,
                                              QStringLiteral("Documentos PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!desktop_.printTextToPdf(text, Text1->font(), path))
        tell(QStringLiteral("No se pudo guardar el archivo PDF:\n%1").arg(QDir::toNativeSeparators(path)));
}

void SavedLogsWindow::openInTextEditor() {
    const QString path = folder_.logFile();
    // Opening the editor on the old log would show text other than the one the user just edited.
    if (const common::Status written = common::writeBytes(path, shownLog_.bytesFor(viewerText())); !written) {
        tell(QStringLiteral("No se pudo escribir el registro de operaciones:\n%1\nERROR: %2")
                 .arg(QDir::toNativeSeparators(path), written.error()));
        return;
    }
    if (!desktop_.openInTextEditor(path))
        tell(QStringLiteral("No se pudo abrir el editor de textos con:\n%1")
                 .arg(QDir::toNativeSeparators(path)));
}

void SavedLogsWindow::changeTextSize() {
    ViewerFontSize = qint16(nextViewerFontSize(ViewerFontSize));
    QFont font = Text1->font();
    font.setPointSize(ViewerFontSize);
    Text1->setFont(font);
}

void SavedLogsWindow::refreshFileList(const QString& name) {
    listing_ = true;
    File1->clear();
    // A conflict copy a sync tool left is listed as a log of its own, marked, beside the log it copies.
    for (const QString& saved : savedLogs_.names()) {
        auto* item = new QListWidgetItem(savedLogLabel(saved, clock_.today()), File1);
        item->setData(Qt::UserRole, saved);
        if (saved == name)
            File1->setCurrentItem(item);
    }
    listing_ = false;
}

void SavedLogsWindow::showLog(const QByteArray& bytes) {
    shownLog_ = LogText(bytes);
    const bool whole = common::showTextWholeOrCut(Text1, shownLog_.text());
    Text1->setReadOnly(!whole);
}

QString SavedLogsWindow::viewerText() const {
    // A log shown cut cannot be edited: it stands for the whole log.
    if (Text1->isReadOnly())
        return shownLog_.text();
    // toPlainText() would turn no-break spaces into blanks; the raw text keeps them.
    QString text = Text1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

QString SavedLogsWindow::selectedName() const {
    const QListWidgetItem* item = File1->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toString() : QString();
}

void SavedLogsWindow::tell(const QString& message) {
    desktop_.showMessage(message, windowTitle());
}

} // namespace tallimo
