// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The agenda's main window on a fixed day over a temporary program folder, with helpers that act as the
// user does: find a control by its name, click it, choose in a selector, read captions and colours.

#include "agenda/ui/agendawindow.h"
#include "agenda/ui/controls.h"
#include "common/clock.h"
#include "common/regularfile.h"
#include "tests/support/recordingdesktopservices.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class AgendaFixture {
public:
    explicit AgendaFixture(const QDate& today, const QTime& now = QTime(10, 0))
        : clock(QDateTime(today, now)), programFolder(folder.path()) {
        common::setDataFolderRoot(programFolder);
    }

    // A file under the program folder with exactly these bytes; folders are created as needed.
    void writeFile(const QString& relative, const QByteArray& bytes) const {
        const QString path = QDir(programFolder).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    QByteArray readFile(const QString& relative) const {
        QFile file(QDir(programFolder).filePath(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Creates the window as the program does at start and shows it.
    quindara::AgendaWindow& open() {
        window = std::make_unique<quindara::AgendaWindow>(programFolder, clock, desktop);
        window->show();
        return *window;
    }

    // The window itself ("Form1") or one of its controls.
    template <typename Control = QWidget> Control* find(const QString& name) const {
        auto* control = window->objectName() == name ? qobject_cast<Control*>(window.get())
                                                     : window->findChild<Control*>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }
    QAbstractButton* button(const QString& name) const { return find<QAbstractButton>(name); }

    // A user can only click what is shown and enabled; false otherwise.
    [[nodiscard]] bool click(const QString& name) const {
        QAbstractButton* target = button(name);
        if (!target->isVisible() || !target->isEnabled())
            return false;
        QTest::mouseClick(target, Qt::LeftButton);
        return true;
    }
    // Picks an item of a selector's list as the user does.
    [[nodiscard]] bool choose(const QString& comboName, const QString& item) const {
        auto* combo = find<QComboBox>(comboName);
        const int index = combo->findText(item);
        if (index < 0 || !combo->isEnabled())
            return false;
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return true;
    }

    quint32 backColour(const QString& name) const { return quindara::backColour(find(name)); }
    bool isShown(const QString& name) const { return find(name)->isVisible(); }

    // Caption or text of any kind of control.
    QString text(const QString& name) const {
        QWidget* control = find(name);
        if (auto* label = qobject_cast<QLabel*>(control))
            return label->text();
        if (auto* pressable = qobject_cast<QAbstractButton*>(control))
            return pressable->text();
        if (auto* combo = qobject_cast<QComboBox*>(control))
            return combo->currentText();
        if (auto* box = qobject_cast<QPlainTextEdit*>(control))
            return box->toPlainText();
        if (auto* line = qobject_cast<QLineEdit*>(control))
            return line->text();
        qFatal("%s has no text", qPrintable(name));
    }
    QStringList items(const QString& name) const {
        QStringList found;
        if (auto* list = window->findChild<QListView*>(name)) {
            for (int row = 0; row < list->model()->rowCount(); ++row)
                found.append(list->model()->index(row, 0).data().toString());
        } else {
            auto* combo = find<QComboBox>(name);
            for (int row = 0; row < combo->count(); ++row)
                found.append(combo->itemText(row));
        }
        return found;
    }

    // Name of the shown day button captioned `day`, or an empty text.
    QString dayButton(int day) const {
        for (int index = 0; index < 42; ++index) {
            const QString name = quindara::elementName("Command1", index);
            if (isShown(name) && text(name) == QString::number(day))
                return name;
        }
        return QString();
    }
    [[nodiscard]] bool clickDay(int day) const {
        const QString name = dayButton(day);
        return !name.isEmpty() && click(name);
    }
    quint32 dayColour(int day) const { return backColour(dayButton(day)); }
    // What a screen reader says of the day's button.
    QString dayName(int day) const { return find<QWidget>(dayButton(day))->accessibleName(); }

    QTemporaryDir folder;
    common::FixedClock clock;
    common::RecordingDesktopServices desktop;
    // The temporary folder unless a test points it elsewhere before open().
    QString programFolder;
    std::unique_ptr<quindara::AgendaWindow> window;
};
