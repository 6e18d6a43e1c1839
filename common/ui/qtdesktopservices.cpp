// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/qtdesktopservices.h"

#include "common/ui/logging.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>

namespace common {

namespace {

bool printDocument(const QString& text, const QFont& font, QPrinter& printer) {
    QTextDocument document;
    document.setDefaultFont(font);
    document.setPlainText(text);
    // No trial QPainter::begin()/end(): on a real printer that sends an empty job, a blank page.
    // A printer that cannot start is left in the Error state, which is checked below.
    document.print(&printer);
    return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

QString titleOr(const QString& title) {
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

// Qt's file dialog writes its history and last folder to ~/.config/QtProject.conf when it closes, and cannot
// be told not to. The programs keep no settings outside the data folder, so the toolkit's own settings go
// to a scratch folder that lives as long as the process.
void keepToolkitSettingsForThisRun() {
    static QTemporaryDir scratch;
    static const bool redirected = [] {
        if (!scratch.isValid())
            return false;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.path());
        return true;
    }();
    Q_UNUSED(redirected);
}

// How long the desktop's opener is waited for to say whether a program took what it was given.
constexpr int kOpenerAnswerMs = 3000;

// The free desktops' opener, xdg-open, starts the program associated with a file, a folder or a link,
// and says by its exit status whether there was one. Qt starts it without waiting and takes its start
// for success, so a file that nothing can open went by without a word; here the status is waited for.
// An opener still running after the wait runs the program in its own place (a terminal program): that
// is taken as opened, and the opener is left running, not ended with the wait. Elsewhere, and without
// xdg-open, Qt's own way stands.
bool openWithDesktop(const QUrl& url) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) {
        auto* process = new QProcess;
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->setStandardInputFile(QProcess::nullDevice());
        process->start(opener, {url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
        if (process->waitForStarted() && !process->waitForFinished(kOpenerAnswerMs)) {
            QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
            return true;
        }
        const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0 &&
                            process->error() != QProcess::FailedToStart;
        if (!opened)
            qCWarning(lcDesktop) << opener << "could not open" << url.toDisplayString() << "exit code"
                                 << process->exitCode();
        delete process;
        return opened;
    }
#endif
    return QDesktopServices::openUrl(url);
}

} // namespace

QtDesktopServices::QtDesktopServices(QWidget* dialogParent) : parent_(dialogParent) {
    keepToolkitSettingsForThisRun();
}

bool QtDesktopServices::openDocument(const QString& path) {
    return openWithDesktop(QUrl::fromLocalFile(path));
}

bool QtDesktopServices::openFolder(const QString& path) {
    return openWithDesktop(QUrl::fromLocalFile(path));
}

bool QtDesktopServices::openUrl(const QUrl& url) {
    return openWithDesktop(url);
}

bool QtDesktopServices::openInTextEditor(const QString& path) {
    return openWithDesktop(QUrl::fromLocalFile(path));
}

bool QtDesktopServices::startProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments, QFileInfo(program).absolutePath());
}

QString QtDesktopServices::runningProgramFolder() const {
    return QCoreApplication::applicationDirPath();
}

QString QtDesktopServices::clipboardText() const {
    return QApplication::clipboard()->text();
}

void QtDesktopServices::setClipboardText(const QString& text) {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

PrintResult QtDesktopServices::printText(const QString& text, const QFont& font) {
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull())
        return PrintResult::NoPrinter;
    QPrinter printer(defaultPrinter);
    return printDocument(text, font, printer) ? PrintResult::Printed : PrintResult::Failed;
}

bool QtDesktopServices::printTextToPdf(const QString& text, const QFont& font, const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return printDocument(text, font, printer) && QFileInfo(path).size() > 0;
}

void QtDesktopServices::showMessage(const QString& text, const QString& title) {
    QMessageBox::information(parent_, titleOr(title), text);
}

bool QtDesktopServices::askYesNo(const QString& text, const QString& title, DefaultAnswer defaultAnswer) {
    return QMessageBox::question(parent_, titleOr(title), text, QMessageBox::Yes | QMessageBox::No,
                                 defaultAnswer == DefaultAnswer::No ? QMessageBox::No : QMessageBox::Yes) ==
           QMessageBox::Yes;
}

int QtDesktopServices::askChoice(const QString& text, const QString& title, const QStringList& choices,
                                 int defaultChoice) {
    QMessageBox box(QMessageBox::Question, titleOr(title), text, QMessageBox::NoButton, parent_);
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons.append(box.addButton(choice, QMessageBox::AcceptRole));
    if (defaultChoice >= 0 && defaultChoice < buttons.size()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.at(defaultChoice)));
        box.setEscapeButton(buttons.at(defaultChoice));
    }
    box.exec();
    const int chosen = int(buttons.indexOf(box.clickedButton()));
    return chosen >= 0 ? chosen : defaultChoice;
}

QString QtDesktopServices::askOpenFile(const QString& title, const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, title, folder, filter);
}

QString QtDesktopServices::askSaveFile(const QString& title, const QString& suggested,
                                       const QString& filter) {
    return QFileDialog::getSaveFileName(parent_, title, suggested, filter);
}

bool QtDesktopServices::notify(const DesktopNotice& notice, std::function<void(const QString&)> onAction) {
    if (!notifier_) {
        notifier_ = std::make_unique<DesktopNotifier>();
        QObject::connect(notifier_.get(), &DesktopNotifier::actionInvoked, notifier_.get(),
                         [this](const QString& token) {
                             if (onNoticeAction_)
                                 onNoticeAction_(token);
                         });
    }
    if (!notifier_->notify(notice))
        return false;
    onNoticeAction_ = std::move(onAction);
    return true;
}

} // namespace common
