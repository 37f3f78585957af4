#include "DisplaySelection.h"
#include "ScopedEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(DisplaySelection, X11WinsWhereBothDisplaysAreThereUnlessQtIsTold)
{
    const std::pair<DisplayEnvironment, DisplayPlatform> cases[] = {
        {{"", ":0", "wayland-0"}, DisplayPlatform::X11},
        {{"", "", "wayland-0"}, DisplayPlatform::Wayland},
        {{"", ":0", ""}, DisplayPlatform::Unchanged},
        {{"", "", ""}, DisplayPlatform::Unchanged}, // no display: left to the application main
        {{"wayland", ":0", "wayland-0"}, DisplayPlatform::Unchanged},
        {{"xcb", "", "wayland-0"}, DisplayPlatform::Unchanged},
        {{"offscreen", ":0", "wayland-0"}, DisplayPlatform::Unchanged},
    };
    for (const auto& [environment, expected] : cases) {
        EXPECT_EQ(ChooseDisplayPlatform(environment), expected)
            << "QT_QPA_PLATFORM=" << environment.qtPlatform << " DISPLAY=" << environment.x11Display
            << " WAYLAND_DISPLAY=" << environment.waylandDisplay;
    }
}

TEST(DisplaySelection, SetsTheQtPlatformFromTheEnvironment)
{
    const auto select = [](const char* display, const char* wayland, const char* socket) {
        ScopedEnv qt("QT_QPA_PLATFORM", std::nullopt);
        ScopedEnv x11("DISPLAY", display != nullptr ? std::optional<std::string>(display) : std::nullopt);
        ScopedEnv waylandDisplay("WAYLAND_DISPLAY",
                                 wayland != nullptr ? std::optional<std::string>(wayland) : std::nullopt);
        ScopedEnv waylandSocket("WAYLAND_SOCKET",
                                socket != nullptr ? std::optional<std::string>(socket) : std::nullopt);
        const DisplayPlatform choice = SelectDisplayPlatform();
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        return std::make_pair(choice, std::string(platform != nullptr ? platform : "(unset)"));
    };
    EXPECT_EQ(select(":0", "wayland-0", nullptr), std::make_pair(DisplayPlatform::X11, std::string("xcb")));
    EXPECT_EQ(select(nullptr, "wayland-0", nullptr),
              std::make_pair(DisplayPlatform::Wayland, std::string("wayland")));
    EXPECT_EQ(select(nullptr, nullptr, "5"),
              std::make_pair(DisplayPlatform::Wayland, std::string("wayland")));
    EXPECT_EQ(select(":0", nullptr, nullptr),
              std::make_pair(DisplayPlatform::Unchanged, std::string("(unset)")));
}
