#include "platform/base/FailureDetail.h"

#include <cstring>

namespace {

thread_local CString t_detail;

}  // namespace

void CFailureDetail::Clear()
{
    t_detail.Empty();
}

void CFailureDetail::Set(const CString& detail)
{
    t_detail = detail;
}

const CString& CFailureDetail::Get()
{
    return t_detail;
}

BOOL CFailureDetail::IsSet()
{
    return !t_detail.IsEmpty();
}

CString CFailureDetail::AddTo(const CString& text)
{
    return IsSet() ? text + "\n" + t_detail : text;
}

CString CFailureDetail::ForFile(const CString& path, const CString& reason)
{
    return path + ": " + reason;
}

CString CFailureDetail::SystemReason(int error)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which need not be in the buffer.
    return CString(strerror_r(error, buffer, sizeof buffer));
}
