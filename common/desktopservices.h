#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace common {

enum class PrintResult { Printed, NoPrinter, Failed };
// The answer Enter gives to a question: the safe one where "yes" would lose something.
enum class DefaultAnswer { Yes, No };

// Everything that leaves the program: other programs, the clipboard, the printer and the user's answers.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // A document, a folder or a link handed to the program the desktop associates with it.
    virtual bool openDocument(const QString& path) = 0;
    virtual bool openFolder(const QString& path) = 0;
    virtual bool openUrl(const QUrl& url) = 0;
    virtual bool openInTextEditor(const QString& path) = 0;
    // Started detached, not waited for.
    virtual bool startProgram(const QString& program, const QStringList& arguments = {}) = 0;

    virtual void setClipboardText(const QString& text) = 0;
    virtual PrintResult printText(const QString& text, const QFont& font) = 0;
    // Writes the text as a PDF file; false when it could not.
    virtual bool printTextToPdf(const QString& text, const QFont& font, const QString& path) = 0;

    // A message box with OK.
    virtual void showMessage(const QString& text, const QString& title = QString()) = 0;
    // A question answered yes or no.
    virtual bool askYesNo(const QString& text, const QString& title = QString(),
                          DefaultAnswer defaultAnswer = DefaultAnswer::Yes) = 0;
    // The file chosen in an open-file dialog, or an empty string when cancelled.
    virtual QString askOpenFile(const QString& title, const QString& folder,
                                const QString& filter = QString()) = 0;
    virtual QString askSaveFile(const QString& title, const QString& suggested,
                                const QString& filter = QString()) = 0;
};

// Records every call and answers with scripted replies; used by tests.
class RecordingDesktopServices final : public DesktopServices {
public:
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
    void setClipboardText(const QString& text) override {
        clipboard = text;
        record(QStringLiteral("setClipboardText"), text);
    }
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
    QString askOpenFile(const QString& title, const QString& folder, const QString& filter) override {
        record(QStringLiteral("askOpenFile"), title, {folder, filter});
        return openFileAnswer;
    }
    QString askSaveFile(const QString& title, const QString& suggested, const QString& filter) override {
        record(QStringLiteral("askSaveFile"), title, {suggested, filter});
        return saveFileAnswer;
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
    bool succeed = true;
    bool yesNoAnswer = false;
    PrintResult printAnswer = PrintResult::Printed;
    QString openFileAnswer;
    QString saveFileAnswer;

private:
    bool record(const QString& what, const QString& argument, const QStringList& extra = {}) {
        calls.append({what, argument, extra});
        return succeed;
    }
};

} // namespace common
