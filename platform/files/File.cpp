#include "platform/files/File.h"

#include "platform/files/FileFind.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int AccessFlags(UINT openFlags)
{
    switch (openFlags & 3) {
    case CFile::modeWrite: return O_WRONLY;
    case CFile::modeReadWrite: return O_RDWR;
    default: return O_RDONLY;
    }
}

// Advisory lock for the share mode, or 0 when others may do anything.
int LockFor(UINT openFlags)
{
    switch (openFlags & 0x70) {
    case CFile::shareExclusive:
    case CFile::shareDenyRead: return LOCK_EX;
    case CFile::shareDenyWrite: return LOCK_SH;
    default: return 0;
    }
}

// Why an open descriptor must still not be used, or 0: a folder opens for reading here but
// is no file to read (the Windows open refuses it), and the share mode's lock may be held
// elsewhere. Only that conflict refuses: a lock the file system cannot take (ENOLCK without a
// lock manager, EBADF for an exclusive lock on a read-only descriptor over NFSv4) protects
// nothing, and refusing would make every file there unreadable.
int ReasonToRefuse(int fd, UINT openFlags)
{
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        return EISDIR;
    int lock = LockFor(openFlags);
    if (!lock)
        return 0;
    CFile::LockCall call = CFile::LockSlot().Get();
    if ((call ? call : ::flock)(fd, lock | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return EWOULDBLOCK;
    return 0;
}

int OpenDirect(const std::string& name, UINT openFlags, bool create, int& openError)
{
    int flags = AccessFlags(openFlags) | O_CLOEXEC;
    if (create) {
        flags |= O_CREAT;
        if (!(openFlags & CFile::modeNoTruncate))
            flags |= O_TRUNC;
    }
    int fd = ::open(name.c_str(), flags, 0666);
    openError = errno;
    if (fd >= 0 && (openError = ReasonToRefuse(fd, openFlags)) != 0) {
        ::close(fd);
        fd = -1;
    }
    return fd;
}

// A name in the folder of `target` that nothing else is likely to use; the open that creates
// it is exclusive, so a clash only costs another try. It is short whatever the target's name,
// which may already be as long as the file system allows.
std::string TemporaryNameBeside(const std::string& target)
{
    static std::atomic<unsigned> s_counter{0};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t mix = (uint64_t)now.tv_nsec ^ ((uint64_t)getpid() << 32) ^
                   ((uint64_t)s_counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    size_t slash = target.rfind('/');
    std::string name = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + ".quillet-";
    for (int i = 0; i < 6; ++i, mix /= 36)
        name += letters[mix % 36];
    return name;
}

// Opens the temporary file that will replace `target` and names it in `replacing`. The file is
// created with the usual permissions, less the umask, or with those of the file it replaces.
// Targets that are no regular file are opened directly, and `replacing` stays empty.
int OpenReplacement(std::string& target, UINT openFlags, std::string& replacing, int& openError)
{
    // A link stays a link: the file it names is the one replaced.
    struct stat info;
    char real[PATH_MAX];
    if (lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && realpath(target.c_str(), real))
        target = real;
    bool replacesFile = stat(target.c_str(), &info) == 0;
    if (!replacesFile && errno != ENOENT) {
        openError = errno;
        return -1;
    }
    if (replacesFile && S_ISDIR(info.st_mode)) {
        openError = EISDIR;
        return -1;
    }
    if (replacesFile && !S_ISREG(info.st_mode))
        return OpenDirect(target, openFlags, true, openError);
    // A file the user may not write is not replaced behind its back.
    if (replacesFile && access(target.c_str(), W_OK) != 0) {
        openError = errno;
        return -1;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryNameBeside(target);
        int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            openError = errno;
            return -1;
        }
        if (replacesFile) {
            // The old owner and group first (a change of owner clears set-id bits): the mode
            // means what it meant only for them. Only root may give a file away, anyone may
            // hand it to a group of their own; failing both, it is the user's like a new file.
            bool sameOwners = fchown(fd, info.st_uid, info.st_gid) == 0 || fchown(fd, (uid_t)-1, info.st_gid) == 0;
            (void)sameOwners;
            fchmod(fd, info.st_mode & 07777);
        }
        replacing = name;
        return fd;
    }
    openError = EEXIST;
    return -1;
}

void SyncFolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

CServiceSlot<CFile::LockCall>& CFile::LockSlot()
{
    static CServiceSlot<LockCall> slot;
    return slot;
}

int CFileException::OsErrorToException(int error)
{
    switch (error) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return accessDenied;
    case EBADF: return invalidFile;
    case EWOULDBLOCK: return sharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    case EIO: return hardIO;
    case ESPIPE:
    case EOVERFLOW: return badSeek;
    default: return genericException;
    }
}

CFile::~CFile()
{
    Abort();
}

BOOL CFile::Open(LPCSTR path, UINT openFlags, CFileException* error)
{
    Abort();
    std::string name = path ? path : "";
    std::string replacing;
    int openError = ENOENT;
    int fd = -1;
    if (!name.empty() && (openFlags & modeReplaceAtomically)) {
        fd = OpenReplacement(name, openFlags, replacing, openError);
    } else if (!name.empty() && (openFlags & modeCreate)) {
        fd = OpenDirect(name, openFlags, true, openError);
    } else if (!name.empty()) {
        name = ResolvePathNoCase(CString(name)).str();
        fd = OpenDirect(name, openFlags, false, openError);
    }
    if (fd < 0) {
        if (error)
            *error = CFileException(CFileException::OsErrorToException(openError), openError, path);
        return FALSE;
    }
    m_fd = fd;
    m_strPath = name;
    m_strReplacing = replacing;
    m_buffer.resize(kBufferSize);
    m_pRead = m_buffer.data();
    m_nPos = m_nValid = 0;
    m_bWriting = m_bReadError = FALSE;
    return TRUE;
}

void CFile::OpenMemory(const void* data, size_t size)
{
    Abort();
    m_bMemory = TRUE;
    m_bReadError = FALSE;
    m_strPath.Empty();
    m_pRead = static_cast<const BYTE*>(data);
    m_nPos = 0;
    m_nValid = data ? size : 0;
}

BOOL CFile::FillBuffer()
{
    if (m_fd < 0 || m_bReadError)
        return FALSE;
    if (m_bWriting) {
        m_bWriting = FALSE;
        FlushWrites();
    }
    for (;;) {
        ssize_t got = ::read(m_fd, m_buffer.data(), m_buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            m_bReadError = TRUE;
        m_nPos = 0;
        m_nValid = got > 0 ? (size_t)got : 0;
        return got > 0;
    }
}

int CFile::ReadCharSlow()
{
    try {
        if (!FillBuffer())
            return -1;
    } catch (const CFileException&) {
        m_bReadError = TRUE;
        return -1;
    }
    return m_pRead[m_nPos++];
}

UINT CFile::Read(void* buffer, UINT count)
{
    BYTE* out = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        if (m_nPos >= m_nValid && !FillBuffer()) {
            if (m_bReadError)
                ThrowOsError(errno);
            break;
        }
        size_t chunk = std::min<size_t>(count - done, m_nValid - m_nPos);
        memcpy(out + done, m_pRead + m_nPos, chunk);
        m_nPos += chunk;
        done += (UINT)chunk;
    }
    return done;
}

void CFile::DropReadAhead()
{
    if (m_nValid > m_nPos && ::lseek(m_fd, -(off_t)(m_nValid - m_nPos), SEEK_CUR) < 0)
        ThrowOsError(errno);
    m_nPos = m_nValid = 0;
}

void CFile::Write(const void* data, UINT count)
{
    if (m_fd < 0)
        throw CFileException(CFileException::invalidFile, EBADF, m_strPath);
    if (!m_bWriting) {
        DropReadAhead();
        m_bWriting = TRUE;
    }
    const BYTE* in = static_cast<const BYTE*>(data);
    while (count > 0) {
        if (m_nPos == m_buffer.size())
            FlushWrites();
        size_t chunk = std::min<size_t>(count, m_buffer.size() - m_nPos);
        memcpy(m_buffer.data() + m_nPos, in, chunk);
        m_nPos += chunk;
        in += chunk;
        count -= (UINT)chunk;
    }
}

void CFile::FlushWrites()
{
    size_t done = 0;
    while (done < m_nPos) {
        ssize_t put = ::write(m_fd, m_buffer.data() + done, m_nPos - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            int error = put < 0 ? errno : EIO;
            m_nPos = 0;
            ThrowOsError(error);
        }
        done += (size_t)put;
    }
    m_nPos = 0;
}

void CFile::Flush()
{
    if (m_fd >= 0 && m_bWriting)
        FlushWrites();
}

uint64_t CFile::Seek(int64_t offset, UINT from)
{
    if (m_fd < 0)
        throw CFileException(CFileException::invalidFile, EBADF, m_strPath);
    if (m_bWriting) {
        m_bWriting = FALSE;
        FlushWrites();
    } else {
        DropReadAhead();
    }
    int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    off_t at = ::lseek(m_fd, (off_t)offset, whence);
    if (at < 0)
        ThrowOsError(errno);
    m_bReadError = FALSE;
    return (uint64_t)at;
}

uint64_t CFile::GetPosition() const
{
    if (m_bMemory)
        return m_nPos;
    if (m_fd < 0)
        return 0;
    off_t at = ::lseek(m_fd, 0, SEEK_CUR);
    if (at < 0)
        return 0;
    if (m_bWriting)
        return (uint64_t)at + m_nPos;
    return (uint64_t)at - (m_nValid - m_nPos);
}

uint64_t CFile::GetLength() const
{
    if (m_bMemory)
        return m_nValid;
    struct stat info;
    if (m_fd < 0 || fstat(m_fd, &info) != 0)
        return 0;
    uint64_t length = (uint64_t)info.st_size;
    if (m_bWriting)
        length = std::max<uint64_t>(length, GetPosition());
    return length;
}

void CFile::Close()
{
    if (m_fd < 0) {
        Reset();
        return;
    }
    int error = 0;
    try {
        Flush();
    } catch (const CFileException& e) {
        error = (int)e.m_lOsError;
    }
    // A replacement must be on disk before it takes the old file's name.
    if (!m_strReplacing.empty() && error == 0 && ::fsync(m_fd) != 0)
        error = errno;
    if (::close(m_fd) != 0 && error == 0)
        error = errno;
    m_fd = -1;
    if (!m_strReplacing.empty())
        PutInPlace(error);
    Reset();
    if (error)
        ThrowOsError(error);
}

void CFile::PutInPlace(int& error)
{
    if (error == 0 && ::rename(m_strReplacing.c_str(), m_strPath.GetString()) != 0)
        error = errno;
    if (error)
        ::unlink(m_strReplacing.c_str());
    else
        SyncFolderOf(m_strPath.str());
    m_strReplacing.clear();
}

void CFile::Abort()
{
    if (m_fd >= 0) {
        if (m_strReplacing.empty()) {
            try {
                Flush();
            } catch (const CFileException&) {
            }
        }
        ::close(m_fd);
    }
    if (!m_strReplacing.empty()) {
        ::unlink(m_strReplacing.c_str());
        m_strReplacing.clear();
    }
    Reset();
}

void CFile::Reset()
{
    m_fd = -1;
    m_pRead = NULL;
    m_nPos = m_nValid = 0;
    m_bWriting = m_bMemory = FALSE;
}

[[noreturn]] void CFile::ThrowOsError(int error) const
{
    throw CFileException(CFileException::OsErrorToException(error), error, m_strPath);
}
