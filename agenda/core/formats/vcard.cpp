// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/formats/vcard.h"

#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/formats/contentline.h"
#include "common/textfile.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <functional>
#include <utility>

namespace quindara {

namespace {

constexpr qsizetype kMaxFileBytes = 64 * 1024 * 1024;
const QString kJoin = QStringLiteral(", ");

enum Field { Surname, FirstName, Address, Town, Phones, Emails, Reference };

QList<QByteArray> physicalLines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
            ++end;
        lines.append(bytes.mid(pos, end - pos));
        pos = end;
        if (pos < bytes.size() && bytes.at(pos) == '\r')
            ++pos;
        if (pos < bytes.size() && bytes.at(pos) == '\n')
            ++pos;
    }
    return lines;
}

qsizetype headerEnd(const QByteArray& line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == '"')
            quoted = !quoted;
        else if (line.at(i) == ':' && !quoted)
            return i;
    }
    return -1;
}

bool isQuotedPrintable(const QByteArray& line) {
    const qsizetype end = headerEnd(line);
    return end > 0 && line.left(end).toUpper().contains("QUOTED-PRINTABLE");
}

// Folded lines joined; a QUOTED-PRINTABLE value ending in "=" goes on with the next line as it is.
// The logical lines of the text one after another (folded lines and quoted-printable soft breaks joined,
// blank lines left out), so that a file of millions of short lines never costs more than its text.
class LogicalLines {
public:
    explicit LogicalLines(const QByteArray& bytes) : bytes_(bytes) {}

    bool next(QByteArray& line) {
        while (pos_ < bytes_.size()) {
            const QByteArray physical = nextPhysical();
            if (softBreak_ && pending_) {
                current_.chop(1);
                current_ += physical;
            } else if (!physical.isEmpty() && (physical.front() == ' ' || physical.front() == '\t') &&
                       pending_) {
                current_ += physical.mid(1);
            } else if (physical.trimmed().isEmpty()) {
                softBreak_ = false;
                continue;
            } else if (pending_) {
                line = std::exchange(current_, physical);
                softBreak_ = current_.endsWith('=') && isQuotedPrintable(current_);
                return true;
            } else {
                current_ = physical;
                pending_ = true;
            }
            softBreak_ = current_.endsWith('=') && isQuotedPrintable(current_);
        }
        if (!pending_)
            return false;
        line = std::exchange(current_, QByteArray());
        pending_ = false;
        return true;
    }

private:
    QByteArray nextPhysical() {
        qsizetype end = pos_;
        while (end < bytes_.size() && bytes_.at(end) != '\r' && bytes_.at(end) != '\n')
            ++end;
        const QByteArray line = bytes_.mid(pos_, end - pos_);
        pos_ = end;
        if (pos_ < bytes_.size() && bytes_.at(pos_) == '\r')
            ++pos_;
        if (pos_ < bytes_.size() && bytes_.at(pos_) == '\n')
            ++pos_;
        return line;
    }

    const QByteArray& bytes_;
    qsizetype pos_ = 0;
    QByteArray current_;
    bool pending_ = false;
    bool softBreak_ = false;
};

QByteArray decodeQuotedPrintable(const QByteArray& value) {
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) == '=' && i + 2 < value.size()) {
            bool ok = false;
            const int byte = value.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += value.at(i);
    }
    return out;
}

// A card property the contact has no field for, kept in its text under this caption; empty for the rest.
QString textCaptionOf(const QByteArray& name) {
    static const QHash<QByteArray, QString> captions = {{"TITLE", QStringLiteral("Cargo")},
                                                        {"ROLE", QStringLiteral("Función")},
                                                        {"NICKNAME", QStringLiteral("Apodo")},
                                                        {"URL", QStringLiteral("Web")},
                                                        {"IMPP", QStringLiteral("Mensajería")},
                                                        {"BDAY", QStringLiteral("Cumpleaños")},
                                                        {"ANNIVERSARY", QStringLiteral("Aniversario")}};
    return captions.value(name);
}

struct Property {
    QByteArray name;
    QList<QByteArray> params; // upper case
    QString value;            // decoded, still escaped
};

QString decodeValue(const QByteArray& raw, const QList<QByteArray>& params) {
    bool quotedPrintable = false;
    QByteArray charset;
    for (const QByteArray& param : params) {
        if (param == "QUOTED-PRINTABLE" || param == "ENCODING=QUOTED-PRINTABLE")
            quotedPrintable = true;
        else if (param.startsWith("CHARSET="))
            charset = param.mid(8);
    }
    const QByteArray bytes = quotedPrintable ? decodeQuotedPrintable(raw) : raw;
    if (!charset.isEmpty() && charset != "UTF-8") {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) {
            const QString text = decoder.decode(bytes);
            if (!decoder.hasError())
                return text;
        }
    }
    return common::decodeText(bytes);
}

std::optional<Property> parseProperty(const QByteArray& line) {
    const qsizetype end = headerEnd(line);
    if (end <= 0)
        return std::nullopt;
    QList<QByteArray> header = line.left(end).split(';');
    Property property;
    property.name = header.takeFirst().trimmed().toUpper();
    const qsizetype dot = property.name.lastIndexOf('.');
    if (dot >= 0)
        property.name = property.name.mid(dot + 1); // "item1.TEL" belongs to a group
    for (const QByteArray& param : std::as_const(header))
        property.params.append(param.trimmed().toUpper());
    if (property.name == "PHOTO" || property.name == "LOGO" || property.name == "SOUND" ||
        property.name == "KEY")
        return property; // binary data: never decoded
    property.value = decodeValue(line.mid(end + 1), property.params);
    return property;
}

QString oneLine(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), kJoin);
    out.replace(u'\n', kJoin);
    out.replace(u'\r', kJoin);
    return out;
}

QString withoutScheme(QString value, QLatin1String scheme) {
    if (value.startsWith(scheme, Qt::CaseInsensitive))
        value.remove(0, scheme.size());
    return value;
}

// The non-empty parts, joined with ", ".
QString joinedParts(const QStringList& parts) {
    QStringList kept;
    for (const QString& part : parts) {
        if (!part.trimmed().isEmpty())
            kept.append(part.trimmed());
    }
    return kept.join(kJoin);
}

struct CardBuilder {
    QString family, given, additional, formatted, organisation, street, extended, town, postcode, uid;
    QStringList phones, emails, notes;
    // What has no field of its own, as "Label: value" lines, in the card's order; the company's line is
    // left out when the company names the contact.
    QStringList extras;
    qsizetype organisationLine = -1;
    QStringList leftOut;
    bool haveAddress = false;
    // The property each line of `extras` comes from (set in `source` while it is taken), -1 for the parts
    // of the address the contact keeps in its fields.
    QList<qsizetype> extraSources;
    qsizetype source = -1;

    void extra(const QString& label, const QString& value) {
        if (!value.trimmed().isEmpty()) {
            extras.append(label + QStringLiteral(": ") + oneLine(value.trimmed()));
            extraSources.append(source);
        }
    }

    void take(const Property& p) {
        if (p.name == "N") {
            const QStringList parts = splitStructuredValue(p.value);
            family = parts.value(0);
            given = parts.value(1);
            additional = parts.value(2);
        } else if (p.name == "FN") {
            formatted = unescapeContentText(p.value);
        } else if (p.name == "UID") {
            uid = unescapeContentText(p.value).trimmed();
        } else if (p.name == "ORG") {
            const QStringList parts = splitStructuredValue(p.value);
            organisation = parts.value(0);
            organisationLine = extras.size();
            extra(QStringLiteral("Empresa"), joinedParts(parts));
            if (extras.size() == organisationLine)
                organisationLine = -1;
        } else if (p.name == "ADR" && !haveAddress) {
            const QStringList parts = splitStructuredValue(p.value);
            extended = parts.value(1);
            street = parts.value(2);
            town = parts.value(3);
            postcode = parts.value(5);
            haveAddress = true;
            const qsizetype taken = std::exchange(source, -1);
            extra(QStringLiteral("Apartado"), parts.value(0));
            if (!street.isEmpty())
                extra(QStringLiteral("Más señas"), extended);
            extra(QStringLiteral("Provincia"), parts.value(4));
            extra(QStringLiteral("País"), parts.value(6));
            source = taken;
        } else if (p.name == "ADR") {
            const QStringList parts = splitStructuredValue(p.value);
            const QString place =
                joinedParts({parts.value(5), parts.value(3)}).replace(kJoin, QStringLiteral(" "));
            extra(QStringLiteral("Otra dirección"),
                  joinedParts({parts.value(0), parts.value(1), parts.value(2), place, parts.value(4),
                               parts.value(6)}));
        } else if (p.name == "TEL") {
            const QString phone =
                withoutScheme(unescapeContentText(p.value), QLatin1String("tel:")).trimmed();
            if (!phone.isEmpty())
                phones.append(phone);
        } else if (p.name == "EMAIL") {
            const QString email =
                withoutScheme(unescapeContentText(p.value), QLatin1String("mailto:")).trimmed();
            if (!email.isEmpty())
                emails.append(email);
        } else if (p.name == "NOTE") {
            notes.append(unescapeContentText(p.value));
        } else if (const QString caption = textCaptionOf(p.name); !caption.isEmpty()) {
            extra(caption, unescapeContentText(p.value));
        } else if (p.name == "PHOTO" || p.name == "LOGO" || p.name == "SOUND" || p.name == "KEY") {
            const QString what = p.name == "PHOTO"  ? QStringLiteral("la foto")
                                 : p.name == "LOGO" ? QStringLiteral("el logotipo")
                                 : p.name == "KEY"  ? QStringLiteral("la clave de cifrado")
                                                    : QStringLiteral("el sonido");
            if (!leftOut.contains(what))
                leftOut.append(what);
        }
    }

    // Whether the company gives the contact its name, for want of any other.
    bool namedByOrganisation() const {
        return family.trimmed().isEmpty() && formatted.trimmed().isEmpty() &&
               !organisation.trimmed().isEmpty();
    }

    // The lines of `extras` the reference holds after the notes, each with the property it comes from.
    QList<std::pair<QString, qsizetype>> referenceExtras() const {
        QList<std::pair<QString, qsizetype>> lines;
        for (qsizetype i = 0; i < extras.size(); ++i) {
            // Left out only when the name already holds the whole of it.
            if (i != organisationLine || !namedByOrganisation() ||
                extras.at(i) != QStringLiteral("Empresa: ") + oneLine(organisation.trimmed()))
                lines.append({extras.at(i), extraSources.value(i, -1)});
        }
        return lines;
    }

    // The card's seven fields, or an empty list when it has no name at all.
    QStringList fields() const {
        QString surname = family;
        QString firstName = additional.trimmed().isEmpty() ? given : given + u' ' + additional;
        if (surname.trimmed().isEmpty() && !formatted.trimmed().isEmpty()) {
            surname = formatted;
            // The formatted name is the whole name: a given name it already holds is not repeated.
            if (formatted.contains(firstName.trimmed(), Qt::CaseInsensitive))
                firstName.clear();
        }
        if (surname.trimmed().isEmpty() && !organisation.trimmed().isEmpty())
            surname = organisation;
        for (const QString& fallback : {emails.value(0), phones.value(0)}) {
            if (surname.trimmed().isEmpty())
                surname = fallback;
        }
        if (surname.trimmed().isEmpty())
            return {};
        QStringList reference = notes;
        for (const auto& [line, from] : referenceExtras())
            reference.append(line);
        QStringList result(kContactFieldCount);
        result[Surname] = oneLine(surname);
        result[FirstName] = oneLine(firstName);
        result[Address] = oneLine(street.isEmpty() ? extended : street);
        result[Town] = oneLine(postcode.trimmed().isEmpty() ? town : postcode + u' ' + town);
        result[Phones] = oneLine(phones.join(kJoin));
        result[Emails] = oneLine(emails.join(kJoin));
        result[Reference] = reference.join(u'\n');
        return result;
    }
};

QString escapeComponent(const QString& text) {
    return escapeContentText(oneLine(text));
}

// A field written back as several values only when joining them again gives the very same text.
QStringList splitValues(const QString& field) {
    const QStringList parts = field.split(kJoin);
    for (const QString& part : parts) {
        if (part.isEmpty() || part.trimmed() != part)
            return {field};
    }
    return parts;
}

// One property of a card as the text holds it: its lines as they were (folded, CR LF ended), and read.
struct CardEntry {
    QByteArray raw;
    std::optional<Property> property;

    bool is(const char* name) const { return property && property->name == name; }
};

// The text's properties, each with the lines it was written on, as logicalLines joins them.
QList<CardEntry> cardEntries(const QByteArray& bytes) {
    QList<CardEntry> entries;
    QByteArray logical;
    bool softBreak = false;
    const auto close = [&] {
        if (!entries.isEmpty())
            entries.last().property = parseProperty(withoutForbiddenControls(logical));
    };
    for (const QByteArray& line : physicalLines(bytes)) {
        const bool folded = !line.isEmpty() && (line.front() == ' ' || line.front() == '\t');
        if (!entries.isEmpty() && (softBreak || folded)) {
            entries.last().raw += line + "\r\n";
            if (softBreak) {
                logical.chop(1);
                logical += line;
            } else {
                logical += line.mid(1);
            }
        } else if (line.trimmed().isEmpty()) {
            softBreak = false;
            continue;
        } else {
            close();
            entries.append({line + "\r\n", std::nullopt});
            logical = line;
        }
        softBreak = logical.endsWith('=') && isQuotedPrintable(logical);
    }
    close();
    return entries;
}

// `entries` without those `which` picks, `replacement` where the first of them was (before the card's end
// when there was none).
void replaceEntries(QList<CardEntry>& entries, const std::function<bool(const CardEntry&)>& which,
                    const QList<CardEntry>& replacement) {
    qsizetype at = -1;
    for (qsizetype i = 0; i < entries.size();) {
        if (which(entries.at(i))) {
            if (at < 0)
                at = i;
            entries.removeAt(i);
        } else {
            ++i;
        }
    }
    if (at < 0) {
        at = entries.size();
        for (qsizetype i = entries.size() - 1; i >= 0; --i) {
            if (entries.at(i).is("END")) {
                at = i;
                break;
            }
        }
    }
    for (const CardEntry& entry : replacement)
        entries.insert(at++, entry);
}

// A phone number or e-mail address of a TEL or EMAIL property, as the contact holds it.
QString valueOfEntry(const CardEntry& entry) {
    const bool phone = entry.is("TEL");
    return withoutScheme(unescapeContentText(entry.property->value),
                         phone ? QLatin1String("tel:") : QLatin1String("mailto:"))
        .trimmed();
}

// The `name` properties of `entries` giving the values `made` gives: a value the card had keeps its line
// (with its type), a new one takes the line of `made`.
void replaceValues(QList<CardEntry>& entries, const QList<CardEntry>& made, const char* name) {
    QList<CardEntry> old;
    for (const CardEntry& entry : std::as_const(entries)) {
        if (entry.is(name))
            old.append(entry);
    }
    QList<CardEntry> wanted;
    for (const CardEntry& entry : made) {
        if (!entry.is(name))
            continue;
        const QString value = valueOfEntry(entry);
        const auto same = std::find_if(old.begin(), old.end(),
                                       [&](const CardEntry& e) { return valueOfEntry(e) == value; });
        if (same != old.end()) {
            wanted.append(*same);
            old.erase(same);
        } else {
            wanted.append(entry);
        }
    }
    replaceEntries(
        entries, [name](const CardEntry& e) { return e.is(name); }, wanted);
}

// The property line with `value`, its parameters as `entry` had them but for the encoding of vCard 2.1.
CardEntry withValue(const CardEntry& entry, const QString& value) {
    const QByteArray line = entry.raw;
    QByteArray logical;
    for (const QByteArray& physical : physicalLines(line))
        logical += physical.startsWith(' ') || physical.startsWith('\t') ? physical.mid(1) : physical;
    QList<QByteArray> header = logical.left(headerEnd(logical)).split(';');
    QList<QByteArray> kept = {header.takeFirst()};
    for (const QByteArray& param : std::as_const(header)) {
        const QByteArray upper = param.trimmed().toUpper();
        if (upper != "QUOTED-PRINTABLE" && !upper.startsWith("ENCODING=") && !upper.startsWith("CHARSET="))
            kept.append(param);
    }
    CardEntry made;
    made.raw = foldedContentLine(QString::fromUtf8(kept.join(';')) + u':' + value);
    made.property = parseProperty(kept.join(';') + ':' + value.toUtf8());
    return made;
}

// The card its entries give, each line of its extras knowing the entry it comes from.
CardBuilder cardOf(const QList<CardEntry>& entries) {
    CardBuilder card;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries.at(i).property && !entries.at(i).is("BEGIN") && !entries.at(i).is("END")) {
            card.source = i;
            card.take(*entries.at(i).property);
        }
    }
    return card;
}

QList<CardEntry> entriesNamed(const QList<CardEntry>& entries, const char* name) {
    QList<CardEntry> named;
    for (const CardEntry& entry : entries) {
        if (entry.is(name))
            named.append(entry);
    }
    return named;
}

// The card's notes and extras after the contact's reference changed to `reference`: the note becomes the
// lines of the reference no other property of the card gives, in place of the first note or before the
// card's end, and a property whose line the user took out of the reference goes.
void updateReference(QList<CardEntry>& entries, const CardBuilder& card, const QString& reference) {
    QStringList rest = reference.isEmpty() ? QStringList() : reference.split(u'\n');
    // Whole properties whose line of the reference the agenda took out; marked first, removed last, so that
    // the places found below stay right.
    QSet<qsizetype> dropped;
    const QList<std::pair<QString, qsizetype>> extras = card.referenceExtras();
    for (auto extra = extras.crbegin(); extra != extras.crend(); ++extra) {
        const qsizetype at = rest.lastIndexOf(extra->first);
        if (at >= 0)
            rest.removeAt(at);
        else if (extra->second >= 0)
            dropped.insert(extra->second);
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries.at(i).is("NOTE"))
            dropped.insert(i);
    }
    const QString note = rest.join(u'\n');
    if (!note.isEmpty()) {
        CardEntry line;
        line.raw = foldedContentLine(QStringLiteral("NOTE:") + escapeContentText(note));
        line.property = parseProperty(line.raw.trimmed());
        const auto first =
            std::find_if(entries.cbegin(), entries.cend(), [](const CardEntry& e) { return e.is("NOTE"); });
        if (first != entries.cend()) {
            const qsizetype at = first - entries.cbegin();
            entries[at] = line;
            dropped.remove(at);
        } else {
            for (qsizetype i = entries.size() - 1; i >= 0; --i) {
                if (entries.at(i).is("END")) {
                    entries.insert(i, line);
                    break;
                }
            }
        }
    }
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (dropped.contains(i))
            entries.removeAt(i);
    }
}

// The parts of an ADR value with the contact's street and town: the street where the card had it; the
// place alone, or after the postcode it kept.
QStringList addressParts(QStringList parts, const QString& street, const QString& town) {
    while (parts.size() < 7)
        parts.append(QString());
    if (parts.at(2).isEmpty() && !parts.at(1).isEmpty() && !street.isEmpty())
        parts[1] = street;
    else
        parts[2] = street;
    if (street.isEmpty())
        parts[1].clear();
    if (!parts.at(5).isEmpty() && town.startsWith(parts.at(5) + u' ')) {
        parts[3] = town.mid(parts.at(5).size() + 1);
    } else {
        parts[5].clear();
        parts[3] = town;
    }
    return parts;
}

// The card's first address with the contact's street and town, or the addresses `made` gives when the
// card has none.
void updateAddress(QList<CardEntry>& entries, const QList<CardEntry>& made, const QString& street,
                   const QString& town) {
    const auto first =
        std::find_if(entries.begin(), entries.end(), [](const CardEntry& e) { return e.is("ADR"); });
    if (first == entries.end()) {
        replaceEntries(
            entries, [](const CardEntry&) { return false; }, made);
        return;
    }
    const QStringList parts = addressParts(splitStructuredValue(first->property->value), street, town);
    if (std::all_of(parts.cbegin(), parts.cend(), [](const QString& p) { return p.isEmpty(); })) {
        entries.erase(first);
        return;
    }
    QStringList escaped;
    for (const QString& part : parts)
        escaped.append(escapeComponent(part));
    *first = withValue(*first, escaped.join(u';'));
}

// One logical line of a card file, read without the control characters it may hold.
struct CardLine {
    std::optional<Property> property;
    bool begin = false;
    bool end = false;
    QString value; // trimmed, in upper case
    // Why a card holding the line is left out: the control character it held; empty when none.
    QString damage;
};

CardLine cardLineOf(const QByteArray& raw) {
    CardLine line;
    const qsizetype control = forbiddenControlAt(QByteArrayView(raw));
    // Read without it, so the card's end is still found; outside a card the line is refused as before.
    line.property = parseProperty(control >= 0 ? withoutForbiddenControls(raw) : raw);
    line.begin = line.property && line.property->name == "BEGIN";
    line.end = line.property && line.property->name == "END";
    line.value = line.property ? line.property->value.trimmed().toUpper() : QString();
    if (control >= 0)
        line.damage = forbiddenControlReason(static_cast<unsigned char>(raw.at(control)));
    return line;
}

// Reads the cards of a file line by line into a reading.
class CardsReader {
public:
    explicit CardsReader(VCardReading& reading) : reading_(reading) {}

    // False when the line refuses the file.
    bool take(const CardLine& line);
    // Refuses a file cut short or without cards; a refused file gives no cards.
    void finish();

private:
    // A line between cards: where an address book or a card begins, or where the book ends.
    bool takeBetweenCards(const CardLine& line);
    bool endCard(const CardLine& line);
    bool refuse(const QString& why) {
        reading_.refusal = why;
        return false;
    }

    VCardReading& reading_;
    std::optional<CardBuilder> card_;
    int cardNumber_ = 0;
    // Inside BEGIN:VADDRESSBOOK ... END:VADDRESSBOOK, as vdirsyncer keeps an address book in one file.
    bool inBook_ = false;
    // Why the open card is left out: a control character the format does not allow in a line.
    QString cardProblem_;
};

bool CardsReader::take(const CardLine& line) {
    if (!card_)
        return takeBetweenCards(line);
    if (line.begin)
        return refuse(
            QStringLiteral("la tarjeta %1 contiene otra tarjeta: archivo mal anidado").arg(cardNumber_));
    if (line.end)
        return endCard(line);
    if (cardProblem_.isEmpty())
        cardProblem_ = line.damage;
    // Lines without a colon inside a card are the rest of a photo a phone did not fold.
    if (line.property)
        card_->take(*line.property);
    return true;
}

bool CardsReader::takeBetweenCards(const CardLine& line) {
    if (line.begin && line.value == u"VADDRESSBOOK" && cardNumber_ == 0 && !inBook_ &&
        line.damage.isEmpty()) {
        inBook_ = true;
        return true;
    }
    if (line.end && line.value == u"VADDRESSBOOK" && inBook_ && line.damage.isEmpty()) {
        inBook_ = false;
        return true;
    }
    if (line.begin && line.value == u"VCARD") {
        card_.emplace();
        ++cardNumber_;
        cardProblem_ = line.damage;
        return true;
    }
    return refuse(
        cardNumber_ == 0
            ? QStringLiteral("no es un archivo vCard (no empieza por BEGIN:VCARD)")
            : QStringLiteral("hay texto fuera de las tarjetas, tras la tarjeta %1").arg(cardNumber_));
}

bool CardsReader::endCard(const CardLine& line) {
    if (line.value != u"VCARD")
        return refuse(QStringLiteral("END:%1 cierra la tarjeta %2: archivo mal anidado")
                          .arg(line.property->value.trimmed())
                          .arg(cardNumber_));
    if (cardProblem_.isEmpty())
        cardProblem_ = line.damage;
    const QStringList fields = card_->fields();
    if (!cardProblem_.isEmpty()) {
        reading_.skipped.append(
            QStringLiteral("tarjeta %1%2: %3")
                .arg(QString::number(cardNumber_),
                     fields.isEmpty() ? QString() : QStringLiteral(" («%1»)").arg(fields.value(Surname)),
                     cardProblem_));
    } else if (fields.isEmpty()) {
        reading_.skipped.append(QStringLiteral("tarjeta %1: no tiene nombre").arg(cardNumber_));
    } else {
        reading_.contacts.append(fields);
        reading_.uids.append(card_->uid);
        for (const QString& what : std::as_const(card_->leftOut))
            reading_.skipped.append(
                QStringLiteral("«%1»: %2 no se importa").arg(fields.value(Surname), what));
    }
    card_.reset();
    return true;
}

void CardsReader::finish() {
    if (reading_.refusal.isEmpty() && card_)
        reading_.refusal =
            QStringLiteral("el archivo está cortado: falta END:VCARD en la tarjeta %1").arg(cardNumber_);
    if (reading_.refusal.isEmpty() && inBook_)
        reading_.refusal = QStringLiteral("el archivo está cortado: falta END:VADDRESSBOOK");
    if (reading_.refusal.isEmpty() && cardNumber_ == 0)
        reading_.refusal = QStringLiteral("no es un archivo vCard (no tiene ninguna tarjeta)");
    if (!reading_.refusal.isEmpty()) {
        reading_.contacts.clear();
        reading_.uids.clear();
        reading_.skipped.clear();
    }
}

} // namespace

QByteArray updatedVCard(const QByteArray& previous, const QByteArray& fresh) {
    const VCardReading before = readVCards(previous);
    const VCardReading after = readVCards(fresh);
    if (before.contacts.size() != 1 || after.contacts.size() != 1)
        return {};
    QList<CardEntry> entries = cardEntries(previous);
    const QList<CardEntry> made = cardEntries(fresh);
    if (std::count_if(entries.cbegin(), entries.cend(), [](const CardEntry& e) { return e.is("BEGIN"); }) !=
        1)
        return {};
    const QStringList& old = before.contacts.first();
    const QStringList& now = after.contacts.first();
    if (old.value(Reference) != now.value(Reference))
        updateReference(entries, cardOf(entries), now.value(Reference));
    if (old.value(Surname) != now.value(Surname) || old.value(FirstName) != now.value(FirstName)) {
        replaceEntries(
            entries, [](const CardEntry& e) { return e.is("FN"); }, entriesNamed(made, "FN"));
        replaceEntries(
            entries, [](const CardEntry& e) { return e.is("N"); }, entriesNamed(made, "N"));
    }
    if (old.value(Address) != now.value(Address) || old.value(Town) != now.value(Town))
        updateAddress(entries, entriesNamed(made, "ADR"), now.value(Address), now.value(Town));
    if (old.value(Phones) != now.value(Phones))
        replaceValues(entries, made, "TEL");
    if (old.value(Emails) != now.value(Emails))
        replaceValues(entries, made, "EMAIL");

    QByteArray out;
    for (const CardEntry& entry : std::as_const(entries))
        out += entry.raw;
    return out;
}

VCardReading readVCards(const QByteArray& bytes) {
    VCardReading reading;
    if (bytes.size() > kMaxFileBytes) {
        reading.refusal = QStringLiteral("el archivo es demasiado grande (más de 64 MB)");
        return reading;
    }
    QByteArray input = bytes;
    if (input.startsWith("\xEF\xBB\xBF"))
        input.remove(0, 3);
    // A NUL in a card is a damaged card, left out below; a file that holds one and is no set of cards is
    // a file of another kind.
    if (input.contains('\0') && !input.trimmed().left(11).toUpper().startsWith("BEGIN:VCARD")) {
        reading.refusal = QStringLiteral("no es un archivo de texto");
        return reading;
    }
    CardsReader reader(reading);
    LogicalLines lines(input);
    for (QByteArray line; lines.next(line);) {
        if (!reader.take(cardLineOf(line)))
            break;
    }
    reader.finish();
    return reading;
}

QByteArray writeVCards(const QList<ExportedCard>& exported, const QString& category) {
    QByteArray out;
    const auto line = [&out](const QString& text) { out += foldedContentLine(text); };
    for (const ExportedCard& each : exported) {
        const QStringList& card = each.fields;
        const QString surname = surnameWithoutNumber(card.value(Surname));
        const QString firstName = card.value(FirstName);
        line(QStringLiteral("BEGIN:VCARD"));
        line(QStringLiteral("VERSION:4.0"));
        if (!each.uid.isEmpty())
            line(QStringLiteral("UID:") + escapeComponent(each.uid));
        const QString formatted = firstName.trimmed().isEmpty() ? surname : firstName + u' ' + surname;
        line(QStringLiteral("FN:") + escapeComponent(formatted));
        line(QStringLiteral("N:") + escapeComponent(surname) + u';' + escapeComponent(firstName) +
             QStringLiteral(";;;"));
        if (!card.value(Address).isEmpty() || !card.value(Town).isEmpty())
            line(QStringLiteral("ADR:;;") + escapeComponent(card.value(Address)) + u';' +
                 escapeComponent(card.value(Town)) + QStringLiteral(";;;"));
        if (!card.value(Phones).isEmpty()) {
            for (const QString& phone : splitValues(card.value(Phones)))
                line(QStringLiteral("TEL:") + escapeComponent(phone));
        }
        if (!card.value(Emails).isEmpty()) {
            for (const QString& email : splitValues(card.value(Emails)))
                line(QStringLiteral("EMAIL:") + escapeComponent(email));
        }
        if (!card.value(Reference).isEmpty())
            line(QStringLiteral("NOTE:") + escapeContentText(card.value(Reference)));
        if (!category.isEmpty())
            line(QStringLiteral("CATEGORIES:") + escapeContentText(category));
        if (each.revision.isValid())
            line(QStringLiteral("REV:") +
                 each.revision.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")));
        line(QStringLiteral("END:VCARD"));
    }
    return out;
}

} // namespace quindara
