// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calculator/core/calculatorfolder.h"
#include "calculator/core/savedlogs.h"
#include "common/clock.h"
#include "common/desktopservices.h"

#include <QDialog>

#include <array>
#include <optional>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tallimo {

// The saved operations browser (Form2), shown modally over the calculator window.
class SavedLogsWindow : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SavedLogsWindow)

public:
    // Whether the calculator managed to write the log it opens this window on. When it did not, it has
    // told the user already, and the viewer shows `unwrittenLog`, what the tape holds, not the file's
    // older log.
    enum class LogWrite { Written, Failed };

    SavedLogsWindow(const QString& programFolder, const common::Clock& clock,
                    common::DesktopServices& desktop, QWidget* parent = nullptr,
                    LogWrite logWrite = LogWrite::Written, const QString& unwrittenLog = QString());

private:
    void Form_Load();
    void LoadCurrentLog();
    void File1_Click();
    void Command1_Click(int Index);
    void Command2_Click();

    void createControls();
    void placeBesideCalculator();
    // Relists the saved logs; selects `name` when given, without loading it again.
    void refreshFileList(const QString& name = QString());
    void showLog(const QByteArray& bytes);
    // The viewer's text as the user sees it, line breaks as "\n" and every other character kept.
    QString viewerText() const;
    QString selectedName() const;

    void saveCopy();
    void copyText();
    void printText();
    void openInTextEditor();
    void changeTextSize();
    void offerPdfInstead(const QString& reason, const QString& text);
    void tell(const QString& message);

    // Saved log list.
    QListWidget* File1 = nullptr;
    // The viewer; editable.
    QPlainTextEdit* Text1 = nullptr;
    // 0 save a copy, 1 copy, 2 print, 3 open in the text editor, 4 text size.
    std::array<QPushButton*, 5> Command1{};
    // Deletes the selected saved log.
    QPushButton* Command2 = nullptr;

    qint16 ViewerFontSize = 12;

    CalculatorFolder folder_;
    SavedLogs savedLogs_;
    const common::Clock& clock_;
    common::DesktopServices& desktop_;
    // What the viewer was last loaded with, so an unchanged text is written back byte for byte.
    LogText shownLog_;
    // The saved log the viewer is editing: only its file may be replaced by a save in the same minute.
    std::optional<SavedLog> editing_;
    bool listing_ = false;
    LogWrite logWrite_;
    QString unwrittenLog_;
};

} // namespace tallimo
