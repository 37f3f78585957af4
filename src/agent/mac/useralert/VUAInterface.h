#pragma once

#include "ApplicationMain.h"

#include <memory>

class AppController;
class AppDelegate;
class QGuiApplication;

// What VUserAlert's interface file creates: the dialog window with its
// controller, and the application delegate.
class VUAInterface final : public MainInterface
{
public:
    explicit VUAInterface(QGuiApplication& application);
    ~VUAInterface() override;

    // Starts the dialog; false when the start-up failed and the program
    // should end without showing it.
    bool launch() override;
    void terminate(const std::string& reason) override;

    AppController& controller() const { return *m_controller; }

private:
    AppDelegate* m_delegate;
    std::unique_ptr<AppController> m_controller;
};
