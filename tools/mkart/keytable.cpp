#include "tools/mkart/keytable.h"

#include <QFile>
#include <QSet>

namespace tovrin::mkart {

const KeyEntry* KeyTable::find(QChar letter) const {
    for (const auto& k : keys) {
        if (k.letter == letter)
            return &k;
    }
    return nullptr;
}

namespace {

KeyTable failure(QString reason) {
    KeyTable t;
    t.error = std::move(reason);
    return t;
}

QString lineNo(int n) {
    return QStringLiteral("line %1: ").arg(n);
}

} // namespace

KeyTable parseKeyTable(const QByteArray& utf8) {
    KeyTable table;
    QSet<QChar> letters;
    QSet<int> codes;
    const QString text = QString::fromUtf8(utf8);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        const int n = i + 1;
        if (f.size() != 5)
            return failure(
                lineNo(n) +
                QStringLiteral("expected 5 TAB-separated fields, found %1").arg(f.size()));
        if (f[0].size() != 1 || f[0][0] < QLatin1Char('A') || f[0][0] > QLatin1Char('Y'))
            return failure(lineNo(n) + QStringLiteral("the key must be one letter A to Y"));
        bool isNumber = false;
        const int code = f[1].toInt(&isNumber);
        if (!isNumber || code / 10 < 1 || code / 10 > 5 || code % 10 < 1 || code % 10 > 5)
            return failure(lineNo(n) + QStringLiteral("the code must be 11 to 55"));
        if (f[2].isEmpty() || f[4].isEmpty())
            return failure(lineNo(n) + QStringLiteral("the key name and the verse are required"));
        KeyEntry k;
        k.letter = f[0][0];
        k.code = code;
        k.name = f[2];
        k.radicals = f[3].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        k.verse = f[4];
        if (k.radicals.isEmpty())
            return failure(lineNo(n) + QStringLiteral("no radicals"));
        if (letters.contains(k.letter))
            return failure(lineNo(n) + QStringLiteral("the key %1 appears twice").arg(k.letter));
        if (codes.contains(code))
            return failure(lineNo(n) + QStringLiteral("the code %1 appears twice").arg(code));
        letters.insert(k.letter);
        codes.insert(code);
        table.keys.append(std::move(k));
    }
    if (table.keys.size() != 25)
        return failure(QStringLiteral("expected 25 keys, found %1").arg(table.keys.size()));
    return table;
}

KeyTable loadKeyTable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(path + QStringLiteral(": ") + file.errorString());
    KeyTable table = parseKeyTable(file.readAll());
    if (!table.ok())
        table.error = path + QStringLiteral(": ") + table.error;
    return table;
}

} // namespace tovrin::mkart
