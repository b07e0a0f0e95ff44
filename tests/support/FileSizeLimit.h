// A full disk for one test, without a full disk: while the object lives, a write that would
// make any regular file larger than `bytes` fails with EFBIG, as a write to a full disk fails
// with ENOSPC. It also works for root, who passes every permission check. Pipes and terminals
// (the test's output) are not affected.
#pragma once

#include <csignal>

#include <sys/resource.h>

class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        // Past the limit the kernel also raises SIGXFSZ, whose default ends the process.
        m_previousHandler = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        struct rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        signal(SIGXFSZ, m_previousHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    struct rlimit m_previous;
    void (*m_previousHandler)(int);
};
