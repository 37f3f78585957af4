#include "AlertPanel.h"

#include <QMessageBox>
#include <QPushButton>

void RunModalAlert(const QString& title, const QString& message, const QString& buttonText)
{
    QMessageBox panel(QMessageBox::Warning, title, title, QMessageBox::NoButton);
    panel.setObjectName(QStringLiteral("alertPanel"));
    panel.setInformativeText(message);
    panel.setTextFormat(Qt::PlainText);
    QPushButton* button = panel.addButton(buttonText, QMessageBox::AcceptRole);
    button->setObjectName(QStringLiteral("alertPanelButton"));
    panel.setDefaultButton(button);
    panel.setWindowFlag(Qt::WindowStaysOnTopHint);
    panel.exec();
}
