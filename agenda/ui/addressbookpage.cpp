// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/addressbookpage.h"

#include "agenda/core/contacts/contactcard.h"
#include "common/conflictcopy.h"
#include "common/folderindex.h"
#include "common/programfolder.h"
#include "common/textfile.h"
#include "common/ui/controls.h"
#include "common/ui/longtext.h"
#include "common/units.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace quindara {

namespace {

// Layout in twips, relative to the page (8895 by 8295): the category, list and search on the left,
// the seven labelled fields on the right, the buttons along the bottom.
constexpr int kPageWidth = 8895;
constexpr int kPageHeight = 8295;
constexpr int kListLeft = 120;
constexpr int kListWidth = 2775;
constexpr int kFieldLeft = 3120;
constexpr int kFieldWidth = 5655;
constexpr int kFieldStep = 825;
constexpr int kLabelHeight = 300;
constexpr int kLineFieldHeight = 450;
constexpr int kButtonTop = 7335;
constexpr int kButtonHeight = 615;
constexpr int kButtonWidth = 1765;
constexpr int kButtonGap = 180;
constexpr int kMailButtonWidth = 1815;

constexpr quint32 kTeal = 0x00C0C000;
constexpr quint32 kGreen = 0x0000FF00;
constexpr quint32 kPaleYellow = 0x0080FFFF;
constexpr quint32 kRed = 0x000000FF;
constexpr quint32 kMailYellow = 0x00C0FFFF;

const char* const kFieldCaptions[kContactFieldCount] = {"APELLIDOS",  "NOMBRE", "DIRECCIÓN", "POBLACIÓN",
                                                        "TELÉFONO/S", "E-MAIL", "REFERENCIA"};

// What a screen reader calls a field: its caption, in ordinary letters ("Teléfono/s").
QString contactFieldName(int field) {
    const QString caption = QString::fromUtf8(kFieldCaptions[field]);
    return caption.left(1) + caption.mid(1).toLower();
}

int labelTop(int field) {
    return 120 + kFieldStep * field;
}

// What a category or contact name may not be, said after a refused name.
QString nameRules() {
    return QStringLiteral(
        "Un nombre no puede estar vacío, ser «.» o «..», empezar por un punto, terminar en punto o en "
        "blanco, contener / \\ : * ? \" < > | ni caracteres de control, invisibles o que cambian la "
        "dirección del texto, ser un nombre reservado del sistema (CON, NUL, COM1...) ni pasar de 200 "
        "bytes.");
}

} // namespace

AddressBookPage::AddressBookPage(const DataFolder& data, common::DesktopServices& desktop,
                                 const common::Clock& clock, QWidget* parent)
    : QFrame(parent), desktop_(desktop), clock_(clock), Dir1(data.folder(folders::addressBook)),
      copyOffer_(desktop, clock, [&desktop](const QString& text) { desktop.showMessage(text); }) {
    setObjectName(QStringLiteral("Frame1_5"));
    resize(common::twipsSize(kPageWidth, kPageHeight));
    common::setBackColour(this, kTeal);
    buildContactList();
    buildFields();
    buildButtons();
}

void AddressBookPage::buildContactList() {
    Combo3 = new QComboBox(this);
    Combo3->setObjectName(QStringLiteral("Combo3"));
    Combo3->setEditable(true);
    // Like the old combo box: no completion and no items added by Enter; only "-" creates categories.
    Combo3->setCompleter(nullptr);
    Combo3->setInsertPolicy(QComboBox::NoInsert);
    Combo3->setFont(common::arialFont(9.75));
    Combo3->setGeometry(common::twipsRect(kListLeft, 120, kListWidth, 360));
    Combo3->setToolTip(QStringLiteral("Categoría. Escribe un nombre seguido de «-» para crear una nueva."));
    common::nameComboBox(Combo3, QStringLiteral("Categoría"));
    Combo3->setAccessibleDescription(Combo3->toolTip());
    Combo3->lineEdit()->setAccessibleDescription(Combo3->toolTip());
    connect(Combo3, &QComboBox::activated, this, [this] { Combo3_Click(); });
    connect(Combo3->lineEdit(), &QLineEdit::textEdited, this, &AddressBookPage::Combo3_Change);

    File2 = new QListView(this);
    File2->setObjectName(QStringLiteral("File2"));
    File2->setFont(common::arialFont(8.25));
    File2->setGeometry(common::twipsRect(kListLeft, 600, kListWidth, 5715));
    File2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One line of text per name: the view lays out and paints only the rows in sight.
    File2->setUniformItemSizes(true);
    File2->setModel(&File2Names);
    File2->setAccessibleName(QStringLiteral("Contactos de la categoría"));
    connect(File2, &QListView::clicked, this, [this] { File2_Click(); });
    connect(File2->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!fillingFile2_)
            File2_Click();
    });

    Text8 = new QLineEdit(this);
    Text8->setObjectName(QStringLiteral("Text8"));
    Text8->setAlignment(Qt::AlignCenter);
    Text8->setFont(common::arialFont(14.25));
    Text8->setGeometry(common::twipsRect(kListLeft, 6435, kListWidth, 480));
    Text8->setToolTip(QStringLiteral("Buscar: primeras letras del apellido"));
    Text8->setAccessibleName(QStringLiteral("Buscar contacto"));
    Text8->setAccessibleDescription(Text8->toolTip());
    connect(Text8, &QLineEdit::textChanged, this, [this] { Text8_Change(); });
}

void AddressBookPage::buildFields() {
    for (int i = 0; i < kContactFieldCount; ++i) {
        auto* label = new QLabel(QString::fromUtf8(kFieldCaptions[i]), this);
        label->setObjectName(QStringLiteral("Label4_%1").arg(i));
        label->setFont(common::arialFont(9.75, true));
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        // The E-MAIL label leaves the right end of its row to "Enviar mensaje".
        const int width = i == kEmailField ? kFieldWidth - kMailButtonWidth - 60 : kFieldWidth;
        label->setGeometry(common::twipsRect(kFieldLeft, labelTop(i), width, kLabelHeight));
        Label4[i] = label;
    }
    for (int i = 0; i < kReferenceField; ++i) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("Text7_%1").arg(i));
        field->setFont(common::arialFont(14.25));
        field->setGeometry(
            common::twipsRect(kFieldLeft, labelTop(i) + kLabelHeight, kFieldWidth, kLineFieldHeight));
        field->setAccessibleName(contactFieldName(i));
        Text7[i] = field;
    }
    Text7_6 = new QPlainTextEdit(this);
    Text7_6->setObjectName(QStringLiteral("Text7_6"));
    Text7_6->setFont(common::arialFont(14.25));
    Text7_6->setTabChangesFocus(true);
    Text7_6->setAccessibleName(contactFieldName(kReferenceField));
    Text7_6->setGeometry(common::twipsRect(kFieldLeft, labelTop(kReferenceField) + kLabelHeight, kFieldWidth,
                                           kButtonTop - 165 - labelTop(kReferenceField) - kLabelHeight));
}

void AddressBookPage::buildButtons() {
    const auto button = [this](int index, const QString& caption, quint32 colour, const QRect& twipsPlace) {
        QPushButton* made = common::makeButton(this, common::elementName(QStringLiteral("Command7"), index),
                                               twipsPlace, caption);
        made->setFont(common::arialFont(9.75, true));
        common::setBackColour(made, colour);
        connect(made, &QPushButton::clicked, this, [this, index] { Command7_Click(index); });
        Command7[index] = made;
    };
    const auto buttonPlace = [](int column) {
        return QRect(kFieldLeft + column * (kButtonWidth + kButtonGap), kButtonTop, kButtonWidth,
                     kButtonHeight);
    };
    button(0, QStringLiteral("GUARDAR"), kGreen, buttonPlace(0));
    button(1, QStringLiteral("NUEVO"), kTeal, buttonPlace(1));
    button(2, QStringLiteral("ELIMINAR"), kRed, buttonPlace(2));
    button(3, QStringLiteral("Copiar Todos"), kPaleYellow,
           QRect(kListLeft, kButtonTop, kListWidth, kButtonHeight));

    Command8 = common::makeButton(this, QStringLiteral("Command8"),
                                  QRect(kFieldLeft + kFieldWidth - kMailButtonWidth, labelTop(kEmailField),
                                        kMailButtonWidth, kLabelHeight),
                                  QStringLiteral("Enviar mensaje"));
    Command8->setFont(common::arialFont(9.75));
    Command8->setAccessibleDescription(
        QStringLiteral("Escribe un mensaje a la dirección de correo del contacto"));
    common::setBackColour(Command8, kMailYellow);
    connect(Command8, &QPushButton::clicked, this, &AddressBookPage::Command8_Click);
}

void AddressBookPage::loadCategories() {
    Combo3->clear();
    Combo3->addItems(Dir1.categories());
    if (Combo3->count() > 0) {
        Combo3->setCurrentIndex(0);
        Combo3->setEditText(Combo3->itemText(0));
    }
    pointFile2(Dir1.categoryPath(Combo3->currentText()));
}

void AddressBookPage::showContact(const QString& category, const QString& name) {
    const int at = Combo3->findText(category, Qt::MatchFixedString);
    if (at >= 0) {
        Combo3->setCurrentIndex(at);
        Combo3->setEditText(Combo3->itemText(at));
    }
    // The whole category is listed, so the card's row can be chosen.
    Text8->clear();
    pointFile2(Dir1.categoryPath(Combo3->currentText()));
    // A conflict copy (a search hit) opens the contact it belongs to, where it can be merged: shown on its
    // own, its fields would be saved over that contact without a question.
    const auto copy = common::parseConflictCopyName(name);
    const QString original = copy ? File2Names.realName(copy->originalName) : QString();
    const QString contact = original.isEmpty() ? name : original;
    if (!loadCard(contact)) {
        desktop_.showMessage(QStringLiteral("No se ha podido abrir el contacto %1.").arg(contact));
        return;
    }
    fillFile2();
}

void AddressBookPage::showOutsideChanges(const QStringList& changedFolders) {
    const auto changed = [&changedFolders](const QString& folder) {
        return !folder.isEmpty() && changedFolders.contains(QFileInfo(folder).absoluteFilePath());
    };
    // A renamed or removed category shows in its parent folder, which the shown list then follows too.
    if (changed(Dir1.root()))
        showCategoryChanges();
    else if (changed(File2Names.folder()))
        refreshFile2();
    if (!shownCardPath_.isEmpty() && changed(QFileInfo(shownCardPath_).absolutePath()))
        showOutsideCardChange();
}

// The shown card follows its file unless the user has changed the fields: then GUARDAR asks.
void AddressBookPage::showOutsideCardChange() {
    if (shownContact_.isEmpty() || fieldTexts() != shownCardFields_ ||
        !common::changedSince(shownCardVersion_, QFile::encodeName(shownCardPath_)))
        return;
    const common::FileVersion version = common::FileVersion::at(shownCardPath_);
    // Removed or unreadable: the fields keep the card, which GUARDAR can store again.
    if (const auto card = readContactCard(shownCardPath_)) {
        showFields(*card);
        shownCardVersion_ = version;
    }
}

QString AddressBookPage::shownCardPath() const {
    return shownContact_.isEmpty() ? QString() : shownCardPath_;
}

void AddressBookPage::showCategoryChanges() {
    const QStringList categories = Dir1.categories();
    QStringList listed;
    for (int row = 0; row < Combo3->count(); ++row)
        listed.append(Combo3->itemText(row));
    if (categories != listed) {
        const QString typed = Combo3->currentText();
        const QSignalBlocker blocker(Combo3);
        Combo3->clear();
        Combo3->addItems(categories);
        const int at = Combo3->findText(typed, Qt::MatchFixedString);
        if (at >= 0)
            Combo3->setCurrentIndex(at);
        Combo3->setEditText(typed);
    }
    refreshFile2();
}

void AddressBookPage::Combo3_Click() {
    // A choice belongs to the list it was made in; the fields keep their text.
    shownContact_.clear();
    pointFile2(Dir1.categoryPath(Combo3->currentText()));
}

void AddressBookPage::Combo3_Change(const QString& typed) {
    const QStringList passes = categoryNamesAfterDash(typed);
    if (passes.isEmpty())
        return;
    for (const QString& name : passes) {
        if (isSafeAddressBookName(name) && Combo3->findText(name, Qt::MatchFixedString) < 0)
            Combo3->addItem(name);
    }
    const QString& name = passes.last();
    Combo3->setEditText(name);
    // File2 keeps showing the previous category until one is picked from the list.
    switch (Dir1.createCategory(name)) {
    case AddressBookFolder::Creation::Created:
    case AddressBookFolder::Creation::AlreadyThere:
        break;
    case AddressBookFolder::Creation::Refused:
        desktop_.showMessage(QStringLiteral("No se puede crear la categoría «%1».\n").arg(name) +
                             nameRules());
        break;
    case AddressBookFolder::Creation::Failed:
        desktop_.showMessage(QStringLiteral("No se ha podido crear la carpeta de la categoría «%1» en «%2».")
                                 .arg(name, Dir1.root()));
        break;
    }
}

void AddressBookPage::Text8_Change() {
    File2Names.relistIfChanged();
    fillFile2();
}

void AddressBookPage::File2_Click() {
    const QModelIndex current = File2->currentIndex();
    if (!current.isValid())
        return;
    loadCard(File2Names.nameAt(current.row()));
}

bool AddressBookPage::loadCard(const QString& name) {
    offerCopyMerges(name);
    const QString path = File2Names.pathFor(name);
    const common::FileVersion version = common::FileVersion::at(path);
    const auto card = readContactCard(path);
    if (!card)
        return false;
    showFields(*card);
    shownContact_ = name;
    shownCardPath_ = path;
    shownCardVersion_ = version;
    emit cardShown();
    return true;
}

void AddressBookPage::offerCopyMerges(const QString& name) {
    bool merged = false;
    const ConflictCopyOffer::Wording wording{QStringLiteral("El contacto ") + name,
                                             QStringLiteral("al contacto"),
                                             QStringLiteral("los datos de los dos, primero los de la copia")};
    for (const QString& copyName : File2Names.conflictCopiesOf(name)) {
        const QString copyPath = QDir(File2Names.folder()).filePath(copyName);
        // Merged already by a click a moment ago, or removed elsewhere.
        if (QFileInfo::exists(copyPath))
            merged = copyOffer_.offer(wording, copyPath, [&] {
                return Dir1.mergeContactCopies(File2Names.pathFor(name), copyPath);
            }) || merged;
    }
    // The list loses the sign once the click that opened the contact is over.
    if (merged)
        QTimer::singleShot(0, this, &AddressBookPage::refreshFile2);
}

std::optional<QStringList> AddressBookPage::fieldsToStore(const QString& surname) {
    const QStringList mine = fieldTexts();
    if (shownContact_.isEmpty() || shownCardPath_.isEmpty() ||
        common::FolderIndex::foldName(shownContact_) != common::FolderIndex::foldName(surname) ||
        !common::changedSince(shownCardVersion_, QFile::encodeName(shownCardPath_)))
        return mine;
    const common::FileVersion otherVersion = common::FileVersion::at(shownCardPath_);
    const auto other = readContactCard(shownCardPath_);
    // Removed elsewhere: storing the fields loses nothing.
    if (!other)
        return mine;
    const common::OutsideChoice choice =
        askOutsideChoice(desktop_, QStringLiteral("el contacto ") + surname, otherVersion.modified());
    const auto resolved = resolveContactChange(choice, mine, *other, otherVersion.modified());
    showFields(resolved.value_or(*other));
    if (!resolved)
        shownCardVersion_ = otherVersion;
    return resolved;
}

void AddressBookPage::Command7_Click(int Index) {
    switch (Index) {
    case 0:
        saveContact();
        break;
    case 1:
        // A new contact: nothing in the list is chosen any more.
        clearFields();
        fillFile2();
        break;
    case 2:
        deleteContact();
        break;
    case 3:
        copyAll();
        break;
    default:
        break;
    }
}

void AddressBookPage::Command8_Click() {
    if (!desktop_.openUrl(QUrl(mailtoLink(Text7[kEmailField]->text()))))
        desktop_.showMessage(QStringLiteral("No se ha podido abrir el programa de correo."));
}

void AddressBookPage::saveContact() {
    QStringList fields = fieldTexts();
    QString surname = fields.at(kSurnameField);
    if (surname.isEmpty()) {
        refreshFile2();
        return;
    }
    const QString category = Combo3->currentText();
    if (!isSafeAddressBookName(surname)) {
        desktop_.showMessage(
            QStringLiteral(
                "No se ha guardado el contacto: el apellido «%1» no sirve como nombre de archivo.\n")
                .arg(surname) +
            nameRules());
        return;
    }
    if (!isSafeAddressBookName(category)) {
        desktop_.showMessage(
            QStringLiteral(
                "No se ha guardado el contacto: la categoría «%1» no sirve como nombre de carpeta.\n")
                .arg(category) +
            nameRules());
        return;
    }

    // A new name the Windows machines sharing the folder could not open; a contact already stored under
    // such a name can still be saved.
    if (const QString problem = common::windowsNameProblem(surname);
        !problem.isEmpty() && !QFileInfo(QDir(Dir1.categoryPath(category)).filePath(surname)).isFile()) {
        desktop_.showMessage(
            QStringLiteral("No se ha guardado el contacto: el apellido «%1» no sirve como nombre de archivo: "
                           "%2.\n")
                .arg(surname, problem) +
            nameRules());
        return;
    }

    if (!settleSharedSurname(category, surname, fields))
        return;
    const auto toStore = fieldsToStore(surname);
    if (!toStore) {
        refreshFile2();
        return;
    }
    const AddressBookFolder::Stored stored = Dir1.storeContact(category, surname, *toStore);
    if (!stored.cardPath.isEmpty())
        shownCardPath_ = stored.cardPath;
    shownCardVersion_ = common::FileVersion::at(shownCardPath_);
    if (!stored.failures.isEmpty())
        desktop_.showMessage(QStringLiteral("No se ha podido guardar el contacto «%1» en:\n").arg(surname) +
                             stored.failures.join(u'\n'));
    // The saved contact is the one the fields show, and the one chosen in the list when it is listed.
    shownContact_ = surname;
    shownCardFields_ = fieldTexts();
    refreshFile2();
    emit cardShown();
    if (!stored.cardPath.isEmpty())
        emit contactChanged();
}

bool AddressBookPage::settleSharedSurname(const QString& category, QString& surname, QStringList& fields) {
    // Saving the contact the fields show, or a card already holding exactly these fields, replaces nothing.
    if (!shownContact_.isEmpty() &&
        common::FolderIndex::foldName(shownContact_) == common::FolderIndex::foldName(surname))
        return true;
    const auto existing = Dir1.storedContact(category, surname);
    if (!existing || *existing == contactFieldsFromLines(contactLinesFromFields(fields)))
        return true;
    // Siblings share both surnames: another contact's card is never replaced unasked.
    const QString both = Dir1.freeContactName(category, surname);
    const int choice = desktop_.askChoice(
        QStringLiteral("Ya hay otro contacto «%1».\n"
                       "«Guardar los dos» guarda este como «%2»; «Añadir al que hay» junta los datos de "
                       "los dos en una sola ficha.")
            .arg(existing->mid(0, 2).join(u' ').trimmed(), both),
        QStringLiteral("Contacto con el mismo apellido"),
        {QStringLiteral("Guardar los dos"), QStringLiteral("Añadir al que hay"), QStringLiteral("Cancelar")},
        2);
    if (choice == 0) {
        surname = both;
        fields[kSurnameField] = both;
    } else if (choice == 1) {
        fields = keepBothCards(*existing, fields, common::keptBothSeparator(clock_.now()));
        fields[kSurnameField] = existing->value(kSurnameField);
        surname = fields[kSurnameField];
    } else {
        return false;
    }
    showFields(fields);
    // The card stored now is the one the fields show.
    shownContact_ = surname;
    shownCardPath_.clear();
    return true;
}

void AddressBookPage::deleteContact() {
    // Only the contact the fields show, chosen in the list; a row can stay current after the user has
    // unchosen it.
    const int row = chosenRow();
    const QString name = File2Names.nameAt(row);
    if (row < 0 || common::FolderIndex::foldName(name) != common::FolderIndex::foldName(shownContact_))
        return;
    if (!desktop_.askYesNo(QStringLiteral("¿Eliminar el contacto «%1» de «%2»? No se puede deshacer.")
                               .arg(name, QFileInfo(File2Names.folder()).fileName()),
                           QStringLiteral("Eliminar contacto"), common::DefaultAnswer::No))
        return;
    File2Names.relist();
    // Only a file still there under exactly that name.
    if (File2Names.realName(name) != name) {
        fillFile2();
        return;
    }
    if (!common::removeFile(File2Names.pathFor(name))) {
        desktop_.showMessage(QStringLiteral("No se ha podido eliminar el contacto «%1» de «%2».")
                                 .arg(name, File2Names.folder()));
        fillFile2();
        return;
    }
    clearFields();
    refreshFile2();
    emit contactChanged();
}

void AddressBookPage::copyAll() {
    const QString category = Combo3->currentText();
    const QString folder = Dir1.categoryPath(category);
    if (folder.isEmpty() || Dir1.existingCategory(category).isEmpty()) {
        desktop_.showMessage(
            QStringLiteral("No existe la categoría «%1»; no se ha copiado nada.").arg(category));
        return;
    }
    const CategoryTable table = categoryTable(category, Dir1.cardsOf(category));
    for (const QString& text : table.progress)
        desktop_.showMessage(text);
    desktop_.setClipboardText(table.clipboard);
}

void AddressBookPage::pointFile2(const QString& folder) {
    File2Names.setFolder(folder);
    fillFile2();
}

void AddressBookPage::refreshFile2() {
    File2Names.relist();
    fillFile2();
}

void AddressBookPage::fillFile2() {
    // Choosing a row here must not load a card into fields the user may be editing.
    fillingFile2_ = true;
    File2Names.setPrefix(Text8->text());
    // Only the contact the fields show is chosen, so ELIMINAR never acts on a stale highlight.
    const QString shown = shownContact_.isEmpty() ? QString() : File2Names.realName(shownContact_);
    const int row = shown.isEmpty() ? -1 : File2Names.rowOf(shown);
    if (row >= 0)
        File2->setCurrentIndex(File2Names.index(row));
    fillingFile2_ = false;
}

int AddressBookPage::chosenRow() const {
    const QModelIndex current = File2->currentIndex();
    return current.isValid() && File2->selectionModel()->isSelected(current) ? current.row() : -1;
}

QStringList AddressBookPage::fieldTexts() const {
    QStringList fields;
    for (const QLineEdit* field : Text7)
        fields.append(field->text());
    fields.append(common::boxText(Text7_6));
    return fields;
}

void AddressBookPage::showFields(const QStringList& fields) {
    for (int i = 0; i < kReferenceField; ++i)
        Text7[i]->setText(fields.value(i));
    // A reference shown cut cannot be changed here; saving the other fields keeps it whole.
    Text7_6->setReadOnly(!common::showTextWholeOrCut(Text7_6, fields.value(kReferenceField)));
    shownCardFields_ = fieldTexts();
}

void AddressBookPage::clearFields() {
    showFields({});
    shownContact_.clear();
}

} // namespace quindara
