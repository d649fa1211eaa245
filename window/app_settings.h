// Where the window keeps what it remembers between sessions (recent
// folders, the analysis window's settings, size and tab): one settings
// file of the user's, the same for every part of the window.
#pragma once

#include <QSettings>

namespace sormel {

class AppSettings : public QSettings {
public:
    AppSettings()
        : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("sormel"),
                    QStringLiteral("sormel-checker")) {}
};

}  // namespace sormel
