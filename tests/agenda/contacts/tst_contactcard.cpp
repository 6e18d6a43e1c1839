// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/addressbookfolder.h"
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/contacts/contactlist.h"
#include "common/folderindex.h"
#include "common/textfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace quindara;

namespace {

QStringList card(const QString& surname, const QString& reference = QStringLiteral("amiga")) {
    return {surname,
            QStringLiteral("Ana"),
            QStringLiteral("Calle Mayor 1"),
            QStringLiteral("León"),
            QStringLiteral("987 000 000"),
            QStringLiteral("ana@correo.es"),
            reference};
}

} // namespace

class ContactCardTest : public QObject {
    Q_OBJECT

private slots:
    void fieldsFromLines_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("seven lines") << card(QStringLiteral("García")) << card(QStringLiteral("García"));
        QTest::newRow("reference of three lines")
            << (card(QStringLiteral("García"), QStringLiteral("uno"))
                << QStringLiteral("dos") << QStringLiteral("tres"))
            << card(QStringLiteral("García"), QStringLiteral("uno\ndos\ntres"));
        QTest::newRow("three lines: the rest empty, never repeated")
            << QStringList{QStringLiteral("García"), QStringLiteral("Ana"), QStringLiteral("Calle")}
            << QStringList{
                   QStringLiteral("García"), QStringLiteral("Ana"), QStringLiteral("Calle"), {}, {}, {}, {}};
        QTest::newRow("no lines") << QStringList() << QStringList(kContactFieldCount, QString());
    }
    void fieldsFromLines() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, fields);
        QCOMPARE(contactFieldsFromLines(lines), fields);
    }

    void cardFileBytes_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << card(QStringLiteral("Núñez"))
                               << QByteArray("N\xC3\xBA\xC3\xB1"
                                             "ez\r\nAna\r\nCalle Mayor 1\r\nLe\xC3\xB3n\r\n987 000 000\r\n"
                                             "ana@correo.es\r\namiga\r\n");
        QTest::newRow("empty reference")
            << card(QStringLiteral("Ruiz"), QString())
            << QByteArray(
                   "Ruiz\r\nAna\r\nCalle Mayor 1\r\nLe\xC3\xB3n\r\n987 000 000\r\nana@correo.es\r\n\r\n");
        QTest::newRow("reference of two lines ending in a break")
            << card(QStringLiteral("Ruiz"), QStringLiteral("uno\ndos\n"))
            << QByteArray("Ruiz\r\nAna\r\nCalle Mayor 1\r\nLe\xC3\xB3n\r\n987 000 000\r\nana@correo.es\r\n"
                          "uno\r\ndos\r\n\r\n");
    }
    // Written as seven CR LF lines (the reference spread over its own lines) and read back unchanged.
    void cardFileBytes() {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(fields.first());
        QVERIFY(writeContactCard(path, fields));
        QCOMPARE(*common::readBytes(path), bytes);
        QCOMPARE(*readContactCard(path), fields);
    }

    void readingCards() {
        QTemporaryDir dir;
        QVERIFY(!readContactCard(dir.filePath(QStringLiteral("nadie"))).has_value());
        // Cards carried over from older installs: Windows-1252 text.
        const QString old = dir.filePath(QStringLiteral("Pe\u00f1a"));
        QVERIFY(common::writeBytes(old, "Pe\xF1"
                                        "a\r\nJos\xE9\r\n"));
        QCOMPARE(*readContactCard(old),
                 (QStringList{QStringLiteral("Peña"), QStringLiteral("José"), {}, {}, {}, {}, {}}));
        // A line break slipped into a one-line field must not shift the fields after it.
        QStringList broken = card(QStringLiteral("Ruiz"));
        broken[2] = QStringLiteral("Calle\nMayor");
        QVERIFY(writeContactCard(dir.filePath(QStringLiteral("Ruiz")), broken));
        QCOMPARE(readContactCard(dir.filePath(QStringLiteral("Ruiz")))->at(2), QStringLiteral("Calle Mayor"));
        QCOMPARE(readContactCard(dir.filePath(QStringLiteral("Ruiz")))->at(6), QStringLiteral("amiga"));
        QVERIFY(!writeContactCard(dir.filePath(QStringLiteral("falta/Ruiz")), broken));
    }

    void categoryTableText() {
        const QList<QStringList> cards = {
            {QStringLiteral("A"), QStringLiteral("a1"), {}, {}, {}, {}, QStringLiteral("r")},
            {QStringLiteral("B"), {}, {}, {}, {}, QStringLiteral("b@x"), QStringLiteral("uno\ndos")},
            {QStringLiteral("C")}};
        const CategoryTable table = categoryTable(QStringLiteral("Amigos"), cards);
        const QString first = QStringLiteral("\tAmigos\r\r\tA\ta1\t\t\t\t\tr");
        const QString second = first + QStringLiteral("\r\tB\t\t\t\t\tb@x\tuno dos");
        const QString third = second + QStringLiteral("\r\tC\t\t\t\t\t\t");
        QCOMPARE(table.progress, (QStringList{first, second, third}));
        QCOMPARE(table.clipboard, third + u'\r');
        QCOMPARE(categoryTable(QStringLiteral("Vacía"), {}).clipboard, QStringLiteral("\tVacía\r\r"));
        QVERIFY(categoryTable(QStringLiteral("Vacía"), {}).progress.isEmpty());
    }

    // A card changed on another machine while it was being edited here: each answer keeps its fields.
    void cardChangedElsewhere_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QStringList>("stored"); // empty: nothing written
        const QDateTime otherTime(QDate(2026, 12, 7), QTime(10, 15));
        QStringList both =
            card(QStringLiteral("García"), QStringLiteral("vecina\n") + common::keptBothSeparator(otherTime) +
                                               QStringLiteral("\namiga"));
        both[4] = QStringLiteral("600 111 222 / 987 000 000");
        QTest::newRow("keep both") << 0 << both;
        QTest::newRow("mine") << 1 << card(QStringLiteral("García"));
        QTest::newRow("the other") << 2 << QStringList();
    }
    void cardChangedElsewhere() {
        QFETCH(int, choice);
        QFETCH(QStringList, stored);
        QStringList other = card(QStringLiteral("García"), QStringLiteral("vecina"));
        other[4] = QStringLiteral("600 111 222");
        other[5].clear(); // emptied there: the address typed here stays
        const auto result =
            resolveContactChange(static_cast<common::OutsideChoice>(choice), card(QStringLiteral("García")),
                                 other, QDateTime(QDate(2026, 12, 7), QTime(10, 15)));
        QCOMPARE(result.value_or(QStringList()), stored);
    }

    void mailLinkKeepsTheAddressAsTyped_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("link");
        QTest::newRow("empty") << QString() << QStringLiteral("mailto:?Subject=&Body=");
        QTest::newRow("plain") << QStringLiteral("ana@correo.es")
                               << QStringLiteral("mailto:ana@correo.es?Subject=&Body=");
        QTest::newRow("blanks") << QStringLiteral(" ana garcía @ correo.es ")
                                << QStringLiteral(
                                       "mailto:%20ana%20garc%C3%ADa%20@%20correo.es%20?Subject=&Body=");
        QTest::newRow("several") << QStringLiteral("a@b.es, c@d.es")
                                 << QStringLiteral("mailto:a@b.es,%20c@d.es?Subject=&Body=");
        QTest::newRow("# ? & %") << QStringLiteral("a#b?c&d%@e.es")
                                 << QStringLiteral("mailto:a%23b%3Fc%26d%25@e.es?Subject=&Body=");
    }
    void mailLinkKeepsTheAddressAsTyped() {
        QFETCH(QString, address);
        QFETCH(QString, link);
        QCOMPARE(mailtoLink(address), link);
    }

    void categoryPasses_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("passes");
        QTest::newRow("no dash") << QStringLiteral("Amigos") << QStringList();
        QTest::newRow("dash at the end")
            << QStringLiteral("Amigos-") << QStringList{QStringLiteral("Amigos")};
        QTest::newRow("dash inside") << QStringLiteral("Ami-gos")
                                     << QStringList{QStringLiteral("Ami-go"), QStringLiteral("Ami-g"),
                                                    QStringLiteral("Ami-"), QStringLiteral("Ami")};
        QTest::newRow("only a dash") << QStringLiteral("-") << QStringList{QString()};
    }
    void categoryPasses() {
        QFETCH(QString, typed);
        QFETCH(QStringList, passes);
        QCOMPARE(categoryNamesAfterDash(typed), passes);
    }

    void categoriesOfTheFolder() {
        QTemporaryDir dir;
        const QDir root(dir.path());
        for (const char* name : {"Todos", "amigos", "Trabajo", ".oculta"})
            QVERIFY(root.mkdir(QString::fromUtf8(name)));
        QVERIFY(common::writeBytes(root.filePath(QStringLiteral("suelto")), "x"));
        const AddressBookFolder folder(dir.path());
        QCOMPARE(folder.categories(),
                 (QStringList{QStringLiteral("amigos"), QStringLiteral("Todos"), QStringLiteral("Trabajo")}));
        QCOMPARE(folder.categoryPath(QStringLiteral("AMIGOS")), root.filePath(QStringLiteral("amigos")));
        QCOMPARE(folder.categoryPath(QStringLiteral("Nueva")), root.filePath(QStringLiteral("Nueva")));
        QCOMPARE(folder.categoryPath(QStringLiteral("../fuera")), QString());

        QCOMPARE(folder.createCategory(QStringLiteral("Amigos")), AddressBookFolder::Creation::AlreadyThere);
        QCOMPARE(folder.createCategory(QStringLiteral("Familia")), AddressBookFolder::Creation::Created);
        QVERIFY(root.exists(QStringLiteral("Familia")));
        QCOMPARE(folder.createCategory(QStringLiteral("suelto")), AddressBookFolder::Creation::Failed);
        for (const char* refused : {"../fuera", "a/b", "/tmp/x", "..", ".oculta2", "NUL", ""})
            QCOMPARE(folder.createCategory(QString::fromUtf8(refused)), AddressBookFolder::Creation::Refused);
        QVERIFY(!QDir(dir.path() + QStringLiteral("/../fuera")).exists());
        QVERIFY(!root.exists(QStringLiteral(".oculta2")));
    }

    void hiddenNamesAreLeftOut() {
        QCOMPARE(visibleNames({QStringLiteral(".keep"), QStringLiteral("Ruiz"), QStringLiteral("a.b")}),
                 (QStringList{QStringLiteral("Ruiz"), QStringLiteral("a.b")}));
    }

    // The search shows the one run of sorted names that begin with the typed text, in any case and
    // either normal form.
    void namesBeginningWithTheTypedText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        const QStringList all = {QStringLiteral("ga"),          QStringLiteral("GALÁN"),
                                 QStringLiteral("García"),      QStringLiteral("garcía"),
                                 QStringLiteral("garrido.old"), QStringLiteral("Gómez"),
                                 QStringLiteral("Pérez")};
        QTest::newRow("empty: all") << QString() << all;
        QTest::newRow("ga") << QStringLiteral("ga") << all.mid(0, 5);
        QTest::newRow("GA") << QStringLiteral("GA") << all.mid(0, 5);
        QTest::newRow("garc") << QStringLiteral("garc") << all.mid(2, 2);
        QTest::newRow("gó") << QStringLiteral("gó") << QStringList{QStringLiteral("Gómez")};
        QTest::newRow("gó decomposed") << QStringLiteral("GO\u0301") << QStringList{QStringLiteral("Gómez")};
        QTest::newRow("go is not gó") << QStringLiteral("go") << QStringList();
        QTest::newRow("whole name") << QStringLiteral("PÉREZ") << QStringList{QStringLiteral("Pérez")};
        QTest::newRow("longer than the name") << QStringLiteral("péreza") << QStringList();
        QTest::newRow("before the first") << QStringLiteral("a") << QStringList();
        QTest::newRow("after the last") << QStringLiteral("z") << QStringList();
        QTest::newRow("hidden") << QStringLiteral(".") << QStringList();
    }
    void namesBeginningWithTheTypedText() {
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        ContactNameIndex index;
        index.setNames({QStringLiteral("Pérez"), QStringLiteral("garcía"), QStringLiteral(".keep"),
                        QStringLiteral("garrido.old"), QStringLiteral("Gómez"), QStringLiteral("GALÁN"),
                        QStringLiteral("García"), QStringLiteral("ga")});
        const auto [first, last] = index.prefixRange(typed);
        QStringList names;
        for (qsizetype row = first; row < last; ++row)
            names.append(index.name(row));
        QCOMPARE(names, shown);
        // A name is found in any case, its own spelling first.
        for (const QString& name : shown) {
            QCOMPARE(index.name(index.find(name)), name);
            QCOMPARE(index.name(index.find(name.toUpper())).toUpper(), name.toUpper());
        }
        QCOMPARE(index.find(typed + QStringLiteral("~nadie")), -1);
    }

    // Contacts are listed by their folded names, and names that fold alike by their own spelling: long
    // shared beginnings, ends at every place of a group of four letters, letters outside Latin-1.
    void contactsSortedByFoldedName_data() {
        QTest::addColumn<QStringList>("names");
        QStringList surnames;
        for (int i = 0; i < 300; ++i)
            surnames.append(QStringLiteral("%1 %2 %3")
                                .arg(i % 3 == 0 ? QStringLiteral("GARCÍA") : QStringLiteral("García"))
                                .arg(i % 7 == 0 ? QStringLiteral("gonzález") : QStringLiteral("González"))
                                .arg((i * 7919) % 1000));
        QTest::newRow("shared beginnings") << surnames;
        QTest::newRow("ends at every place") << QStringList{
            QStringLiteral("abcdefgh"),  QStringLiteral("abc"),     QStringLiteral("ABCD"),
            QStringLiteral("abcdefghi"), QStringLiteral("abcd"),    QStringLiteral("abcde"),
            QStringLiteral("a"),         QStringLiteral("abcdefg"), QStringLiteral("Abcdefgh")};
        QTest::newRow("beyond Latin-1") << QStringList{
            QStringLiteral("Straße"),     QStringLiteral("STRASSE"), QStringLiteral("strasse b"),
            QStringLiteral("ωmega"),      QStringLiteral("Ωmega"),   QStringLiteral("Œuvre"),
            QStringLiteral("µ"),          QStringLiteral("Μ"),       QStringLiteral("Pérez"),
            QStringLiteral("PE\u0301REZ")};
    }
    void contactsSortedByFoldedName() {
        QFETCH(QStringList, names);
        ContactNameIndex index;
        index.setNames(names);
        QStringList listed;
        for (qsizetype row = 0; row < index.size(); ++row)
            listed.append(index.name(row));
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            const QString foldedA = common::FolderIndex::foldName(a);
            const QString foldedB = common::FolderIndex::foldName(b);
            return foldedA != foldedB ? foldedA < foldedB : a < b;
        });
        QCOMPARE(listed, names);
    }

    void onlyTheFilesOfAFolderAreListed() {
        QTemporaryDir dir;
        QDir root(dir.path());
        QVERIFY(root.mkdir(QStringLiteral("carpeta")));
        // A staging file a killed save left is no one's card.
        for (const char* name : {"Núñez", ".keep", "a b", ".García.quindara-fXgBBQ.tmp"})
            QVERIFY(common::writeBytes(root.filePath(QString::fromUtf8(name)), "x"));
        QVERIFY(QFile::link(root.filePath(QStringLiteral("a b")), root.filePath(QStringLiteral("enlace"))));
        QVERIFY(
            QFile::link(root.filePath(QStringLiteral("carpeta")), root.filePath(QStringLiteral("enlace2"))));
        QStringList names = fileNamesIn(dir.path());
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral(".keep"), QStringLiteral("Núñez"), QStringLiteral("a b"),
                                     QStringLiteral("enlace")}));
        QCOMPARE(fileNamesIn(root.filePath(QStringLiteral("falta"))), QStringList());
    }
};

QTEST_GUILESS_MAIN(ContactCardTest)
#include "tst_contactcard.moc"
