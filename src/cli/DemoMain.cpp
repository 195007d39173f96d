// Matches a few built-in images with a shot log and prints the table, the
// way the main window would show it.

#include "DateTime.h"
#include "Platform.h"
#include "Workflow.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

using namespace zelmaro;

namespace {

class ConsoleHost final : public TWorkflowHost {
public:
    TWorkflow* Flow = nullptr;

    void ShowError(std::string_view message, std::string_view caption) override
    {
        std::cerr << caption << ": Fehler: " << message << '\n';
    }
    void ShowWarning(std::string_view message, std::string_view caption) override
    {
        std::cerr << caption << ": Warnung: " << message << '\n';
    }
    void ShowInfo(std::string_view message, std::string_view caption) override
    {
        std::cerr << caption << ": " << message << '\n';
    }
    std::unique_ptr<TProgressView> CreateProgress() override { return nullptr; }
    bool CancelRequested() const override { return false; }
    void ProcessPendingEvents() override {}
    TCursorKind Cursor() const override { return FCursor; }
    void SetCursor(TCursorKind cursor) override { FCursor = cursor; }
    std::string DirectoryText() const override { return {}; }
    void SetDirectoryText(const std::string&) override {}
    int OffsetValue() const override { return FOffset; }
    void SetOffsetValue(int seconds) override
    {
        const int clamped = std::clamp(seconds, -300, 300);
        if (clamped == FOffset)
            return;
        FOffset = clamped;
        if (Flow)
            Flow->FieldsChanged();
    }
    int ToleranceValue() const override { return 1; }
    void SetReadFileEnabled(bool) override {}
    void RequestTerminate() override {}

private:
    TCursorKind FCursor = TCursorKind::crDefault;
    int FOffset = 0;
};

class ConsoleTable final : public TImageTable {
public:
    std::vector<std::pair<const TMatchItem*, bool>> Rows;
    bool WriteEnabled = false;

    void BeginUpdate() override {}
    void EndUpdate() override {}
    void Clear() override { Rows.clear(); }
    void AppendRow(const TMatchItem* item, bool checked) override
    {
        Rows.emplace_back(item, checked);
    }
    int RowCount() const override { return static_cast<int>(Rows.size()); }
    bool IsChecked(int row) const override { return Rows.at(static_cast<std::size_t>(row)).second; }
    const TMatchItem* RowItem(int row) const override
    {
        return Rows.at(static_cast<std::size_t>(row)).first;
    }
    void SetWriteEnabled(bool enabled) override { WriteEnabled = enabled; }
};

std::uint32_t Moment(int hour, int minute, int second, const FormatSettings& settings)
{
    return static_cast<std::uint32_t>(
        DaysToSeconds(EncodeDateTime({2008, 1, 5, hour, minute, second, 0}, settings)));
}

void Print(const TWorkflow& flow, const ConsoleTable& table, int offset)
{
    static const char* const kCaptions[] = {"Bildname", "Bilddatum",     "Verschlusszeit",
                                            "=",        "Aufnahmedatum", "Verschlusszeit"};
    std::vector<std::vector<std::string>> cells;
    std::vector<std::size_t> widths;
    for (const char* caption : kCaptions)
        widths.push_back(std::string_view(caption).size());
    for (const auto& row : table.Rows) {
        cells.emplace_back();
        for (int c = 0; c < TWorkflow::kColumnCount; ++c) {
            cells.back().push_back(flow.CellText(*row.first, c));
            widths[c] = std::max(widths[c], cells.back().back().size());
        }
    }
    std::printf("Versatz: %d s\n    ", offset);
    for (int c = 0; c < TWorkflow::kColumnCount; ++c)
        std::printf("%-*s  ", static_cast<int>(widths[c]), kCaptions[c]);
    std::printf("\n");
    for (std::size_t r = 0; r < cells.size(); ++r) {
        std::printf("[%c] ", table.Rows[r].second ? 'x' : ' ');
        for (int c = 0; c < TWorkflow::kColumnCount; ++c)
            std::printf("%-*s  ", static_cast<int>(widths[c]), cells[r][c].c_str());
        std::printf("\n");
    }
    std::printf("\"Werte in Bilder eintragen\": %s\n\n", table.WriteEnabled ? "aktiv" : "inaktiv");
}

} // namespace

int main()
{
    const FormatSettings settings = SystemPlatform().UserFormatSettings();
    ConsoleHost host;
    ConsoleTable table;
    TWorkflow flow(host, table, settings);
    host.Flow = &flow;

    // The camera's clock runs 37 s ahead of the remote release; the log
    // misses the fourth shot.
    const struct {
        const char* name;
        int h, m, s;
        double exposure;
    } images[] = {{"IMG_0001.CR2", 21, 3, 44, 0.5},
                  {"IMG_0002.CR2", 21, 5, 0, 30},
                  {"IMG_0003.CR2", 21, 6, 10, 0.004},
                  {"IMG_0004.CR2", 21, 8, 0, 1.0 / 60},
                  {"IMG_0005.CR2", 21, 9, 37, 0.5}};
    const struct {
        int h, m, s;
        double exposure;
    } shots[] = {{21, 3, 7, 3.2}, {21, 4, 23, 30}, {21, 5, 33, 0.004}, {21, 9, 0, 45}};
    for (const auto& i : images)
        flow.AddImage({i.name, Moment(i.h, i.m, i.s, settings), i.exposure});
    for (const auto& s : shots)
        flow.AddShot({Moment(s.h, s.m, s.s, settings), s.exposure});

    try {
        flow.MatchAll();
        Print(flow, table, host.OffsetValue());
        std::printf("\"A\": automatischer Versatz\n");
        flow.FindAutoOffset();
        Print(flow, table, host.OffsetValue());
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
