// The Wubi 86 key table the charts are drawn from: one row per key, read from
// resources/wubi86-keys.tsv (UTF-8, TAB-separated, lines starting with "#" are comments).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tovrin::mkart {

struct KeyEntry {
    QChar letter;         // 'A' to 'Y'; Z is the learning key and has no row
    int code = 0;         // zone-position code: 11 to 55
    QString name;         // the key-name character, e.g. 王
    QStringList radicals; // the main radicals, in table order
    QString verse;        // the mnemonic verse

    int zone() const { return code / 10; }
    int position() const { return code % 10; }
};

// All 25 keys, or none and the reason.
struct KeyTable {
    QList<KeyEntry> keys;
    QString error;

    bool ok() const { return error.isEmpty(); }
    const KeyEntry* find(QChar letter) const;
};

// Reads the table and checks it: 25 rows, letters A to Y once each, codes 11 to 55 once each.
KeyTable loadKeyTable(const QString& path);
KeyTable parseKeyTable(const QByteArray& utf8);

} // namespace tovrin::mkart
