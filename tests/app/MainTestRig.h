#pragma once

#include "app/Main.h"
#include "common/RecordingMessageBoxes.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/Platform.h"
#include "settings/Quandrel.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zelmaro::test {

// A main window over an in-memory registry, a tool path, Palm users and
// message boxes that record.
struct MainRig {
    MemoryRegistryStore registry;
    testing::RecordingMessageBoxes boxes;
    std::string tool = "/usr/bin/exiftool";
    std::vector<TPalmUserEntry> users;

    TMainEnvironment Environment()
    {
        TMainEnvironment e;
        e.Registry = &registry;
        e.Formats = FormatSettings::German();
        e.FindExifTool = [this] { return tool; };
        e.PalmUsers = [this] { return users; };
        e.Boxes = &boxes;
        e.AboutPlatform = &SystemPlatform();
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

// A test with one main window over a fresh rig.
class MainWindowFixture : public ::testing::Test {
protected:
    MainRig rig;
    std::unique_ptr<TfrmMain> frm = rig.Make();
};

} // namespace zelmaro::test
