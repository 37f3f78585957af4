#include "AboutViewController.h"

#include "StatusItem.h"
#include "ui_AboutPanel.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QShortcut>

#include <optional>

namespace {

const QString kShortVersionKey = QStringLiteral("CFBundleShortVersionString");
const QString kBuildKey = QStringLiteral("CFBundleVersion");

// Only string values count; anything else is missing.
std::optional<QString> StringValue(const QVariantMap& dictionary, const QString& key)
{
    const QVariant value = dictionary.value(key);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

} // namespace

AboutViewController::AboutViewController(const QVariantMap& infoDictionary, QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_ui(std::make_unique<Ui::AboutPanel>()),
      m_icon(QStringLiteral(":/AboutIcon")), m_versionString(qtTrId("Version")),
      m_buildString(qtTrId("Build")), m_infoDictionary(infoDictionary)
{
    m_ui->setupUi(this);
    // A window of the product: its name and icon in the title bar and the
    // task switcher, and Escape closes it like any dialog.
    setWindowTitle(qtTrId("About"));
    setWindowIcon(StatusItem::loadImage(QStringLiteral("VORAMenuBar")));
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
    m_versionTextField = m_ui->versionTextField;
    m_imageField = m_ui->imageField;
    viewDidLoad();
}

AboutViewController::~AboutViewController() = default;

void AboutViewController::viewDidLoad()
{
    m_versionTextField->setText(m_versionString + QLatin1Char(' ') + versionInfo());
    m_imageField->setPixmap(m_icon.pixmap(m_imageField->size()));
    m_imageField->setAccessibleName(QCoreApplication::applicationName());
}

QString AboutViewController::versionInfo() const
{
    const std::optional<QString> version = StringValue(m_infoDictionary, kShortVersionKey);
    if (!version) {
        return QString();
    }
    const std::optional<QString> build = StringValue(m_infoDictionary, kBuildKey);
    if (!build) {
        return *version;
    }
    return QStringLiteral("%1 (%2 %3)").arg(*version, m_buildString, *build);
}

QVariantMap AboutViewController::MainBundleInfo()
{
    QVariantMap info;
    info.insert(kShortVersionKey, QCoreApplication::applicationVersion());
    const QVariant build = QCoreApplication::instance() != nullptr
                               ? QCoreApplication::instance()->property("bundleVersion")
                               : QVariant();
    if (build.isValid()) {
        info.insert(kBuildKey, build.toString());
    }
    return info;
}
