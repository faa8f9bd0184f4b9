#include "Storage/File.h"

#include "ObjectBase/Exception.h"
#include "Platform/Files/PosixFiles.h"
#include "Utilities/Storage/FilePathText.h"

#include <cstdio>
#include <string>
#include <utility>

namespace KV {

namespace {

// The descriptor shared by copies of a File. It is closed by the release that drops the
// last reference, so copies on different threads close it exactly once.
class LFileDescriptor final : public LHolder<int>
{
public:
    LFileDescriptor(int descriptor, std::string deleteOnClosePath)
        : LHolder<int>(descriptor), mDeleteOnClosePath(std::move(deleteOnClosePath))
    {
    }

protected:
    ~LFileDescriptor() override
    {
        Platform::CloseFileDescriptor(Value());
        if (!mDeleteOnClosePath.empty())
            Platform::RemoveFile(mDeleteOnClosePath);
    }

private:
    std::string mDeleteOnClosePath;
};

// The descriptor of an open file, moved to offset from the start unless offset is -1.
// Errors name the operation that asked (where).
int PositionedDescriptor(const RCPtr<LHolder<int>>& holder, int64_t offset, const SourceLocation& where)
{
    if (!holder)
        ThrowException<std::runtime_error>("file is not open", where);
    const int descriptor = holder->Value();
    if (offset != -1 && Platform::SeekFileDescriptor(descriptor, offset, SEEK_SET) != offset)
        ThrowException<std::runtime_error>("lseek", where);
    return descriptor;
}

} // namespace

File::File() = default;

File::File(const String& folder, const String& fileName, uint32_t flags) : mFlags(flags)
{
    Open(folder, fileName, flags);
}

File::File(const File& other) = default;

File& File::operator=(const File& other) = default;

File::~File()
{
    Close();
}

KVRESULT File::Open(const String& folder, const String& fileName, uint32_t flags)
{
    if (mDescriptor)
        return S_FALSE;
    if (!fileName.IsEmpty())
    {
        mName = fileName;
        mPath = FilePathText::Join(folder, fileName);
    }
    else if (folder.IsEmpty())
        KV_THROW(std::runtime_error, "invalid pathname");
    else
        mPath = folder;
    mFlags = flags;

    const std::string path = FilePathText::ToUtf8(mPath);
    Platform::FileOpenMode mode;
    mode.readWrite = (flags & OPEN_READ_WRITE) != 0;
    mode.create = (flags & OPEN_CREATE) != 0;
    mode.exclusive = (flags & OPEN_EXCLUSIVE) != 0;
    const int descriptor = Platform::OpenFileDescriptor(path, mode);
    if (descriptor < 0)
        KV_THROW(std::runtime_error, "open");
    try
    {
        mDescriptor = new LFileDescriptor(descriptor, (flags & OPEN_DELETE_ON_CLOSE) ? path : std::string());
    }
    catch (...)
    {
        Platform::CloseFileDescriptor(descriptor);
        throw;
    }
    return S_OK;
}

KVRESULT File::Close()
{
    mDescriptor = nullptr;
    return S_OK;
}

uint32_t File::Read(void* buffer, uint32_t count, int64_t offset)
{
    const int descriptor = PositionedDescriptor(mDescriptor, offset, KV_HERE);
    const int64_t got = Platform::ReadFileDescriptor(descriptor, buffer, count);
    if (got < 0)
        KV_THROW(std::runtime_error, "read");
    return static_cast<uint32_t>(got);
}

uint32_t File::Write(const void* buffer, uint32_t count, int64_t offset)
{
    if (!(mFlags & OPEN_READ_WRITE))
        KV_THROW(std::runtime_error, "file is read only");
    const int descriptor = PositionedDescriptor(mDescriptor, offset, KV_HERE);
    const int64_t put = Platform::WriteFileDescriptor(descriptor, buffer, count);
    if (put < 0)
        KV_THROW(std::runtime_error, "write");
    return static_cast<uint32_t>(put);
}

int64_t File::Seek(int64_t offset, int origin)
{
    if (!mDescriptor)
        return -1;
    return Platform::SeekFileDescriptor(mDescriptor->Value(), offset, origin);
}

int64_t File::GetLength() const
{
    if (!mDescriptor)
        KV_THROW(std::runtime_error, "file is not open");
    const int64_t length = Platform::GetFileDescriptorLength(mDescriptor->Value());
    if (length < 0)
        KV_THROW(std::runtime_error, "fstat");
    return length;
}

bool File::IsRegularFile() const
{
    return mDescriptor && Platform::IsRegularFileDescriptor(mDescriptor->Value());
}

} // namespace KV
