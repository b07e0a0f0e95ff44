// Binary file access in the manner of the class library's CFile, over a POSIX descriptor with
// one buffer for reading and writing. Readers that take one character at a time (ReadChar)
// cost one system call per buffer, not per character.
//
// Failures: Open reports through its result and the optional exception object; Write, Flush,
// Seek and Close throw CFileException (by value) when the system refuses, so that a full disk
// or a failed close is never taken for success. Read returns the number of bytes read and
// throws on an I/O error; ReadChar returns -1 at the end of the file and on an error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/ServiceSlot.h"

class CFileException {
public:
    // The class library's cause codes; callers report them as numbers.
    enum {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    CFileException(int cause = none, LONG osError = -1, const CString& fileName = CString())
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
    {
    }

    // Maps an errno value to the nearest cause code.
    static int OsErrorToException(int error);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        // Not the class library's: the file is written beside `path` under a short temporary
        // name of its own (so any name the folder allows can be replaced), and only Close puts it in place (synced, then renamed over the old file, whose
        // permissions it takes). A failure on the way, or Abort, removes the temporary file
        // and leaves the old one as it was. Implies modeCreate; the share modes do not apply.
        // An existing target that is no regular file (a device, a pipe) is written directly,
        // since there is no old file to keep; a folder fails the open.
        modeReplaceAtomically = 0x100000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Closes the file if it is still open; pending output is flushed but errors are ignored,
    // so callers that must know whether the data arrived call Close themselves.
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens `path` with the class library's flags. Without modeCreate a missing name is also
    // looked up case-insensitively, folder by folder, since callers may hand over upper-cased
    // paths of files whose names on disk are mixed case. The share modes become advisory
    // locks: shareExclusive and shareDenyRead an exclusive one, shareDenyWrite a shared one;
    // a conflicting lock held elsewhere fails the open with sharingViolation. A file system
    // that cannot lock (NFS without a lock manager, an exclusive lock on a read-only
    // descriptor over NFSv4) opens the file without the lock. Text mode is accepted and
    // treated as binary (there is no line-end translation on this system).
    BOOL Open(LPCSTR path, UINT openFlags, CFileException* error = NULL);
    // Reads `size` bytes in memory as a file, without a copy: the caller keeps them alive
    // until the file is closed. Such a file is read-only; Write and Seek throw invalidFile.
    void OpenMemory(const void* data, size_t size);

    // Up to `count` bytes; fewer only at the end of the file.
    UINT Read(void* buffer, UINT count);
    // The next byte (0-255), or -1 at the end of the file or on an error (see HasReadError).
    int ReadChar()
    {
        if (m_nPos < m_nValid)
            return m_pRead[m_nPos++];
        return ReadCharSlow();
    }
    BOOL HasReadError() const { return m_bReadError; }

    void Write(const void* data, UINT count);
    void Flush();
    uint64_t Seek(int64_t offset, UINT from);
    uint64_t GetPosition() const;
    uint64_t GetLength() const;

    // Writes what is pending and closes; throws when either fails. The file is closed
    // afterwards in any case. A replacing file (modeReplaceAtomically) is put in place here.
    void Close();
    // Closes without reporting anything; for error paths. A replacing file is discarded.
    void Abort();

    BOOL IsOpen() const { return m_fd >= 0 || m_bMemory; }
    const CString& GetFilePath() const { return m_strPath; }

    // The advisory-lock call behind the share modes, with flock's contract; empty: flock.
    // Tests install one that fails as a remote file system does.
    typedef int (*LockCall)(int fd, int operation);
    static CServiceSlot<LockCall>& LockSlot();

private:
    void PutInPlace(int& error);
    int ReadCharSlow();
    BOOL FillBuffer();
    void FlushWrites();
    void DropReadAhead();
    void Reset();
    [[noreturn]] void ThrowOsError(int error) const;

    static constexpr size_t kBufferSize = 64 * 1024;

    int m_fd = -1;
    CString m_strPath;
    // The temporary file that Close renames to m_strPath; empty unless replacing.
    std::string m_strReplacing;
    std::vector<BYTE> m_buffer;
    const BYTE* m_pRead = NULL;  // read-ahead: m_buffer, or the caller's bytes in memory
    size_t m_nPos = 0;           // next byte to read, or bytes pending while writing
    size_t m_nValid = 0;         // bytes of read-ahead in the buffer; always 0 while writing
    BOOL m_bWriting = FALSE;
    BOOL m_bReadError = FALSE;
    BOOL m_bMemory = FALSE;
};
