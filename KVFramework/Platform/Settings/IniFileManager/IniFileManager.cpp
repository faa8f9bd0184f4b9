// The exports of the settings library. Open files live in one table guarded by one
// mutex, keyed by the file's one canonical path. Other processes may write the same
// file, so each change is made to the file as it is on disk at that moment: under a
// lock on its folder that every writer takes, the file is read again, changed, written
// to the disk, and only then kept in memory, so memory and disk never disagree after a
// failed write and no writer undoes another's change.

#include "IniFileExports.h"

#include "AtomicFile.h"
#include "IniDocument.h"
#include "IniText.h"
#include "SettingsFilePath.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <map>
#include <new>
#include <mutex>
#include <string>
#include <string_view>

using namespace KV::IniFile;

namespace {

// Settings files are small; anything larger is not one of ours.
constexpr size_t kMaxFileSize = 16 * 1024 * 1024;

struct OpenFile
{
    std::string path;
    Document document;
    int32_t opens = 1;
};

struct Registry
{
    std::mutex mutex;
    std::map<int32_t, OpenFile> files;
    int32_t nextHandle = 1; // never 0, never given twice
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

// No exception may leave an export: the caller is not C++ code of ours.
template <class Body> int32_t Guarded(Body body) noexcept
{
    try
    {
        return body();
    }
    catch (const std::bad_alloc&)
    {
        return INI_OUT_OF_MEMORY;
    }
    catch (...)
    {
        return INI_IO_ERROR;
    }
}

OpenFile* FindFile(Registry& registry, int32_t handle)
{
    auto found = registry.files.find(handle);
    return found == registry.files.end() ? nullptr : &found->second;
}

// Runs a read-only query on the contents of an open file under the lock.
template <class Query> int32_t Read(int32_t handle, Query query)
{
    return Guarded([&]() -> int32_t {
        Registry& registry = GetRegistry();
        std::lock_guard lock(registry.mutex);
        const OpenFile* file = FindFile(registry, handle);
        return file ? query(file->document) : INI_INVALID_HANDLE;
    });
}

// The contents of the file on disk: an empty document for a missing file.
int32_t ReadDocument(const std::string& path, Document& document)
{
    std::string text;
    switch (ReadWholeFile(path, kMaxFileSize, text))
    {
    case ReadStatus::Missing:
        document = Document();
        return INI_OK;
    case ReadStatus::Read:
        if (std::optional<Document> parsed = ParseIniText(text))
        {
            document = std::move(*parsed);
            return INI_OK;
        }
        // Writing our contents over a file we cannot read would destroy it.
        return INI_UNREADABLE_FILE;
    case ReadStatus::TooLarge:
        return INI_UNREADABLE_FILE;
    case ReadStatus::Failed:
        break;
    }
    return INI_IO_ERROR;
}

// Applies a change to the file as it is on disk and keeps the result once it is written.
template <class Change> int32_t Modify(int32_t handle, Change change)
{
    return Guarded([&]() -> int32_t {
        Registry& registry = GetRegistry();
        std::lock_guard lock(registry.mutex);
        OpenFile* file = FindFile(registry, handle);
        if (!file)
            return INI_INVALID_HANDLE;
        const FolderLock writers(file->path);
        if (!writers.IsHeld())
            return INI_IO_ERROR;
        Document changed;
        const int32_t read = ReadDocument(file->path, changed);
        if (read != INI_OK)
            return read;
        file->document = changed;
        const int32_t result = change(changed);
        if (result != INI_OK)
            return result;
        const std::string text = WriteIniText(changed);
        // A file larger than the reader accepts could never be opened again.
        if (text.size() > kMaxFileSize)
            return INI_OUT_OF_RANGE;
        if (!WriteFileAtomically(file->path, text))
            return INI_IO_ERROR;
        file->document = std::move(changed);
        return INI_OK;
    });
}

// Read and Modify for an operation on the key or array at path.
template <class Query> int32_t ReadKey(int32_t handle, const char* path, Query query)
{
    return Read(handle, [&](const Document& document) -> int32_t {
        std::optional<KeyPath> key = path ? SplitKeyPath(path) : std::nullopt;
        return key ? query(document, *key) : INI_INVALID_ARGUMENT;
    });
}

template <class Change> int32_t ModifyKey(int32_t handle, const char* path, Change change)
{
    return Modify(handle, [&](Document& document) -> int32_t {
        std::optional<KeyPath> key = path ? SplitKeyPath(path) : std::nullopt;
        return key ? change(document, *key) : INI_INVALID_ARGUMENT;
    });
}

// Read for an operation on the node at path.
template <class Query> int32_t ReadNode(int32_t handle, const char* path, Query query)
{
    return Read(handle, [&](const Document& document) -> int32_t {
        std::optional<std::string> node = path ? NormalizeNodePath(path) : std::nullopt;
        return node ? query(document.FindNode(*node)) : INI_INVALID_ARGUMENT;
    });
}

// Copies text and its terminating zero into the caller's buffer, or reports the size
// needed. A buffer too small receives an empty text.
int32_t PutText(std::string_view text, char* buffer, int32_t size, int32_t* needed, int32_t result)
{
    if (size < 0 || (size > 0 && !buffer))
        return INI_INVALID_ARGUMENT;
    if (text.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        return INI_OUT_OF_RANGE;
    const auto required = static_cast<int32_t>(text.size() + 1);
    if (needed)
        *needed = required;
    if (required > size)
    {
        if (size > 0)
            buffer[0] = '\0';
        return INI_BUFFER_TOO_SMALL;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return result;
}

void ClearText(char* buffer, int32_t size)
{
    if (buffer && size > 0)
        buffer[0] = '\0';
}

bool IsIndexIn(int32_t index, const Entry* array)
{
    return array && index >= 0 && static_cast<size_t>(index) < array->items.size();
}

} // namespace

// The exports: declared extern "C" in the header, which these definitions inherit.

int32_t OpenIniFile(const char* path, const char* version, const char* application, int32_t* handle)
{
    if (!handle)
        return INI_INVALID_ARGUMENT;
    *handle = 0;
    if (!path || !*path)
        return INI_INVALID_ARGUMENT;
    return Guarded([&]() -> int32_t {
        const std::string filePath = CanonicalFilePath(path);
        Registry& registry = GetRegistry();
        std::lock_guard lock(registry.mutex);
        for (auto& [openHandle, file] : registry.files)
        {
            if (file.path == filePath)
            {
                ++file.opens;
                *handle = openHandle;
                return INI_OK;
            }
        }
        if (registry.nextHandle == std::numeric_limits<int32_t>::max())
            return INI_IO_ERROR;

        RemoveStaleTemporaries(filePath);
        Document document;
        if (const int32_t read = ReadDocument(filePath, document); read != INI_OK)
            return read;
        const int32_t newHandle = registry.nextHandle++;
        registry.files.emplace(newHandle, OpenFile{filePath, std::move(document)});
        *handle = newHandle;
        return INI_OK;
    });
}

int32_t WriteIniFile(int32_t handle)
{
    return Modify(handle, [](Document&) { return INI_OK; });
}

int32_t CloseIniFile(int32_t handle, int32_t flags)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    OpenFile* file = FindFile(registry, handle);
    if (!file)
        return INI_INVALID_HANDLE;
    if (--file->opens == 0)
        registry.files.erase(handle);
    return INI_OK;
}

bool DoesNodeExist(int32_t handle, const char* path)
{
    const auto isNode = [path](const Document& document) -> int32_t {
        std::optional<std::string> node = path ? NormalizeNodePath(path) : std::nullopt;
        return node && document.HasNode(*node) ? INI_OK : INI_NOT_FOUND;
    };
    const auto isKeyOrArray = [](const Document& document, const KeyPath& key) -> int32_t {
        return document.FindEntry(key, false) || document.FindEntry(key, true) ? INI_OK : INI_NOT_FOUND;
    };
    return Read(handle, isNode) == INI_OK || ReadKey(handle, path, isKeyOrArray) == INI_OK;
}

int32_t GetIniValueInt(int32_t handle, const char* path, int32_t defaultValue, int32_t* value)
{
    if (!value)
        return INI_INVALID_ARGUMENT;
    *value = defaultValue;
    return ReadKey(handle, path, [value](const Document& document, const KeyPath& key) -> int32_t {
        const Entry* entry = document.FindEntry(key, false);
        if (!entry)
            return INI_NOT_FOUND;
        const char* first = entry->value.data();
        const char* last = first + entry->value.size();
        if (first != last && *first == '+')
            ++first;
        int32_t parsed = 0;
        auto [end, error] = std::from_chars(first, last, parsed);
        if (error != std::errc() || end != last || first == last)
            return INI_NOT_AN_INTEGER;
        *value = parsed;
        return INI_OK;
    });
}

int32_t SetIniValueInt(int32_t handle, const char* path, int32_t value)
{
    char text[16];
    *std::to_chars(text, text + sizeof text - 1, value).ptr = '\0';
    return SetIniValueStr(handle, path, text);
}

int32_t GetIniValueStr(int32_t handle, const char* path, const char* defaultValue, char* buffer, int32_t size,
                       int32_t* needed)
{
    const std::string_view fallback = defaultValue ? defaultValue : "";
    const int32_t result = ReadKey(handle, path, [&](const Document& document, const KeyPath& key) {
        const Entry* entry = document.FindEntry(key, false);
        return entry ? PutText(entry->value, buffer, size, needed, INI_OK)
                     : PutText(fallback, buffer, size, needed, INI_NOT_FOUND);
    });
    // On a failure the caller still gets the default when it fits.
    if (result < 0 && result != INI_BUFFER_TOO_SMALL &&
        PutText(fallback, buffer, size, nullptr, result) == INI_BUFFER_TOO_SMALL)
        ClearText(buffer, size);
    return result;
}

int32_t SetIniValueStr(int32_t handle, const char* path, const char* value)
{
    if (!value)
        return INI_INVALID_ARGUMENT;
    return ModifyKey(handle, path, [value](Document& document, const KeyPath& key) -> int32_t {
        document.ProvideEntry(key, false).value = value;
        return INI_OK;
    });
}

int32_t GetKeyCount(int32_t handle, const char* path, int32_t* count)
{
    if (!count)
        return INI_INVALID_ARGUMENT;
    *count = 0;
    return ReadNode(handle, path, [count](const Node* node) -> int32_t {
        if (!node)
            return INI_NOT_FOUND;
        *count = static_cast<int32_t>(std::count_if(node->entries.begin(), node->entries.end(),
                                                    [](const Entry& entry) { return !entry.isArray; }));
        return INI_OK;
    });
}

int32_t GetKeyNameAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t size,
                     int32_t* needed)
{
    ClearText(buffer, size);
    return ReadNode(handle, path, [&](const Node* node) -> int32_t {
        if (!node)
            return INI_OUT_OF_RANGE;
        int32_t remaining = index;
        for (const Entry& entry : node->entries)
        {
            if (!entry.isArray && remaining-- == 0)
                return PutText(entry.name, buffer, size, needed, INI_OK);
        }
        return INI_OUT_OF_RANGE;
    });
}

int32_t GetArrayCount(int32_t handle, const char* path, int32_t* count)
{
    if (!count)
        return INI_INVALID_ARGUMENT;
    *count = 0;
    return ReadKey(handle, path, [count](const Document& document, const KeyPath& key) -> int32_t {
        const Entry* array = document.FindEntry(key, true);
        if (!array)
            return INI_NOT_FOUND;
        *count = static_cast<int32_t>(array->items.size());
        return INI_OK;
    });
}

int32_t SetArrayCount(int32_t handle, const char* path, int32_t count)
{
    if (count < 0)
        return INI_INVALID_ARGUMENT;
    // Every item takes a line of at least five bytes in the file.
    if (static_cast<size_t>(count) > kMaxFileSize / 5)
        return INI_OUT_OF_RANGE;
    return ModifyKey(handle, path, [count](Document& document, const KeyPath& key) -> int32_t {
        if (count == 0)
            document.RemoveEntry(key, true);
        else
            document.ProvideEntry(key, true).items.resize(static_cast<size_t>(count));
        return INI_OK;
    });
}

int32_t GetArrayItemAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t size,
                       int32_t* needed)
{
    ClearText(buffer, size);
    return ReadKey(handle, path, [&](const Document& document, const KeyPath& key) -> int32_t {
        const Entry* array = document.FindEntry(key, true);
        if (!IsIndexIn(index, array))
            return INI_OUT_OF_RANGE;
        return PutText(array->items[static_cast<size_t>(index)], buffer, size, needed, INI_OK);
    });
}

int32_t SetArrayItemAt(int32_t handle, const char* path, int32_t index, const char* value)
{
    if (!value)
        return INI_INVALID_ARGUMENT;
    return ModifyKey(handle, path, [index, value](Document& document, const KeyPath& key) -> int32_t {
        const Entry* existing = document.FindEntry(key, true);
        const size_t count = existing ? existing->items.size() : 0;
        if (index < 0 || static_cast<size_t>(index) > count)
            return INI_OUT_OF_RANGE;
        std::vector<std::string>& items = document.ProvideEntry(key, true).items;
        if (static_cast<size_t>(index) == count)
            items.emplace_back(value);
        else
            items[static_cast<size_t>(index)] = value;
        return INI_OK;
    });
}

int32_t RemoveArrayItemAt(int32_t handle, const char* path, int32_t index)
{
    return ModifyKey(handle, path, [index](Document& document, const KeyPath& key) -> int32_t {
        Entry* array = document.FindEntry(key, true);
        if (!IsIndexIn(index, array))
            return INI_OUT_OF_RANGE;
        array->items.erase(array->items.begin() + index);
        if (array->items.empty())
            document.RemoveEntry(key, true);
        return INI_OK;
    });
}
