#include "AlertPanel.h"

#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

void RunModalAlert(const QString& title, const QString& message, const QString& buttonText)
{
    QMessageBox panel(QMessageBox::Warning, title, title, QMessageBox::NoButton);
    panel.setObjectName(QStringLiteral("alertPanel"));
    panel.setInformativeText(message);
    panel.setTextFormat(Qt::PlainText);
    // The message is a usage text in columns: a fixed-pitch font keeps them
    // aligned, and its lines are shown whole rather than folded.
    if (auto* columns = panel.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        columns->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        columns->setWordWrap(false);
    }
    QPushButton* button = panel.addButton(buttonText, QMessageBox::AcceptRole);
    button->setObjectName(QStringLiteral("alertPanelButton"));
    panel.setDefaultButton(button);
    panel.setWindowFlag(Qt::WindowStaysOnTopHint);
    panel.exec();
}
