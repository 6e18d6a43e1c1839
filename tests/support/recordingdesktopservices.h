// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/desktopservices.h"

#include <QList>

#include <functional>

namespace common {

// Records every call and answers with scripted replies; used by tests.
class RecordingDesktopServices final : public DesktopServices {
public:
    using DesktopServices::askOpenFile;
    using DesktopServices::askSaveFile;
    using DesktopServices::askYesNo;
    using DesktopServices::showMessage;
    using DesktopServices::startProgram;

    struct Call {
        QString what; // "openDocument", "startProgram", ...
        QString argument;
        QStringList extra;
    };

    bool openDocument(const QString& path) override { return record(QStringLiteral("openDocument"), path); }
    bool openFolder(const QString& path) override { return record(QStringLiteral("openFolder"), path); }
    bool openUrl(const QUrl& url) override {
        return record(QStringLiteral("openUrl"), url.toString(QUrl::FullyEncoded), {url.toString()});
    }
    bool openInTextEditor(const QString& path) override {
        return record(QStringLiteral("openInTextEditor"), path);
    }
    bool startProgram(const QString& program, const QStringList& arguments) override {
        return record(QStringLiteral("startProgram"), program, arguments);
    }
    QString runningProgramFolder() const override { return programFolder; }
    void setClipboardText(const QString& text) override {
        clipboard = text;
        record(QStringLiteral("setClipboardText"), text);
    }
    QString clipboardText() const override { return clipboard; }
    PrintResult printText(const QString& text, const QFont& font) override {
        record(QStringLiteral("printText"), text, {font.family(), QString::number(font.pointSize())});
        return printAnswer;
    }
    bool printTextToPdf(const QString& text, const QFont& font, const QString& path) override {
        return record(QStringLiteral("printTextToPdf"), path, {text, font.family()});
    }
    void showMessage(const QString& text, const QString& title) override {
        messages.append(text);
        record(QStringLiteral("showMessage"), text, {title});
    }
    bool askYesNo(const QString& text, const QString& title, DefaultAnswer defaultAnswer) override {
        record(QStringLiteral("askYesNo"), text,
               {title, defaultAnswer == DefaultAnswer::No ? QStringLiteral("No") : QStringLiteral("Sí")});
        return yesNoAnswer;
    }
    int askChoice(const QString& text, const QString& title, const QStringList& choices,
                  int defaultChoice) override {
        record(QStringLiteral("askChoice"), text, QStringList{title, choices.value(defaultChoice)} + choices);
        if (whileAsking)
            whileAsking();
        return choiceAnswer >= 0 ? choiceAnswer : defaultChoice;
    }
    QString askOpenFile(const QString& title, const QString& folder, const QString& filter) override {
        record(QStringLiteral("askOpenFile"), title, {folder, filter});
        return openFileAnswer;
    }
    QString askSaveFile(const QString& title, const QString& suggested, const QString& filter) override {
        record(QStringLiteral("askSaveFile"), title, {suggested, filter});
        return saveFileAnswer;
    }
    // Desktop notices are kept apart from `calls`: the window shows one at start whenever today has a text.
    bool notify(const DesktopNotice& notice, std::function<void(const QString&)> onAction) override {
        notices.append({notice, std::move(onAction)});
        return noticeAnswer;
    }

    QStringList callsOf(const QString& what) const {
        QStringList arguments;
        for (const Call& call : calls)
            if (call.what == what)
                arguments.append(call.argument);
        return arguments;
    }
    void clear() {
        calls.clear();
        messages.clear();
    }

    QList<Call> calls;
    QStringList messages;
    QString clipboard;
    // Where the running program is said to be installed.
    QString programFolder = QStringLiteral("/nonexistent/bin");
    bool succeed = true;
    bool yesNoAnswer = false;
    // The index askChoice answers; -1 takes the default.
    int choiceAnswer = -1;
    // What the user does while askChoice's box is open (it takes the mouse, for one).
    std::function<void()> whileAsking;
    PrintResult printAnswer = PrintResult::Printed;
    QString openFileAnswer;
    QString saveFileAnswer;
    struct Notice {
        DesktopNotice notice;
        std::function<void(const QString&)> onAction;
    };
    QList<Notice> notices;
    // Whether a notification service took the notice.
    bool noticeAnswer = false;

private:
    bool record(const QString& what, const QString& argument, const QStringList& extra = {}) {
        calls.append({what, argument, extra});
        return succeed;
    }
};

} // namespace common
