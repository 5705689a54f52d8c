// mkart draws every picture the program needs, at build time:
//   mkart --keys resources/wubi86-keys.tsv --beside build/bin --compiled build/resources/pictures
// The same input gives the same bytes on every run: nothing depends on the clock or on chance.
#include "tools/mkart/keytable.h"
#include "tools/mkart/outputs.h"
#include "tools/mkart/painting.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

namespace {

enum ExitStatus {
    kOk = 0,
    kUsage = 2,
    kBadKeyTable = 3,
    kNoFonts = 4,
    kWriteFailed = 5,
};

int usage(QTextStream& err) {
    err << "usage: mkart --keys KEYS.tsv --beside DIR --compiled DIR [--icons DIR]\n"
           "  --keys      the Wubi 86 key table (UTF-8, TAB-separated)\n"
           "  --beside    where the bitmaps and set.txt that ship beside the program go\n"
           "  --compiled  where the PNGs compiled into the program go\n"
           "  --icons     where the icon theme's sizes of the application's icon go\n";
    err.flush();
    return kUsage;
}

} // namespace

int main(int argc, char** argv) {
    // Drawing needs no screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    QString keys;
    QString beside;
    QString compiled;
    QString icons; // optional: the icon theme's folder
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size())
            return usage(err);
        if (a == QLatin1String("--keys"))
            keys = args[++i];
        else if (a == QLatin1String("--beside"))
            beside = args[++i];
        else if (a == QLatin1String("--compiled"))
            compiled = args[++i];
        else if (a == QLatin1String("--icons"))
            icons = args[++i];
        else
            return usage(err);
    }
    if (keys.isEmpty() || beside.isEmpty() || compiled.isEmpty())
        return usage(err);

    using namespace tovrin::mkart;
    const KeyTable table = loadKeyTable(keys);
    if (!table.ok()) {
        err << "mkart: " << table.error << '\n';
        return kBadKeyTable;
    }
    if (const QString fonts = checkFonts(); !fonts.isEmpty()) {
        err << "mkart: " << fonts << '\n';
        return kNoFonts;
    }
    // A radical the faces lack is drawn by the font fallback; say so, as it may look out of place.
    for (const auto& k : table.keys) {
        const QString text = k.name + k.radicals.join(QString()) + k.verse;
        for (const QFont& font : {sansFont(12), serifFont(12)}) {
            const QString missing = missingGlyphs(font, text);
            if (!missing.isEmpty())
                err << "mkart: warning: " << font.family() << " has no glyph for " << missing
                    << " (key " << k.letter << ")\n";
        }
    }

    QStringList errors;
    for (const QString& dir : {beside, compiled}) {
        if (!QDir().mkpath(dir))
            errors.append(dir + QStringLiteral(": cannot create the folder"));
    }
    if (errors.isEmpty()) {
        errors += writeBesideProgram(table, beside);
        errors += writeCompiled(compiled);
        if (!icons.isEmpty())
            errors += writeThemeIcons(icons, QStringLiteral(TOVRIN_APP_ID));
    }
    for (const QString& e : errors)
        err << "mkart: " << e << '\n';
    err.flush();
    return errors.isEmpty() ? kOk : kWriteFailed;
}
