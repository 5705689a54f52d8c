// The settings dialog driven through its real controls, offscreen.
#include "platform/autostart.h"
#include "platform/programfiles.h"
#include "tests/ui/controls.h"
#include "ui/common/fonts.h"
#include "ui/settings/form2.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tovrin;

namespace {

const QString kProgram = QStringLiteral("/opt/五笔 学习/bin/tovrin");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

} // namespace

class Form2Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> settings; // the folder set.txt is written to
    std::unique_ptr<QTemporaryDir> config;   // XDG_CONFIG_HOME, for the autostart entry
    QByteArray oldConfig;
    platform::Autostart autostart;
    std::unique_ptr<Form2> form;
    QList<int> previews;
    int saves = 0;
    QStringList told;

    // The dialog opened on the line of a set.txt already stored.
    void openOverStored(const char* line) {
        QFile old(setFile());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(line) + "\r\n");
        old.close();
        open(QString::fromLatin1(line));
    }
    void open(const QString& setLine, bool hotKeysAvailable = true, bool wayland = false) {
        form.reset();
        previews.clear();
        saves = 0;
        told.clear();
        Form2::Links links;
        links.setLine = setLine;
        links.files = &files();
        links.programPath = kProgram.toStdString();
        links.autostart = &autostart;
        links.hotKeysAvailable = hotKeysAvailable;
        links.preview = [this](int chart) { previews << chart; };
        links.saved = [this] { ++saves; };
        links.tell = [this](const QString&, const QString& text) { told << text; };
        links.waylandSession = wayland;
        links.tellOnce = links.tell;
        form = std::make_unique<Form2>(std::move(links));
        form->show();
    }
    template <class T> T* child(const QString& name) { return control<T>(form.get(), name); }
    QComboBox* combo(const QString& name) { return child<QComboBox>(name); }
    bool checked(const QString& name) { return child<QRadioButton>(name)->isChecked(); }
    void click(const QString& name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); }
    // A key in the list is chosen with the arrow keys, as from the list; any other text is
    // typed over the box's text.
    void enterKey(const QString& name, const QString& key) {
        QComboBox* box = combo(name);
        const int index = box->findText(key);
        if (index < 0) {
            box->lineEdit()->selectAll();
            QTest::keyClicks(box->lineEdit(), key);
        } else {
            for (int i = box->currentIndex(); i < index; ++i)
                QTest::keyClick(box->lineEdit(), Qt::Key_Down);
            for (int i = box->currentIndex(); i > index; --i)
                QTest::keyClick(box->lineEdit(), Qt::Key_Up);
        }
        QCOMPARE(box->currentText(), key);
    }
    QString setFile() const { return settings->filePath(QStringLiteral("set.txt")); }
    // set.txt's place as the program finds it.
    const platform::ProgramFiles& files() {
        files_ = platform::ProgramFiles({}, settings->path().toStdString());
        return files_;
    }
    platform::ProgramFiles files_{{}, {}};
    QString entryFile() const {
        return config->filePath(QStringLiteral("autostart/Tovrin.desktop"));
    }

private Q_SLOTS:
    void initTestCase() { platform::registerFontSubstitutions(); }

    void init() {
        settings = std::make_unique<QTemporaryDir>();
        config = std::make_unique<QTemporaryDir>();
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config->path()));
    }
    void cleanup() {
        form.reset();
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }

    void theDialogAsDesigned() {
        open(QString());
        QCOMPARE(form->windowTitle(), QStringLiteral(" 设置"));
        QCOMPARE(form->size(), QSize(400, 225)); // 6000 x 3375 twips
        QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(form->isModal());
        QCOMPARE(child<QGroupBox>(QStringLiteral("Frame1"))->title(), QStringLiteral("选择Tovrin"));
        QCOMPARE(child<QGroupBox>(QStringLiteral("Frame2"))->title(),
                 QStringLiteral("呼出热键（ESC键退出）"));
        QCOMPARE(child<QGroupBox>(QStringLiteral("Frame4"))->title(),
                 QStringLiteral("软件是否随系统启动"));
        QCOMPARE(child<QLabel>(QStringLiteral("Label1"))->text(), QStringLiteral("Tovrin"));
        QCOMPARE(child<QLabel>(QStringLiteral("Label2"))->text(), QStringLiteral("五笔编码查询"));
        QCOMPARE(child<QRadioButton>(QStringLiteral("Option3"))->text(),
                 QStringLiteral("字根表图3"));
        QCOMPARE(child<QRadioButton>(QStringLiteral("Option29"))->text(),
                 QStringLiteral("不随系统启动"));
        QCOMPARE(child<QPushButton>(QStringLiteral("Command1"))->text(), QStringLiteral("确定"));
        QCOMPARE(child<QPushButton>(QStringLiteral("Command2"))->text(), QStringLiteral("退出"));
        for (const QString& name : {QStringLiteral("Combo1"), QStringLiteral("Combo2")}) {
            QComboBox* box = combo(name);
            QVERIFY(box->isEditable());
            QCOMPARE(box->count(), 12);
            QCOMPARE(box->itemText(0), QStringLiteral("F1"));
            QCOMPARE(box->itemText(11), QStringLiteral("F12"));
        }
        for (const QString& name : {QStringLiteral("Command1"), QStringLiteral("Command2")})
            QCOMPARE(child<QPushButton>(name)->focusPolicy(), Qt::NoFocus);
        // Places in twips, 15 to a pixel, inside a frame relative to it.
        QCOMPARE(child<QWidget>(QStringLiteral("Frame2"))->geometry(), QRect(14, 68, 369, 53));
        QCOMPARE(combo(QStringLiteral("Combo2"))->geometry(), QRect(270, 22, 65, 20));
        QCOMPARE(child<QWidget>(QStringLiteral("Option29"))->geometry(), QRect(204, 22, 117, 21));
        QCOMPARE(child<QWidget>(QStringLiteral("Command1"))->geometry(), QRect(75, 192, 97, 25));
    }

    void storingWritesTheLine_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("chartKey");  // "" leaves Combo1 as it is
        QTest::addColumn<QString>("lookupKey"); // "" leaves Combo2 as it is
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("designed choices")
            << QString() << QString() << QString() << QByteArray("10102\r\n");
        QTest::newRow("chart 3, F12, F9") << QStringLiteral("Option3") << QStringLiteral("F12")
                                          << QStringLiteral("F9") << QByteArray("31209\r\n");
    }
    void storingWritesTheLine() {
        QFETCH(QString, option);
        QFETCH(QString, chartKey);
        QFETCH(QString, lookupKey);
        QFETCH(QByteArray, bytes);
        openOverStored("20312");          // stored settings are replaced whole
        click(QStringLiteral("Option1")); // back to the designed choices first
        enterKey(QStringLiteral("Combo1"), QStringLiteral("F1"));
        enterKey(QStringLiteral("Combo2"), QStringLiteral("F2"));
        if (!option.isEmpty())
            click(option);
        if (!chartKey.isEmpty())
            enterKey(QStringLiteral("Combo1"), chartKey);
        if (!lookupKey.isEmpty())
            enterKey(QStringLiteral("Combo2"), lookupKey);
        QSignalSpy accepted(form.get(), &QDialog::accepted);
        // Enter in a key box is no 确定.
        QTest::keyClick(combo(QStringLiteral("Combo1"))->lineEdit(), Qt::Key_Return);
        QVERIFY(form->isVisible());
        QCOMPARE(saves, 0);
        click(QStringLiteral("Command1"));
        QCOMPARE(readAll(setFile()), bytes);
        QCOMPARE(QDir(settings->path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("set.txt")});
        QCOMPARE(saves, 1);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!form->isVisible());
        QVERIFY(told.isEmpty());
    }

    // A typed key outside F1-F12 is told and stores nothing, autostart included; the dialog
    // stays open, and once the key is corrected the choices are stored.
    void aKeyOutsideF1ToF12IsRefused_data() {
        QTest::addColumn<QString>("chartKey");
        QTest::addColumn<QString>("lookupKey");
        QTest::newRow("F13, F5") << QStringLiteral("F13") << QStringLiteral("F5");
        QTest::newRow("F1, F13") << QStringLiteral("F1") << QStringLiteral("F13");
        QTest::newRow("F7x, F11") << QStringLiteral("F7x") << QStringLiteral("F11");
        QTest::newRow("f3, ESC") << QStringLiteral("f3") << QStringLiteral("ESC");
    }
    void aKeyOutsideF1ToF12IsRefused() {
        QFETCH(QString, chartKey);
        QFETCH(QString, lookupKey);
        openOverStored("20312");
        click(QStringLiteral("Option28"));
        enterKey(QStringLiteral("Combo1"), chartKey);
        enterKey(QStringLiteral("Combo2"), lookupKey);
        click(QStringLiteral("Command1"));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(QStringLiteral("F1 到 F12")), qPrintable(told.first()));
        QCOMPARE(readAll(setFile()), QByteArray("20312\r\n"));
        QVERIFY(!QFile::exists(entryFile()));
        QCOMPARE(saves, 0);
        QVERIFY(form->isVisible());
        enterKey(QStringLiteral("Combo1"), QStringLiteral("F12"));
        enterKey(QStringLiteral("Combo2"), QStringLiteral("F5"));
        click(QStringLiteral("Command1"));
        QCOMPARE(readAll(setFile()), QByteArray("21205\r\n"));
        QVERIFY(QFile::exists(entryFile()));
        QCOMPARE(saves, 1);
    }

    void theOpeningChoicesComeFromTheChartWindowsLine_data() {
        QTest::addColumn<QString>("setLine");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("chartKey");
        QTest::addColumn<QString>("lookupKey");
        QTest::addColumn<QByteArray>("stored"); // set.txt after 确定 at once
        auto row = [](const char* name, const char* line, const char* option, const char* key1,
                      const char* key2, const char* stored) {
            QTest::newRow(name) << QString::fromLatin1(line) << QString::fromLatin1(option)
                                << QString::fromLatin1(key1) << QString::fromLatin1(key2)
                                << QByteArray(stored);
        };
        row("chart 2, F3, F12", "20312", "Option2", "F3", "F12", "20312\r\n");
        row("chart 3, F10, F1", "31001", "Option3", "F10", "F1", "31001\r\n");
        row("chart only", "3", "Option3", "F1", "F2", "30102\r\n");
        row("keys out of range", "21300", "Option2", "F1", "F2", "20102\r\n");
        row("no chart, one key", "40599", "Option1", "F5", "F2", "10502\r\n");
        row("nothing read", "", "Option1", "F1", "F2", "10102\r\n");
        row("not a line", "abcde", "Option1", "F1", "F2", "10102\r\n");
    }
    void theOpeningChoicesComeFromTheChartWindowsLine() {
        QFETCH(QString, setLine);
        QFETCH(QString, option);
        QFETCH(QString, chartKey);
        QFETCH(QString, lookupKey);
        QFETCH(QByteArray, stored);
        open(setLine);
        QVERIFY(checked(option));
        QCOMPARE(combo(QStringLiteral("Combo1"))->currentText(), chartKey);
        QCOMPARE(combo(QStringLiteral("Combo2"))->currentText(), lookupKey);
        QVERIFY(checked(QStringLiteral("Option29"))); // no autostart entry yet
        QVERIFY(previews.isEmpty());                  // opening shows no other chart
        click(QStringLiteral("Command1"));
        QCOMPARE(readAll(setFile()), stored);
    }

    void leaving_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("退出") << QStringLiteral("Command2");
        QTest::newRow("window closed") << QStringLiteral("close");
        QTest::newRow("Esc") << QStringLiteral("Esc");
    }
    // A chart option shows its chart at once; leaving without 确定 keeps that preview but stores
    // nothing.
    void leaving() {
        QFETCH(QString, how);
        openOverStored("10102");
        click(QStringLiteral("Option2"));
        QCOMPARE(previews, QList<int>{2});
        click(QStringLiteral("Option3"));
        click(QStringLiteral("Option1"));
        QCOMPARE(previews, (QList<int>{2, 3, 1}));
        click(QStringLiteral("Option2"));
        enterKey(QStringLiteral("Combo1"), QStringLiteral("F6"));
        click(QStringLiteral("Option29"));
        QSignalSpy finished(form.get(), &QDialog::finished);
        if (how == QStringLiteral("close"))
            form->close();
        else if (how == QStringLiteral("Esc"))
            QTest::keyClick(form.get(), Qt::Key_Escape);
        else
            click(how);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QVERIFY(!form->isVisible());
        QCOMPARE(readAll(setFile()), QByteArray("10102\r\n"));
        QCOMPARE(saves, 0);
        QVERIFY(!QFile::exists(entryFile()));
        QCOMPARE(previews, (QList<int>{2, 3, 1, 2}));
    }

    void autostartShowsWhetherTheEntryIsThereAndIsStored() {
        open(QStringLiteral("10102"));
        QVERIFY(checked(QStringLiteral("Option29"))); // a first run: no entry
        click(QStringLiteral("Option28"));
        click(QStringLiteral("Command1"));
        QVERIFY(QFileInfo(QString::fromStdString(autostart.entryPath())).isFile());
        QVERIFY(readAll(entryFile()).contains("\nExec=\"/opt/五笔 学习/bin/tovrin\"\n"));

        open(QStringLiteral("10102"));
        QVERIFY(checked(QStringLiteral("Option28")));
        click(QStringLiteral("Option29"));
        click(QStringLiteral("Command1"));
        QVERIFY(!QFile::exists(entryFile()));
        QCOMPARE(saves, 1);

        // Switched off, it shows so; switching off with no entry is no error.
        open(QStringLiteral("10102"));
        QVERIFY(checked(QStringLiteral("Option29")));
        click(QStringLiteral("Command1"));
        QVERIFY(!QFile::exists(entryFile()));
        QCOMPARE(saves, 1);
        QVERIFY(!form->isVisible());
        QVERIFY(told.isEmpty());

        // A program folder whose name no entry can hold (not UTF-8): told, the rest saved.
        Form2::Links links;
        links.setLine = QStringLiteral("10102");
        links.files = &files();
        links.programPath = "/opt/gbk-\xCE\xE5\xB1\xCA/tovrin";
        links.autostart = &autostart;
        links.tell = [this](const QString&, const QString& text) { told << text; };
        Form2 gbkFolder(std::move(links));
        gbkFolder.show();
        QTest::mouseClick(control<QWidget>(&gbkFolder, QStringLiteral("Option28")), Qt::LeftButton);
        QTest::mouseClick(control<QWidget>(&gbkFolder, QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(QStringLiteral("Tovrin.desktop")), qPrintable(told.first()));
        QVERIFY(!QFile::exists(entryFile()));
        QVERIFY(!gbkFolder.isVisible());
    }

    void withoutAutostartTheRestIsStillStored() {
        Form2::Links links;
        links.setLine = QStringLiteral("20312");
        links.files = &files();
        Form2 bare(links); // no autostart and no callbacks
        bare.show();
        QTest::mouseClick(bare.findChild<QWidget*>(QStringLiteral("Option3")), Qt::LeftButton);
        QTest::mouseClick(bare.findChild<QWidget*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(readAll(setFile()), QByteArray("30312\r\n"));
        QVERIFY(!QFile::exists(entryFile()));
        QCOMPARE(bare.result(), int(QDialog::Accepted));
    }

    void aSetFileThatCannotBeWrittenIsToldAndNothingIsStored() {
        QVERIFY(QDir(settings->path()).mkdir(QStringLiteral("set.txt")));
        open(QStringLiteral("10102"));
        click(QStringLiteral("Option3"));
        click(QStringLiteral("Option28"));
        QSignalSpy finished(form.get(), &QDialog::finished);
        click(QStringLiteral("Command1"));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(setFile()), qPrintable(told.first()));
        QCOMPARE(saves, 0);
        QVERIFY(form->isVisible());
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFile::exists(entryFile()));
        QCOMPARE(QDir(settings->path()).entryList(QDir::Files), QStringList());

        // Once the way is clear the same choices are stored.
        QVERIFY(QDir(settings->path()).rmdir(QStringLiteral("set.txt")));
        click(QStringLiteral("Command1"));
        QCOMPARE(readAll(setFile()), QByteArray("30102\r\n"));
        QCOMPARE(saves, 1);
        QVERIFY(QFile::exists(entryFile()));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(told.size(), 1);
    }

    void theHotKeyNoteShowsOnlyWithoutGlobalKeys() {
        open(QStringLiteral("10102"), true);
        QVERIFY(!form->findChild<QLabel*>(QStringLiteral("hotKeyNote")));
        QMap<QString, QRect> places;
        for (QWidget* w : form->findChildren<QWidget*>())
            if (!w->objectName().isEmpty())
                places[w->objectName()] = w->geometry();

        open(QStringLiteral("10102"), false);
        auto* note = child<QLabel>(QStringLiteral("hotKeyNote"));
        QVERIFY(note->isVisible());
        QVERIFY(note->text().contains(QStringLiteral("热键")));
        QCOMPARE(form->findChildren<QLabel*>(QStringLiteral("hotKeyNote")).size(), 1);
        // Every other control stays where it was.
        for (auto it = places.cbegin(); it != places.cend(); ++it)
            QCOMPARE(child<QWidget>(it.key())->geometry(), it.value());

        // The note fits in its place: inside the hot-key frame, clear of the frame's caption
        // and its controls, and wide enough for its text.
        auto* frame = child<QGroupBox>(QStringLiteral("Frame2"));
        QCOMPARE(note->parentWidget(), frame);
        QVERIFY(frame->rect().contains(note->geometry()));
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect caption = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                             QStyle::SC_GroupBoxLabel, frame);
        QVERIFY2(!caption.intersects(note->geometry()), "the note covers the frame's caption");
        for (const QString& name : {QStringLiteral("Label1"), QStringLiteral("Combo1"),
                                    QStringLiteral("Label2"), QStringLiteral("Combo2")})
            QVERIFY2(!child<QWidget>(name)->geometry().intersects(note->geometry()),
                     qPrintable(name));
        QVERIFY(note->fontMetrics().horizontalAdvance(note->text()) <= note->width());

        // On Wayland the note says the keys are bound in the desktop's settings, fits as well,
        // and the dialog tells which commands to bind there.
        open(QStringLiteral("10102"), true, true);
        note = child<QLabel>(QStringLiteral("hotKeyNote"));
        QVERIFY(note->text().contains(QStringLiteral("Wayland")));
        QVERIFY(note->fontMetrics().horizontalAdvance(note->text()) <= note->width());
        QTRY_COMPARE(told.size(), 1);
        QVERIFY(told[0].contains(QStringLiteral("tovrin --chart")));
        QVERIFY(told[0].contains(QStringLiteral("tovrin --lookup")));
        QVERIFY(told[0].contains(QStringLiteral("tovrin --selection")));
    }
};

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
