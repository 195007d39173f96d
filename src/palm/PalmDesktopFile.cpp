#include "palm/PalmDesktopFile.h"

#include "palm/PalmPaths.h"
#include "palm/PalmString.h"
#include "palm/PalmUsersDat.h"
#include "support/Messages.h"
#include "support/Paths.h"

#include <algorithm>

namespace zelmaro {

namespace {

// Smallest number of bytes a category takes: three numbers and two length
// bytes. More categories than fit run into the end of the file, and the field
// count read there is 0, which fails the parse anyway; failing before makes
// no four-byte count ask for gigabytes.
constexpr std::size_t kMinCategoryBytes = 14;

// Smallest number of bytes a memo record takes: twelve numbers and a length byte.
constexpr std::size_t kMinMemoBytes = 12 * 4 + 1;

} // namespace

TPalmDesktopFile::TPalmDesktopFile()
{
    Load();
}

TResult<void> TPalmDesktopFile::Load()
{
    if (FileName.empty() || !FileExists(FileName)) {
        LoadFrom(nullptr);
        return {};
    }
    std::optional<ByteStream> stream = ByteStream::FromFile(FileName);
    LoadFrom(stream ? &*stream : nullptr);
    if (!stream)
        return Fail(Fill(Tr("Die Palm-Desktop-Datei \"%1\" ließ sich nicht lesen."), FileName));
    return {};
}

void TPalmDesktopFile::LoadFrom(ByteStream* stream)
{
    if (!ParseHeader(stream))
        ParseHeader(nullptr);
}

bool TPalmDesktopFile::ParseHeader(ByteStream* stream)
{
    Tag.clear();
    StoredName.clear();
    TableString.clear();
    NextFree = 0;
    CategoryCount = 0;
    ResourceID = 0;
    FieldsPerRow = 0;
    RecordIdPosition = 0;
    RecordStatusPosition = 0;
    PlacementPosition = 0;
    FieldCount = 0;
    RecordCount = 0;
    Categories.clear();
    FieldTypes.clear();
    if (stream == nullptr)
        return true;

    const std::uint32_t tag = SwapBytes32(static_cast<std::uint32_t>(ReadInt32(*stream)));
    for (int k = 0; k < 4; ++k) // memory order of the swapped value, least significant first
        Tag.push_back(static_cast<char>((tag >> (8 * k)) & 0xFF));
    StoredName = ReadPalmString(*stream);
    TableString = ReadPalmString(*stream);
    NextFree = ReadUInt32(*stream);
    CategoryCount = static_cast<std::int32_t>(ReadUInt32(*stream));
    if (CategoryCount < 0 ||
        static_cast<std::size_t>(CategoryCount) > stream->Remaining() / kMinCategoryBytes)
        return false;
    Categories.resize(static_cast<std::size_t>(CategoryCount));
    for (TPalmDesktopCategory& category : Categories) {
        category.Index = ReadUInt32(*stream);
        category.ID = ReadUInt32(*stream);
        category.DirtyFlag = ReadUInt32(*stream);
        category.LongName = ReadPalmString(*stream);
        category.ShortName = ReadPalmString(*stream);
    }
    ResourceID = ReadUInt32(*stream);
    FieldsPerRow = ReadUInt32(*stream);
    RecordIdPosition = ReadUInt32(*stream);
    RecordStatusPosition = ReadUInt32(*stream);
    PlacementPosition = ReadUInt32(*stream);
    FieldCount = ReadUInt16(*stream); // 16 bits bound it
    FieldTypes.resize(FieldCount);
    for (std::uint16_t& type : FieldTypes)
        type = ReadUInt16(*stream);
    const std::uint32_t entries = ReadUInt32(*stream);
    if (FieldCount == 0)
        return false;
    RecordCount = static_cast<std::int32_t>(entries / FieldCount);
    return true;
}

TResult<TPalmDesktopMemoFile> TPalmDesktopMemoFile::ForUser(std::int32_t userID,
                                                            const RegistryStore& registry)
{
    TPalmDesktopMemoFile file;
    {
        TPalmUsersDat users(registry);
        for (const TPalmUser& user : users.Users()) {
            if (user.UserID != userID)
                continue;
            if (std::string directory = FindPathIgnoringCase(users.Path(), user.Directory);
                !directory.empty())
                file.FileName = FindPathIgnoringCase(directory, "memopad\\memopad.dat");
            break;
        }
    }
    if (!FileExists(file.FileName))
        file.FileName.clear();
    if (TResult<void> loaded = file.Load(); !loaded)
        return Fail(loaded.Error());
    return file;
}

void TPalmDesktopMemoFile::LoadFrom(ByteStream* stream)
{
    if (stream == nullptr) {
        ParseHeader(nullptr);
        ParseMemos(nullptr);
        return;
    }
    if (!ParseHeader(stream))
        ParseHeader(nullptr);
    if (!ParseMemos(stream)) {
        ParseHeader(nullptr);
        ParseMemos(nullptr);
    }
}

bool TPalmDesktopMemoFile::ParseMemos(ByteStream* stream)
{
    Memos.clear();
    if (stream == nullptr)
        return true;
    if (RecordCount < 0)
        return false;
    // A file cut short keeps RecordCount and the records before the cut; the
    // records past the end would all be empty and are not made, so that an
    // announced count costs no memory the file does not hold.
    const auto count = static_cast<std::size_t>(RecordCount);
    Memos.reserve(std::min(count, stream->Remaining() / kMinMemoBytes + 1));
    while (Memos.size() < count && !stream->AtEnd()) {
        TPalmDesktopMemo& memo = Memos.emplace_back();
        for (std::uint32_t* field : {&memo.Field1Type, &memo.Field1, &memo.Field2Type, &memo.Field2,
                                     &memo.Field3Type, &memo.Field3, &memo.TextType, &memo.TextPad})
            *field = ReadUInt32(*stream);
        memo.Text = ReadPalmString(*stream);
        for (std::uint32_t* field :
             {&memo.Field5Type, &memo.Field5, &memo.Field6Type, &memo.Field6})
            *field = ReadUInt32(*stream);
    }
    return true;
}

} // namespace zelmaro
