#include "platform/shell/NamespaceIds.h"

#include <array>
#include <cstring>

namespace platform::shell {

namespace {

constexpr std::size_t kSizeField = 2;
constexpr std::size_t kTerminator = 2;

USHORT ReadSize(const BYTE* at)
{
    USHORT size = 0;
    std::memcpy(&size, at, sizeof size);
    return size;
}

void PutSize(std::vector<BYTE>& out, std::size_t size)
{
    out.push_back(static_cast<BYTE>(size & 0xFF));
    out.push_back(static_cast<BYTE>((size >> 8) & 0xFF));
}

std::vector<BYTE> ClassElement(BYTE type, BYTE sort, const CLSID& clsid)
{
    std::vector<BYTE> element;
    PutSize(element, kClassElementSize);
    element.push_back(type);
    element.push_back(sort);
    const std::array<BYTE, 16> bytes = com::GuidBytes(clsid);
    element.insert(element.end(), bytes.begin(), bytes.end());
    return element;
}

std::vector<BYTE> TextElement(BYTE type, const std::string& text)
{
    std::vector<BYTE> element;
    PutSize(element, kSizeField + 1 + text.size() + 1);
    element.push_back(type);
    element.insert(element.end(), text.begin(), text.end());
    element.push_back(0);
    return element;
}

std::vector<BYTE> Terminated(std::vector<BYTE> elements)
{
    elements.push_back(0);
    elements.push_back(0);
    return elements;
}

CLSID ClassOf(const BYTE* element)
{
    CLSID clsid;
    std::memcpy(&clsid.Data1, element + 4, 4);
    std::memcpy(&clsid.Data2, element + 8, 2);
    std::memcpy(&clsid.Data3, element + 10, 2);
    std::memcpy(clsid.Data4, element + 12, 8);
    return clsid;
}

// The text of a text element when it is well-formed: one NUL, at its end,
// and nothing empty.
bool TextOf(const BYTE* element, std::size_t size, std::string& text)
{
    if (size < kSizeField + 3 || element[size - 1] != 0)
        return false;
    const char* begin = reinterpret_cast<const char*>(element + kSizeField + 1);
    const std::size_t length = size - kSizeField - 2;
    if (std::memchr(begin, 0, length) != nullptr)
        return false;
    text.assign(begin, length);
    return true;
}

bool IsClassElement(const Element& element, BYTE type)
{
    return element.type == type && element.size == kClassElementSize;
}

bool IsPathElement(const Element& element)
{
    return element.type == kElementPath && !element.text.empty() && element.text.front() == '/';
}

bool IsItemElement(const Element& element)
{
    const std::string& name = element.text;
    return (element.type == kElementFolder || element.type == kElementFile) && !name.empty() && name != "."
        && name != ".." && name.find('/') == std::string::npos;
}

// Reads the raw elements, bounded by the block; false when one runs past it
// or the terminator is missing.
bool ReadElements(const BYTE* block, std::size_t size, std::vector<Element>& out, std::size_t& listSize)
{
    std::size_t offset = 0;
    for (;;) {
        if (offset + kSizeField > size)
            return false;
        const USHORT cb = ReadSize(block + offset);
        if (cb == 0) {
            listSize = offset + kTerminator;
            return true;
        }
        if (cb < kSizeField || offset + cb > size)
            return false;
        Element element;
        element.bytes = block + offset;
        element.size = cb;
        element.type = cb > kSizeField ? block[offset + kSizeField] : 0;
        out.push_back(element);
        offset += cb;
    }
}

// Marks which elements are the platform's and fills in their fields; false
// when an element of the platform's breaks its layout or its place.
bool Interpret(std::vector<Element>& elements)
{
    bool platformItems = false; // file-system items may follow
    for (std::size_t i = 0; i < elements.size(); ++i) {
        Element& element = elements[i];
        if (i == 0) {
            if (element.type == kElementRootFolder && element.size == kClassElementSize) {
                element.clsid = ClassOf(element.bytes);
                if (element.clsid != CLSID_MyComputer) {
                    for (std::size_t j = 1; j < elements.size(); ++j)
                        elements[j].platform = false;
                    return true;
                }
                continue;
            }
            if (!TextOf(element.bytes, element.size, element.text) || !IsPathElement(element))
                return false;
            platformItems = true;
            continue;
        }
        if (i == 1 && !platformItems) {
            if (IsClassElement(element, kElementJunction)) {
                element.clsid = ClassOf(element.bytes);
                for (std::size_t j = 2; j < elements.size(); ++j)
                    elements[j].platform = false;
                return true;
            }
            if (!TextOf(element.bytes, element.size, element.text) || !IsPathElement(element))
                return false;
            platformItems = true;
            continue;
        }
        if (!TextOf(element.bytes, element.size, element.text) || !IsItemElement(element))
            return false;
        // A file holds nothing: it can only be last.
        if (element.type == kElementFile && i + 1 != elements.size())
            return false;
    }
    return true;
}

} // namespace

std::vector<BYTE> DesktopIdList()
{
    return Terminated({});
}

std::vector<BYTE> MyComputerIdList()
{
    return Terminated(ClassElement(kElementRootFolder, kSortMyComputer, CLSID_MyComputer));
}

std::vector<BYTE> DesktopJunctionIdList(const CLSID& clsid)
{
    return Terminated(ClassElement(kElementRootFolder, 0x00, clsid));
}

std::vector<BYTE> MyComputerJunctionIdList(const CLSID& clsid)
{
    std::vector<BYTE> list = ClassElement(kElementRootFolder, kSortMyComputer, CLSID_MyComputer);
    const std::vector<BYTE> junction = ClassElement(kElementJunction, 0x00, clsid);
    list.insert(list.end(), junction.begin(), junction.end());
    return Terminated(std::move(list));
}

std::vector<BYTE> DriveIdList(const std::string& root)
{
    const std::vector<BYTE> drive = TextElement(kElementPath, root);
    return AppendElement(MyComputerIdList(), drive.data(), drive.size());
}

std::vector<BYTE> DesktopFolderIdList(const std::string& folder)
{
    return Terminated(TextElement(kElementPath, folder));
}

std::vector<BYTE> AppendFileSystemItem(const std::vector<BYTE>& list, const std::string& name, bool folder)
{
    const std::vector<BYTE> item = TextElement(folder ? kElementFolder : kElementFile, name);
    return AppendElement(list, item.data(), item.size());
}

std::vector<BYTE> AppendElement(const std::vector<BYTE>& list, const BYTE* element, std::size_t size)
{
    std::vector<BYTE> out(list.begin(), list.size() >= kTerminator ? list.end() - kTerminator : list.end());
    out.insert(out.end(), element, element + size);
    return Terminated(std::move(out));
}

std::vector<BYTE> ParentIdList(const std::vector<BYTE>& list)
{
    std::vector<Element> elements;
    std::size_t listSize = 0;
    if (!ReadElements(list.data(), list.size(), elements, listSize) || elements.empty())
        return DesktopIdList();
    const std::size_t keep = static_cast<std::size_t>(elements.back().bytes - list.data());
    return Terminated(std::vector<BYTE>(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(keep)));
}

std::size_t ValidateIdList(const BYTE* block, std::size_t size)
{
    if (block == nullptr)
        return 0;
    std::vector<Element> elements;
    std::size_t listSize = 0;
    if (!ReadElements(block, size, elements, listSize) || !Interpret(elements))
        return 0;
    return listSize;
}

std::vector<Element> SplitIdList(const std::vector<BYTE>& list)
{
    std::vector<Element> elements;
    std::size_t listSize = 0;
    if (!ReadElements(list.data(), list.size(), elements, listSize))
        return {};
    Interpret(elements);
    return elements;
}

} // namespace platform::shell
