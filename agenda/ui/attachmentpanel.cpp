#include "agenda/ui/attachmentpanel.h"

#include "agenda/ui/controls.h"
#include "common/units.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace quindara {

namespace {

constexpr int kLeft = 11880;
constexpr int kTop = 480;
constexpr int kWidth = 1935;
// One group per list, stacked from the top of the pages; the folder button lines up with "HOY".
constexpr int kGroupHeight = 4080;
constexpr int kFolderButtonTop = 8640;

} // namespace

AttachmentPanel::AttachmentPanel(QWidget* window) : QWidget(window) {
    setObjectName(QStringLiteral("AttachmentPanel"));
    setGeometry(common::twipsRect(kLeft, kTop, kWidth, kFolderButtonTop + 615 - kTop));

    const char* const headings[2] = {"Sólo este año", "Todos los años"};
    for (int k = 0; k < 2; ++k) {
        const int top = k * kGroupHeight;
        Command16[k] = makeButton(this, arrayName("Command16", k), QRect(0, top, kWidth, 495));
        setPicture(Command16[k], k == 0 ? Picture::AttachThisYear : Picture::AttachEveryYear);
        Label6[k] = makeLabel(this, arrayName("Label6", k), QRect(0, top + 555, kWidth, 255),
                              QString::fromUtf8(headings[k]));
        Label6[k]->setFont(arialFont(9.75, true));
        Label6[k]->setAlignment(Qt::AlignCenter);
        List1[k] = new QListWidget(this);
        List1[k]->setObjectName(arrayName("List1", k));
        List1[k]->setGeometry(common::twipsRect(0, top + 840, kWidth, 2640));
        Command17[k] = makeButton(this, arrayName("Command17", k), QRect(0, top + 3540, kWidth, 375),
                                  QStringLiteral("Eliminar"));
        setBackColor(Command17[k], 0x000000FF); // red
    }
    Command18 = makeButton(this, QStringLiteral("Command18"), QRect(0, kFolderButtonTop - kTop, kWidth, 615),
                           QStringLiteral("Carpeta Archivos"));
    Command18->setFont(arialFont(12, true));
    setBackColor(Command18, 0x00FF8080); // pale blue
}

void AttachmentPanel::showLists(const QStringList& thisYear, const QStringList& everyYear) {
    List1[0]->clear();
    List1[0]->addItems(thisYear);
    List1[1]->clear();
    List1[1]->addItems(everyYear);
}

} // namespace quindara
