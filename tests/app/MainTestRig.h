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

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zelmaro::test {

// A main window over an in-memory registry, a tool path, Palm users and
// message boxes that record.
struct MainRig {
    MemoryRegistryStore registry;
    test::RecordingMessageBoxes boxes;
    std::string tool = "/usr/bin/exiftool";
    std::vector<TPalmUserEntry> users;
    std::string chosenLog; // what the log file dialog answers
    // What the columns dialog answers; cancelled when not set.
    std::function<std::optional<TColumnMapping>(const std::vector<std::string>&,
                                                const std::optional<TColumnMapping>&)>
        chooseColumns;

    TMainEnvironment Environment()
    {
        TMainEnvironment e;
        e.Registry = &registry;
        e.Formats = FormatSettings::German();
        e.FindExifTool = [this] { return tool; };
        e.PalmUsers = [this] { return users; };
        e.Boxes = &boxes;
        e.ChooseLogFile = [this](const std::string&) { return chosenLog; };
        e.ChooseColumns = [this](const std::vector<std::string>& columns,
                                 const std::optional<TColumnMapping>& preset) {
            return chooseColumns ? chooseColumns(columns, preset) : std::nullopt;
        };
        e.AboutPlatform = &SystemPlatform();
        return e;
    }

    std::unique_ptr<TfrmMain> Make() { return std::make_unique<TfrmMain>(Environment()); }

    void StoreInts(std::initializer_list<std::pair<const char*, int>> values)
    {
        CreateAppKey(registry, kSettingsAppName);
        for (const auto& [name, value] : values)
            WriteAppInteger(registry, kSettingsAppName, name, value);
    }
    void StoreString(const char* name, const std::string& value)
    {
        CreateAppKey(registry, kSettingsAppName);
        WriteAppString(registry, kSettingsAppName, name, value);
    }
    int StoredInt(const char* name, int fallback = 12345) const
    {
        return ReadAppInteger(registry, kSettingsAppName, name, fallback);
    }
    std::string StoredString(const char* name, const std::string& fallback = "x") const
    {
        return ReadAppString(registry, kSettingsAppName, name, fallback);
    }
    // The boxes shown so far as "kind: text".
    std::vector<std::string> Shown() const { return test::MessageLines(boxes.Messages); }
};

// Adds the images, then the shots, and matches them.
inline void Fill(TfrmMain& frm, std::initializer_list<TImageItem> images,
                 std::initializer_list<TShotItem> shots)
{
    for (const TImageItem& image : images)
        frm.Workflow().AddImage(image);
    for (const TShotItem& shot : shots)
        frm.Workflow().AddShot(shot);
    frm.Workflow().MatchAll();
}

// A test with one main window over a fresh rig.
class MainWindowFixture : public ::testing::Test {
protected:
    MainRig rig;
    std::unique_ptr<TfrmMain> frm = rig.Make();
};

} // namespace zelmaro::test
