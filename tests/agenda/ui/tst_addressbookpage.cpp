// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/ui/addressbookpage.h"
#include "common/clock.h"
#include "common/storedfile.h"
#include "common/textfile.h"
#include "common/units.h"
#include "tests/support/recordingdesktopservices.h"

#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace quindara;

namespace {

// Every file and folder under the program folder, with the bytes of each file.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        entries.insert(relative, it.fileInfo().isDir() ? QByteArray("<dir>") : *common::readBytes(path));
    }
    return entries;
}

QStringList fields(const QString& surname, const QString& name, const QString& reference = QString()) {
    return {surname,
            name,
            QStringLiteral("Calle Mayor 1"),
            QStringLiteral("León"),
            QStringLiteral("987 000 000"),
            QStringLiteral("ana@correo.es"),
            reference};
}

// QTest::keyClicks takes ASCII only; names here carry accents.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

class AddressBookPageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<DataFolder> data_;
    std::unique_ptr<common::RecordingDesktopServices> desktop_;
    std::unique_ptr<AddressBookPage> page_;
    const common::FixedClock clock_{QDateTime(QDate(2026, 12, 8), QTime(10, 0))};

    QString path(const QString& relative) const { return dir_->filePath(relative); }
    QByteArray bytes(const QString& relative) const {
        return common::readBytes(path(relative)).value_or("<none>");
    }
    bool exists(const QString& relative) const { return QFileInfo::exists(path(relative)); }

    void startPage() {
        page_ = std::make_unique<AddressBookPage>(*data_, *desktop_, clock_);
        page_->loadCategories();
        page_->show();
    }
    template <typename T> T* control(const QString& name) const {
        auto* found = page_->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QComboBox* combo3() const { return control<QComboBox>(QStringLiteral("Combo3")); }
    QListView* file2() const { return control<QListView>(QStringLiteral("File2")); }
    QRect placeOfRow(int row) const { return file2()->visualRect(file2()->model()->index(row, 0)); }
    QLineEdit* text7(int i) const { return control<QLineEdit>(QStringLiteral("Text7_%1").arg(i)); }
    QPlainTextEdit* reference() const { return control<QPlainTextEdit>(QStringLiteral("Text7_6")); }

    QStringList listed() const {
        QStringList names;
        for (int row = 0; row < file2()->model()->rowCount(); ++row)
            names.append(file2()->model()->index(row, 0).data().toString());
        return names;
    }
    QStringList shownFields() const {
        QStringList texts;
        for (int i = 0; i < 6; ++i)
            texts.append(text7(i)->text());
        texts.append(reference()->toPlainText());
        return texts;
    }
    void fillFields(const QStringList& texts) {
        text7(0)->clear();
        typeText(text7(0), texts.at(0));
        for (int i = 1; i < 6; ++i)
            text7(i)->setText(texts.at(i));
        reference()->setPlainText(texts.at(6));
    }
    void click(const QString& button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    void chooseCategory(const QString& category) {
        const int index = combo3()->findText(category);
        QVERIFY(index >= 0);
        combo3()->setCurrentIndex(index);
        emit combo3()->activated(index);
    }
    void typeCategory(const QString& text) {
        combo3()->lineEdit()->selectAll();
        typeText(combo3()->lineEdit(), text);
    }
    void clickContact(const QString& name) {
        const QStringList names = listed();
        QCOMPARE(names.count(name), 1);
        QTest::mouseClick(file2()->viewport(), Qt::LeftButton, {},
                          placeOfRow(int(names.indexOf(name))).center());
    }
    void writeCard(const QString& relative, const QByteArray& content) {
        QVERIFY(common::writeBytes(path(relative), content));
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        data_ = std::make_unique<DataFolder>(dir_->path());
        desktop_ = std::make_unique<common::RecordingDesktopServices>();
        for (const char* category : {"Todos", "Familia", "Trabajo"})
            QVERIFY(
                QDir(dir_->path()).mkpath(QStringLiteral("direcciones/") + QString::fromLatin1(category)));
        writeCard(QStringLiteral("direcciones/Todos/.keep"), {});
    }
    void cleanup() {
        page_.reset();
        desktop_.reset();
        data_.reset();
        dir_.reset();
    }

    void startShowsTheFirstCategory() {
        writeCard(QStringLiteral("direcciones/Familia/Ruiz"), "Ruiz\r\n");
        startPage();
        QCOMPARE(combo3()->count(), 3);
        QCOMPARE(combo3()->itemText(0), QStringLiteral("Familia"));
        QCOMPARE(combo3()->currentText(), QStringLiteral("Familia"));
        QCOMPARE(listed(), QStringList{QStringLiteral("Ruiz")});
        chooseCategory(QStringLiteral("Todos"));
        QCOMPARE(listed(), QStringList());
    }

    // A category folder named in Windows-1252 bytes (from an older install) is listed by its reading and
    // opened; its cards are read and saved in place, not in a second folder of the UTF-8 spelling.
    void aCategoryNamedInWindows1252BytesIsListedAndOpened() {
        const QByteArray folder = QFile::encodeName(path(QStringLiteral("direcciones"))) + "/Fam\xEDlia";
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        const QByteArray card = folder + "/Rota";
        const int fd = ::open(card.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "Rota\r\nAna\r\n", 11), 11);
        ::close(fd);
        startPage();
        QCOMPARE(combo3()->count(), 4);
        chooseCategory(QStringLiteral("Família"));
        QCOMPARE(listed(), QStringList{QStringLiteral("Rota")});
        clickContact(QStringLiteral("Rota"));
        QCOMPARE(text7(1)->text(), QStringLiteral("Ana"));
        text7(1)->setText(QStringLiteral("Eva"));
        click(QStringLiteral("Command7_0"));
        QVERIFY(desktop_->messages.isEmpty());
        QFile saved;
        QVERIFY(common::openNative(card, saved));
        QCOMPARE(saved.readAll(), bytes(QStringLiteral("direcciones/Todos/Rota")));
        QCOMPARE(readContactCard(path(QStringLiteral("direcciones/Todos/Rota")))->at(1),
                 QStringLiteral("Eva"));
        QVERIFY(!exists(QStringLiteral("direcciones/Família")));
    }

    void emptySurnameWritesNothing() {
        startPage();
        const auto before = snapshot(dir_->path());
        fillFields(fields(QString(), QStringLiteral("Ana")));
        click(QStringLiteral("Command7_0"));
        QCOMPARE(snapshot(dir_->path()), before);
        QVERIFY(desktop_->messages.isEmpty());
    }

    void savingInTwoCategoriesKeepsTheFirstAndReplacesTheCopy() {
        startPage();
        fillFields(fields(QStringLiteral("García"), QStringLiteral("Ana")));
        click(QStringLiteral("Command7_0"));
        QCOMPARE(listed(), QStringList{QStringLiteral("García")});

        chooseCategory(QStringLiteral("Trabajo"));
        text7(1)->setText(QStringLiteral("Luis"));
        click(QStringLiteral("Command7_0"));

        QCOMPARE(*readContactCard(path(QStringLiteral("direcciones/Familia/García"))),
                 fields(QStringLiteral("García"), QStringLiteral("Ana")));
        QCOMPARE(*readContactCard(path(QStringLiteral("direcciones/Trabajo/García"))),
                 fields(QStringLiteral("García"), QStringLiteral("Luis")));
        QCOMPARE(bytes(QStringLiteral("direcciones/Todos/García")),
                 bytes(QStringLiteral("direcciones/Trabajo/García")));
        QCOMPARE(listed(), QStringList{QStringLiteral("García")});
        QVERIFY(desktop_->messages.isEmpty());
    }

    // A new contact whose surname, in any case, another card of the category has (siblings share both)
    // never replaces it unasked: both are kept, the new one under a numbered name, or joined in one card,
    // or nothing is written.
    void aSurnameInUseReplacesNoOtherContact_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("names"); // the first names in the card "garcía"
        QTest::newRow("both kept") << 0 << QStringList{QStringLiteral("garcía"), QStringLiteral("GARCÍA (2)")}
                                   << "Ana";
        QTest::newRow("added to the card") << 1 << QStringList{QStringLiteral("garcía")} << "Ana / Eva";
        QTest::newRow("cancelled") << 2 << QStringList{QStringLiteral("garcía")} << "Ana";
    }
    void aSurnameInUseReplacesNoOtherContact() {
        QFETCH(int, choice);
        QFETCH(QStringList, files);
        QFETCH(QString, names);
        writeCard(QStringLiteral("direcciones/Familia/garcía"), "garcía\r\nAna\r\n");
        startPage();
        desktop_->choiceAnswer = choice;
        fillFields(fields(QStringLiteral("GARCÍA"), QStringLiteral("Eva")));
        click(QStringLiteral("Command7_0"));
        QCOMPARE(desktop_->callsOf(QStringLiteral("askChoice")).size(), 1);
        QCOMPARE(QDir(path(QStringLiteral("direcciones/Familia"))).entryList(QDir::Files), files);
        QCOMPARE(readContactCard(path(QStringLiteral("direcciones/Familia/garcía")))->at(1), names);
        if (choice == 0)
            QCOMPARE(*readContactCard(path(QStringLiteral("direcciones/Todos/GARCÍA (2)"))),
                     fields(QStringLiteral("GARCÍA (2)"), QStringLiteral("Eva")));
        // Saving again the contact now shown asks nothing more.
        click(QStringLiteral("Command7_0"));
        QCOMPARE(desktop_->callsOf(QStringLiteral("askChoice")).size(), choice == 2 ? 2 : 1);
    }

    void aCardLoadsWholeAndSavesUnchanged() {
        const QByteArray card =
            "Ruiz\r\nAna\r\nCalle\r\nLe\xC3\xB3n\r\n600\r\nana@x.es\r\nuno\r\ndos\r\ntres\r\n";
        writeCard(QStringLiteral("direcciones/Familia/Ruiz"), card);
        writeCard(QStringLiteral("direcciones/Familia/Corto"), "Corto\r\nPepe\r\n");
        startPage();
        clickContact(QStringLiteral("Ruiz"));
        QCOMPARE(reference()->toPlainText(), QStringLiteral("uno\ndos\ntres"));
        click(QStringLiteral("Command7_0"));
        QCOMPARE(bytes(QStringLiteral("direcciones/Familia/Ruiz")), card);
        QCOMPARE(bytes(QStringLiteral("direcciones/Todos/Ruiz")), card);

        // A short card leaves nothing of the card shown before, and repeats none of its own lines.
        clickContact(QStringLiteral("Corto"));
        QCOMPARE(shownFields(),
                 (QStringList{QStringLiteral("Corto"), QStringLiteral("Pepe"), {}, {}, {}, {}, {}}));

        click(QStringLiteral("Command7_1"));
        QCOMPARE(shownFields(), QStringList(7, QString()));

        // A card stored before under a name Windows cannot keep is still listed, shown and saved.
        const QByteArray dotted = "Ruiz.\r\nEva\r\n\r\n\r\n\r\n\r\n\r\n";
        writeCard(QStringLiteral("direcciones/Familia/Ruiz."), dotted);
        chooseCategory(QStringLiteral("Familia"));
        clickContact(QStringLiteral("Ruiz."));
        QCOMPARE(shownFields().value(1), QStringLiteral("Eva"));
        click(QStringLiteral("Command7_0"));
        QVERIFY(desktop_->messages.isEmpty());
        QCOMPARE(bytes(QStringLiteral("direcciones/Familia/Ruiz.")), dotted);
    }

    void typingANameAndADashCreatesTheCategory() {
        startPage();
        typeCategory(QStringLiteral("Amigos-"));
        QVERIFY(QFileInfo(path(QStringLiteral("direcciones/Amigos"))).isDir());
        QCOMPARE(combo3()->currentText(), QStringLiteral("Amigos"));
        QVERIFY(combo3()->findText(QStringLiteral("Amigos")) >= 0);
        // The list goes on showing the category shown before; saving files into the typed one.
        fillFields(fields(QStringLiteral("Sanz"), QStringLiteral("Ana")));
        click(QStringLiteral("Command7_0"));
        QVERIFY(exists(QStringLiteral("direcciones/Amigos/Sanz")));
        QVERIFY(exists(QStringLiteral("direcciones/Todos/Sanz")));
        QVERIFY(!exists(QStringLiteral("direcciones/Familia/Sanz")));

        // A category already there in another case is not created twice.
        const auto before = snapshot(dir_->path());
        typeCategory(QStringLiteral("familia-"));
        QCOMPARE(snapshot(dir_->path()), before);
        QVERIFY(desktop_->messages.isEmpty());
    }

    void aDashInsidePastedTextShortensIt() {
        startPage();
        combo3()->lineEdit()->selectAll();
        combo3()->lineEdit()->insert(QStringLiteral("Ami-gos"));
        QCOMPARE(combo3()->currentText(), QStringLiteral("Ami"));
        for (const char* pass : {"Ami-go", "Ami-g", "Ami-", "Ami"})
            QVERIFY2(combo3()->findText(QString::fromLatin1(pass)) >= 0, pass);
        QCOMPARE(QDir(path(QStringLiteral("direcciones"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("Ami"), QStringLiteral("Familia"), QStringLiteral("Todos"),
                              QStringLiteral("Trabajo")}));
    }

    void searchListsNamesBeginningWithTheText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("names");
        const QStringList ga = {QStringLiteral("ga"), QStringLiteral("GALÁN"), QStringLiteral("García"),
                                QStringLiteral("garrido.old")};
        QTest::newRow("ga") << QStringLiteral("ga") << ga;
        QTest::newRow("GA") << QStringLiteral("GA") << ga;
        QTest::newRow("gar") << QStringLiteral("gar") << ga.mid(2);
        QTest::newRow("accent") << QStringLiteral("gó") << QStringList{QStringLiteral("Gómez")};
        QTest::newRow("nothing") << QStringLiteral("x") << QStringList();
        QTest::newRow("empty lists all")
            << QString()
            << (ga.mid(0, 3) << QStringLiteral("garrido.old") << QStringLiteral("Gómez")
                             << QStringLiteral("Pérez"));
    }
    void searchListsNamesBeginningWithTheText() {
        QFETCH(QString, typed);
        QFETCH(QStringList, names);
        for (const char* name : {"García", "garrido.old", "GALÁN", "ga", "Gómez", "Pérez", ".keep"})
            writeCard(QStringLiteral("direcciones/Familia/") + QString::fromUtf8(name), "x\r\n");
        startPage();
        typeText(control<QLineEdit>(QStringLiteral("Text8")), typed);
        QCOMPARE(listed(), names);
    }

    void deletingRemovesOnlyTheShownCategorysFile() {
        startPage();
        fillFields(fields(QStringLiteral("García"), QStringLiteral("Ana")));
        click(QStringLiteral("Command7_0"));

        // Nothing selected: nothing happens.
        chooseCategory(QStringLiteral("Todos"));
        QCOMPARE(listed(), QStringList{QStringLiteral("García")});
        const auto before = snapshot(dir_->path());
        click(QStringLiteral("Command7_2"));
        QCOMPARE(snapshot(dir_->path()), before);

        // Chosen, then unchosen with Ctrl+click: the row stays current but nothing is selected.
        clickContact(QStringLiteral("García"));
        QTest::mouseClick(file2()->viewport(), Qt::LeftButton, Qt::ControlModifier, placeOfRow(0).center());
        QVERIFY(file2()->selectionModel()->selectedIndexes().isEmpty());
        click(QStringLiteral("Command7_2"));
        QCOMPARE(snapshot(dir_->path()), before);

        // Asked first; "No" keeps it.
        clickContact(QStringLiteral("García"));
        click(QStringLiteral("Command7_2"));
        QCOMPARE(desktop_->callsOf(QStringLiteral("askYesNo")).size(), 1);
        QVERIFY(
            desktop_->callsOf(QStringLiteral("askYesNo")).constFirst().contains(QStringLiteral("«García»")));
        QCOMPARE(snapshot(dir_->path()), before);
        desktop_->yesNoAnswer = true;
        click(QStringLiteral("Command7_2"));
        QVERIFY(!exists(QStringLiteral("direcciones/Todos/García")));
        QVERIFY(exists(QStringLiteral("direcciones/Familia/García")));
        QCOMPARE(listed(), QStringList());
        QCOMPARE(shownFields(), QStringList(7, QString()));
    }

    // ELIMINAR deletes the contact the fields show: after NUEVO none, after GUARDAR the one saved; never a
    // row left highlighted from an earlier choice.
    void eliminarActsOnTheContactShown_data() {
        QTest::addColumn<bool>("pressNew");
        QTest::addColumn<QString>("typedSurname");
        QTest::addColumn<bool>("pressSave");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("NUEVO") << true << QString() << false << QStringList{QStringLiteral("Abad")};
        QTest::newRow("NUEVO, another contact saved")
            << true << QStringLiteral("Cano") << true << QStringList{QStringLiteral("Abad")};
        QTest::newRow("the shown contact saved again") << false << QString() << true << QStringList();
    }
    void eliminarActsOnTheContactShown() {
        QFETCH(bool, pressNew);
        QFETCH(QString, typedSurname);
        QFETCH(bool, pressSave);
        QFETCH(QStringList, left);
        writeCard(QStringLiteral("direcciones/Todos/Abad"), "Abad\r\nAna\r\n");
        startPage();
        chooseCategory(QStringLiteral("Todos"));
        clickContact(QStringLiteral("Abad"));
        if (pressNew)
            click(QStringLiteral("Command7_1"));
        typeText(text7(0), typedSurname);
        if (pressSave)
            click(QStringLiteral("Command7_0"));
        desktop_->yesNoAnswer = true;
        click(QStringLiteral("Command7_2"));
        QCOMPARE(listed(), left);
    }

    void copyAllPutsTheCategoryTableOnTheClipboard() {
        writeCard(QStringLiteral("direcciones/Familia/Abad"),
                  "Abad\r\nAna\r\nC1\r\nP1\r\nT1\r\na@x\r\nR1\r\n");
        writeCard(QStringLiteral("direcciones/Familia/Bravo"), "Bravo\r\nBea\r\n");
        writeCard(QStringLiteral("direcciones/Familia/Cano"), "Cano\r\n\r\n\r\n\r\n\r\n\r\nuno\r\ndos\r\n");
        writeCard(QStringLiteral("direcciones/Trabajo/Otro"), "Otro\r\n");
        startPage();
        click(QStringLiteral("Command7_3"));
        const QString first = QStringLiteral("\tFamilia\r\r\tAbad\tAna\tC1\tP1\tT1\ta@x\tR1");
        const QString second = first + QStringLiteral("\r\tBravo\tBea\t\t\t\t\t");
        const QString third = second + QStringLiteral("\r\tCano\t\t\t\t\t\tuno dos");
        QCOMPARE(desktop_->messages, (QStringList{first, second, third}));
        QCOMPARE(desktop_->callsOf(QStringLiteral("setClipboardText")), QStringList{third + u'\r'});
    }

    // The mail program receives the address as typed, whatever characters it holds, and empty fields.
    void theMailLinkCarriesTheAddressAsTyped_data() {
        QTest::addColumn<QString>("address");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("ana garcía @ correo.es ");
        QTest::newRow("accents") << QStringLiteral("josé@señal.es");
        QTest::newRow("# ? & %") << QStringLiteral("a#b?c&d=e%41@correo.es");
    }
    void theMailLinkCarriesTheAddressAsTyped() {
        QFETCH(QString, address);
        startPage();
        text7(5)->setText(address);
        click(QStringLiteral("Command8"));
        QCOMPARE(desktop_->calls.size(), 1);
        QCOMPARE(desktop_->calls.first().what, QStringLiteral("openUrl"));
        const QUrl link(desktop_->calls.first().argument, QUrl::StrictMode);
        QVERIFY2(link.isValid(), qPrintable(link.errorString()));
        QCOMPARE(link.scheme(), QStringLiteral("mailto"));
        QCOMPARE(link.path(QUrl::FullyDecoded), address);
        QCOMPARE(link.query(QUrl::FullyDecoded), QStringLiteral("Subject=&Body="));
        QVERIFY(!link.hasFragment());
        QVERIFY(desktop_->messages.isEmpty());
    }

    void aMailProgramThatDoesNotStartIsTold() {
        startPage();
        desktop_->succeed = false;
        click(QStringLiteral("Command8"));
        QCOMPARE(desktop_->messages.size(), 1);
    }

    void namesThatWouldLeaveTheirFolderAreRefused_data() {
        QTest::addColumn<QString>("surname");
        QTest::addColumn<QString>("category");
        const QString fine = QStringLiteral("Familia");
        QTest::newRow("surname ../x") << QStringLiteral("../x") << fine;
        QTest::newRow("surname ../../etc/x") << QStringLiteral("../../etc/x") << fine;
        QTest::newRow("surname far out") << QStringLiteral("../../../../../x") << fine;
        QTest::newRow("surname a/b") << QStringLiteral("a/b") << fine;
        QTest::newRow("surname absolute") << QStringLiteral("/tmp/quindara-fuera") << fine;
        QTest::newRow("surname backslash") << QStringLiteral("..\\x") << fine;
        QTest::newRow("surname ..") << QStringLiteral("..") << fine;
        QTest::newRow("surname CON") << QStringLiteral("CON") << fine;
        QTest::newRow("surname too long") << QString(201, u'a') << fine;
        QTest::newRow("surname hidden") << QStringLiteral(".oculto") << fine;
        // Names Windows cannot keep on the machines that share the folder.
        QTest::newRow("surname ending in a dot") << QStringLiteral("Ruiz.") << fine;
        QTest::newRow("surname ending in a blank") << QStringLiteral("Ruiz ") << fine;
        QTest::newRow("surname with a right-to-left override") << QStringLiteral("Ruiz\u202Egol") << fine;
        QTest::newRow("surname with a zero-width space") << QStringLiteral("Ru\u200Biz") << fine;
        QTest::newRow("category ../x") << QStringLiteral("Ruiz") << QStringLiteral("../x");
        QTest::newRow("category ../../etc") << QStringLiteral("Ruiz") << QStringLiteral("../../etc");
        QTest::newRow("category a/b") << QStringLiteral("Ruiz") << QStringLiteral("Familia/b");
        QTest::newRow("category absolute") << QStringLiteral("Ruiz") << QStringLiteral("/tmp/quindara-fuera");
        QTest::newRow("category empty") << QStringLiteral("Ruiz") << QString();
    }
    void namesThatWouldLeaveTheirFolderAreRefused() {
        QFETCH(QString, surname);
        QFETCH(QString, category);
        startPage();
        const auto before = snapshot(dir_->path());
        combo3()->setEditText(category);
        fillFields(fields(surname, QStringLiteral("Ana")));
        click(QStringLiteral("Command7_0"));
        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(snapshot(dir_->path()), before);
        QVERIFY(!QFileInfo(QDir(path(QStringLiteral("direcciones/Familia"))).filePath(surname)).isFile());
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/quindara-fuera")));
    }

    void typedCategoriesThatWouldLeaveTheFolderAreRefused_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("../x") << QStringLiteral("../x-");
        QTest::newRow("../../etc/x") << QStringLiteral("../../etc/x-");
        QTest::newRow("a/b") << QStringLiteral("a/b-");
        QTest::newRow("absolute") << QStringLiteral("/tmp/quindara-fuera-");
        QTest::newRow("dot dot") << QStringLiteral("..-");
        QTest::newRow("device") << QStringLiteral("NUL-");
    }
    void typedCategoriesThatWouldLeaveTheFolderAreRefused() {
        QFETCH(QString, typed);
        startPage();
        const auto before = snapshot(dir_->path());
        combo3()->lineEdit()->selectAll();
        combo3()->lineEdit()->insert(typed);
        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(snapshot(dir_->path()), before);
        QCOMPARE(combo3()->count(), 3);
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/quindara-fuera")));
    }

    void aSaveThatFailsIsTold() {
        startPage();
        // Typed without the "-": the category folder was never created.
        combo3()->setEditText(QStringLiteral("Nueva"));
        fillFields(fields(QStringLiteral("Ruiz"), QStringLiteral("Ana")));
        click(QStringLiteral("Command7_0"));
        QCOMPARE(desktop_->messages.size(), 1);
        QVERIFY(desktop_->messages.first().contains(QStringLiteral("Ruiz")));
        QVERIFY(!exists(QStringLiteral("direcciones/Nueva")));
        QVERIFY(exists(QStringLiteral("direcciones/Todos/Ruiz")));
    }

    void controlsLieInsideThePageWithoutOverlapping() {
        startPage();
        QCOMPARE(page_->size(), common::twipsSize(8895, 8295));
        QList<QWidget*> controls;
        for (QWidget* child : page_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            controls.append(child);
        QCOMPARE(controls.size(), 1 + 1 + 1 + 7 + 7 + 4 + 1);
        for (int i = 0; i < controls.size(); ++i) {
            QVERIFY2(page_->rect().contains(controls[i]->geometry()), qPrintable(controls[i]->objectName()));
            for (int j = i + 1; j < controls.size(); ++j) {
                QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                         qPrintable(controls[i]->objectName() + u' ' + controls[j]->objectName()));
            }
        }
    }
};

QTEST_MAIN(AddressBookPageTest)
#include "tst_addressbookpage.moc"
