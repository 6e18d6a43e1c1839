// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/notespad.h"
#include "agenda/ui/outsidechangeprompt.h"
#include "common/desktopservices.h"

#include <QFrame>
#include <QSet>

#include <optional>

class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace quindara {

class DeferredMessages;

// The notes pad (Frame1(4)) of the main window: a text stored under the minute of saving whenever
// the user changed it and leaves it, with the list of stored notes beside it.
class NotesPadPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NotesPadPage)

public:
    NotesPadPage(const DataFolder& data, const common::Clock& clock, common::DesktopServices& desktop,
                 QWidget* parent = nullptr);

    // Lists the notes folder again, keeping the chosen note chosen.
    void refreshFile1();
    // Stores the user's unsaved changes when the program ends; a failure is returned for the caller to tell.
    common::Status savePendingNote();
    QString text() const;
    // Another machine or program changed the notes folder: the list follows, and the note in the pad
    // shows its stored text when the user has not changed it here.
    void showOutsideChanges();
    // Stores pending changes, then chooses the stored note `name` and opens it (the search page's result).
    void openNote(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Text6_Change();
    void forgetNoteWhenAllRemoved(int position, int removed, int added);
    void Text6_LostFocus();
    void File1_Click();
    // Puts a stored note into Text6, cut and locked when a line is too long to show.
    void showNote(const QString& text);
    void Command13_Click();
    // The failure message, or nothing when the note was stored or had no changes.
    common::Status saveIfEdited();
    void tell(const QString& text);
    QString chosenNote() const;
    QListWidgetItem* itemOf(const QString& name) const;
    // Offers to merge the conflict copies a sync tool left of the note `name` into it.
    void offerCopyMerges(const QString& name);
    // Lists the folder again once no click on the list is under way.
    void refreshFile1AfterClick();

    NotesPad pad_;
    common::DesktopServices& desktop_;
    DeferredMessages* messages_;
    // The notes pad text.
    QPlainTextEdit* Text6;
    // The stored notes.
    QListWidget* File1;
    // "ELIMINAR": deletes the chosen note.
    QPushButton* Command13;

    bool NotesPadEdited = false;
    // The notes listed in File1, and the conflict copies set apart from them.
    common::NamesAndCopies listed_;
    ConflictCopyOffer copyOffer_;
    // The note in the pad as last stored or opened; forgotten when its whole text is removed, since what
    // is typed next is another note that must not replace it.
    std::optional<PadNote> editedNote_;
    // Set while a stored note is put into Text6: reopening is not an edit of the user's.
    bool reopening_ = false;
    QString toldFailure_;
    // A mouse button is down on File1; a refresh then waits for its release, so the click still lands
    // on the row it was pressed on.
    bool listPressed_ = false;
    bool refreshAfterRelease_ = false;
};

} // namespace quindara
