#pragma once

#include "app/GuiWorkflowHost.h"

#include <string>

namespace zelmaro::test {

// The application's side of the workflow host without a main window's fields.
class PlainGuiHost final : public TGuiWorkflowHost {
public:
    using TGuiWorkflowHost::TGuiWorkflowHost;
    std::string DirectoryText() const override { return {}; }
    void SetDirectoryText(const std::string&) override {}
    void ShowOffset(int) override {}
    void SetReadFileEnabled(bool) override {}
};

} // namespace zelmaro::test
