#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <memory>

#include <QLabel>

namespace Ui {
class AboutPanel;
}

// The About panel: the program's image and "Version 4.1.2 (Build 1234)".
class AboutViewController final : public QWidget
{
    Q_OBJECT

public:
    // `infoDictionary` holds the bundle keys "CFBundleShortVersionString"
    // and "CFBundleVersion" (see MainBundleInfo).
    explicit AboutViewController(const QVariantMap& infoDictionary, QWidget* parent = nullptr);
    ~AboutViewController() override;

    void viewDidLoad();
    // "4.1.2 (Build 1234)", "4.1.2" without a build, "" without a version.
    QString versionInfo() const;

    QLabel* versionTextField() const { return m_versionTextField; }
    QLabel* imageField() const { return m_imageField; }

    // The running program's information: its version and build number.
    static QVariantMap MainBundleInfo();

private:
    std::unique_ptr<Ui::AboutPanel> m_ui;
    QPointer<QLabel> m_versionTextField;
    QPointer<QLabel> m_imageField;
    const QIcon m_icon;
    const QString m_versionString;
    const QString m_buildString;
    const QVariantMap m_infoDictionary;
};
