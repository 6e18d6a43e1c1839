// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/support/filetree.h"

// Seeded random input for a real window on the offscreen platform: clicks on whatever is shown and
// enabled, keys and typed text, picks in lists. Only left clicks: a right click would open a context
// menu that waits for an answer. Anything modal that appears anyway is closed by a watchdog.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <random>

class Monkey {
public:
    explicit Monkey(unsigned seed) : random_(seed) {
        // A modal window or popup that slipped through would wait for a user forever.
        watchdog_.setInterval(50);
        QObject::connect(&watchdog_, &QTimer::timeout, [] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        watchdog_.start();
    }

    // A window the user closed (its exit button, Escape) is shown again, as when the program is restarted.
    void keepShown(QWidget* window) { kept_.append(window); }

    // Sends `count` random events to the shown windows; returns how many were sent.
    int run(int count) {
        int sent = 0;
        while (sent < count) {
            for (QWidget* window : std::as_const(kept_)) {
                if (!window->isVisible())
                    window->show();
            }
            const QList<QWidget*> targets = shownTargets();
            if (targets.isEmpty())
                break;
            QWidget* target = targets.at(pick(int(targets.size())));
            act(target);
            ++sent;
            if (sent % 8 == 0)
                QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
        return sent;
    }

private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    static QList<QWidget*> shownTargets() {
        QList<QWidget*> targets;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible())
                continue;
            for (QWidget* child : top->findChildren<QWidget*>()) {
                if (child->isVisible() && child->isEnabled() && child->width() > 0 && child->height() > 0)
                    targets.append(child);
            }
            targets.append(top);
        }
        return targets;
    }

    QString randomText() {
        // Accents, separators and dots: typed names must never leave their folder.
        static const QStringList pieces = {
            QStringLiteral("a"),     QStringLiteral("Ñ"),   QStringLiteral("é"),  QStringLiteral("7"),
            QStringLiteral(" "),     QStringLiteral("."),   QStringLiteral(".."), QStringLiteral("../"),
            QStringLiteral("/"),     QStringLiteral("\\"),  QStringLiteral(":"),  QStringLiteral("-"),
            QStringLiteral("1,5"),   QStringLiteral("CON"), QStringLiteral("€"),  QStringLiteral("\t"),
            QStringLiteral("Pérez"), QStringLiteral("*")};
        QString text;
        const int length = 1 + pick(6);
        for (int i = 0; i < length; ++i)
            text += pieces.at(pick(int(pieces.size())));
        return text;
    }

    // Key events carrying the characters, as a keyboard layout with accents sends them.
    static void typeText(QWidget* target, const QString& text) {
        for (const QChar c : text) {
            const int key = c.toUpper().unicode();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        }
    }

    void act(QWidget* target) {
        static const Qt::Key keys[] = {Qt::Key_Return,   Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Backspace,
                                       Qt::Key_Delete,   Qt::Key_Tab,   Qt::Key_Up,     Qt::Key_Down,
                                       Qt::Key_Left,     Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown,
                                       Qt::Key_Home,     Qt::Key_End,   Qt::Key_Plus,   Qt::Key_Minus,
                                       Qt::Key_Asterisk, Qt::Key_Slash, Qt::Key_Equal,  Qt::Key_Period,
                                       Qt::Key_Comma,    Qt::Key_5,     Qt::Key_0,      Qt::Key_9};
        const QPoint inside(pick(target->width()), pick(target->height()));
        switch (pick(10)) {
        case 0:
        case 1:
        case 2:
            QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, inside);
            break;
        case 3:
            if (auto* button = qobject_cast<QAbstractButton*>(target))
                button->click();
            else
                QTest::mouseDClick(target, Qt::LeftButton, Qt::NoModifier, inside);
            break;
        case 4:
            if (auto* combo = qobject_cast<QComboBox*>(target); combo && combo->count() > 0) {
                const int index = pick(combo->count());
                combo->setCurrentIndex(index);
                emit combo->activated(index);
            } else if (auto* view = qobject_cast<QAbstractItemView*>(target);
                       view && view->model() && view->model()->rowCount() > 0) {
                const QModelIndex index = view->model()->index(pick(view->model()->rowCount()), 0);
                view->setCurrentIndex(index);
                emit view->clicked(index);
            } else {
                QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, inside);
            }
            break;
        case 5:
        case 6:
            if (qobject_cast<QLineEdit*>(target) || qobject_cast<QPlainTextEdit*>(target) ||
                qobject_cast<QComboBox*>(target))
                typeText(target, randomText());
            else
                QTest::keyClick(target, keys[pick(int(std::size(keys)))]);
            break;
        default:
            QTest::keyClick(target, keys[pick(int(std::size(keys)))]);
            break;
        }
    }

    std::mt19937 random_;
    QTimer watchdog_;
    QList<QWidget*> kept_;
};
