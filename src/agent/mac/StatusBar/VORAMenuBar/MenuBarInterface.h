#pragma once

#include "ApplicationMain.h"
#include "SingleInstance.h"

#include <memory>

class AboutViewController;
class AppDelegate;
class QMenu;

// What VORAMenuBar's interface creates: the status menu (status line,
// Run Inventory, Restart Agent, About, Quit), the delegate it is connected
// to, and the About panel.
class MenuBarInterface final : public MainInterface
{
public:
    // `session` holds the program's name on the session bus while it runs.
    explicit MenuBarInterface(std::unique_ptr<SingleInstance> session = nullptr);
    ~MenuBarInterface() override;

    // What the program loads: nothing when VORAMenuBar already runs in this
    // session (logged), so the second start ends at once.
    static std::unique_ptr<MainInterface> loadForSession();

    // Runs the configuration check; false when the program should end.
    bool launch() override;

    AppDelegate& delegate() const { return *m_delegate; }
    QMenu& menu() const { return *m_menu; }
    AboutViewController& aboutPanel() const { return *m_about; }

private:
    std::unique_ptr<SingleInstance> m_session;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<AboutViewController> m_about;
    std::unique_ptr<AppDelegate> m_delegate;
};
