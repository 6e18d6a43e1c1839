// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/attachmentpanel.h"

#include "agenda/core/days/daykeys.h"

#include "agenda/ui/controls.h"
#include "common/folderindex.h"
#include "common/units.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace quindara {

namespace {

// Keeps each entry within the list's width, so a long name is elided in the middle rather than cut.
class FittingDelegate : public QStyledItemDelegate {
public:
    explicit FittingDelegate(QListWidget* list) : QStyledItemDelegate(list), list_(list) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(qMin(size.width(), list_->viewport()->width()));
        return size;
    }

private:
    QListWidget* list_;
};

// Long names show their start and end, and the whole name as the entry's tool tip.
void fitEntriesToWidth(QListWidget* list) {
    list->setTextElideMode(Qt::ElideMiddle);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setItemDelegate(new FittingDelegate(list));
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list,
                     [list](const QModelIndex&, int first, int last) {
                         for (int row = first; row <= last; ++row)
                             list->item(row)->setToolTip(list->item(row)->text());
                     });
}

} // namespace

namespace {

constexpr int kLeft = 11880;
constexpr int kTop = 480;
constexpr int kWidth = 1935;
// One group per list, stacked from the top of the pages; the folder button lines up with "HOY".
constexpr int kGroupHeight = 4080;
constexpr int kFolderButtonTop = 8640;

} // namespace

AttachmentPanel::AttachmentPanel(const DataFolder& data, common::DesktopServices& desktop, QWidget* window)
    : QWidget(window), data_(data), files_(data), desktop_(desktop) {
    setObjectName(QStringLiteral("AttachmentPanel"));
    setGeometry(common::twipsRect(kLeft, kTop, kWidth, kFolderButtonTop + 615 - kTop));

    const char* const headings[2] = {"Sólo este año", "Todos los años"};
    for (int k = 0; k < 2; ++k) {
        const int top = k * kGroupHeight;
        Command16[k] = makeButton(this, elementName("Command16", k), QRect(0, top, kWidth, 495));
        setPicture(Command16[k], k == 0 ? Picture::AttachThisYear : Picture::AttachEveryYear);
        Label6[k] = makeLabel(this, elementName("Label6", k), QRect(0, top + 555, kWidth, 255),
                              QString::fromUtf8(headings[k]));
        Label6[k]->setFont(arialFont(9.75, true));
        Label6[k]->setAlignment(Qt::AlignCenter);
        List1[k] = new QListWidget(this);
        List1[k]->setObjectName(elementName("List1", k));
        List1[k]->setGeometry(common::twipsRect(0, top + 840, kWidth, 2640));
        fitEntriesToWidth(List1[k]);
        List1[k]->setAccessibleName(QStringLiteral("Archivos adjuntos: ") + Label6[k]->text().toLower());
        Command17[k] = makeButton(this, elementName("Command17", k), QRect(0, top + 3540, kWidth, 375),
                                  QStringLiteral("Eliminar"));
        setBackColour(Command17[k], 0x000000FF); // red
        Command17[k]->setAccessibleName(QStringLiteral("Eliminar adjunto de ") + Label6[k]->text().toLower());
    }
    Command18 = makeButton(this, QStringLiteral("Command18"), QRect(0, kFolderButtonTop - kTop, kWidth, 615),
                           QStringLiteral("Carpeta Archivos"));
    Command18->setFont(arialFont(12, true));
    setBackColour(Command18, 0x00FF8080); // pale blue
    Command18->setAccessibleDescription(QStringLiteral("Abre la carpeta de los archivos adjuntos"));

    for (int k = 0; k < 2; ++k) {
        connect(Command16[k], &QPushButton::clicked, this, [this, k] { Command16_Click(k); });
        connect(Command17[k], &QPushButton::clicked, this, [this, k] { Command17_Click(k); });
        connect(List1[k], &QListWidget::itemClicked, this, [this, k] { List1_Click(k); });
    }
    connect(Command18, &QPushButton::clicked, this, [this] { Command18_Click(); });
    enableAttaching();
}

void AttachmentPanel::showDay(const QDate& date, const QStringList& thisYear, const QStringList& everyYear) {
    day_ = date;
    List1[0]->clear();
    List1[0]->addItems(thisYear);
    List1[1]->clear();
    List1[1]->addItems(everyYear);
    enableAttaching();
}

void AttachmentPanel::forgetDay() {
    day_ = QDate();
    enableAttaching();
}

void AttachmentPanel::enableAttaching() {
    const bool daySelected = day_.isValid();
    for (int k = 0; k < 2; ++k) {
        Command16[k]->setEnabled(daySelected);
        Command17[k]->setEnabled(daySelected);
    }
}

QString AttachmentPanel::shownListKey(int Index) const {
    return attachmentListKey(QString::number(day_.day()), monthName(day_.month()),
                             QString::number(day_.year()), Index != 0);
}

bool AttachmentPanel::showStoredList(int Index, const common::Result<QStringList>& stored) {
    if (!stored) {
        desktop_.showMessage(
            QStringLiteral("No se ha podido guardar la lista de archivos.\nERROR: %1").arg(stored.error()));
        return false;
    }
    List1[Index]->clear();
    List1[Index]->addItems(*stored);
    return true;
}

void AttachmentPanel::Command16_Click(int Index) {
    AttachFile(Index);
}

void AttachmentPanel::AttachFile(int Index) {
    if (!day_.isValid())
        return;
    const QString chosen = desktop_.askOpenFile(QStringLiteral("Selecciona un archivo"), QString(),
                                                QStringLiteral("Todos los archivos (*)"));
    if (chosen.isEmpty())
        return;
    QString name = QFileInfo(chosen).fileName();
    if (!Attachments::isStorableName(name)) {
        desktop_.showMessage(
            QStringLiteral("El archivo «%1» tiene un nombre que no se puede guardar en la carpeta Archivos.")
                .arg(name));
        return;
    }
    switch (files_.stateOf(chosen)) {
    case ArchiveState::Unreadable:
        desktop_.showMessage(QStringLiteral("No se puede leer el archivo %1.").arg(chosen));
        return;
    case ArchiveState::SameContent:
        break;
    case ArchiveState::DifferentContent: {
        const QString both = files_.freeArchiveName(name);
        const int choice = desktop_.askChoice(
            QStringLiteral("Ya hay otro archivo llamado «%1» en la carpeta Archivos, con otro contenido.\n"
                           "«Guardar los dos» guarda este como «%2». «Reemplazar» hace que todas las "
                           "anotaciones con ese nombre abran el nuevo.")
                .arg(name, both),
            QStringLiteral("Archivo con el mismo nombre"),
            {QStringLiteral("Guardar los dos"), QStringLiteral("Reemplazar"), QStringLiteral("Cancelar")}, 2);
        if (choice == 2)
            return;
        if (choice == 0)
            name = both;
        [[fallthrough]];
    }
    case ArchiveState::NewName: {
        if (const common::Status written = files_.copyIntoArchive(chosen, name); !written) {
            desktop_.showMessage(
                QStringLiteral("No se ha podido copiar %1 en la carpeta Archivos.\nERROR: %2")
                    .arg(chosen, written.error()));
            return;
        }
        break;
    }
    }
    if (!desktop_.openDocument(chosen))
        desktop_.showMessage(QStringLiteral("No se ha podido abrir %1.").arg(chosen));
    // Added to what the list file holds now, which may have gained another machine's entries since the
    // box was filled. The box keeps the new entry either way; the copy is already in "Archivos".
    if (!showStoredList(Index, files_.addToList(shownListKey(Index), name)))
        List1[Index]->addItem(name);
}

void AttachmentPanel::Command17_Click(int Index) {
    QListWidget* list = List1[Index];
    const int row = list->currentRow();
    if (!day_.isValid() || row < 0 || !list->item(row)->isSelected())
        return;
    // Removed from what the list file holds now; after a failure the file and the box keep the entry.
    if (showStoredList(Index, files_.removeFromList(shownListKey(Index), list->item(row)->text())))
        // The list would move the highlight to the neighbour, and a second "Eliminar" would remove an
        // entry the user never chose.
        list->setCurrentRow(-1);
}

void AttachmentPanel::List1_Click(int Index) {
    const QListWidgetItem* item = List1[Index]->currentItem();
    if (!item || item->text().isEmpty())
        return;
    const QString copy = files_.copyOf(item->text());
    if (!QFileInfo(copy).isFile()) {
        desktop_.showMessage(
            QStringLiteral("El archivo «%1» ya no está en la carpeta Archivos.").arg(item->text()));
        return;
    }
    if (!desktop_.openDocument(copy))
        desktop_.showMessage(QStringLiteral("No se ha podido abrir %1.").arg(copy));
}

void AttachmentPanel::Command18_Click() {
    const QString folder = data_.folder(folders::attachedFiles);
    if (!desktop_.openFolder(folder))
        desktop_.showMessage(QStringLiteral("No se ha podido abrir la carpeta %1.").arg(folder));
}

} // namespace quindara
