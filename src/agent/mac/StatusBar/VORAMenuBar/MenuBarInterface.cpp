#include "MenuBarInterface.h"

#include "AboutViewController.h"
#include "AppDelegate.h"
#include "SingleInstance.h"
#include "VoraDBusNames.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>

namespace {

QAction* AddItem(QMenu& menu, const char* key, const char* objectName)
{
    QAction* item = menu.addAction(qtTrId(key));
    item->setObjectName(QString::fromLatin1(objectName));
    return item;
}

} // namespace

MenuBarInterface::MenuBarInterface(std::unique_ptr<SingleInstance> session)
    : m_session(std::move(session)), m_menu(std::make_unique<QMenu>()),
      m_about(std::make_unique<AboutViewController>(AboutViewController::MainBundleInfo())),
      m_delegate(std::make_unique<AppDelegate>())
{
    // Docks and task switchers find the icon and name through the app id:
    // the desktop entry com.orvel.vora.VORAMenuBar.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.orvel.vora.VORAMenuBar"));
    m_menu->setObjectName(QStringLiteral("statusMenu"));
    AddItem(*m_menu, "Status", "statusItem")->setEnabled(false);
    m_menu->addSeparator();
    QAction* inventory = AddItem(*m_menu, "Run Inventory", "runInventoryItem");
    QAction* restart = AddItem(*m_menu, "Restart Agent", "restartAgentItem");
    m_menu->addSeparator();
    QAction* about = AddItem(*m_menu, "About", "aboutItem");
    QAction* quit = AddItem(*m_menu, "Quit", "quitItem");

    AppDelegate* delegate = m_delegate.get();
    QObject::connect(inventory, &QAction::triggered, delegate, &AppDelegate::inventoryClicked);
    QObject::connect(restart, &QAction::triggered, delegate, &AppDelegate::restartClicked);
    QObject::connect(quit, &QAction::triggered, delegate, &AppDelegate::quit);
    QObject::connect(about, &QAction::triggered, m_about.get(), [panel = m_about.get()] {
        panel->show();
        panel->raise();
    });
    m_delegate->setMenu(m_menu.get());
}

MenuBarInterface::~MenuBarInterface() = default;

std::unique_ptr<MainInterface> MenuBarInterface::loadForSession()
{
    auto session = std::make_unique<SingleInstance>(QString::fromLatin1(kMenuBarSessionName));
    if (session->state() == SingleInstance::State::AlreadyRunning) {
        qInfo("VORAMenuBar already runs in this session (as %s): exiting",
              qUtf8Printable(session->runningOwner()));
        return nullptr;
    }
    return std::make_unique<MenuBarInterface>(std::move(session));
}

bool MenuBarInterface::launch()
{
    m_delegate->applicationDidFinishLaunching();
    return !m_delegate->isTerminated();
}
