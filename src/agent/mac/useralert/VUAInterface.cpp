#include "VUAInterface.h"

#include "AppController.h"
#include "AppDelegate.h"
#include "VuaAPI.h"

#include <QGuiApplication>
#include <QWidget>

VUAInterface::VUAInterface(QGuiApplication& application)
    : m_delegate(new AppDelegate(application)), m_controller(std::make_unique<AppController>())
{
}

VUAInterface::~VUAInterface() = default;

bool VUAInterface::launch()
{
    m_controller->awakeFromNib();
    if (m_controller->isTerminating()) {
        return false;
    }
    m_controller->mainWindow()->show();
    return true;
}

void VUAInterface::terminate(const std::string& reason)
{
    if (VuaAPI* api = m_controller->vuaApi()) {
        api->logTermination(reason);
    }
}
