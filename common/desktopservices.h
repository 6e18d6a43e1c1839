// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/desktopnotifier.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace common {

enum class PrintResult { Printed, NoPrinter, Failed };
// The answer Enter gives to a question: the safe one where "yes" would lose something.
enum class DefaultAnswer { Yes, No };

// Everything that leaves the program: other programs, the clipboard, the printer and the user's answers.
// The short forms of the calls are plain functions of this class; implementations override the full forms.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // A document, a folder or a link handed to the program the desktop associates with it.
    [[nodiscard]] virtual bool openDocument(const QString& path) = 0;
    [[nodiscard]] virtual bool openFolder(const QString& path) = 0;
    [[nodiscard]] virtual bool openUrl(const QUrl& url) = 0;
    [[nodiscard]] virtual bool openInTextEditor(const QString& path) = 0;
    // Started detached, not waited for.
    [[nodiscard]] virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    [[nodiscard]] bool startProgram(const QString& program) { return startProgram(program, {}); }
    // The folder of the running program's executable; the programs installed with it are found there.
    virtual QString runningProgramFolder() const = 0;

    virtual void setClipboardText(const QString& text) = 0;
    virtual QString clipboardText() const = 0;
    virtual PrintResult printText(const QString& text, const QFont& font) = 0;
    // Writes the text as a PDF file; false when it could not.
    [[nodiscard]] virtual bool printTextToPdf(const QString& text, const QFont& font,
                                              const QString& path) = 0;

    // A message box with OK.
    virtual void showMessage(const QString& text, const QString& title) = 0;
    void showMessage(const QString& text) { showMessage(text, QString()); }
    // A question answered yes or no.
    virtual bool askYesNo(const QString& text, const QString& title, DefaultAnswer defaultAnswer) = 0;
    bool askYesNo(const QString& text, const QString& title = QString()) {
        return askYesNo(text, title, DefaultAnswer::Yes);
    }
    // A question with its own answers (`choices`, captions of the buttons); returns the index chosen.
    // Enter gives `defaultChoice`, and so does closing the box.
    virtual int askChoice(const QString& text, const QString& title, const QStringList& choices,
                          int defaultChoice) = 0;
    // The file chosen in an open-file dialog, or an empty string when cancelled.
    virtual QString askOpenFile(const QString& title, const QString& folder, const QString& filter) = 0;
    QString askOpenFile(const QString& title, const QString& folder) {
        return askOpenFile(title, folder, {});
    }
    virtual QString askSaveFile(const QString& title, const QString& suggested, const QString& filter) = 0;
    // A notice through the desktop's notification service; `onAction` runs, with the desktop's activation
    // token, when the user picks its action. False when no service took it (by default: none).
    // By value: an implementation keeps it. NOLINTNEXTLINE(performance-unnecessary-value-param)
    virtual bool notify(const DesktopNotice& /*notice*/, std::function<void(const QString&)> /*onAction*/) {
        return false;
    }
    QString askSaveFile(const QString& title, const QString& suggested) {
        return askSaveFile(title, suggested, {});
    }
};

} // namespace common
