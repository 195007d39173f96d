#include "about/VersionBlock.h"

#include <windows.h>

#include <vector>

namespace zelmaro {

namespace {

// The VERSIONINFO resource of a file, read with the Windows version API.
class TWin32VersionBlock final : public TVersionBlock {
public:
    explicit TWin32VersionBlock(std::vector<char> data) : data_(std::move(data)) {}

    std::optional<std::uint32_t> FileFlags() const override
    {
        void* value = nullptr;
        UINT length = 0;
        if (!Query("\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
            return std::nullopt;
        return static_cast<const VS_FIXEDFILEINFO*>(value)->dwFileFlags;
    }

    std::optional<std::uint32_t> FirstTranslation() const override
    {
        void* value = nullptr;
        UINT length = 0;
        if (!Query("\\VarFileInfo\\Translation", &value, &length) || length < sizeof(DWORD))
            return std::nullopt;
        return *static_cast<const DWORD*>(value);
    }

    std::optional<std::string> QueryString(const std::string& path) const override
    {
        void* value = nullptr;
        UINT length = 0;
        if (!Query(path.c_str(), &value, &length))
            return std::nullopt;
        const char* text = static_cast<const char*>(value);
        std::size_t size = 0;
        while (size < length && text[size] != '\0')
            ++size;
        return std::string(text, size);
    }

private:
    bool Query(const char* path, void** value, UINT* length) const
    {
        return VerQueryValueA(data_.data(), path, value, length) != FALSE && *value != nullptr;
    }

    std::vector<char> data_;
};

class TWin32VersionBlockSource final : public TVersionBlockSource {
public:
    std::unique_ptr<TVersionBlock> Load(const std::string& fileName) const override
    {
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
        if (size == 0)
            return nullptr;
        std::vector<char> data(size);
        if (!GetFileVersionInfoA(fileName.c_str(), 0, size, data.data()))
            return nullptr;
        return std::make_unique<TWin32VersionBlock>(std::move(data));
    }
};

} // namespace

const TVersionBlockSource& ProgramVersionBlockSource()
{
    static const TWin32VersionBlockSource source;
    return source;
}

} // namespace zelmaro
