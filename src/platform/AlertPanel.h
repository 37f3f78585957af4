#pragma once

#include <QString>

// Stand-in for the platform's modal alert panel: a title, an informative
// text and one button; returns when the user has dismissed it.
void RunModalAlert(const QString& title, const QString& message, const QString& buttonText);
