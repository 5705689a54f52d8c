#include "ui/common/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace tovrin {

QWidget* messageOwner() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !w->isMinimized() && w->windowFlags() & Qt::WindowStaysOnTopHint)
            return w;
    }
    return nullptr;
}

void tellOver(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, messageOwner());
    box.setObjectName(QStringLiteral("messageBox"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

} // namespace tovrin
