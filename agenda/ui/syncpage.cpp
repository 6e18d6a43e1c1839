#include "agenda/ui/syncpage.h"

#include "agenda/ui/autosync.h"
#include "agenda/ui/controls.h"
#include "common/units.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace quindara {

namespace {

QPushButton* actionButton(QWidget* parent, const QString& name, const QRect& place, const QString& caption) {
    QPushButton* button = makeButton(parent, name, place, caption);
    button->setFont(arialFont(9.75, true));
    setBackColor(button, kWhite);
    return button;
}

QLineEdit* editBox(QWidget* parent, const QString& name, const QRect& place) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(common::twipsRect(place.x(), place.y(), place.width(), place.height()));
    setBackColor(box, kWhite);
    return box;
}

QListWidget* collectionList(QWidget* parent, const QString& name, const QRect& place) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(common::twipsRect(place.x(), place.y(), place.width(), place.height()));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    setBackColor(list, kWhite);
    return list;
}

} // namespace

SyncPage::SyncPage(const DataFolder& data, AutoSync& sync, common::DesktopServices& desktop, QWidget* parent)
    : QFrame(parent), data_(data), sync_(sync), desktop_(desktop) {
    setObjectName(QStringLiteral("syncPage"));
    resize(common::twipsSize(8895, 8295));

    QLabel* title = makeLabel(this, QStringLiteral("syncTitle"), QRect(240, 120, 8415, 435),
                              QStringLiteral("SINCRONIZAR CON UN SERVIDOR"));
    title->setFont(arialFont(14.25, true));

    makeLabel(this, QStringLiteral("serverLabel"), QRect(240, 780, 1455, 375), QStringLiteral("Servidor:"));
    serverEdit = editBox(this, QStringLiteral("serverEdit"), QRect(1740, 720, 6915, 435));
    serverEdit->setPlaceholderText(QStringLiteral("https://servidor.ejemplo/"));
    makeLabel(this, QStringLiteral("userLabel"), QRect(240, 1320, 1455, 375), QStringLiteral("Usuario:"));
    userEdit = editBox(this, QStringLiteral("userEdit"), QRect(1740, 1260, 2895, 435));
    makeLabel(this, QStringLiteral("passwordLabel"), QRect(4740, 1320, 1215, 375),
              QStringLiteral("Contraseña:"));
    passwordEdit = editBox(this, QStringLiteral("passwordEdit"), QRect(5970, 1260, 2685, 435));
    passwordEdit->setEchoMode(QLineEdit::Password);
    keyringLabel =
        makeLabel(this, QStringLiteral("keyringLabel"), QRect(240, 1740, 8415, 375),
                  QStringLiteral("No hay un llavero en el escritorio: la contraseña se guarda sólo "
                                 "hasta que se cierre la agenda."));
    setForeColor(keyringLabel, 0x000000C0);
    keyringLabel->hide();

    discoverButton = actionButton(this, QStringLiteral("discoverButton"), QRect(240, 2160, 2895, 495),
                                  QStringLiteral("Buscar calendarios"));
    withNotesCheck = new QCheckBox(QStringLiteral("incluir las notas de los días"), this);
    withNotesCheck->setObjectName(QStringLiteral("withNotesCheck"));
    withNotesCheck->setGeometry(common::twipsRect(3360, 2160, 5295, 495));

    makeLabel(this, QStringLiteral("calendarLabel"), QRect(240, 2820, 4095, 375),
              QStringLiteral("Calendario:"));
    makeLabel(this, QStringLiteral("addressBookLabel"), QRect(4560, 2820, 4095, 375),
              QStringLiteral("Agenda de direcciones:"));
    calendarList = collectionList(this, QStringLiteral("calendarList"), QRect(240, 3180, 4095, 1455));
    addressBookList = collectionList(this, QStringLiteral("addressBookList"), QRect(4560, 3180, 4095, 1455));

    syncNowButton = actionButton(this, QStringLiteral("syncNowButton"), QRect(240, 4860, 2895, 495),
                                 QStringLiteral("Sincronizar ahora"));
    cancelSyncButton = actionButton(this, QStringLiteral("cancelSyncButton"), QRect(3240, 4860, 1455, 495),
                                    QStringLiteral("Cancelar"));
    cancelSyncButton->hide();
    syncProgress = new QProgressBar(this);
    syncProgress->setObjectName(QStringLiteral("syncProgress"));
    syncProgress->setGeometry(common::twipsRect(4800, 4920, 3855, 375));
    syncProgress->setFormat(QStringLiteral("%v de %m"));
    syncProgress->hide();

    statusLabel = makeLabel(this, QStringLiteral("statusLabel"), QRect(240, 5520, 8415, 375));
    resultText = new QPlainTextEdit(this);
    resultText->setObjectName(QStringLiteral("resultText"));
    resultText->setGeometry(common::twipsRect(240, 5940, 8415, 1575));
    resultText->setReadOnly(true);
    setBackColor(resultText, kWhite);

    stopButton = actionButton(this, QStringLiteral("stopButton"), QRect(240, 7680, 2895, 495),
                              QStringLiteral("Dejar de sincronizar"));

    for (QWidget* control :
         std::initializer_list<QWidget*>{serverEdit, userEdit, passwordEdit, withNotesCheck, calendarList,
                                         addressBookList, syncProgress, resultText})
        control->setFont(arialFont(9.75));
    for (QLabel* label : findChildren<QLabel*>())
        if (label != title)
            label->setFont(arialFont(9.75, true));

    connect(&sync_, &AutoSync::stateChanged, this, &SyncPage::showStatus);
}

void SyncPage::showAccount() {
    keyringLabel->setVisible(sync_.passwords().keyringMissing());
    showStatus();
}

void SyncPage::showStatus() {
    statusLabel->setText(sync_.schedule().statusText());
}

} // namespace quindara
