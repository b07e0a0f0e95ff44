#include "platform/qt/ListBoxModel.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t kChunkBytes = 1u << 20;

char Fold(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? (char)(ch - 'A' + 'a') : ch;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Fold(text[i]) != Fold(prefix[i]))
            return false;
    return true;
}

}  // namespace

CListBoxModel::CListBoxModel(bool sorted, QObject* parent) : QAbstractListModel(parent), m_sorted(sorted) {}

int CListBoxModel::CompareNoCase(std::string_view a, std::string_view b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = (unsigned char)Fold(a[i]);
        unsigned char cb = (unsigned char)Fold(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int CListBoxModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

QVariant CListBoxModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !IsValid(index.row()))
        return QVariant();
    CString text;
    GetText(index.row(), text);
    return QString::fromUtf8(text.GetString(), text.GetLength());
}

int CListBoxModel::Count() const
{
    return m_source ? m_sourceCount : (int)m_entries.size();
}

CListBoxModel::Entry CListBoxModel::Store(std::string_view text)
{
    // A string never straddles two chunks, so each entry is one contiguous view.
    if (m_chunks.empty() || m_chunkUsed + text.size() > m_chunkSizes.back()) {
        size_t size = std::max(kChunkBytes, text.size());
        m_chunks.push_back(std::make_unique<char[]>(size));
        m_chunkSizes.push_back(size);
        m_chunkUsed = 0;
    }
    Entry entry{(uint32_t)(m_chunks.size() - 1), (uint32_t)m_chunkUsed, (uint32_t)text.size()};
    if (!text.empty())
        memcpy(m_chunks.back().get() + m_chunkUsed, text.data(), text.size());
    m_chunkUsed += text.size();
    return entry;
}

std::string_view CListBoxModel::Text(int index) const
{
    if (m_source || index < 0 || index >= (int)m_entries.size())
        return std::string_view();
    const Entry& entry = m_entries[index];
    return std::string_view(m_chunks[entry.chunk].get() + entry.offset, entry.length);
}

bool CListBoxModel::GetText(int index, CString& out) const
{
    if (!IsValid(index)) {
        out.Empty();
        return false;
    }
    if (m_source) {
        out.Empty();
        m_source(index, out);
        return true;
    }
    out = CString(Text(index));
    return true;
}

int CListBoxModel::SortedPosition(std::string_view text) const
{
    // Appending in order is the common case (the buffer dump): check the end first.
    int count = (int)m_entries.size();
    if (count == 0 || CompareNoCase(Text(count - 1), text) <= 0)
        return count;
    int low = 0, high = count;
    while (low < high) {
        int mid = low + (high - low) / 2;
        if (CompareNoCase(Text(mid), text) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

void CListBoxModel::BeginInsert(int row)
{
    if (m_suspendDepth > 0)
        m_changedWhileSuspended = true;
    else
        beginInsertRows(QModelIndex(), row, row);
}

void CListBoxModel::EndInsert()
{
    if (m_suspendDepth == 0)
        endInsertRows();
}

int CListBoxModel::Add(std::string_view text)
{
    MaterializeSource();
    return Insert(m_sorted ? SortedPosition(text) : (int)m_entries.size(), text);
}

int CListBoxModel::Insert(int index, std::string_view text)
{
    MaterializeSource();
    int count = (int)m_entries.size();
    if (index == -1)
        index = count;
    if (index < 0 || index > count || count == INT32_MAX)
        return -1;
    BeginInsert(index);
    Entry entry = Store(text);
    m_entries.insert(m_entries.begin() + index, entry);
    if (!m_itemData.empty())
        m_itemData.insert(m_itemData.begin() + index, 0);
    EndInsert();
    return index;
}

int CListBoxModel::Delete(int index)
{
    MaterializeSource();
    if (!IsValid(index))
        return -1;
    if (m_suspendDepth > 0)
        m_changedWhileSuspended = true;
    else
        beginRemoveRows(QModelIndex(), index, index);
    m_entries.erase(m_entries.begin() + index);
    if (!m_itemData.empty())
        m_itemData.erase(m_itemData.begin() + index);
    if (m_suspendDepth == 0)
        endRemoveRows();
    return (int)m_entries.size();
}

void CListBoxModel::Clear()
{
    SetLineSource(0, nullptr);
}

void CListBoxModel::Reserve(int items, size_t bytes)
{
    if (items > 0)
        m_entries.reserve(m_entries.size() + (size_t)items);
    (void)bytes;  // chunks are allocated as they fill; a reservation could only waste room
}

DWORD_PTR CListBoxModel::ItemData(int index) const
{
    if (!IsValid(index))
        return (DWORD_PTR)-1;
    return index < (int)m_itemData.size() ? m_itemData[index] : 0;
}

void CListBoxModel::SetItemData(int index, DWORD_PTR data)
{
    MaterializeSource();
    if (!IsValid(index))
        return;
    if (m_itemData.empty()) {
        if (data == 0)
            return;
        m_itemData.assign(m_entries.size(), 0);
    }
    m_itemData[index] = data;
}

int CListBoxModel::Find(int startAfter, std::string_view text, bool exact) const
{
    CString line;
    return Search(Count(), startAfter, text, exact, [this, &line](int index) {
        if (!m_source)
            return Text(index);
        GetText(index, line);
        return std::string_view(line.str());
    });
}

int CListBoxModel::Search(int count, int startAfter, std::string_view text, bool exact,
                          const std::function<std::string_view(int)>& textAt)
{
    if (count <= 0)
        return -1;
    int start = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
    for (int step = 0; step < count; ++step) {
        int index = (start + step) % count;
        std::string_view candidate = textAt(index);
        bool match = exact ? CompareNoCase(candidate, text) == 0 : StartsWithNoCase(candidate, text);
        if (match)
            return index;
    }
    return -1;
}

void CListBoxModel::SetLineSource(int count, std::function<void(int, CString&)> line)
{
    bool announce = m_suspendDepth == 0;
    if (announce)
        beginResetModel();
    else
        m_changedWhileSuspended = true;
    // Give the memory back: the list may have held a million lines.
    std::vector<Entry>().swap(m_entries);
    std::vector<DWORD_PTR>().swap(m_itemData);
    m_chunks.clear();
    m_chunkSizes.clear();
    m_chunkUsed = 0;
    m_source = line ? std::move(line) : nullptr;
    m_sourceCount = m_source ? std::max(count, 0) : 0;
    if (announce)
        endResetModel();
}

void CListBoxModel::MaterializeSource()
{
    if (!m_source)
        return;
    std::function<void(int, CString&)> source = std::move(m_source);
    int count = m_sourceCount;
    m_source = nullptr;
    m_sourceCount = 0;
    m_entries.reserve(count);
    CString line;
    for (int i = 0; i < count; ++i) {
        line.Empty();
        source(i, line);
        m_entries.push_back(Store(line.str()));
    }
    // Row count and texts are unchanged, so the views need no announcement.
}

void CListBoxModel::SuspendUpdates()
{
    ++m_suspendDepth;
}

void CListBoxModel::ResumeUpdates()
{
    if (m_suspendDepth == 0 || --m_suspendDepth > 0)
        return;
    if (m_changedWhileSuspended) {
        m_changedWhileSuspended = false;
        beginResetModel();
        endResetModel();
    }
}
