// The settings dialog: the chart picture, the two hot keys and whether the program starts with
// the session. It stores the chart and the keys in set.txt and the autostart choice as an
// autostart entry; the chart window reads set.txt again once the dialog has saved.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tovrin {

namespace platform {
class Autostart;
class ProgramFiles;
} // namespace platform

class Form2 : public QDialog {
    Q_OBJECT

public:
    // What the dialog takes from the chart window and the program around it.
    struct Links {
        QString setLine; // the chart window's copy of the set.txt line (its Label2)
        const platform::ProgramFiles* files = nullptr; // where set.txt is written
        std::string programPath;                       // what the autostart entry runs
        platform::Autostart* autostart = nullptr;      // none: the choice is not stored
        bool hotKeysAvailable = true;                  // false where global keys cannot be read
        bool waylandSession = false; // the keys are bound in the desktop's settings instead
        // The keys the desktop bound for the program through its portal ("F1, F2"); "" when none.
        std::function<QString()> desktopKeys;
        // Tells once a run (the Wayland advice, the first time the dialog opens).
        std::function<void(const QString& title, const QString& text)> tellOnce;
        std::function<void(int chart)> preview; // shows J<chart>.bmp in the chart window now
        std::function<void()> saved;            // re-enables the chart window's Timer2
        std::function<void(const QString& title, const QString& text)> tell; // a message
    };

    explicit Form2(Links links, QWidget* parent = nullptr);
    ~Form2() override;

private:
    void buildControls();
    void preselect();
    void Command1_Click();

    Links links_;

    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* Combo2 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QRadioButton* Option28 = nullptr;
    QRadioButton* Option29 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};

} // namespace tovrin
