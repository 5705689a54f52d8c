// The promotion dialog: offers to make the navigation portal the browser's start page and to
// put launchers for it on the desktop and in the applications menu.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace tovrin {

class Form5 : public QDialog {
    Q_OBJECT

public:
    // `promotedAddress` is the portal's address (the lookup window's Label64);
    // `restartStartPageTimer` starts the lookup window's Timer2 again, so that it reads the new
    // start page a little later.
    Form5(QString promotedAddress, std::function<void()> restartStartPageTimer,
          QWidget* parent = nullptr);
    ~Form5() override;

    // Consent: store the start page, make the launchers, restart the timer and close, each step
    // going on when an earlier one failed. Failures are not reported: the offer only helps.
    void Command1_Click();
    // Decline: close, storing nothing; a later press may bring the offer back.
    void Command2_Click();

private:
    QString promotedAddress_;
    std::function<void()> restartStartPageTimer_;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
};

} // namespace tovrin
