#pragma once

#include "palm/ByteStream.h"
#include "platform/RegistryStore.h"
#include "support/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelmaro {

struct TPalmDesktopCategory {
    std::uint32_t Index = 0;
    std::uint32_t ID = 0;
    std::uint32_t DirtyFlag = 0;
    std::string LongName;
    std::string ShortName;
};

// The beginning of a Palm Desktop database: tag, names, categories and the
// record schema. Damaged contents read as the empty state, and so does a file
// that cannot be read, for which Load fails.
class TPalmDesktopFile {
public:
    TPalmDesktopFile();
    virtual ~TPalmDesktopFile() = default;

    // Reads the file named by FileName, or resets when there is none. Fails,
    // naming the file, when it exists but cannot be read; the contents are
    // reset then.
    TResult<void> Load();
    // Reads a database image as Load does after reading the file; nullptr resets.
    virtual void LoadFrom(ByteStream* stream);

    std::string FileName; // full path of the database; empty when there is none
    std::string Tag;      // the first four bytes of the file, last first
    std::string StoredName;
    std::string TableString;
    std::uint32_t NextFree = 0;
    std::int32_t CategoryCount = 0;
    std::uint32_t ResourceID = 0;
    std::uint32_t FieldsPerRow = 0;
    std::uint32_t RecordIdPosition = 0;
    std::uint32_t RecordStatusPosition = 0;
    std::uint32_t PlacementPosition = 0;
    std::uint16_t FieldCount = 0;
    std::int32_t RecordCount = 0;
    std::vector<TPalmDesktopCategory> Categories;
    std::vector<std::uint16_t> FieldTypes;

protected:
    // Moved only as the whole object (ForUser), never sliced.
    TPalmDesktopFile(TPalmDesktopFile&&) = default;
    TPalmDesktopFile& operator=(TPalmDesktopFile&&) = default;

    // Fills the header fields from the stream; nullptr only resets them.
    bool ParseHeader(ByteStream* stream);
};

// One memo record: six fields of a 4-byte type and a value, the fourth being
// the memo text with an extra 4-byte value before it.
struct TPalmDesktopMemo {
    std::uint32_t Field1Type = 0;
    std::uint32_t Field1 = 0;
    std::uint32_t Field2Type = 0;
    std::uint32_t Field2 = 0;
    std::uint32_t Field3Type = 0;
    std::uint32_t Field3 = 0;
    std::uint32_t TextType = 0;
    std::uint32_t TextPad = 0;
    std::string Text;
    std::uint32_t Field5Type = 0;
    std::uint32_t Field5 = 0;
    std::uint32_t Field6Type = 0;
    std::uint32_t Field6 = 0;
};

// A Palm Desktop user's memo database ("memopad\memopad.dat" in the user's
// directory) with all its memos.
class TPalmDesktopMemoFile : public TPalmDesktopFile {
public:
    // Nothing loaded: no file name, no memos.
    TPalmDesktopMemoFile() = default;
    // Finds the user in the user list of the Palm Desktop that the store
    // names and reads the user's memos; a user that is not listed or has no
    // memo database gives no memos. Fails as Load does when the database
    // exists but cannot be read.
    static TResult<TPalmDesktopMemoFile> ForUser(std::int32_t userID,
                                                 const RegistryStore& registry);

    void LoadFrom(ByteStream* stream) override;

    // The records the file holds, in file order. A file cut short may announce
    // more (RecordCount); those past its end are empty records and left out.
    std::vector<TPalmDesktopMemo> Memos;

private:
    bool ParseMemos(ByteStream* stream);
};

} // namespace zelmaro
