#pragma once

#include "common/FakeTool.h"
#include "common/WorkflowRig.h"

#include <memory>
#include <string>

namespace zelmaro::test {

// A workflow whose metadata tool is a FakeTool, and a fresh temporary
// directory for its images.
struct ScanRig : WorkflowRig {
    TempDir Dir;
    FakeTool* Tool = nullptr;

    ScanRig()
    {
        auto tool = std::make_unique<FakeTool>();
        Tool = tool.get();
        Flow.SetMetadataTool(std::move(tool));
    }

    // An image file in the directory and the tool's answer for it.
    std::string AddImageFile(const std::string& name, const std::string& createDate,
                             const std::string& exposure)
    {
        const std::string path = Dir.Write(name);
        Tool->SetImage(path, createDate, exposure);
        return path;
    }
};

} // namespace zelmaro::test
