// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/desktopservices.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace common {

// The real desktop: Qt's file dialogs, message boxes, clipboard, printer and process start.
class QtDesktopServices final : public DesktopServices {
public:
    explicit QtDesktopServices(QWidget* dialogParent = nullptr);
    void setDialogParent(QWidget* parent) { parent_ = parent; }

    using DesktopServices::askOpenFile;
    using DesktopServices::askSaveFile;
    using DesktopServices::askYesNo;
    using DesktopServices::showMessage;
    using DesktopServices::startProgram;

    bool openDocument(const QString& path) override;
    bool openFolder(const QString& path) override;
    bool openUrl(const QUrl& url) override;
    bool openInTextEditor(const QString& path) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    QString runningProgramFolder() const override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() const override;
    PrintResult printText(const QString& text, const QFont& font) override;
    bool printTextToPdf(const QString& text, const QFont& font, const QString& path) override;
    void showMessage(const QString& text, const QString& title) override;
    bool askYesNo(const QString& text, const QString& title, DefaultAnswer defaultAnswer) override;
    int askChoice(const QString& text, const QString& title, const QStringList& choices,
                  int defaultChoice) override;
    QString askOpenFile(const QString& title, const QString& folder, const QString& filter) override;
    QString askSaveFile(const QString& title, const QString& suggested, const QString& filter) override;
    bool notify(const DesktopNotice& notice, std::function<void(const QString&)> onAction) override;

private:
    QPointer<QWidget> parent_;
    // Made on the first notice, so a program that shows none never talks to the session bus.
    std::unique_ptr<DesktopNotifier> notifier_;
    std::function<void(const QString&)> onNoticeAction_;
};

} // namespace common
