#pragma once
// Builders shared by the item tests: identifier lists in the shapes the
// namespace hands out, a stand-in for the user's answer to the insert-medium
// question, and a watcher that closes any modal dialog a test did not expect
// (recording it), so a wrong dialog fails the test instead of hanging it.

#include "items/CatItem.h"
#include "items/MediumQuery.h"
#include "namespace/IdList.h"

#include <QObject>
#include <QTimer>

#include <cstring>
#include <string>
#include <vector>

namespace pellidor::test {

struct ElementShape {
    DWORD kind;
    std::string name;
    DWORD attributes = 0;
    DWORD size = 0;
    std::int32_t writeTime = 0;
};

inline CatRecord MakeRecord(const ElementShape& shape)
{
    CatRecord record;
    record.Attributes = shape.attributes;
    record.Size = shape.size;
    record.LastWriteTime = shape.writeTime;
    record.CreationTime = shape.writeTime;
    record.LastAccessTime = shape.writeTime;
    std::strncpy(record.Name, shape.name.c_str(), kNameBytes - 1);
    return record;
}

// The catalog element gets `header`'s volume fields.
inline IdListPtr BuildList(const std::vector<ElementShape>& shapes, const CatHeader& header = {})
{
    IdListPtr list;
    for (const ElementShape& shape : shapes) {
        const CatRecord record = MakeRecord(shape);
        list = MakeElement(list.get(), &record, shape.kind);
        if (shape.kind == kKindCatalog)
            WriteVolumeBlock(LastElement(list.get()), header);
    }
    return list;
}

inline CatHeader MakeHeader(DWORD serial, const char* userName)
{
    CatHeader header;
    header.VolumeSerial = serial;
    header.CatalogTime = 1000;
    std::strncpy(header.UserName, userName, sizeof header.UserName - 1);
    std::strcpy(header.VolumeLabel, "DISC  ");
    header.DriveType = 5;
    return header;
}

// A stand-in root identifier: one foreign element of 20 bytes.
inline std::vector<BYTE> ForeignRoot()
{
    std::vector<BYTE> root(22, 0);
    root[0] = 20;
    for (int i = 2; i < 20; ++i)
        root[static_cast<std::size_t>(i)] = static_cast<BYTE>(0xA0 + i);
    return root;
}

inline platform::com::ComPtr<CCatItem> MakeItem(const std::vector<ElementShape>& shapes, const CatHeader& header = {})
{
    const std::vector<BYTE> root = ForeignRoot();
    const IdListPtr own = BuildList(shapes, header);
    // The base class itself, whatever the last element's kind: these tests
    // are about what CCatItem does.
    return platform::com::MakeCom<CCatItem>(reinterpret_cast<LPCITEMIDLIST>(root.data()), own.get());
}

// The insert-medium question while it lives: records the file each question
// is about and answers with `answer` as the confirmed drive (empty: the user
// cancels).
class PromptRecorder final : public IMediumPrompt {
public:
    explicit PromptRecorder(std::string answer = {}) : answer_(std::move(answer)) { SetMediumPrompt(this); }
    ~PromptRecorder() { SetMediumPrompt(nullptr); }
    PromptRecorder(const PromptRecorder&) = delete;
    PromptRecorder& operator=(const PromptRecorder&) = delete;

    bool AskForMedium(const MediumQuery& query, HWND, std::string* driveRoot) override
    {
        questions.push_back(query.fileName);
        if (answer_.empty())
            return false;
        *driveRoot = answer_;
        return true;
    }

    std::vector<std::string> questions;

private:
    std::string answer_;
};

// Closes (rejects) every modal dialog that appears while it lives.
class DialogWatcher : public QObject {
public:
    DialogWatcher();
    int Closed() const { return closed_; }

private:
    QTimer timer_;
    int closed_ = 0;
};

} // namespace pellidor::test
