#pragma once

#include "app/Main.h"
#include "platform/MemoryRegistryStore.h"
#include "settings/Quandrel.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

namespace zelmaro::test {

// Closes every message box that opens and remembers its text.
class BoxAnswerer {
public:
    BoxAnswerer()
    {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.push_back(box->text());
                icons.push_back(box->icon());
                box->button(QMessageBox::Ok)->click();
            }
        });
        FTimer.start(5);
    }
    std::vector<QString> texts;
    std::vector<QMessageBox::Icon> icons;

private:
    QTimer FTimer;
};

// A main window over an in-memory registry, a tool path and Palm users.
struct MainRig {
    MemoryRegistryStore registry;
    std::string tool = "/usr/bin/exiftool";
    std::vector<TPalmUserEntry> users;

    TMainEnvironment Environment()
    {
        TMainEnvironment e;
        e.Registry = &registry;
        e.Formats = FormatSettings::German();
        e.FindExifTool = [this] { return tool; };
        e.PalmUsers = [this] { return users; };
        return e;
    }

    std::unique_ptr<TfrmMain> Make() { return std::make_unique<TfrmMain>(Environment()); }

    void StoreInt(const char* name, int value)
    {
        CreateAppKey(registry, kSettingsAppName);
        WriteAppInteger(registry, kSettingsAppName, name, value);
    }
    void StoreString(const char* name, const std::string& value)
    {
        CreateAppKey(registry, kSettingsAppName);
        WriteAppString(registry, kSettingsAppName, name, value);
    }
};

} // namespace zelmaro::test
