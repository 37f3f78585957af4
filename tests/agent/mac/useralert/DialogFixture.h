#pragma once

#include "AppController.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "VuaAPI.h"
#include "VuaAPIOpaque.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

// A dialog in this process, opened as the program opens it: shown, active,
// with the answer wait shortened; the agent's side reads its markers.
class DialogFixture : public ::testing::Test
{
protected:
    void open(QStringList options)
    {
        root.writeConfig("companyname=Acme\n");
        options.prepend(QStringLiteral("/opt/vora/bin/VUserAlert"));
        controller = std::make_unique<AppController>(options);
        controller->awakeFromNib();
        ASSERT_FALSE(controller->isTerminating());
        controller->vuaApi()->setTeardownWait(std::chrono::milliseconds(0));
        QWidget* window = controller->mainWindow();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(WaitUntil([window] { return window->isActiveWindow(); }));
        agent = std::make_unique<VUAMarkerMgr>(controller->vuaApi()->cpp()->markerMgr.suffix());
    }

    bool closed() const { return !controller->mainWindow()->isVisible(); }
    bool answered(VUA_MarkerType type) const { return agent->Exists(type); }

    TempAgentRoot root;
    std::unique_ptr<AppController> controller;
    std::unique_ptr<VUAMarkerMgr> agent;
};
